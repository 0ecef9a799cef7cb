#pragma once
// The note steps that pads, note keys, the instrument popup and the random phrase share,
// all on NotePlayer1 and App's playing state. Each step finds the note player by name on
// the window at the moment of use and fetches the App object anew, so nothing is cached
// between steps or events. The callers decide the order of the steps.
//
// Every step raises the nil-object exception when the note player is missing or no App
// is registered; steps already taken stay done.

#include <cstdint>

#include "framework/runtime/int32.h"

class Object;

namespace note_steps {

// base + shift in the framework's wrapping Int32 arithmetic: notes are passed on
// unclamped, whatever the shift.
constexpr int32_t shifted(int32_t base, int32_t shift) { return fw::int32Add(base, shift); }

// NotePlayer1's instrument := App.MyInstrument.
void applyInstrument(Object* window);

// NotePlayer1 plays App.LastPitch at velocity 0: ends the note started last.
void noteOff(Object* window);

// NotePlayer1 plays base + App.MyPitch at App.MyVelocity, the velocity passed on
// unchanged. Returns the note started, which the caller records with recordLastPitch
// when its other steps for that note are done.
int32_t noteOn(Object* window, int32_t baseNote);

// App.LastPitch := note.
void recordLastPitch(int32_t note);

}  // namespace note_steps
