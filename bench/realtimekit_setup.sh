#!/usr/bin/env bash
# Makes RealtimeKit grant real-time scheduling on this machine, as a desktop's active
# session would, so that the sound thread's real-time request can be measured by hand or
# by the benchmarks as an unprivileged user. It changes the machine (a package, a polkit
# rule, system daemons), so it is for measuring only and never part of the tests.
#
# Idempotent: each step is skipped when already done. Root only. Leaves running what it
# started (the system bus, polkitd, rtkit-daemon) and prints one line per step.
set -euo pipefail

say() { echo "realtimekit setup: $*"; }

if [ "$(id -u)" -ne 0 ]; then
  say "must run as root (it installs rtkit and starts system daemons)" >&2
  exit 1
fi

# 1. The packages.
missing=()
for p in rtkit polkitd dbus-daemon dbus-bin; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  say "installed ${missing[*]}"
else
  say "rtkit, polkitd and dbus are installed"
fi

bus_answers() {
  dbus-send --system --print-reply --reply-timeout=2000 --dest=org.freedesktop.DBus \
    /org/freedesktop/DBus org.freedesktop.DBus.GetId >/dev/null 2>&1
}

# 2. The system bus. A pid file left by a bus that is gone would stop a new one.
if bus_answers; then
  say "the system bus is running"
else
  rm -f /run/dbus/pid /run/dbus/system_bus_socket
  mkdir -p /run/dbus
  dbus-uuidgen --ensure
  dbus-daemon --system --fork
  for _ in $(seq 50); do bus_answers && break; sleep 0.1; done
  bus_answers || { say "the system bus did not start" >&2; exit 1; }
  say "started the system bus (pid $(cat /run/dbus/pid))"
fi

# 3. The polkit rule: RealtimeKit asks polkit, which without a session says no.
rules=/etc/polkit-1/rules.d
if grep -qs 'org.freedesktop.RealtimeKit1\.' "$rules"/*.rules; then
  say "a polkit rule for RealtimeKit is there ($(grep -ls 'org.freedesktop.RealtimeKit1\.' "$rules"/*.rules | paste -sd' '))"
else
  mkdir -p "$rules"
  cat >"$rules/49-realtimekit-grant.rules" <<'EOF'
// Grants RealtimeKit's actions to every process, as a desktop's active session has them.
polkit.addRule(function(action, subject) {
  if (action.id.indexOf("org.freedesktop.RealtimeKit1.") == 0) return polkit.Result.YES;
});
EOF
  say "wrote $rules/49-realtimekit-grant.rules"
fi

# 4. The daemons. Each drops its root privileges itself once started.
name_owned() {
  dbus-send --system --print-reply --reply-timeout=2000 --dest=org.freedesktop.DBus \
    /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null |
    grep -q 'boolean true'
}
start_daemon() {  # bus name, log name, command...
  local name=$1 log=$2
  shift 2
  if name_owned "$name"; then
    say "$name is running"
    return
  fi
  setsid "$@" </dev/null >>"/var/log/$log.log" 2>&1 &
  local pid=$!
  for _ in $(seq 50); do name_owned "$name" && break; sleep 0.1; done
  name_owned "$name" || { say "$name did not start; see /var/log/$log.log" >&2; exit 1; }
  say "started $* (pid $pid)"
}
start_daemon org.freedesktop.PolicyKit1 polkitd /usr/lib/polkit-1/polkitd --no-debug
start_daemon org.freedesktop.RealtimeKit1 rtkit-daemon /usr/libexec/rtkit-daemon

# 5. What it grants.
property() {
  dbus-send --system --print-reply=literal --reply-timeout=2000 \
    --dest=org.freedesktop.RealtimeKit1 /org/freedesktop/RealtimeKit1 \
    org.freedesktop.DBus.Properties.Get string:org.freedesktop.RealtimeKit1 "string:$1" |
    awk '{print $NF}'
}
say "RealtimeKit grants SCHED_RR up to priority $(property MaxRealtimePriority)" \
  "with RLIMIT_RTTIME up to $(property RTTimeUSecMax) us"
