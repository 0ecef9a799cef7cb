#!/usr/bin/env bash
# Pitch: what the program plays into a private PulseAudio null sink is recorded and
# measured. Oval1 sounds middle C, the right arrow lifts the next x an octave, and the
# space bar ends the note. Takes the program's path and pitch_of's.
source "$(dirname "$0")/harness.sh"
[[ -x $E2E_PITCH_OF ]] || die "usage: $0 <path-to-velmo> <path-to-pitch_of> (got '$E2E_PITCH_OF')"
start_display
start_sound || skip "PulseAudio is not installed"
start_app
start_recording

# expect_space_ends_note "message": the space bar silences the note that sounds: 600 ms
# later (the release may ring that long) it is under 5 % of its level just before.
expect_space_ends_note() {
  local at before after
  at=$(recorded_ms)
  key space
  wait_recorded $((at + 900))
  if ! before=$(measure rms $((at - 150)) 150) || ! after=$(measure rms $((at + 600)) 300); then
    die "$1: the recording cannot be measured"
  fi
  note "$1: RMS $before before the space bar, $after 600 ms after it"
  check "$1: the note was still sounding before the space bar" holds "$before > 0.0002"
  check "$1: the space bar silenced it" holds "$after < 0.05 * $before"
}

# The soundfont loads in the background, so the first clicks may sound late or not at
# all: click again until a note is heard.
deadline=$((SECONDS + 3 * E2E_TIMEOUT))
until play_and_measure pad Oval1; do
  ((SECONDS < deadline)) || die "no note heard from Oval1 within $((3 * E2E_TIMEOUT)) s"
done
expect_pitch 261.6 "Oval1"
expect_space_ends_note "space after Oval1"

play_and_measure key Right x || die "no note heard from the right arrow and x"
expect_pitch 523.3 "right arrow, then x"
expect_space_ends_note "space after x an octave up"
stop_recording
