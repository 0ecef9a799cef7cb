#!/usr/bin/env bash
# realtimekit_setup.sh up RECORD | down RECORD | left-behind
#
# up: makes RealtimeKit grant real-time scheduling on this machine, as a desktop's active
# session would, so that the sound thread's real-time request can be measured by hand or
# by the benchmarks as an unprivileged user. Starts the system bus, polkitd and
# rtkit-daemon when they are not running, and writes a polkit rule granting RealtimeKit's
# actions to every process when no rule for them is there. Ends with RealtimeKit
# answering, or fails. It installs nothing: without rtkit, polkitd and dbus
# (`tools/setup.sh realtimekit`) it fails before it changes anything.
#
# down: undoes what `up` did, as written in RECORD, in reverse order: stops the daemons
# and the bus it started, by their pids, and removes the files and folders it created.
# What was there before `up` is left alone.
#
# `up` writes each change to RECORD the moment it makes it, so that `down` undoes a
# set-up that failed or was interrupted half-way; run `down` on every way out (a trap).
# The daemons' logs go beside RECORD. Root only; each prints one line per step.
#
# left-behind: undoes what a run killed outright left (KILL or a power cut runs no trap),
# so that its grant to every process is not taken for the machine's own and kept for
# good. `up` does it first. A run that is still going is left alone, and `up` then fails:
# two runs never share one set-up, as the first to end would take it from the other.
set -euo pipefail
# The machine's own system bus, whatever a caller (the test harness) named instead.
unset DBUS_SYSTEM_BUS_ADDRESS

say() { echo "realtimekit setup: $*"; }

usage() {
  echo "usage: $0 up RECORD | down RECORD | left-behind" >&2
  exit 2
}
command=${1:-}
case "$command:$#" in
  up:2 | down:2) record=$(realpath -m -- "$2") ;;
  left-behind:1) record="" ;;
  *) usage ;;
esac
logs=$(dirname "$record")

# A link to the record of the set-up in place, for `left-behind`; the rule this script
# writes, known by its first line. The tests name other places.
current=${VELMO_REALTIMEKIT_CURRENT:-/run/velmo-realtimekit.record}
rules=${VELMO_REALTIMEKIT_RULES:-/etc/polkit-1/rules.d}
rule=$rules/49-realtimekit-grant.rules
marker="// Written for one run of velmo's benchmarks: removed when the run ends."

if [ "$(id -u)" -ne 0 ]; then
  say "must run as root (it starts system daemons and writes a polkit rule)" >&2
  exit 1
fi

# --- down ------------------------------------------------------------------------------

# runs PID PROGRAM: true while PID runs PROGRAM (its command line's first word), so that a
# number the system has given to another process since is never signalled. A process
# that has ended, a zombie included, has no command line.
runs() {
  case "$(tr '\0' ' ' 2>/dev/null <"/proc/$1/cmdline")" in
    "$2 "*) return 0 ;;
    *) return 1 ;;
  esac
}

# stop PID PROGRAM: TERM, then KILL after 5 s. The daemons are not this shell's children:
# it cannot reap them, only watch them end.
stop() {
  local pid=$1 program=$2
  if ! runs "$pid" "$program"; then
    say "$program (pid $pid) had already ended"
    return
  fi
  kill -TERM "$pid" 2>/dev/null || true
  for _ in $(seq 50); do
    runs "$pid" "$program" || break
    sleep 0.1
  done
  if runs "$pid" "$program"; then
    kill -KILL "$pid" 2>/dev/null || true
    say "stopped $program (pid $pid) with KILL"
  else
    say "stopped $program (pid $pid)"
  fi
}

# undo RECORD: last first, the daemons before the bus they are on, files before folders.
undo() {
  [ -f "$1" ] || { say "nothing to undo"; return; }
  tac "$1" | while read -r kind what program; do
    case $kind in
      pid) stop "$what" "$program" ;;
      file) if [ -e "$what" ]; then rm -f "$what" && say "removed $what"; fi ;;
      dir) if rmdir "$what" 2>/dev/null; then say "removed $what"; else say "left $what: not empty"; fi ;;
    esac
  done
  : >"$1"
}

undo_left_behind() {
  if [ -L "$current" ]; then
    local earlier owner="" program=""
    earlier=$(readlink "$current")
    read -r _ owner program < <(grep -m 1 '^owner ' "$earlier" 2>/dev/null) || true
    if [ -n "$owner" ] && runs "$owner" "$program"; then
      say "a run that is still going (pid $owner) has RealtimeKit set up: left to it" >&2
      exit 1
    fi
    say "undoing what a run that was killed left ($earlier)"
    undo "$earlier"
    rm -f "$current"
  fi
  # Its record lost with its folder (a reboot, a cleaner of /tmp), the rule is still known.
  if grep -qsxF "$marker" "$rule"; then
    rm -f "$rule"
    say "removed $rule, left by a run that was killed"
  fi
}

case $command in
  down)
    undo "$record"
    if [ "$(readlink "$current" 2>/dev/null)" = "$record" ]; then rm -f "$current"; fi
    exit 0
    ;;
  left-behind)
    undo_left_behind
    exit 0
    ;;
esac

remember() { echo "$*" >>"$record"; }

# --- up --------------------------------------------------------------------------------

# 0. What a killed run left goes first.
undo_left_behind

# 1. The packages, installed by the project's one list of them, never here.
missing=()
for p in rtkit polkitd dbus-daemon dbus-bin; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  say "not installed: ${missing[*]} (tools/setup.sh realtimekit)" >&2
  exit 1
fi
say "rtkit, polkitd and dbus are installed"

