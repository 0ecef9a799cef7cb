// Creating the main window's 44 controls from the control table: each control is made,
// registered under its name, given its text size and its blob, and bound to its handlers.
// Every step finds the control again by name; nothing is held from one step to the next.

#include <optional>
#include <string>

#include "framework/controls/controls.h"
#include "framework/runtime/blob_reader.h"
#include "framework/runtime/delegate.h"
#include "window/control_table.h"
#include "window/lookup.h"
#include "window/mytimer.h"
#include "window/property_blobs.h"
#include "window/velmo.h"

namespace {

using window::ControlClass;

constexpr std::size_t kFirstRowOfSecondHalf = 30;  // _CreateControls1 begins at row 31

ClassTable* classOf(ControlClass c) {
  switch (c) {
    case ControlClass::Slider:
      return Slider::__Lookup();
    case ControlClass::Oval:
      return Oval::__Lookup();
    case ControlClass::TextField:
      return TextField::__Lookup();
    case ControlClass::PopupMenu:
      return PopupMenu::__Lookup();
    case ControlClass::NotePlayer:
      return NotePlayer::__Lookup();
    case ControlClass::PushButton:
      return PushButton::__Lookup();
    case ControlClass::Timer:
      return VELMO::Mytimer::__Lookup();
  }
  RaiseNilObjectException();
}

// The class a control is cast to for its blob and its handlers: the timer as a Timer.
ClassTable* castClassOf(ControlClass c) {
  return c == ControlClass::Timer ? Timer::__Lookup() : classOf(c);
}

// The slot of the control's constructor in its own method table: RectControl's for the
// controls with a rectangle, the timer class's own, none for the note player.
std::optional<std::size_t> constructorSlot(ControlClass c) {
  switch (c) {
    case ControlClass::NotePlayer:
      return std::nullopt;
    case ControlClass::Timer:
      return VELMO::Mytimer::Slot::Constructor;
    default:
      return RectControlSlot::Constructor;
  }
}

Ref<Object> findAndCast(Object* window, const window::ControlRow& row) {
  Ref<Object> found = RuntimeWindowControlByName(window, String(row.name));
  return RuntimeCheckCast<Object>(found.get(), castClassOf(row.controlClass));
}

template <class T>
void setTextSizeAndUnit(Object* window, const window::ControlRow& row, float size) {
  {
    auto control = findControl<T>(window, row.name);
    control->setTextSize(size);
  }
  auto control = findControl<T>(window, row.name);
  control->setTextUnit(0);
}

void applyTextSize(Object* window, const window::ControlRow& row, float size) {
  switch (row.controlClass) {
    case ControlClass::TextField:
      return setTextSizeAndUnit<TextField>(window, row, size);
    case ControlClass::PopupMenu:
      return setTextSizeAndUnit<PopupMenu>(window, row, size);
    case ControlClass::PushButton:
      return setTextSizeAndUnit<PushButton>(window, row, size);
    default:
      return;
  }
}

void bind(Object* window, const window::ControlRow& row, const window::EventBinding& e) {
  Ref<Object> control = findAndCast(window, row);
  const MethodSlot& method = window->classTable()->methods[VELMO::methodSlot(e.handler)];
  const bool mouseDown = e.event == "MouseDown";
  // The framework calls an event's handler in the event's own shape: a method of another
  // shape would be called with the wrong arguments, so it is refused here.
  if (!fw::signaturesMatch(method.signature, mouseDown ? "%b%i4i4" : "%%"))
    throw IllegalCastException("the handler " + std::string(e.handler) +
                               " does not fit the event " + std::string(e.event));
  Ref<Delegate> delegate =
      RuntimeCreateDelegate(DelegateInvoker::IM_Invoke, method.fn, window,
                            mouseDown ? "( Int32, Int32 ) as Boolean" : "(  )");
  _InstallInstanceEventHandler(control.get(), String(e.event),
                               delegate ? delegate->method() : nullptr);
}

void createControl(Object* window, std::size_t index) {
  const window::ControlRow& row = window::controlRow(index);
  ClassTable* cls = classOf(row.controlClass);
  {
    Ref<Object> control =
        Ref<Object>::adopt(fw::callMethod<Object*, ClassTable*>(window, WindowSlot::__New, cls));
    if (auto slot = constructorSlot(row.controlClass))
      fw::callMethod<void>(control.get(), *slot);
    fw::callMethod<void, const String&, Object*>(window, WindowSlot::_AddControl, String(row.name),
                                                 control.get());
  }
  if (auto size = window::textSize(index)) applyTextSize(window, row, *size);
  {
    Ref<Object> control = findAndCast(window, row);
    _SetProperties(control.get(), String::fromBytes(window::controlBlob(index)));
  }
  for (const window::EventBinding& e : window::controlEvents(index)) bind(window, row, e);
}

void createRows(Object* self, std::size_t first, std::size_t end) {
  Ref<Object> window = Ref<Object>::retain(self);
  for (std::size_t i = first; i < end; ++i) createControl(window.get(), i);
}

}  // namespace

void VELMO::_CreateControls0(Object* self) {
  createRows(self, 0, kFirstRowOfSecondHalf);
}

void VELMO::_CreateControls1(Object* self) {
  createRows(self, kFirstRowOfSecondHalf, window::kControlCount);
}
