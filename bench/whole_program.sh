#!/usr/bin/env bash
# whole_program.sh VELMO PROBE ROWS: the whole-program figures. Brings up a private X
# server and a private PulseAudio server with the null sink e2e_null (the end-to-end
# harness's), runs the probe against the program there, and leaves the figures as rows
# in the file ROWS. Everything started here is stopped by its pid on the way out.
set -u
program=$1 probe=$2 rows=$3

# shellcheck source=../tests/e2e/harness.sh
source "$(dirname "$0")/../tests/e2e/harness.sh" "$program"

# The harness's exit trap prints a pass/fail summary for tests; a benchmark only cleans up.
bench_cleanup() {
  local i
  trap - EXIT
  for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do stop_pid "${E2E_PIDS[i]}"; done
  rm -rf "$E2E_TMP"
}
trap bench_cleanup EXIT

start_display
start_sound || note "PulseAudio is not installed: the sound figures are not measured"
"$probe" "$program" "$rows" e2e_null.monitor
