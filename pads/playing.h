#pragma once
// The steps that pad presses and note keys share. Each step finds the controls it needs
// by name on the window at the moment of use and fetches the App object anew, so nothing
// is cached between steps or events. The callers decide the order of the steps: it
// differs between naturals and sharps, centre and wing pads, pads and keys.
//
// Every step raises the nil-object exception when a control it names is missing or no
// App is registered; steps already taken stay done.

#include <cstdint>
#include <string_view>

#include "framework/runtime/color.h"

class Object;

namespace pads {

// base + shift in Int32 arithmetic, wrapping like the framework's Int32 rather than
// overflowing: notes are passed on unclamped, whatever the shift.
constexpr int32_t shifted(int32_t base, int32_t shift) {
  return static_cast<int32_t>(static_cast<int64_t>(base) + shift);
}

// NotePlayer1's instrument := App.MyInstrument.
void applyInstrument(Object* window);

// NotePlayer1 plays App.LastPitch at velocity 0: ends the note started last.
void noteOff(Object* window);

// NotePlayer1 plays base + App.MyPitch at App.MyVelocity. Returns the note started,
// which the caller records with recordLastPitch once its painting is done.
int32_t noteOn(Object* window, int32_t baseNote);

// App.LastPitch := note.
void recordLastPitch(int32_t note);

// Paints the pad `me` (the control that raised the event) in the colour.
void paintPad(Object* pad, Color colour);

// Finds the named pad on the window and paints it in the lit colour of its pitch class.
// The name must be one of the pad table's.
void lightPad(Object* window, std::string_view padName);

// The two sequences that centre pads and note keys share, each lighting the pad found by
// its name and ending with App.LastPitch := the note started:
//   natural: [instrument], centre reset, note-off, note-on, light
//   sharp:   note-off, centre reset, note-on, light (never the instrument)
void playNatural(Object* window, int32_t baseNote, std::string_view padName,
                 bool withInstrument);
void playSharp(Object* window, int32_t baseNote, std::string_view padName);

}  // namespace pads
