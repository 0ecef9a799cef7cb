#!/usr/bin/env bash
# shellcheck disable=SC2317  # functions called by the trap or through expect
# realtimekit_undo_test.sh SETUP: the RealtimeKit set-up's undo (SETUP down RECORD), on a
# record of changes made in a private folder by processes of this test's own, so that
# the machine is not touched. Undone last first; only what the record names, and a pid
# only while it still runs the program recorded. Root only, as the set-up is: skipped
# (77) otherwise.
set -u
setup=$1
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: the RealtimeKit set-up runs as root only"
  exit 77
fi

tmp=$(mktemp -d)
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null; done
  rm -rf "$tmp"
}
trap cleanup EXIT

failed=0
expect() {  # expect "what" command...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failed=1; fi
}
command_line() { tr '\0' ' ' 2>/dev/null <"/proc/$1/cmdline"; }
runs_sleep() { [[ $(command_line "$1") == "sleep "* ]]; }
ended() { ! runs_sleep "$1"; }

# A daemon as the set-up leaves one: in a session of its own, not this shell's child.
daemon() { (setsid "$@" </dev/null >/dev/null 2>&1 & echo $!); }
bus=$(daemon sleep 300)
other=$(daemon sleep 301)  # holds a number the record gives to a daemon that has ended
pids+=("$bus" "$other")

mkdir -p "$tmp/etc/rules.d" "$tmp/kept"
echo rule >"$tmp/etc/rules.d/grant.rules"
echo theirs >"$tmp/kept/theirs"
record=$tmp/rtkit.record
cat >"$record" <<RECORD
dir $tmp/etc
dir $tmp/etc/rules.d
file $tmp/etc/rules.d/grant.rules
dir $tmp/kept
file $tmp/never-written
pid $bus sleep
pid $other polkitd
RECORD

bash "$setup" down "$record"
expect "the undo succeeds" test $? -eq 0
expect "the daemon started is stopped" ended "$bus"
expect "a pid now running another program is left alone" runs_sleep "$other"
expect "the file written is removed" test ! -e "$tmp/etc/rules.d/grant.rules"
expect "the folders made are removed, inner first" test ! -e "$tmp/etc"
expect "a folder made that another holds files in is left" test -f "$tmp/kept/theirs"
expect "the record is emptied" test ! -s "$record"

bash "$setup" down "$record"
expect "a second undo does nothing" runs_sleep "$other"
bash "$setup" down "$tmp/no-record"
expect "without a record there is nothing to undo" test $? -eq 0

if [ $failed -eq 0 ]; then echo passed; else echo failed; fi
exit $failed
