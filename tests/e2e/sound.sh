# shellcheck shell=bash
# The end-to-end harness's sound: a private PulseAudio server, or a private PipeWire with
# its PulseAudio service, each with the null sink e2e_null; the program's client and
# stream on it; and a recording of the sink's monitor, measured with pitch_of. Sourced by
# harness.sh, whose process bookkeeping (E2E_PIDS, stop_pid, wait_for) it uses.

# --- sound servers ---------------------------------------------------------------------

pulse_up() { pactl info >/dev/null 2>&1; }

# start_sound: a private PulseAudio server whose only sink is the null sink e2e_null;
# exports PULSE_SERVER (always the same socket, so a server started again after
# crash_sound is found where the last one was). Returns 1 (and starts nothing) when
# PulseAudio is not installed.
E2E_PULSE_PID=""
start_sound() {
  command -v pulseaudio >/dev/null && command -v pactl >/dev/null || return 1
  export PULSE_SERVER="unix:$E2E_TMP/pulse-native"
  # Without DISPLAY: the server would otherwise launch a session bus through X.
  env -u DISPLAY pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --load="module-null-sink sink_name=e2e_null" \
    --load="module-native-protocol-unix socket=$E2E_TMP/pulse-native auth-anonymous=1" \
    >>"$E2E_TMP/pulse.log" 2>&1 &
  E2E_PULSE_PID=$!
  E2E_PIDS+=("$E2E_PULSE_PID")
  wait_for "$E2E_TIMEOUT" pulse_up || die "PulseAudio did not start: $(cat "$E2E_TMP/pulse.log")"
  note "PulseAudio at $PULSE_SERVER"
}

# crash_sound: kills the server started by start_sound, as a crash would. Its socket
# file stays behind; a new server on the same socket finds it stale and replaces it
# (PulseAudio and pipewire-pulse both do).
crash_sound() { crash_pid "$E2E_PULSE_PID"; }

# start_pipewire: a private PipeWire in place of start_sound's PulseAudio: the daemon,
# whose only sink is the null sink e2e_null; WirePlumber, the session manager that links
# streams to it; and pipewire-pulse, PipeWire's PulseAudio service, on the socket that
# PULSE_SERVER names. Configuration, state and logs stay in $E2E_TMP; no D-Bus, systemd
# or sound device is needed or touched. Returns 1 (and starts nothing) when PipeWire is
# not installed.
E2E_PIPEWIRE_PULSE_PID="" E2E_PIPEWIRE_ENV=()
start_pipewire() {
  local tool conf=$E2E_TMP/config
  for tool in pipewire wireplumber pipewire-pulse pactl; do
    command -v "$tool" >/dev/null || return 1
  done
  export PULSE_SERVER="unix:$E2E_TMP/pulse-native"
  mkdir -p "$conf"/pipewire/pipewire.conf.d "$conf"/pipewire/pipewire-pulse.conf.d \
    "$conf"/wireplumber/main.lua.d "$conf"/wireplumber/bluetooth.lua.d "$E2E_TMP/state"
  cat >"$conf/pipewire/pipewire.conf.d/e2e.conf" <<'EOF'
context.objects = [
  { factory = adapter
    args = { factory.name = support.null-audio-sink node.name = e2e_null
             media.class = Audio/Sink audio.position = [ FL FR ] } }
]
EOF
  printf 'pulse.properties = { server.address = [ "%s" ] }\n' "$PULSE_SERVER" \
    >"$conf/pipewire/pipewire-pulse.conf.d/e2e.conf"
  # WirePlumber 0.4's Lua configuration: no device monitors (they would take the
  # machine's sound cards and need D-Bus, and logind's the system bus) and no portal.
  cat >"$conf/wireplumber/main.lua.d/80-e2e.lua" <<'EOF'
alsa_monitor.enabled = false
v4l2_monitor.enabled = false
libcamera_monitor.enabled = false
default_access.properties["enable-flatpak-portal"] = false
EOF
  printf 'bluez_monitor.enabled = false\n' >"$conf/wireplumber/bluetooth.lua.d/80-e2e.lua"

  E2E_PIPEWIRE_ENV=(env -u DISPLAY -u PIPEWIRE_CONFIG_DIR -u WIREPLUMBER_CONFIG_DIR
    -u PIPEWIRE_RUNTIME_DIR -u PIPEWIRE_REMOTE XDG_CONFIG_HOME="$conf"
    XDG_STATE_HOME="$E2E_TMP/state")
  "${E2E_PIPEWIRE_ENV[@]}" pipewire >>"$E2E_TMP/pipewire.log" 2>&1 &
  E2E_PIDS+=("$!")
  wait_for "$E2E_TIMEOUT" test -S "$XDG_RUNTIME_DIR/pipewire-0" \
    || die "PipeWire did not start: $(cat "$E2E_TMP/pipewire.log")"
  "${E2E_PIPEWIRE_ENV[@]}" wireplumber >>"$E2E_TMP/wireplumber.log" 2>&1 &
  E2E_PIDS+=("$!")
  start_pipewire_pulse
  # The session manager has taken the null sink once it made it the default.
  wait_for "$E2E_TIMEOUT" default_sink_is e2e_null \
    || die "WirePlumber did not take the null sink: $(cat "$E2E_TMP/wireplumber.log")"
  note "PipeWire's PulseAudio service at $PULSE_SERVER"
}

