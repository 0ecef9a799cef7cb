#pragma once
// The "MouseDown" handlers of the 37 pads. Every pad has a handler of its own (a distinct
// function, so the window's method table holds one entry per pad), and each handler runs
// the sequence of its pad's variant with the constants of its row in the pad table:
//
//   centre natural  instrument, centre reset, note-off, note-on, light the pad by name
//   centre sharp    note-off, centre reset, note-on, light the pad by name
//   wing natural    instrument, note-off, centre reset, note-on, light `me`
//   wing sharp      note-off, centre reset, paint `me` lit, note-on, paint `me` at rest
//
// each followed by App.LastPitch := the note started. The framework calls a handler with
// the pressed pad; the position of the press is not read, and the result is always False.
// Nothing is caught: a missing control or App raises the nil-object exception, which
// passes to the framework with the steps before it done.

#include <cstdint>
#include <string_view>

class Object;

namespace pads {

using MouseDownHandler = bool (*)(Object* pad, int32_t x, int32_t y);

// The handler of the pad of that name ("Oval1", "miniOval111"); nullptr for a name that is
// not a pad's. The window's class table fills its "<pad>_MouseDown" slots from here.
MouseDownHandler mouseDownHandler(std::string_view padName);

}  // namespace pads
