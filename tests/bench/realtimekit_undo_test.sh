#!/usr/bin/env bash
# shellcheck disable=SC2317  # functions called by the trap or through expect
# realtimekit_undo_test.sh SETUP: the RealtimeKit set-up's undo (SETUP down RECORD), on a
# record of changes made in a private folder by processes of this test's own, so that
# the machine is not touched. Undone last first; only what the record names, and a pid
# only while it still runs the program recorded. Then what a run killed outright left
# (SETUP left-behind): undone when its run has ended, left alone while it still runs.
# Then the set-up itself (SETUP up) on a machine without its packages, through stubs.
# Root only, as the set-up is: skipped (77) otherwise.
set -u
setup=$1
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: the RealtimeKit set-up runs as root only"
  exit 77
fi

tmp=$(mktemp -d)
# The link to the record in place and the polkit rules, in the private folder too.
export VELMO_REALTIMEKIT_CURRENT=$tmp/current.record VELMO_REALTIMEKIT_RULES=$tmp/rules.d
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

# A run killed outright: its record still linked, naming it as its owner, its daemon
# still running and its rule still granting.
marker="// Written for one run of velmo's benchmarks: removed when the run ends."
rule=$tmp/rules.d/49-realtimekit-grant.rules
killed_run() {  # killed_run OWNER-PID OWNER-PROGRAM: a fresh left-behind set-up
  daemon_left=$(daemon sleep 302)
  pids+=("$daemon_left")
  mkdir -p "$tmp/rules.d"
  printf '%s\n%s\n' "$marker" "polkit.addRule(...);" >"$rule"
  printf 'owner %s %s\nfile %s\npid %s sleep\n' "$1" "$2" "$rule" "$daemon_left" >"$tmp/killed.record"
  ln -sfn "$tmp/killed.record" "$VELMO_REALTIMEKIT_CURRENT"
}

owner=$(daemon sleep 303)  # a run that is still going
pids+=("$owner")
killed_run "$owner" sleep
bash "$setup" left-behind >/dev/null 2>&1
expect "a run still going keeps its set-up, and the caller is told no" test $? -ne 0
expect "its daemon runs on" runs_sleep "$daemon_left"
expect "its rule stays" test -f "$rule"

kill -KILL "$owner"
wait "$owner" 2>/dev/null
bash "$setup" left-behind
expect "once its run has ended, the undo succeeds" test $? -eq 0
expect "the daemon it left is stopped" ended "$daemon_left"
expect "the rule it left is removed" test ! -e "$rule"
expect "the link to its record is removed" test ! -L "$VELMO_REALTIMEKIT_CURRENT"

# Its record lost (a reboot empties /run, a cleaner empties /tmp): the rule is known by
# its first line; a rule of someone else's is not touched.
printf '%s\npolkit.addRule(...);\n' "$marker" >"$rule"
bash "$setup" left-behind
expect "a rule of ours with no record is removed" test ! -e "$rule"
echo "// the administrator's own" >"$rule"
bash "$setup" left-behind
expect "a rule of someone else's stays" test -f "$rule"

# A run that ends well takes its link away with it, and only its own.
: >"$tmp/mine.record"
ln -sfn "$tmp/mine.record" "$VELMO_REALTIMEKIT_CURRENT"
bash "$setup" down "$tmp/other.record"
expect "another run's undo leaves the link" test -L "$VELMO_REALTIMEKIT_CURRENT"
bash "$setup" down "$tmp/mine.record"
expect "a run's own undo removes its link" test ! -L "$VELMO_REALTIMEKIT_CURRENT"

# The set-up installs nothing: without its packages it fails, saying what installs them,
# before it changes anything. dpkg-query finds nothing installed, apt-get writes down any
# call, and dbus-send answers as the system bus would, so that a set-up that went on
# anyway would still change nothing but this test's folder.
stubs=$tmp/bin
mkdir "$stubs"
cat >"$stubs/dpkg-query" <<'EOF'
#!/usr/bin/env bash
echo "dpkg-query: no packages found matching ${!#}" >&2
exit 1
EOF
cat >"$stubs/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "$*" >>"$STUB_APT_LOG"
EOF
cat >"$stubs/dbus-send" <<'EOF'
#!/usr/bin/env bash
echo "boolean true"
EOF
chmod +x "$stubs"/*
stubbed() { [[ $(PATH=$stubs:$PATH command -v "$1") == "$stubs/$1" ]]; }
if stubbed dpkg-query && stubbed apt-get && stubbed dbus-send; then
  export STUB_APT_LOG=$tmp/apt.log VELMO_REALTIMEKIT_RULES=$tmp/up-rules.d
  PATH=$stubs:$PATH bash "$setup" up "$tmp/up.record" >"$tmp/up.out" 2>&1
  expect "without its packages the set-up fails" test $? -ne 0
  expect "it says which are missing and what installs them" grep -qxF \
    "realtimekit setup: not installed: rtkit polkitd dbus-daemon dbus-bin (tools/setup.sh realtimekit)" \
    "$tmp/up.out"
  expect "it installs nothing" test ! -e "$STUB_APT_LOG"
  expect "it writes no rule" test ! -e "$VELMO_REALTIMEKIT_RULES"
  expect "it records and links no set-up" test ! -e "$tmp/up.record" -a ! -L "$VELMO_REALTIMEKIT_CURRENT"
else
  expect "the stubs are the commands found, so that the set-up is run" false
fi

if [ $failed -eq 0 ]; then echo passed; else echo failed; fi
exit $failed
