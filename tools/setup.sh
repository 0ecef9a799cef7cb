#!/usr/bin/env bash
# Installs the Debian packages that the program, its tests and its benchmarks need.
# The one list of packages for the whole project: extend it here and nowhere else.
set -euo pipefail

# What building and running the program needs: all that `make run` installs, so that it
# adds no second sound server to a desktop that has one.
program=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev
  libfluidsynth-dev fluid-soundfont-gm libpulse-dev
  libdbus-1-dev
)
# What the tests and benchmarks need besides: private X and sound servers to run the
# program in (PulseAudio, and PipeWire with its PulseAudio service), and their tools.
checks=(
  dbus-daemon
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool imagemagick x11-utils libx11-dev libxtst-dev
  xkb-data x11-xkb-utils libx11-data
  pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber python3
)

case ${1:-all} in
  program) packages=("${program[@]}") ;;
  all) packages=("${program[@]}" "${checks[@]}") ;;
  *)
    echo "usage: $0 [program|all]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Some packages this program needs are missing. Install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# Never at the cost of a package already there: apt stops and says which it would remove.
apt-get install -y -qq --no-install-recommends --no-remove "${missing[@]}"
