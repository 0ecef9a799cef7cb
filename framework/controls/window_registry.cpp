// The framework's list of windows, the implicit instances, control lookup by name and
// the entry of control event handlers.

#include <algorithm>
#include <string>

#include "framework/controls/control_impl.h"
#include "framework/controls/timer_impl.h"
#include "framework/controls/window_impl.h"

namespace {

struct Registered {
  String className;
  Ref<Window> window;
};

std::vector<Registered>& registry() {
  static std::vector<Registered> list;
  return list;
}

bool started = false;

// The function in slot `index` of the object's _PaneChild record, checked against the
// signature it is called with; null when the object is no _PaneChild.
AnyFunction paneMethod(Object* child, std::size_t index, std::string_view signature) {
  if (child == nullptr) return nullptr;
  const InterfaceRecord* record = fw::findInterface(child->classTable(), _PaneChild__Lookup());
  if (record == nullptr) return nullptr;
  if (index >= record->methods.size() || record->methods[index].fn == nullptr)
    throw IllegalCastException("the _PaneChild record of " + child->classTable()->name.str() +
                               " has no method in slot " + std::to_string(index));
  const MethodSlot& m = record->methods[index];
  if (!fw::signaturesMatch(m.signature, signature))
    throw IllegalCastException("the _PaneChild record of " + child->classTable()->name.str() +
                               " holds " + std::string(m.signature) + " in slot " +
                               std::to_string(index) + ", called as " + std::string(signature));
  return m.fn;
}

}  // namespace

void _WindowSupport::Windows::__Init() {
  registry();
}

namespace fw::windows {

void paneSetWindow(Object* child, Object* window) {
  if (AnyFunction fn = paneMethod(child, PaneChildSlot::_SetWindow, "%%o"))
    reinterpret_cast<void (*)(Object*, Object*)>(fn)(child, window);
}

Ref<Object> paneWindow(Object* child) {
  if (AnyFunction fn = paneMethod(child, PaneChildSlot::Window, "%o%"))
    return Ref<Object>::adopt(reinterpret_cast<Object* (*)(Object*)>(fn)(child));
  return nullptr;
}

void registerWindow(Window& window) {
  for (const auto& r : registry())
    if (r.window.get() == &window) return;
  registry().push_back({window.classTable()->name, Ref<Window>::retain(&window)});
}

void raiseOpens(Window& window) {
  Ref<Object> keep = Ref<Object>::retain(&window);
  auto controls = window.impl().controls;  // a handler may add or remove controls
  for (const auto& [name, control] : controls) fw::raiseEvent<void>(control.get(), "Open");
  fw::raiseEvent<void>(&window, "Open");
  fw::controls::rescheduleTimers();
}

void openAll() {
  started = true;
  std::vector<Ref<Window>> open;
  for (const auto& r : registry())
    if (!r.window->impl().closed) open.push_back(r.window);
  for (const auto& w : open) raiseOpens(*w);
}

bool loopStarted() {
  return started;
}

bool anyWindowShown() {
  return std::any_of(registry().begin(), registry().end(), [](const Registered& r) {
    QWidget* w = r.window->widget();
    return w && w->isVisible();
  });
}

Ref<Object> windowHolding(const Object* control) {
  for (const auto& r : registry())
    for (const auto& [name, c] : r.window->impl().controls)
      if (c.get() == control) return r.window;
  return nullptr;
}

void releaseAll() {
  auto list = std::move(registry());
  registry().clear();
  started = false;
  for (auto& r : list)
    fw::reportingFailure([&] {
      r.window->impl().markClosed();
      r.window->impl().hide();
    });
  list.clear();
}

}  // namespace fw::windows

Ref<Object> RuntimeWindowControlByName(Object* window, const String& name) {
  Window& w = fw::controls::as<Window>(window);
  for (const auto& [n, control] : w.impl().controls)
    if (n == name) return control;
  return nullptr;
}

Ref<Object> _GetImplicitWindow(const String& className) {
  for (const auto& r : registry())
    if (r.className == className && !r.window->impl().closed) return r.window;
  return nullptr;
}

std::pair<Ref<Object>, Ref<Object>> RuntimeSwapSelfAndMe(Object* control) {
  if (control == nullptr) RaiseNilObjectException();
  Ref<Object> me = Ref<Object>::retain(control);
  if (auto* c = dynamic_cast<Control*>(control)) return {Ref<Object>::retain(c->ownerWindow()), me};
  if (fw::implements(control->classTable(), _PaneChild__Lookup()))
    return {fw::windows::paneWindow(control), me};
  return {fw::windows::windowHolding(control), me};
}
