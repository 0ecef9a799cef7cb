#!/usr/bin/env bash
# setup_test.sh SETUP: what tools/setup.sh would install, on machines made up by stubs of
# dpkg-query (the packages installed), id (the user) and apt-get (which only writes down
# what it is asked), so that nothing is ever installed: above all no second sound server
# beside the one a machine has, nothing of the benchmarks' unless asked, and never a
# package removed or a recommend added.
# shellcheck disable=SC2317  # functions called through expect
set -u
setup=$1

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
stubs=$tmp/bin
mkdir "$stubs"
cat >"$stubs/dpkg-query" <<'EOF'
#!/usr/bin/env bash
package=${!#}
case " $STUB_INSTALLED " in
  *" $package "*) printf 'install ok installed' ;;
  *) echo "dpkg-query: no packages found matching $package" >&2; exit 1 ;;
esac
EOF
cat >"$stubs/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "$*" >>"$STUB_APT_LOG"
EOF
cat >"$stubs/id" <<'EOF'
#!/usr/bin/env bash
echo "$STUB_UID"
EOF
chmod +x "$stubs"/*
export PATH=$stubs:$PATH STUB_APT_LOG=$tmp/apt.log
for tool in dpkg-query apt-get id; do
  if [[ $(command -v "$tool") != "$stubs/$tool" ]]; then
    echo "FAIL: the stub of $tool is not the one found on PATH: not run, as it would install"
    exit 1
  fi
done

failed=0
expect() {  # expect "what" command...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failed=1; fi
}

# on "INSTALLED" UID GROUP...: runs setup.sh there; sets status, out (its output), apt
# (the apt-get calls, one a line) and installs (the packages of the install call).
on() {
  export STUB_INSTALLED=$1 STUB_UID=$2
  shift 2
  : >"$STUB_APT_LOG"
  out=$(bash "$setup" "$@" 2>&1)
  status=$?
  apt=$(cat "$STUB_APT_LOG")
  installs=" $(grep '^install ' "$STUB_APT_LOG" | tr ' ' '\n' | grep -v '^-' | grep -vx install | tr '\n' ' ')"
}
installs() { [[ $installs == *" $1 "* ]]; }
installs_all() {
  local p
  for p in "$@"; do installs "$p" || return 1; done
}
installs_none() {
  local p
  for p in "$@"; do ! installs "$p" || return 1; done
}
says_once() { [[ $(grep -c "$1" <<<"$out") == 1 && $(wc -l <<<"$out") == 1 ]]; }

# A stock Debian 12 desktop: PipeWire with its PulseAudio service, and no WirePlumber
# (its session manager may be another one).
on "pipewire pipewire-pulse" 0 all
expect "PipeWire machine: the install succeeds" test "$status" -eq 0
expect "PipeWire machine: no PulseAudio, no WirePlumber, nothing more of PipeWire" \
  installs_none pulseaudio wireplumber pipewire pipewire-pulse
expect "PipeWire machine: the clients' tools are installed" installs pulseaudio-utils
expect "PipeWire machine: one line says PulseAudio's tests are skipped" \
  says_once "has PipeWire: PulseAudio is not installed, and the tests that need it are skipped"

# A PulseAudio desktop, PipeWire there for screen sharing but not as its sound server.
on "pulseaudio pipewire" 0 all
expect "PulseAudio machine: nothing of PipeWire's sound server" \
  installs_none pipewire-pulse wireplumber pipewire
expect "PulseAudio machine: the clients' tools are installed" installs pulseaudio-utils
expect "PulseAudio machine: one line says PipeWire's tests are skipped" \
  says_once "has PulseAudio: PipeWire is not installed, and the tests that need it are skipped"

on "pulseaudio pipewire-pulse" 0 all
expect "with both servers: neither is installed again, nor WirePlumber" \
  installs_none pulseaudio pipewire pipewire-pulse wireplumber
expect "with both servers: nothing said" test -z "$out"

# A bare server, CI.
on "" 0 all
expect "no server: PulseAudio is installed" installs pulseaudio
expect "no server: nothing of PipeWire" installs_none pipewire pipewire-pulse wireplumber
expect "no server: one line says so, and how to have both" \
  says_once 'PipeWire are skipped (make test SOUND_SERVERS="pulseaudio pipewire" installs both)'

on "" 0 all pulseaudio pipewire
expect "both asked for: both are installed, with WirePlumber" \
  installs_all pulseaudio pipewire pipewire-pulse wireplumber
expect "both asked for: nothing said" test -z "$out"
on "pipewire pipewire-pulse" 0 all pulseaudio
expect "a server asked for is installed whatever the machine has" installs pulseaudio
expect "the other one is not, though asked for nothing" installs_none wireplumber

on "" 0 program
expect "the program alone: no sound server, no client tools, no tests' tools" \
  installs_none pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber xvfb
expect "the program alone: nothing said" test -z "$out"

on "" 0 all
expect "the tests: nothing of the benchmarks'" installs_none vmpk rtkit polkitd dbus-bin
on "" 0 all bench
expect "the benchmarks: the peer" installs vmpk
expect "the benchmarks: no RealtimeKit unless asked" installs_none rtkit polkitd dbus-bin
on "" 0 all realtimekit
expect "RealtimeKit asked for: it, polkit and the bus's tools" \
  installs_all rtkit polkitd dbus-bin dbus-daemon
expect "a package of two groups is asked for once" \
  test "$(grep -o ' dbus-daemon ' <<<"$installs" | wc -l)" -eq 1

on "" 0 bench
expect "the list is brought up to date first" test "$(head -n 1 <<<"$apt")" = "update -qq"
expect "installed without recommends, never removing a package, without questions" \
  grep -q -- '^install .*-y --no-install-recommends --no-remove .*vmpk' <<<"$apt"

on "" 1000 all bench
expect "not root: it stops" test "$status" -eq 1
expect "not root: apt-get is not run" test -z "$apt"
expect "not root: it gives the one line to run, with the same options" \
  grep -q '^  sudo apt-get install -y --no-install-recommends --no-remove .*vmpk' <<<"$out"

on "rtkit polkitd dbus-daemon dbus-bin" 0 realtimekit
expect "nothing missing: apt-get is not run" test -z "$apt" -a "$status" -eq 0

on "" 0 all jack
expect "a group it does not know: usage error" test "$status" -eq 2
expect "a group it does not know: installs nothing" test -z "$apt"
expect "a group it does not know: one line naming it" says_once "no group 'jack'"

if [ $failed -eq 0 ]; then echo passed; else echo failed; fi
exit $failed
