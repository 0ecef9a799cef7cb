# shellcheck shell=bash
# End-to-end harness: runs the real program in a private X server (and, on request, a
# private PulseAudio server, or a private PipeWire with its PulseAudio service, with a
# null sink), drives it with xdotool and reads its pixels back. Sourced by every
# tests/e2e/test_*.sh, which gets the program's path as $1:
#
#   source "$(dirname "$0")/harness.sh"
#   start_display
#   start_app
#   click_pad Oval1
#   expect_pad Oval1 ff0000 "Oval1 lit"
#
# Every process started here is recorded by its pid and stopped on exit, whatever
# happened; the temporary directory goes with it. The last line printed is the summary
# "N passed, N failed" and the exit status is non-zero when a check failed.
# Waiting is done by polling with a deadline, never by a fixed sleep.
# E2E_KEEP=<dir>: keep the logs, the program's output and a PNG of every failed shot there.
# E2E_TIMEOUT=<seconds>: how long any one thing may take to happen (default 20).
# $2, when given: the tool pitch_of (built beside the program's tests), which the scripts
# that listen to the program measure recordings with.

set -u

E2E_PROGRAM=${1:-}
E2E_PITCH_OF=${2:-}
# shellcheck disable=SC2034  # read by the test scripts
E2E_TITLE="VELMO TAVI Italian Edition" E2E_BACKGROUND=1d203c
E2E_TIMEOUT=${E2E_TIMEOUT:-20}

E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/velmo-e2e.XXXXXX") || exit 1
E2E_PIDS=()        # background processes started here and not yet reaped
E2E_APP_PID=""
E2E_APP_STATUS=""  # the program's exit status, once app_ended has seen it end
WID=""             # the program's window
E2E_PASSED=0 E2E_FAILED=0 E2E_SKIPPED=""
E2E_SHOT="$E2E_TMP/shot.rgb" E2E_SHOT_W=0

# The program gets a fixed, private surrounding: no session bus (libdbus would otherwise
# launch one for the X display and leave it running), no system bus (it would start the
# machine's RealtimeKit and give real-time scheduling depending on the machine; a test
# that wants a bus sets its own), no scaling, our own runtime dir, and no PulseAudio
# server started behind our back.
mkdir -p "$E2E_TMP/home" "$E2E_TMP/run"
chmod 700 "$E2E_TMP/run"
export HOME="$E2E_TMP/home" XDG_RUNTIME_DIR="$E2E_TMP/run"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$E2E_TMP/no-session-bus"
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$E2E_TMP/no-system-bus"
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR WAYLAND_DISPLAY
printf 'autospawn = no\n' >"$E2E_TMP/client.conf"
export PULSE_CLIENTCONFIG="$E2E_TMP/client.conf"
# The one socket where start_sound's server, or PipeWire's, will answer; before either
# starts, the program finds none there rather than the machine-wide server's.
export PULSE_SERVER="unix:$E2E_TMP/pulse-native"

# --- reporting -------------------------------------------------------------------------

note() { printf '# %s\n' "$*"; }
pass() { E2E_PASSED=$((E2E_PASSED + 1)); printf 'ok: %s\n' "$*"; }
fail() { E2E_FAILED=$((E2E_FAILED + 1)); printf 'FAIL: %s\n' "$*"; }
die() { fail "$*"; exit 1; }  # a failure after which the script cannot go on
check() {  # check "message" command...: passes when the command succeeds
  local msg=$1; shift
  if "$@"; then pass "$msg"; else fail "$msg"; fi
}
# skip "reason": ends the script here without failing it, with the status that CTest
# counts as a skipped test (E2E_SKIP_STATUS), so that a run without, say, PulseAudio is
# reported as not having tested the sound rather than as having passed.
E2E_SKIP_STATUS=77
skip() {
  printf 'skipped: %s\n' "$*"
  E2E_SKIPPED=1
  exit "$E2E_SKIP_STATUS"
}

# wait_for SECONDS command...: polls the command until it succeeds; 1 on timeout.
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# --- processes -------------------------------------------------------------------------

alive() { kill -0 "$1" 2>/dev/null; }
dead() { ! alive "$1"; }