default_sink_is() { [[ $(pactl get-default-sink 2>/dev/null) == "$1" ]]; }

# start_pipewire_pulse: (again) the PulseAudio service of the PipeWire that
# start_pipewire started, on the same socket.
start_pipewire_pulse() {
  "${E2E_PIPEWIRE_ENV[@]}" pipewire-pulse >>"$E2E_TMP/pipewire-pulse.log" 2>&1 &
  E2E_PIPEWIRE_PULSE_PID=$!
  E2E_PIDS+=("$E2E_PIPEWIRE_PULSE_PID")
  wait_for "$E2E_TIMEOUT" pulse_up \
    || die "pipewire-pulse did not start: $(cat "$E2E_TMP/pipewire-pulse.log")"
}
# crash_pipewire_pulse: kills the PulseAudio service alone, as a crash would; PipeWire
# itself, its session manager and the null sink stay.
crash_pipewire_pulse() { crash_pid "$E2E_PIPEWIRE_PULSE_PID"; }

# The program's own client and stream on the server, told apart from the recorder's by
# the program's process id; our_stream_info prints the stream's entry in pactl's list.
our_client() { pactl list clients 2>/dev/null | grep -q "application.process.id = \"$E2E_APP_PID\""; }
our_stream_info() {
  pactl list sink-inputs 2>/dev/null \
    | awk -v ours="application.process.id = \"$E2E_APP_PID\"" -v RS= 'index($0, ours)'
}
our_stream() { [[ -n $(our_stream_info) ]]; }

# --- recording what the program plays ------------------------------------------------

# The null sink's monitor is recorded as raw 16-bit stereo at 44.1 kHz: 176.4 bytes a ms.
E2E_REC="$E2E_TMP/monitor.raw" E2E_REC_PID=""

recorded_ms() { echo $(($(stat -c %s "$E2E_REC" 2>/dev/null || echo 0) * 10 / 1764)); }
recorded() { (($(recorded_ms) >= $1)); }
# wait_recorded MS: waits until the recording holds MS ms; ends the script when it
# stops growing before that.
wait_recorded() {
  wait_for "$E2E_TIMEOUT" recorded "$1" || die "the recording stopped at $(recorded_ms) ms"
}

# start_recording: records the null sink's monitor into $E2E_REC from now on. An idle
# null sink's monitor starts delivering up to 2 s after a recorder connects, so this
# returns only once the first data has arrived: from then on the recording keeps pace
# with the sink, and a position in it (recorded_ms) tells when something was played.
start_recording() {
  parec --device=e2e_null.monitor --raw --format=s16le --rate=44100 --channels=2 \
    --latency-msec=20 >"$E2E_REC" 2>"$E2E_TMP/parec.err" &
  E2E_REC_PID=$!
  E2E_PIDS+=("$E2E_REC_PID")
  wait_recorded 50
}
stop_recording() { stop_pid "$E2E_REC_PID"; }

# measure note|rms FROM_MS LENGTH_MS: pitch_of on the recording (see pitch_of.cpp):
# "ONSET_MS HZ RMS" of the first note from FROM_MS, or the RMS of the stretch.
measure() { "$E2E_PITCH_OF" --rate=44100 --channels=2 "$1" "$E2E_REC" "$2" "$3"; }

# play_and_measure pad NAME | key KEY...: plays a note by clicking a pad or typing keys
# and sets NOTE ("ONSET_MS HZ RMS") when a note starts in the recording after it.
play_and_measure() {
  local at
  at=$(recorded_ms)
  case $1 in
    pad) click_pad "$2" ;;
    key) shift; key "$@" ;;
  esac
  wait_recorded $((at + 900))
  NOTE=$(measure note "$at" 150)
}
# expect_pitch HZ "message": the note measured last has pitch HZ within 3 %.
expect_pitch() {
  local onset hz rms
  read -r onset hz rms <<<"$NOTE"
  note "$2: a note at $onset ms of the recording, $hz Hz, RMS $rms"
  check "$2: $hz Hz is within 3 % of $1 Hz" near "$hz" "$1" 3
}

# near GOT WANT PERCENT: true when GOT is within PERCENT % of WANT.
near() { awk -v g="$1" -v w="$2" -v p="$3" 'BEGIN { d = g - w; exit !(d * d <= (w * p / 100) ^ 2) }'; }
# holds "EXPRESSION": true when the arithmetic comparison holds (decimal numbers).
holds() { awk "BEGIN { exit !($1) }" </dev/null; }
