#pragma once
// The timer control's class: a framework Timer that knows its window and its index, so
// the framework can find the window of a child that is not a Control. Nothing is bound
// to its "Action": it fires and does nothing.

#include <cstdint>

#include "framework/controls/controls.h"
#include "window/velmo.h"

struct VELMO::Mytimer : Timer {
  explicit Mytimer(ClassTable* cls) : Timer(cls) {}

  int32_t Index = 0;
  Ref<Object> ownerWindow;  // counted; nil until the framework sets it

  // The class's own slots of its method table, after Timer's, in their order.
  struct Slot {
    enum : std::size_t {
      _SetWindow = TimerSlot::kCount, Window, _Index, _SetIndex, Constructor, kEnd
    };
  };

  static ClassTable* __Lookup();
  static void __ctblinit();
  static void __Exit(Object* self);

  static void _SetWindow(Object* self, Object* w);
  static Object* Window(Object* self);  // a new reference, owned by the caller; nil if none
  static int32_t _Index(Object* self);
  static void _SetIndex(Object* self, int32_t i);
  static void Constructor(Object* self);
};