# forget_pid PID: drops a reaped process from the list, so that its number, which the
# system may give to another process, is never signalled.
forget_pid() {
  local p keep=()
  for p in "${E2E_PIDS[@]}"; do [[ $p == "$1" ]] || keep+=("$p"); done
  E2E_PIDS=("${keep[@]}")
}

# stop_pid PID: TERM, then KILL if it has not ended within a few seconds; reaps it.
stop_pid() {
  if alive "$1"; then
    kill -TERM "$1" 2>/dev/null
    wait_for 5 dead "$1" || kill -KILL "$1" 2>/dev/null
  fi
  wait "$1" 2>/dev/null
  forget_pid "$1"
}

# crash_pid PID: KILL at once, as a crash ends a process, with no chance to clean up
# after itself; reaps it.
crash_pid() {
  kill -KILL "$1" 2>/dev/null
  wait "$1" 2>/dev/null
  forget_pid "$1"
}

e2e_cleanup() {
  local status=$? pids=("${E2E_PIDS[@]}") i
  trap - EXIT
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do stop_pid "${pids[i]}"; done
  if [[ -n ${E2E_KEEP:-} && -d $E2E_KEEP ]]; then
    cp "$E2E_TMP"/*.log "$E2E_TMP"/*.err "$E2E_TMP"/*.out "$E2E_KEEP/" 2>/dev/null
  fi
  rm -rf "$E2E_TMP"
  printf '%d passed, %d failed%s\n' "$E2E_PASSED" "$E2E_FAILED" "${E2E_SKIPPED:+, 1 skipped}"
  ((E2E_FAILED > 0)) && exit 1
  exit "$status"
}
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

[[ -n $E2E_PROGRAM && -x $E2E_PROGRAM ]] || die "usage: $0 <path-to-velmo> (got '$E2E_PROGRAM')"
for tool in Xvfb xdotool import convert python3; do
  command -v "$tool" >/dev/null || die "missing tool: $tool"
done

# --- servers ---------------------------------------------------------------------------

# start_display: a private 24-bit Xvfb on the first free display number, which the
# server itself picks and reports (-displayfd), so parallel runs never collide.
start_display() {
  local fdfile="$E2E_TMP/display" fd
  exec {fd}>"$fdfile"
  Xvfb -displayfd "$fd" -screen 0 1280x800x24 -nolisten tcp -noreset >"$E2E_TMP/xvfb.log" 2>&1 &
  E2E_PIDS+=("$!")
  exec {fd}>&-
  wait_for "$E2E_TIMEOUT" grep -q '^[0-9]' "$fdfile" \
    || die "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
  DISPLAY=":$(head -n1 "$fdfile")"
  export DISPLAY
  note "X display $DISPLAY"
}

# shellcheck source=sound.sh
source "$(dirname "${BASH_SOURCE[0]}")/sound.sh"

# --- the program -----------------------------------------------------------------------

app_window() {
  WID=$(xdotool search --onlyvisible --name "^${E2E_TITLE}\$" 2>/dev/null | head -n1)
  [[ -n $WID ]]
}
window_or_end() { app_window || dead "$E2E_APP_PID"; }

# start_app: starts the program, waits for its window and gives it the input focus.
# start_app_with NAME=value...: the same with extra environment settings.
# The program's output goes to $E2E_TMP/app.out and app.err (app_stderr prints it).
start_app() { start_app_with QT_QPA_PLATFORM=xcb; }
start_app_with() {
  env QT_QPA_PLATFORM=xcb "$@" "$E2E_PROGRAM" >"$E2E_TMP/app.out" 2>"$E2E_TMP/app.err" &
  E2E_APP_PID=$!
  E2E_PIDS+=("$E2E_APP_PID")
  if ! wait_for "$E2E_TIMEOUT" window_or_end || [[ -z $WID ]]; then
    die "no window titled '$E2E_TITLE' (program stderr: $(head -c 2000 "$E2E_TMP/app.err"))"
  fi
  E2E_SHOT_W=$(window_size | cut -d' ' -f1)
  focus
}

app_stderr() { cat "$E2E_TMP/app.err"; }

# app_ended SECONDS: waits for the program to end by itself; sets E2E_APP_STATUS.
app_ended() {
  wait_for "$1" dead "$E2E_APP_PID" || return 1
  wait "$E2E_APP_PID"
  # shellcheck disable=SC2034  # read by the test scripts
  E2E_APP_STATUS=$?
  forget_pid "$E2E_APP_PID"
}

# stop_app: ends the program (if it still runs) so that another one can be started.
stop_app() {
  stop_pid "$E2E_APP_PID"
  WID=""
}

has_focus() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$WID" ]]; }

# Without a window manager nobody hands out the focus: set it ourselves, and only when
# it moved away, so that a focus-in event is not sent before every key.
focus() {
  has_focus && return 0
  xdotool windowfocus "$WID" 2>/dev/null
  wait_for 5 has_focus || fail "window $WID did not get the input focus"
}

window_size() {  # prints "WIDTH HEIGHT" of the program's window
  local WIDTH=0 HEIGHT=0
  eval "$(xdotool getwindowgeometry --shell "$WID" | grep -E '^(WIDTH|HEIGHT)=[0-9]+$')"
  printf '%s %s\n' "$WIDTH" "$HEIGHT"
}

# close_window: asks the window to close the way a window manager's close box does, with
# a WM_DELETE_WINDOW message (xdotool can only destroy a window or kill its client).
close_window() {
  python3 - "$WID" <<'PY'
import ctypes as c, sys
x = c.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = c.c_void_p
x.XOpenDisplay.argtypes = [c.c_char_p]
x.XInternAtom.restype = c.c_ulong
x.XInternAtom.argtypes = [c.c_void_p, c.c_char_p, c.c_int]
x.XSendEvent.argtypes = [c.c_void_p, c.c_ulong, c.c_int, c.c_long, c.c_void_p]
x.XFlush.argtypes = x.XCloseDisplay.argtypes = [c.c_void_p]
class ClientMessage(c.Structure):  # XClientMessageEvent, padded to the size of an XEvent
    _fields_ = [("type", c.c_int), ("serial", c.c_ulong), ("send_event", c.c_int),
                ("display", c.c_void_p), ("window", c.c_ulong), ("message_type", c.c_ulong),
                ("format", c.c_int), ("data", c.c_long * 5), ("pad", c.c_long * 16)]
d = x.XOpenDisplay(None)
if not d:
    sys.exit("cannot open the display")
wid = int(sys.argv[1])
ev = ClientMessage(type=33, window=wid, format=32,
                   message_type=x.XInternAtom(d, b"WM_PROTOCOLS", 0))
ev.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(d, wid, 0, 0, c.byref(ev))
x.XFlush(d)
x.XCloseDisplay(d)
PY
}

# --- input -----------------------------------------------------------------------------

click() { xdotool mousemove --window "$WID" "$1" "$2" click 1; }

# key NAME...: keys typed into the program's window (X keysym names: x, space, Right).
key() {
  focus
  xdotool key --delay 20 "$@"
}

# --- pixels ----------------------------------------------------------------------------

# shot: captures the window as raw 8-bit RGB for pixel and region reads.
shot() {
  import -silent -window "$WID" -depth 8 "rgb:$E2E_SHOT" 2>>"$E2E_TMP/import.log" \
    || die "screenshot failed: $(tail -n 3 "$E2E_TMP/import.log")"
}
shot_height() { echo $(($(stat -c %s "$E2E_SHOT") / 3 / E2E_SHOT_W)); }

# pixel X Y: the window-relative pixel of the last shot as six lower-case hex digits.
pixel() {
  od -An -v -tx1 -j $((($2 * E2E_SHOT_W + $1) * 3)) -N 3 "$E2E_SHOT" | tr -d ' \n'
}

# not_background X Y [X Y ...]: true when none of the points of the last shot shows the
# window's background colour.
not_background() {
  while (($# >= 2)); do
    [[ $(pixel "$1" "$2") != "$E2E_BACKGROUND" ]] || return 1
    shift 2
  done
}

# save_shot NAME: keeps the last shot as a PNG under $E2E_KEEP (when set).
save_shot() {
  [[ -n ${E2E_KEEP:-} && -d $E2E_KEEP ]] || return 0
  convert -size "${E2E_SHOT_W}x$(shot_height)" -depth 8 "rgb:$E2E_SHOT" "png:$E2E_KEEP/$1.png"
}

# expect_pixel X Y HEX "message": passes as soon as a fresh shot shows HEX at X,Y; fails
# when it has not within the timeout. A colour that must stay unchanged is only checked
# this way after a later input has visibly taken effect (events are handled in order).
expect_pixel() {
  local x=$1 y=$2 want=${3,,} msg=$4 got deadline=$((SECONDS + E2E_TIMEOUT))
  while :; do
    shot
    got=$(pixel "$x" "$y")
    [[ $got == "$want" ]] && { pass "$msg"; return 0; }
    ((SECONDS < deadline)) || break
    sleep 0.1
  done
  save_shot "failed-$((E2E_FAILED + 1))"
  fail "$msg: pixel ($x,$y) is #$got, expected #$want"
  return 1
}

# digest_except "LEFT TOP WIDTH HEIGHT"...: a digest of the last shot with the given
# rectangles blacked out, to show that nothing else changed between two shots.
digest_except() {
  local r rx ry rw rh draws=()
  for r in "$@"; do
    read -r rx ry rw rh <<<"$r"
    draws+=(-draw "rectangle $rx,$ry $((rx + rw - 1)),$((ry + rh - 1))")
  done
  convert -size "${E2E_SHOT_W}x$(shot_height)" -depth 8 "rgb:$E2E_SHOT" -fill black \
    "${draws[@]}" -depth 8 rgb:- | md5sum | cut -d' ' -f1
}

# --- the pads: where they stand (creation order) and their resting colours -------------

# name      left top size resting
E2E_PADS="
Oval1        189 299 72 ff8080
Oval3        314 323 72 8000ff
Oval4        378 276 72 008080
Oval5        436 323 72 8080ff
Oval6        498 270 72 004080
Oval7        551 323 72 000080
Oval8        622 299 72 ff8080
miniOval1    219 257 42 ffff80
miniOval2    332 257 42 ffff80
miniOval3    425 239 42 ffff80
miniOval4    472 239 42 ffff80
miniOval5    569 271 42 ffff80
Oval2        259 270 72 ffc0ff
Oval9        144 283 48 000080
Oval10       108 239 48 004080
Oval11       666 259 48 ffc0ff
Oval12       715 276 48 8000ff
Oval13       757 248 48 008080
Oval14        57 223 48 8080ff
Oval15       776 199 48 8080ff
Oval16        25 179 48 008080
Oval17        25 129 48 8000ff
Oval18        15  79 48 ffc0ff
Oval19         9  28 48 ff8080
Oval20       786 146 48 004080
Oval21       817 104 48 000080
Oval22       817  53 48 ff8080
miniOval111   57  57 30 ffff80
miniOval21   715 248 30 ffff80
miniOval11   635 265 30 ffff80
miniOval211   66  97 30 ffff80
miniOval31   742 223 30 ffff80
miniOval311   75 155 30 ffff80
miniOval41   757 172 30 ffff80
miniOval411  108 199 30 ffff80
miniOval51   786 113 30 ffff80
miniOval511  162 239 30 ffff80"

# pad NAME: sets PAD_X PAD_Y (its centre), PAD_RECT ("left top size size") and PAD_REST.
pad() {
  local name left top size rest
  while read -r name left top size rest; do
    [[ $name == "$1" ]] || continue
    # shellcheck disable=SC2034  # read by the test scripts
    PAD_X=$((left + size / 2)) PAD_Y=$((top + size / 2)) PAD_RECT="$left $top $size $size" PAD_REST=$rest
    return 0
  done <<<"$E2E_PADS"
  die "no pad named $1"
}

click_pad() { pad "$1"; click "$PAD_X" "$PAD_Y"; }
expect_pad() { pad "$1"; expect_pixel "$PAD_X" "$PAD_Y" "$2" "$3"; }  # NAME HEX "message"
