# shellcheck shell=bash
# The surroundings of the side-by-side figures, prepared by whole_program.sh after the
# harness (tests/e2e/harness.sh) is sourced. Each function exports what the probe reads
# (bench/probe/comparison.h) or, when it cannot, the reason, and never fails the run.

PEER_SOUNDFONT=/usr/share/sounds/sf2/FluidR3_GM.sf2

is_root() { [[ $(id -u) == 0 ]]; }

# prepare_unprivileged: a home for the user nobody, and the private X display and sound
# server made usable by it: Xvfb without -auth lets any local user connect; the server
# accepts anonymous clients on its socket, which must be reachable through the folder.
prepare_unprivileged() {
  if ! is_root; then
    export VELMO_BENCH_NO_NOBODY="running as another user needs root"
  elif ! id nobody >/dev/null 2>&1 || ! getent group nogroup >/dev/null; then
    export VELMO_BENCH_NO_NOBODY="there is no user nobody or group nogroup"
  elif ! command -v setpriv >/dev/null || ! command -v prlimit >/dev/null; then
    export VELMO_BENCH_NO_NOBODY="setpriv or prlimit (util-linux) is missing"
  else
    chmod 755 "$E2E_TMP"
    mkdir -p "$E2E_TMP/nobody"
    chown nobody:nogroup "$E2E_TMP/nobody"
    chmod 700 "$E2E_TMP/nobody"
    export VELMO_BENCH_NOBODY_HOME="$E2E_TMP/nobody"
  fi
}

# prepare_peer: VMPK from Debian's package (which `make bench` installs through
# tools/setup.sh), set in its own settings file to play through its FluidSynth output: the
# General MIDI soundfont this program uses, PulseAudio (the private server, through
# PULSE_SERVER), MIDI input and thru off; everything else at VMPK's defaults. Its keyboard
# map stays the default one.
prepare_peer() {
  if ! command -v vmpk >/dev/null; then
    export VELMO_BENCH_NO_PEER="vmpk is not installed (tools/setup.sh bench installs it)"
    return
  fi
  if [[ ! -r $PEER_SOUNDFONT ]]; then
    export VELMO_BENCH_NO_PEER="no soundfont at $PEER_SOUNDFONT (fluid-soundfont-gm)"
    return
  fi
  local config="$E2E_TMP/peer-config"
  mkdir -p "$config/vmpk.sourceforge.net"
  cat >"$config/vmpk.sourceforge.net/VMPK.conf" <<EOF
[Connections]
InEnabled=false
ThruEnabled=false
OutputDriver=FluidSynth
OutPort=FluidSynth

[FluidSynth]
AudioDriver=pulseaudio
InstrumentsDefinition=$PEER_SOUNDFONT
EOF
  chmod -R a+rX "$config"
  export VELMO_BENCH_PEER=$(command -v vmpk) VELMO_BENCH_PEER_CONFIG=$config
  note "the peer: $VELMO_BENCH_PEER ($(dpkg-query -W -f '${Version}' vmpk 2>/dev/null))"
}

# prepare_realtimekit SETUP: RealtimeKit on the system bus, granting its actions to every
# process, set up by the script SETUP (root only), which ends with RealtimeKit answering
# or fails; only when VELMO_BENCH_REALTIMEKIT is "grant" (`make bench REALTIMEKIT=grant`),
# as it changes the machine's policy while it runs. What it changed is written to
# $E2E_TMP/rtkit.record for undo_realtimekit, which the caller's exit trap must run.
# Not asked for, it only undoes what a run killed outright left, a grant to every process
# that would otherwise stay for good.
prepare_realtimekit() {
  local setup=$1
  if [[ ! -f $setup ]]; then
    export VELMO_BENCH_RTKIT="no RealtimeKit set-up script ($(basename "$setup"))"
  elif [[ ${VELMO_BENCH_REALTIMEKIT:-} != grant ]]; then
    export VELMO_BENCH_RTKIT="RealtimeKit's grant was not asked for (make bench REALTIMEKIT=grant)"
    if is_root; then
      local line
      while read -r line; do note "$line"; done < <(bash "$setup" left-behind 2>&1)
    fi
  elif ! is_root; then
    export VELMO_BENCH_RTKIT="setting up RealtimeKit needs root"
  else
    RTKIT_SETUP=$setup
    if ! bash "$setup" up "$E2E_TMP/rtkit.record" >"$E2E_TMP/rtkit.log" 2>&1; then
      export VELMO_BENCH_RTKIT="the RealtimeKit set-up failed: $(tail -n 1 "$E2E_TMP/rtkit.log")"
    else
      export VELMO_BENCH_RTKIT=yes
    fi
    # What a run killed outright had left, and this one undid first, is said.
    local line
    while read -r line; do note "$line"; done < <(grep 'killed' "$E2E_TMP/rtkit.log")
  fi
  note "RealtimeKit: $VELMO_BENCH_RTKIT"
}

# undo_realtimekit: stops what prepare_realtimekit started and removes what it wrote,
# leaving alone what was there before; nothing when it did not run.
RTKIT_SETUP=""
undo_realtimekit() {
  [[ -n $RTKIT_SETUP ]] || return 0
  bash "$RTKIT_SETUP" down "$E2E_TMP/rtkit.record" 2>&1 | sed 's/^/# /'
  RTKIT_SETUP=""
}
