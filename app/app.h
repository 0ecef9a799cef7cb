#pragma once
// The application object: one instance for the life of the process, holding the playing
// state that the handlers of pads, keys, sliders, popup and button share.

#include <cstdint>

#include "framework/controls/application.h"

struct App : Application {
  explicit App(ClassTable* cls) : Application(cls) {}

  // The playing state; all 0 until their first writers run.
  int32_t MyInstrument = 0;  // General MIDI instrument from 1, copied into NotePlayer1
  int32_t MyPitch = 0;       // octave shift in semitones added to every base note
  int32_t MyVelocity = 0;    // velocity of every note-on
  int32_t LastPitch = 0;     // the note last started; the next note-off is sent for it

  static ClassTable* __Lookup();
  static void __ctblinit();
  // The application's "Open" handler.
  static void Event_Open(Object* self);
};

// The accessor: the registered application object as an App, a new reference; nil when
// none is registered. Callers test it (fw::nonNil) before use and cache nothing.
// (Declared after the class, as C's `struct stat` and `stat()`: write `struct App` for
// the type where this function is in scope.)
Ref<struct App> App();

// Creates the one App object and registers it with the framework.
void _NewAppInstance();
