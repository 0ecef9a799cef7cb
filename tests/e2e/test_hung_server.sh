#!/usr/bin/env bash
# The program and a sound server that takes connections but does not answer (stopped
# with SIGSTOP, as a hung server is). The window comes up while the server is stopped,
# keys light their pads at once, and one line says that the server does not answer;
# once the server goes on (SIGCONT) a key is heard at its pitch, without a restart.
# Takes the program's path and pitch_of's.
source "$(dirname "$0")/harness.sh"
[[ -x $E2E_PITCH_OF ]] || die "usage: $0 <path-to-velmo> <path-to-pitch_of> (got '$E2E_PITCH_OF')"
command -v pulseaudio >/dev/null && command -v pactl >/dev/null || skip "PulseAudio is not installed"
start_display
start_sound

# Stopped, the server's socket still takes connections into its backlog: a client's
# connect succeeds and its first request is never answered.
kill -STOP "$E2E_PULSE_PID"
resume_server() { kill -CONT "$E2E_PULSE_PID" 2>/dev/null; }
# However the script ends, the server goes on first, so that the harness stops it at
# once; the script's exit status is handed on to the harness's clean-up.
on_exit() {
  local status=$?
  resume_server
  (exit "$status")
  e2e_cleanup
}
trap on_exit EXIT

# start_app gives up after the harness's usual timeout, well before libpulse's own 30 s.
stopped() { [[ $(awk '/^State:/ { print $2 }' "/proc/$E2E_PULSE_PID/status") == T ]]; }
start_app
check "the window is up while the server is still stopped" stopped
key x
expect_pad Oval1 ff0000 "x lights Oval1 while the server is stopped"
check "one line names the cause: the server does not answer" wait_for "$E2E_TIMEOUT" \
  grep -q '^velmo: no sound: the sound server .* does not answer' "$E2E_TMP/app.err"
key space
expect_pad Oval1 ff8080 "space returns Oval1 to rest"

resume_server
check "the program connects once the server goes on" wait_for "$E2E_TIMEOUT" our_client
start_recording
# The first keys may come before the stream is set up on the server: type x until heard.
deadline=$((SECONDS + 3 * E2E_TIMEOUT))
until play_and_measure key x; do
  ((SECONDS < deadline)) || die "no note heard from x within $((3 * E2E_TIMEOUT)) s"
  key space
done
expect_pitch 261.6 "x after the server went on"
key space
stop_recording
check "the program still runs" alive "$E2E_APP_PID"
note "program stderr: $(app_stderr)"
check "nothing else was said about the sound but the real-time line" \
  [ "$(grep -cv -e 'does not answer' -e 'no real-time scheduling' "$E2E_TMP/app.err")" -eq 0 ]
