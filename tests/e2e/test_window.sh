#!/usr/bin/env bash
# The window as it opens: title, size, background, every pad at rest, the button and the
# popup; closing it ends the program cleanly; without a display the program says so.
source "$(dirname "$0")/harness.sh"

# Without any display the program must refuse with one clear line, not crash or hang.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$E2E_PROGRAM" \
  >/dev/null 2>"$E2E_TMP/nodisplay.err"
status=$?
note "without a display: status $status, stderr: $(cat "$E2E_TMP/nodisplay.err")"
check "no display: a failure status" [ "$status" -ne 0 ]
check "no display: no crash, no hang (status below 124)" [ "$status" -lt 124 ]
check "no display: one line on stderr" [ "$(grep -c . "$E2E_TMP/nodisplay.err")" -eq 1 ]
check "no display: the line names the display" grep -qi display "$E2E_TMP/nodisplay.err"

start_display
start_app
pass "window titled '$E2E_TITLE' found"
size=$(window_size)
check "window is 880 x 495 (got $size)" [ "$size" = "880 495" ]

for at in "300 150" "440 100" "850 470" "5 480" "200 450" "600 200"; do
  read -r x y <<<"$at"
  expect_pixel "$x" "$y" "$E2E_BACKGROUND" "background at ($x,$y)"
done

# Every pad's centre shows its resting colour. No pad's centre lies inside a control
# created after it (a later pad, the popup or the button), so all 37 centres are visible.
while read -r name _; do
  [[ -n $name ]] || continue
  pad "$name"
  expect_pixel "$PAD_X" "$PAD_Y" "$PAD_REST" "$name at rest"
done <<<"$E2E_PADS"

shot
check "\"Randam Hit\" button drawn at 348,419 119x33" not_background 407 435 352 423 462 447
check "instrument popup drawn at 635,11 152x34" not_background 711 28 640 15 782 40

close_window
if app_ended "$E2E_TIMEOUT"; then
  check "closing the window ends the program with status 0 (got $E2E_APP_STATUS)" \
    [ "$E2E_APP_STATUS" -eq 0 ]
else
  fail "the program still runs after its window was closed"
fi
note "program stderr: $(app_stderr)"
check "nothing on stderr but a line about sound" [ -z "$(grep -vi sound "$E2E_TMP/app.err")" ]
