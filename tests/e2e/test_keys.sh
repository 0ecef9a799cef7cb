#!/usr/bin/env bash
# Keys typed into the window: note keys light pads, the space bar returns the centre to
# rest, the keys still reach the window after the mouse has used the button and the
# sliders, and Ctrl+Q quits.
source "$(dirname "$0")/harness.sh"
start_display
start_app

key x
expect_pad Oval1 ff0000 "x lights Oval1 (C)"
key z
expect_pad Oval9 0000ff "z lights wing pad Oval9 (B)"
expect_pad Oval1 ff8080 "z returns Oval1 to rest"
key x
expect_pad Oval1 ff0000 "x lights Oval1 again"
expect_pad Oval9 0000ff "Oval9 stays lit after x"
key space
expect_pad Oval1 ff8080 "space returns the centre pads to rest"
expect_pad Oval9 0000ff "Oval9 stays lit after space"
key x 1 n
expect_pad Oval5 c0c0ff "n lights Oval5 (G) after the unmapped key 1"
expect_pad Oval1 ff8080 "Oval1 at rest after n"

# The button and the sliders must not keep the keyboard: keys go on reaching the window.
key x
expect_pad Oval1 ff0000 "x lights Oval1 before the button is clicked"
click 407 435
key space
expect_pad Oval1 ff8080 "space reaches the window after a click on \"Randam Hit\""
click 815 399
key x
expect_pad Oval1 ff0000 "x reaches the window after a click on the octave slider"
click 23 349
key space
expect_pad Oval1 ff8080 "space reaches the window after a click on the velocity slider"
key Right Left Up Down b
expect_pad Oval4 00c0c0 "b lights Oval4 (F) after the four arrow keys"

key ctrl+q
if app_ended "$E2E_TIMEOUT"; then
  check "Ctrl+Q ends the program with status 0 (got $E2E_APP_STATUS)" [ "$E2E_APP_STATUS" -eq 0 ]
else
  fail "the program still runs after Ctrl+Q"
fi
