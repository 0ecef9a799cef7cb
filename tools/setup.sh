#!/usr/bin/env bash
# setup.sh [GROUP...]: installs the Debian packages of the groups named (all when none is)
# that are missing. The one list of packages for the whole project: extend it here and
# nowhere else.
#   program      building and running the program (`make run`)
#   all          program, the tests' tools, and a sound server for the tests (`make test`)
#   pulseaudio   PulseAudio, for the tests that run the program on a private one
#   pipewire     PipeWire with its PulseAudio service and WirePlumber, for the same
#   bench        the program the benchmarks compare this one with (`make bench`)
#   realtimekit  what the benchmarks' RealtimeKit grant runs (`make bench REALTIMEKIT=grant`)
set -euo pipefail

# What building and running the program needs: all that `make run` installs, so that it
# adds no second sound server to a desktop that has one.
program=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev
  libfluidsynth-dev fluid-soundfont-gm libpulse-dev
  libdbus-1-dev
)
# What the tests and benchmarks need besides, but for the sound servers: private X
# servers to run the program in, and the tools of both sound servers' clients.
checks=(
  dbus-daemon
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool imagemagick x11-utils libx11-dev libxtst-dev
  xkb-data x11-xkb-utils libx11-data
  pulseaudio-utils python3
)
# The sound servers. Debian enables each one's user service for every user, and the two
# listen on the same socket: installed beside the other, either may take the desktop's
# sound at the next login.
pulseaudio=(pulseaudio)
pipewire=(pipewire pipewire-pulse wireplumber)
# VMPK, without its recommends (see the install below).
bench=(vmpk)
# Installing rtkit enables its service on a systemd machine: only ever asked for.
realtimekit=(rtkit polkitd dbus-daemon dbus-bin)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

[ $# -gt 0 ] || set -- all
packages=() servers=() tests=no
for group in "$@"; do
  case $group in
    program) packages+=("${program[@]}") ;;
    all)
      packages+=("${program[@]}" "${checks[@]}")
      tests=yes
      ;;
    pulseaudio) servers+=("${pulseaudio[@]}") ;;
    pipewire) servers+=("${pipewire[@]}") ;;
    bench) packages+=("${bench[@]}") ;;
    realtimekit) packages+=("${realtimekit[@]}") ;;
    *)
      echo "$0: no group '$group' (program, all, pulseaudio, pipewire, bench, realtimekit)" >&2
      exit 2
      ;;
  esac
done

# The tests' sound server, when none is named: the one the machine has, else PulseAudio,
# which most sound tests run on. The tests that need the other are skipped.
if [ $tests = yes ] && [ ${#servers[@]} -eq 0 ]; then
  has=""
  installed pulseaudio && has+=" PulseAudio"
  installed pipewire-pulse && has+=" PipeWire"
  case $has in
    " PipeWire")
      echo "This machine has PipeWire: PulseAudio is not installed, and the tests that need it are skipped."
      ;;
    " PulseAudio")
      echo "This machine has PulseAudio: PipeWire is not installed, and the tests that need it are skipped."
      ;;
    "")
      servers=("${pulseaudio[@]}")
      echo "No sound server here: the tests get PulseAudio, and those that need PipeWire are skipped (make test SOUND_SERVERS=\"pulseaudio pipewire\" installs both)."
      ;;
  esac
fi
packages+=("${servers[@]}")

missing=()
for p in "${packages[@]}"; do
  case " ${missing[*]} " in *" $p "*) continue ;; esac
  installed "$p" || missing+=("$p")
done

[ ${#missing[@]} -eq 0 ] && exit 0

# Without recommends: vmpk's bring JACK 2, which conflicts with the JACK 1 that
# libfluidsynth-dev may have brought, and apt would take the program's own build
# dependencies away to make room. Never at the cost of a package already there: apt stops
# and says which it would remove.
options=(-y --no-install-recommends --no-remove)
if [ "$(id -u)" -ne 0 ]; then
  echo "Some packages this program needs are missing. Install them with:" >&2
  echo "  sudo apt-get install ${options[*]} ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -qq "${options[@]}" "${missing[@]}"
