#!/usr/bin/env bash
# Mouse presses on pads: the pressed centre pad lights and the other centre pads return
# to rest; a wing natural pad stays lit; a wing sharp pad ends at rest; the background
# does nothing.
source "$(dirname "$0")/harness.sh"
start_display
start_app

click_pad Oval1
expect_pad Oval1 ff0000 "Oval1 lit (C) after its press"
click_pad Oval5
expect_pad Oval5 c0c0ff "Oval5 lit (G) after its press"
expect_pad Oval1 ff8080 "Oval1 back at rest after Oval5's press"

click_pad Oval19
expect_pad Oval19 ff0000 "wing pad Oval19 lit (C) after its press"
expect_pad Oval5 8080ff "centre pads at rest after a wing pad press"
click_pad Oval1
expect_pad Oval1 ff0000 "Oval1 lit after Oval19"
expect_pad Oval19 ff0000 "Oval19 still lit after a centre pad press"

# The sharp pad's handler resets the centre: once Oval1 is at rest the press has been
# handled, and the sharp pad must show its resting colour.
click_pad miniOval21
expect_pad Oval1 ff8080 "centre pads at rest after miniOval21's press"
expect_pad miniOval21 ffff80 "wing sharp pad miniOval21 at rest after its press"

# Background: with Oval1 lit, a click on the empty background, then a press on Oval5.
# Once Oval5 is lit the background click has been handled; outside the two pads the
# window must look exactly as before.
pad Oval1; oval1=$PAD_RECT
pad Oval5; oval5=$PAD_RECT
click_pad Oval1
expect_pad Oval1 ff0000 "Oval1 lit before the background click"
before=$(digest_except "$oval1" "$oval5")
click 300 150
click_pad Oval5
expect_pad Oval5 c0c0ff "Oval5 lit after the background click"
check "a click on the background changes nothing else" [ "$(digest_except "$oval1" "$oval5")" = "$before" ]
