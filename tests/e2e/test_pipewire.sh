#!/usr/bin/env bash
# The program on PipeWire, through its PulseAudio service (pipewire-pulse), as most
# desktops now run it. A key is heard at its pitch on the null sink, from a stream that
# carries the program's name. After about a second of silence the stream is corked, not
# closed, and the next key is heard again. When pipewire-pulse is killed the program
# says so once; when it starts again on the same socket the next notes are heard,
# without restarting the program. Takes the program's path and pitch_of's.
source "$(dirname "$0")/harness.sh"
[[ -x $E2E_PITCH_OF ]] || die "usage: $0 <path-to-velmo> <path-to-pitch_of> (got '$E2E_PITCH_OF')"
start_display
start_pipewire || skip "PipeWire, WirePlumber or pipewire-pulse is not installed"
start_app
start_recording

stream_says() { our_stream_info | grep -qF "$1"; }
corked() { stream_says "Corked: yes"; }
went_away_lines() { grep -c 'the sound server went away' "$E2E_TMP/app.err"; }

# x_at_middle_c "message": x plays middle C; the space bar ends it.
x_at_middle_c() {
  play_and_measure key x || { fail "$1: no note heard"; return 1; }
  expect_pitch 261.6 "$1"
}

# The soundfont loads in the background, so the first keys may sound late or not at
# all: type x again until a note is heard.
deadline=$((SECONDS + 3 * E2E_TIMEOUT))
until play_and_measure key x; do
  ((SECONDS < deadline)) || die "no note heard from x within $((3 * E2E_TIMEOUT)) s"
done
expect_pitch 261.6 "first x"
check "the stream carries the program's name" \
  stream_says 'application.name = "VELMO TAVI Italian Edition"'
key space

# Silence corks the stream; the next key uncorks it and is heard.
check "after the note, silence corks the stream" wait_for "$E2E_TIMEOUT" corked
check "the corked stream is still there, not closed" our_stream
x_at_middle_c "the first x after the silence"
check "it uncorked the stream" stream_says "Corked: no"
key space

# pipewire-pulse is killed mid-run and started again on the same socket.
stop_recording
crash_pipewire_pulse
check "the server's going is said on stderr" wait_for "$E2E_TIMEOUT" \
  grep -q '^velmo: the sound server went away' "$E2E_TMP/app.err"
key x space  # no server: nothing to hear, and nothing may break
start_pipewire_pulse
check "the program connects to the new pipewire-pulse" wait_for "$E2E_TIMEOUT" our_client
start_recording
for n in 1 2; do
  x_at_middle_c "after the restart, x number $n"
  key space
done
check "the program still runs" alive "$E2E_APP_PID"
note "program stderr: $(app_stderr)"
check "the server's going was said once" [ "$(went_away_lines)" -eq 1 ]
stop_recording
