#!/usr/bin/env bash
# Sound in bad surroundings: without any audio output, or without a soundfont, the
# program still opens its window, pads still light, and one line on stderr says why it
# is silent. With a private PulseAudio server and a soundfont it plays into the null sink.
# Takes the program's path and pitch_of's.
source "$(dirname "$0")/harness.sh"
[[ -x $E2E_PITCH_OF ]] || die "usage: $0 <path-to-velmo> <path-to-pitch_of> (got '$E2E_PITCH_OF')"
start_display

# silent_but_playing WHAT: the program just started plays its pads and says once on
# stderr that it has no sound.
silent_but_playing() {
  pass "$1: the window opens"
  click_pad Oval1
  expect_pad Oval1 ff0000 "$1: pads still play (Oval1 lit)"
  check "$1: a line about sound on stderr" \
    wait_for "$E2E_TIMEOUT" grep -q '^velmo: no sound: ' "$E2E_TMP/app.err"
  click_pad Oval5
  expect_pad Oval5 c0c0ff "$1: a second note (Oval5 lit)"
  note "program stderr: $(app_stderr)"
  check "$1: exactly one line on stderr" [ "$(grep -c . "$E2E_TMP/app.err")" -eq 1 ]
}

# No server behind PULSE_SERVER and an empty ALSA configuration: no audio output at all.
: >"$E2E_TMP/empty-alsa.conf"
start_app_with PULSE_SERVER="unix:$E2E_TMP/no-server" ALSA_CONFIG_PATH="$E2E_TMP/empty-alsa.conf"
silent_but_playing "no audio output"
check "no audio output: the line says so" grep -q 'could not open an audio output' "$E2E_TMP/app.err"
stop_app

start_sound || skip "PulseAudio is not installed"
start_recording
our_stream() { pactl list sink-inputs 2>/dev/null | grep -q "application.process.id = \"$E2E_APP_PID\""; }

# No soundfont in any data directory: the program names the package to install, opens
# no stream and plays nothing.
mkdir -p "$E2E_TMP/no-data"
start_app_with XDG_DATA_DIRS="$E2E_TMP/no-data"
at=$(recorded_ms)
silent_but_playing "no soundfont"
check "no soundfont: the line names the folder looked in and the package to install" \
  grep -qF "no General MIDI soundfont found in $E2E_TMP/no-data/sounds/sf2 (install the Debian package fluid-soundfont-gm)" \
  "$E2E_TMP/app.err"
check "no soundfont: no stream on the sound server" eval '! our_stream'
wait_recorded $((at + 500))
check "no soundfont: the sink stays silent" holds "$(measure rms "$at" 500) == 0"
stop_app

# A soundfont and a sound server: the program's stream plays. The soundfont loads in the
# background, so the first notes may still be silent: click until one is heard.
start_app
click_pad Oval1
expect_pad Oval1 ff0000 "Oval1 lit with PulseAudio"
check "the program's stream plays on the private PulseAudio server" wait_for "$E2E_TIMEOUT" our_stream
heard() {  # heard PAD: true when half a second from the pad's press is not silent
  local at
  at=$(recorded_ms)
  click_pad "$1"
  wait_recorded $((at + 500))
  holds "$(measure rms "$at" 500) > 0.0001"
}
sounded=no deadline=$((SECONDS + 3 * E2E_TIMEOUT))
while [ "$sounded" = no ] && ((SECONDS < deadline)); do heard Oval5 && sounded=yes; done
check "a pad press puts non-silent audio into the null sink" [ "$sounded" = yes ]
stop_recording
