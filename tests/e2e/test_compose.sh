#!/usr/bin/env bash
# Û (U+00DB), the lower manual's E, typed the ways people type it: Compose ^ U with the
# compose key on Right Alt, on a German layout the dead circumflex (the key left of 1)
# then Shift+U, and on US international the dead circumflex (Shift+6) then Shift+U. Both go through Qt's own input method for X11, in the plain C.UTF-8 locale
# of a minimal system and with no input-method settings. Each lights the wing pad Oval12
# and sounds note 76; x still plays middle C afterwards. Takes the program's path and
# pitch_of's.
source "$(dirname "$0")/harness.sh"
[[ -x $E2E_PITCH_OF ]] || die "usage: $0 <path-to-velmo> <path-to-pitch_of> (got '$E2E_PITCH_OF')"
for tool in setxkbmap xkbcomp; do
  command -v "$tool" >/dev/null || die "missing tool: $tool"
done
export LANG=C.UTF-8
unset LC_ALL LC_CTYPE QT_IM_MODULE QT_IM_MODULES XMODIFIERS

# Equal temperament from A = 440 Hz at note 69: note 76 is the E a tenth above middle C,
# 440 x 2^(7/12); note 60 is middle C, 440 x 2^(-9/12).
E_HZ=659.3 C_HZ=261.6
# Oval12 at rest and lit (pitch class E), Oval1 lit (pitch class C).
E_REST=8000ff E_LIT=a020ff C_LIT=ff0000

# key_has KEY KEYSYM: the display's keymap gives the key (an XKB name such as TLDE)
# the keysym, so that xdotool types it on that key.
key_has() {
  xkbcomp -xkb "$DISPLAY" - 2>/dev/null \
    | awk -v key="key <$1>" -v sym="$2" '
        index($0, key) { inside = 1 }
        inside && $0 ~ "[[ ,]" sym "[] ,]" { found = 1 }
        inside && /};/ { inside = 0 }
        END { exit !found }'
}

# silence: ends the note and waits until its release has rung out.
silence() {
  local at
  at=$(recorded_ms)
  key space
  wait_recorded $((at + 900))
}

# start_playing: a fresh program, whose soundfont loads in the background: x is typed
# until a note is heard.
start_playing() {
  local deadline=$((SECONDS + 3 * E2E_TIMEOUT))
  start_app
  until play_and_measure key x; do
    ((SECONDS < deadline)) || die "no note heard from x within $((3 * E2E_TIMEOUT)) s"
  done
  silence
  expect_pad Oval12 "$E_REST" "Oval12 is at rest before Û is typed"
}

# type_e "how" KEY...: the keys play Û: Oval12 lit, note 76 heard; then x plays middle C.
type_e() {
  local how=$1
  shift
  if play_and_measure key "$@"; then
    expect_pitch "$E_HZ" "$how"
  else
    fail "no note heard from $how"
  fi
  expect_pad Oval12 "$E_LIT" "$how lights Oval12"
  silence
  if play_and_measure key x; then
    expect_pitch "$C_HZ" "x after $how"
  else
    fail "no note heard from x after $how"
  fi
  expect_pad Oval1 "$C_LIT" "x after $how lights Oval1"
}

start_display
start_sound || skip "PulseAudio is not installed"
start_recording

setxkbmap -layout us -option compose:ralt || die "setxkbmap cannot set the compose key"
key_has RALT Multi_key || die "Right Alt is not the compose key"
start_playing
type_e "Compose ^ U" Multi_key asciicircum U
stop_app

setxkbmap -layout de -option "" || die "setxkbmap cannot set the German layout"
key_has TLDE dead_circumflex || die "the German layout has no dead circumflex left of 1"
start_playing
type_e "dead circumflex, Shift+U" dead_circumflex U
stop_app

setxkbmap -layout us -variant intl -option "" || die "setxkbmap cannot set US international"
key_has AE06 dead_circumflex || die "US international has no dead circumflex on Shift+6"
start_playing
type_e "US international dead circumflex, Shift+U" dead_circumflex U
stop_app
stop_recording
