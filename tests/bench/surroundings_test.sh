#!/usr/bin/env bash
# shellcheck disable=SC2317  # functions called through expect
# surroundings_test.sh SURROUNDINGS: the benchmarks' surroundings (bench/surroundings.sh)
# change the machine's policy only when asked: RealtimeKit's grant is set up only with
# VELMO_BENCH_REALTIMEKIT=grant, and otherwise the real-time row says how to ask for it.
# Nothing is installed: a missing peer is a reason. The set-up is a stand-in that writes
# down how it is called, root is a stub of id, and apt-get a stub that writes down any
# call, so that the test changes nothing and runs for any user.
set -u
surroundings=$1

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
stubs=$tmp/bin
mkdir "$stubs"
# Run with PATH set to the stubs alone too: bash by its full name.
cat >"$stubs/id" <<'EOF'
#!/bin/bash
echo "$STUB_UID"
EOF
cat >"$stubs/apt-get" <<'EOF'
#!/bin/bash
echo "apt-get $*" >>"$STUB_CALLS"
EOF
chmod +x "$stubs"/*
cat >"$tmp/setup.sh" <<'EOF'
echo "$*" >>"$STUB_CALLS"
EOF
export PATH=$stubs:$PATH STUB_CALLS=$tmp/calls

failed=0
expect() {  # expect "what" command...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failed=1; fi
}

note() { :; }
# shellcheck disable=SC2034  # read by the surroundings
E2E_TMP=$tmp
# shellcheck source=../../bench/surroundings.sh
source "$surroundings"

# realtimekit ASKED UID: prepare_realtimekit with the stand-in; sets calls.
realtimekit() {
  : >"$tmp/calls"
  unset VELMO_BENCH_RTKIT
  VELMO_BENCH_REALTIMEKIT=$1 STUB_UID=$2 prepare_realtimekit "$tmp/setup.sh"
  calls=$(cut -d' ' -f1 "$tmp/calls" | paste -sd' ')
}

realtimekit "" 0
expect "not asked, as root: the grant is not set up" test "$calls" = left-behind
expect "not asked: the row says how to ask for it" \
  test "$VELMO_BENCH_RTKIT" = "RealtimeKit's grant was not asked for (make bench REALTIMEKIT=grant)"
realtimekit yes 0
expect "asked for with another word: not set up" test "$calls" = left-behind
realtimekit "" 1000
expect "not asked, as another user: the set-up is not run at all" test -z "$calls"

realtimekit grant 0
expect "asked for, as root: set up, and to be undone" test "$calls" = up -a -n "$RTKIT_SETUP"
expect "asked for, as root: measured" test "$VELMO_BENCH_RTKIT" = yes
undo_realtimekit >/dev/null
expect "undone on the way out" test "$(tail -n 1 "$tmp/calls" | cut -d' ' -f1)" = down
realtimekit grant 1000
expect "asked for, as another user: not set up" test -z "$calls"
expect "asked for, as another user: the row says why" \
  test "$VELMO_BENCH_RTKIT" = "setting up RealtimeKit needs root"

: >"$tmp/calls"
saved=$PATH
PATH=$stubs
STUB_UID=0 prepare_peer
PATH=$saved
expect "without vmpk: nothing installed" test ! -s "$tmp/calls"
expect "without vmpk: the reason says how to have it" \
  test "$VELMO_BENCH_NO_PEER" = "vmpk is not installed (tools/setup.sh bench installs it)"

if [ $failed -eq 0 ]; then echo passed; else echo failed; fi
exit $failed
