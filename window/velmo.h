#pragma once
// The main window class VELMO. Its instances are framework Windows (the class adds no
// fields: the program's state lives in App); its methods are the handlers of the
// window's and its controls' events, reached through the class's method and event tables.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "framework/controls/window.h"
#include "framework/runtime/class_table.h"

struct VELMO {
  VELMO() = delete;  // a class of handlers only; `VELMO()` names the accessor below

  static ClassTable* __Lookup();
  static void __ctblinit();

  // Building the window (window events "Layout" and "CreateControls").
  static void Layout(Object* self);
  static void CreateControls(Object* self);
  static void _CreateControls0(Object* self);
  static void _CreateControls1(Object* self);

  // The playing-state handlers. Control handlers are called with the control that
  // raised the event; the window's and the application's with the window or the app.
  static void PitchSlider_ValueChanged(Object* control);
  static void VelocitySlider_Open(Object* control);
  static void VelocitySlider_ValueChanged(Object* control);
  static void MusicPopupMenu_Change(Object* control);
  static void MusicPopupMenu_Open(Object* control);
  static void NotePlayer1_Open(Object* control);
  static void Event_Open(Object* self);

  // Computer-keyboard playing (keyboard/).
  static bool Event_KeyDown(Object* self, const String& key);

  // The random phrase (phrase/).
  static void PushButton1_Action(Object* control);
  static void pxx(Object* self, int32_t offset);
  static int32_t Onpu(Object* self, int32_t step, int32_t order, int32_t k);

  struct Mytimer;  // the timer control's class (window/mytimer.h)

  // The method-table slot of one of VELMO's own methods, by name ("Onpu",
  // "Oval1_MouseDown"); the slot counts Window's methods first.
  static std::size_t methodSlot(std::string_view name);
};

// The accessor: the implicit instance (the main window), created with its 44 controls on
// first use, as a new reference. (Declared after the class, as C's `struct stat` and
// `stat()`; inside VELMO's own methods write `::VELMO()`.)
Ref<Window> VELMO();