# Then this run's record is the one in place, and names the run it belongs to (the
# caller), so that no other run takes it over.
ln -sfn "$record" "$current"
remember owner "$PPID" "$(tr '\0' '\n' <"/proc/$PPID/cmdline" | head -n 1)"

bus_call() {  # method, arguments...: the bus daemon's own reply, printed literally
  dbus-send --system --print-reply=literal --reply-timeout=2000 --dest=org.freedesktop.DBus \
    /org/freedesktop/DBus "org.freedesktop.DBus.$1" "${@:2}" 2>/dev/null
}
bus_answers() { bus_call GetId >/dev/null; }

# launch LOG PROGRAM ARGUMENTS...: starts a daemon that does not fork, in a session of
# its own, remembers its pid and leaves it in $launched. It runs under a shell that waits
# for it, so that it is reaped the moment it ends: the init of some machines (containers)
# leaves an ended daemon a zombie for a while, and rtkit-daemon's zombie counts against
# the RLIMIT_NPROC it sets for its user, so that a new one could not start its threads.
# Its output is appended to LOG through a pipe: rtkit-daemon sets its own RLIMIT_FSIZE
# to 0, and a write of its own to a file would end it (SIGXFSZ).
launch() {
  local pidfile=$logs/launched.pid
  rm -f "$pidfile"
  # shellcheck disable=SC2016  # expanded by the launching shell, from its environment
  LOG=$1 PIDFILE=$pidfile setsid bash -c \
    '"$@" </dev/null > >(exec cat >>"$LOG") 2>&1 & echo $! >"$PIDFILE"; wait' launch "${@:2}" \
    </dev/null >/dev/null 2>&1 &
  launched=""
  for _ in $(seq 50); do
    launched=$(cat "$pidfile" 2>/dev/null || true)
    [ -n "$launched" ] && break
    sleep 0.05
  done
  rm -f "$pidfile"
  [ -n "$launched" ] || { say "$2 could not be started" >&2; exit 1; }
  remember pid "$launched" "$2"
}

# make_dir DIR: creates DIR and the folders above it that are missing, each remembered.
make_dir() {
  [ -d "$1" ] && return
  make_dir "$(dirname "$1")"
  mkdir "$1"
  remember dir "$1"
}

# 2. The system bus. The pid file and socket of a bus that is gone would stop a new one.
if bus_answers; then
  say "the system bus is running"
else
  rm -f /run/dbus/pid /run/dbus/system_bus_socket
  make_dir /run/dbus
  if [ ! -s /etc/machine-id ] && [ ! -s /var/lib/dbus/machine-id ]; then
    make_dir /var/lib/dbus
    dbus-uuidgen --ensure
    remember file /var/lib/dbus/machine-id
  fi
  # It leaves its socket and pid file behind when stopped: they go after it.
  remember file /run/dbus/system_bus_socket
  remember file /run/dbus/pid
  launch "$logs/dbus-daemon.log" dbus-daemon --system --nofork
  for _ in $(seq 50); do bus_answers && break; sleep 0.1; done
  bus_answers || { say "the system bus did not start: $(tail -n 1 "$logs/dbus-daemon.log")" >&2; exit 1; }
  say "started the system bus (pid $launched)"
fi

# 3. The polkit rule: RealtimeKit asks polkit, which without a session says no.
if grep -qs 'org.freedesktop.RealtimeKit1\.' "$rules"/*.rules; then
  say "a polkit rule for RealtimeKit is there ($(grep -ls 'org.freedesktop.RealtimeKit1\.' "$rules"/*.rules | paste -sd' '))"
else
  if [ -e "$rule" ]; then
    say "$rule is there without a RealtimeKit rule: not replaced" >&2
    exit 1
  fi
  make_dir "$rules"
  remember file "$rule"
  { echo "$marker" && cat; } >"$rule" <<'EOF'
// Grants RealtimeKit's actions to every process, as a desktop's active session has them.
polkit.addRule(function(action, subject) {
  if (action.id.indexOf("org.freedesktop.RealtimeKit1.") == 0) return polkit.Result.YES;
});
EOF
  say "wrote $rule"
fi

# 4. The daemons. Each drops its root privileges itself once started, and neither forks:
# the pid launched is the one that owns its name.
name_owned() { bus_call NameHasOwner "string:$1" | grep -q 'boolean true'; }
start_daemon() {  # bus name, log name, program, arguments...
  local name=$1 log=$2
  shift 2
  if name_owned "$name"; then
    say "$name is running"
    return
  fi
  launch "$logs/$log.log" "$@"
  for _ in $(seq 50); do name_owned "$name" && break; sleep 0.1; done
  name_owned "$name" || { say "$name did not start: $(tail -n 1 "$logs/$log.log")" >&2; exit 1; }
  say "started $* (pid $launched)"
}
start_daemon org.freedesktop.PolicyKit1 polkitd /usr/lib/polkit-1/polkitd --no-debug
start_daemon org.freedesktop.RealtimeKit1 rtkit-daemon /usr/libexec/rtkit-daemon --stderr

# 5. What it grants.
property() {
  dbus-send --system --print-reply=literal --reply-timeout=2000 \
    --dest=org.freedesktop.RealtimeKit1 /org/freedesktop/RealtimeKit1 \
    org.freedesktop.DBus.Properties.Get string:org.freedesktop.RealtimeKit1 "string:$1" |
    awk '{print $NF}'
}
say "RealtimeKit grants SCHED_RR up to priority $(property MaxRealtimePriority)" \
  "with RLIMIT_RTTIME up to $(property RTTimeUSecMax) us"
