#pragma once
// The steps of pad presses and note keys that paint pads, and the two note sequences that
// centre pads and note keys share. The note steps themselves (instrument, note-off,
// note-on, LastPitch) are shared with the rest of the window: window/note_steps.h.
//
// Every step raises the nil-object exception when a control it names is missing or no
// App is registered; steps already taken stay done.

#include <cstdint>
#include <string_view>

#include "framework/runtime/color.h"
#include "window/note_steps.h"

class Object;

namespace pads {

// Paints the pad `me` (the control that raised the event) in the colour.
void paintPad(Object* pad, Color colour);

// Finds the named pad on the window and paints it in the lit colour of its pitch class.
// The name must be one of the pad table's.
void lightPad(Object* window, std::string_view padName);

// The two sequences that centre pads and note keys share, each lighting the pad found by
// its name and ending with App.LastPitch := the note started:
//   natural: [instrument], centre reset, note-off, note-on, light
//   sharp:   note-off, centre reset, note-on, light (never the instrument)
void playNatural(Object* window, int32_t baseNote, std::string_view padName, bool withInstrument);
void playSharp(Object* window, int32_t baseNote, std::string_view padName);

}  // namespace pads
