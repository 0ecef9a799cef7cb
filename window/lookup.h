#pragma once
// Finding a control of a window by name at the moment of use.

#include <string_view>

#include "framework/controls/controls.h"
#include "framework/controls/window.h"
#include "framework/runtime/class_table.h"

// The control registered on the window under the name, cast to T, as a new reference.
// A name that finds no control raises the nil-object exception.
template <class T>
Ref<T> findControl(Object* window, std::string_view name) {
  Ref<Object> found = RuntimeWindowControlByName(window, String(name));
  if (!found) RaiseNilObjectException();
  return RuntimeCheckCast<T>(found.get(), T::__Lookup());
}
