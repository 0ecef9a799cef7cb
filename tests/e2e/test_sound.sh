#!/usr/bin/env bash
# Sound: without any audio output the program still opens its window and says once that
# it is silent; with a private PulseAudio server it plays into the null sink.
source "$(dirname "$0")/harness.sh"
start_display

# No server behind PULSE_SERVER and an empty ALSA configuration: no audio output at all.
: >"$E2E_TMP/empty-alsa.conf"
start_app_with PULSE_SERVER="unix:$E2E_TMP/no-server" ALSA_CONFIG_PATH="$E2E_TMP/empty-alsa.conf"
pass "no audio output: the window opens"
click_pad Oval1
expect_pad Oval1 ff0000 "no audio output: pads still play (Oval1 lit)"
check "no audio output: a line about sound on stderr" \
  wait_for "$E2E_TIMEOUT" grep -qi sound "$E2E_TMP/app.err"
click_pad Oval5
expect_pad Oval5 c0c0ff "no audio output: a second note (Oval5 lit)"
note "program stderr: $(app_stderr)"
check "no audio output: exactly one line on stderr" [ "$(grep -c . "$E2E_TMP/app.err")" -eq 1 ]
stop_app

start_sound || skip "PulseAudio is not installed"
start_app
click_pad Oval1
expect_pad Oval1 ff0000 "Oval1 lit with PulseAudio"
our_stream() { pactl list sink-inputs 2>/dev/null | grep -q "application.process.id = \"$E2E_APP_PID\""; }
check "the program's stream plays on the private PulseAudio server" wait_for "$E2E_TIMEOUT" our_stream

# Record the null sink's monitor around each new note until a recording holds sound; the
# soundfont loads in the background, so the first notes may still be silent.
rec="$E2E_TMP/monitor.raw"
recorded() { [ "$(stat -c %s "$rec" 2>/dev/null || echo 0)" -ge "$1" ]; }
heard() {  # heard PAD: true when half a second from the pad's press is not all zero
  local pid
  parec --device=e2e_null.monitor --raw --format=s16le --rate=44100 --channels=2 >"$rec" &
  pid=$!
  E2E_PIDS+=("$pid")
  wait_for 5 recorded 16384
  click_pad "$1"
  wait_for 5 recorded $((16384 + 88200))
  stop_pid "$pid"
  [ -n "$(tr -d '\0' <"$rec" | head -c 1)" ]
}
sounded=no deadline=$((SECONDS + 3 * E2E_TIMEOUT))
while [ "$sounded" = no ] && ((SECONDS < deadline)); do
  for p in Oval5 Oval1; do heard "$p" && sounded=yes && break; done
done
check "a pad press puts non-silent audio into the null sink" [ "$sounded" = yes ]
