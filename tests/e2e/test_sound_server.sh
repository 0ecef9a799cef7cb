#!/usr/bin/env bash
# The program and a sound server that comes and goes. Started before any server (and
# with no ALSA device), it says once that it has no sound and plays as soon as a server
# starts. After about a second of silence its stream closes, and the next key opens it
# and is heard. When the server is killed it says so once; when a new one starts on the
# same socket the next notes are heard, without restarting the program. Every note that
# must be heard is x, which plays middle C at the start, and its pitch is measured.
# Takes the program's path and pitch_of's.
source "$(dirname "$0")/harness.sh"
[[ -x $E2E_PITCH_OF ]] || die "usage: $0 <path-to-velmo> <path-to-pitch_of> (got '$E2E_PITCH_OF')"
command -v pulseaudio >/dev/null && command -v pactl >/dev/null || skip "PulseAudio is not installed"
start_display

no_stream() { ! our_stream; }

# middle_c: true when x, typed now, is heard as middle C (261.6 Hz within 3 %).
middle_c() {
  local onset hz rms
  play_and_measure key x || return 1
  read -r onset hz rms <<<"$NOTE"
  note "x: a note at $onset ms of the recording, $hz Hz, RMS $rms"
  near "$hz" 261.6 3
}
# quiet_now: true when the next 300 ms of the recording are silent.
quiet_now() {
  local at
  at=$(recorded_ms)
  wait_recorded $((at + 300))
  holds "$(measure rms "$at" 300) < 0.00005"
}
# note_then_quiet: x is heard; the space bar ends it and the sink falls silent again.
note_then_quiet() {
  middle_c || return 1
  key space
  wait_for "$E2E_TIMEOUT" quiet_now
}
# The soundfont loads in the background: the first keys may come before it.
first_note() {
  local deadline=$((SECONDS + 3 * E2E_TIMEOUT))
  until note_then_quiet; do ((SECONDS < deadline)) || return 1; done
}
went_away_lines() { grep -c 'the sound server went away' "$E2E_TMP/app.err"; }

# A program started with no server, and no ALSA device to fall back on.
: >"$E2E_TMP/empty-alsa.conf"
export PULSE_SERVER="unix:$E2E_TMP/pulse-native"
start_app_with ALSA_CONFIG_PATH="$E2E_TMP/empty-alsa.conf"
check "no server yet: one line says there is no sound" wait_for "$E2E_TIMEOUT" \
  grep -q '^velmo: no sound: could not open an audio output' "$E2E_TMP/app.err"
start_sound
check "the program connects to the server that started after it" wait_for "$E2E_TIMEOUT" our_client
start_recording
check "server started second: a note is heard" first_note

# Quiet when silent, and the next key plays at once.
check "after the note, silence closes the stream" wait_for "$E2E_TIMEOUT" no_stream
check "the first key after the silence is heard" middle_c
check "it opened the stream again" our_stream
key space

# The server is killed mid-run, and a new one starts on the same socket.
stop_recording
crash_sound
check "the server's going is said on stderr" wait_for "$E2E_TIMEOUT" \
  grep -q '^velmo: the sound server went away' "$E2E_TMP/app.err"
key x space  # no server: nothing to hear, and nothing may break
start_sound
check "the program connects to the new server" wait_for "$E2E_TIMEOUT" our_client
start_recording
for n in 1 2 3; do
  check "after the restart, note $n is heard" note_then_quiet
done
check "the program still runs" alive "$E2E_APP_PID"
note "program stderr: $(app_stderr)"
check "the server's going was said once" [ "$(went_away_lines)" -eq 1 ]
stop_recording
