#!/usr/bin/env bash
# whole_program.sh VELMO PROBE ROWS: the whole-program figures. Brings up a private X
# server and a private PulseAudio server with the null sink e2e_null (the end-to-end
# harness's), prepares the surroundings of the side-by-side figures (the peer, the user
# nobody, and RealtimeKit through realtimekit_setup.sh when VELMO_BENCH_REALTIMEKIT is
# "grant"), runs the probe against the program there, and leaves the figures as rows in
# the file ROWS. It installs nothing. On every way out (an exit trap; INT, TERM and HUP
# end the script through it) everything started here is stopped by its pid, and the
# RealtimeKit set-up is undone: the machine is left as it was found.
set -u
program=$1 probe=$2 rows=$3
here=$(cd "$(dirname "$0")" && pwd)

# shellcheck source=../tests/e2e/harness.sh
source "$here/../tests/e2e/harness.sh" "$program"

# shellcheck source=surroundings.sh
source "$here/surroundings.sh"

# The harness's exit trap prints a pass/fail summary for tests; a benchmark only cleans up.
bench_cleanup() {
  local i
  trap - EXIT
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do stop_pid "${E2E_PIDS[i]}"; done
  undo_realtimekit
  rm -rf "$E2E_TMP"
}
trap bench_cleanup EXIT
trap 'exit 129' HUP

start_display
if start_sound; then
  export VELMO_BENCH_SERVER_PID=${E2E_PIDS[-1]}
else
  note "PulseAudio is not installed: the sound figures are not measured"
fi
prepare_unprivileged
prepare_peer
prepare_realtimekit "$here/realtimekit_setup.sh"
if [[ $VELMO_BENCH_RTKIT == yes ]]; then
  note "the program is started with no system bus but in the RealtimeKit trial: each start says in one line that it has no real-time scheduling"
else
  note "the program is started with no system bus: each start says in one line that it has no real-time scheduling"
fi
"$probe" "$program" "$rows" e2e_null.monitor
