#include "window/velmo.h"

#include <array>
#include <string>
#include <utility>

#include "framework/runtime/blob_reader.h"
#include "framework/runtime/reflection.h"
#include "pads/pad_press.h"
#include "window/control_table.h"
#include "window/property_blobs.h"
#include "window/velmo_methods.h"

namespace {

ClassTable* table = nullptr;

// The functions behind VELMO's own method names (the pads' handlers come from pads/).
struct NamedFunction {
  std::string_view name;
  AnyFunction fn;
  Invoker invoker;
};

template <class R, class... A>
NamedFunction named(std::string_view name, R (*fn)(Object*, A...)) {
  return {name, reinterpret_cast<AnyFunction>(fn), Introspection::Invoke<R, A...>};
}

const std::array kNamed = {
    named("Layout", &VELMO::Layout),
    named("CreateControls", &VELMO::CreateControls),
    named("_CreateControls0", &VELMO::_CreateControls0),
    named("_CreateControls1", &VELMO::_CreateControls1),
    named("PitchSlider_ValueChanged", &VELMO::PitchSlider_ValueChanged),
    named("VelocitySlider_Open", &VELMO::VelocitySlider_Open),
    named("VelocitySlider_ValueChanged", &VELMO::VelocitySlider_ValueChanged),
    named("MusicPopupMenu_Change", &VELMO::MusicPopupMenu_Change),
    named("MusicPopupMenu_Open", &VELMO::MusicPopupMenu_Open),
    named("NotePlayer1_Open", &VELMO::NotePlayer1_Open),
    named("PushButton1_Action", &VELMO::PushButton1_Action),
    named("Event_KeyDown", &VELMO::Event_KeyDown),
    named("Event_Open", &VELMO::Event_Open),
    named("pxx", &VELMO::pxx),
    named("Onpu", &VELMO::Onpu),
};

constexpr std::string_view kMouseDownSuffix = "_MouseDown";

NamedFunction ownFunction(std::string_view name) {
  for (const auto& n : kNamed)
    if (n.name == name) return n;
  if (name.ends_with(kMouseDownSuffix)) {
    name.remove_suffix(kMouseDownSuffix.size());
    if (auto fn = pads::mouseDownHandler(name)) return named(name, fn);
  }
  throw RuntimeException("the window class has no function for its method " + std::string(name));
}

// The member entries of the control accessors: each finds its control by name.
Value invokeAccessor(AnyFunction, Object* self, std::span<const Value> args) {
  if (args.size() != 1) throw IllegalCastException("a control accessor takes one name");
  return Value(RuntimeWindowControlByName(self, fw::unbox<String>(args[0])));
}

void fillMember(MemberEntry& m, std::string_view name, std::string signature, AnyFunction fn,
                Invoker invoker, bool hidden) {
  m.name = String(name);
  m.flags = kFlagPublic;
  AttributeList& attrs = RuntimeAllocateAttributeTable(table, m, hidden ? 2 : 1);
  attrs[0] = fw::scopeAttribute("Public");
  if (hidden) attrs[1] = fw::hiddenAttribute();
  m.signature = String(signature);
  m.function = fn;
  m.invoker = invoker;
}

// The class an accessor returns its control as; the timer is typed as its parent, Timer.
std::string_view accessorClassName(window::ControlClass c) {
  using enum window::ControlClass;
  switch (c) {
    case Slider: return "Slider";
    case Oval: return "Oval";
    case TextField: return "TextField";
    case PopupMenu: return "PopupMenu";
    case NotePlayer: return "NotePlayer";
    case PushButton: return "PushButton";
    case Timer: return "Timer";
  }
  return "Control";
}

constexpr std::size_t kBuildingMethods = 4;  // Layout ... _CreateControls1 head the member table
constexpr std::size_t kOwnMemberCount = window::kOwnMethodCount + window::kControlCount;

}  // namespace

void VELMO::__ctblinit() {
  if (table != nullptr) return;
  ClassTable* parent = Window::__Lookup();
  const auto n = [](const auto& v) { return static_cast<int32_t>(v.size()); };
  table = RuntimeNewClass(parent, n(parent->members) + static_cast<int32_t>(kOwnMemberCount),
                          n(parent->interfaces), n(parent->events), 0, n(parent->properties), 1);
  table->name = "VELMO";

  table->methods =
      RuntimeNewVtable(static_cast<int32_t>(WindowSlot::kCount + window::kOwnMethodCount));
  for (std::size_t i = 0; i < window::kOwnMethodCount; ++i) {
    const auto& own = window::kOwnMethods[i];
    table->methods[WindowSlot::kCount + i] = MethodSlot{ownFunction(own.name).fn, own.signature};
  }
  for (std::size_t i = 0; i < WindowSlot::kCount; ++i) table->methods[i] = parent->methods[i];

  // Members: the four building methods, one accessor per control, then the handlers.
  std::size_t m = table->members.size() - kOwnMemberCount;
  for (std::size_t i = 0; i < window::kOwnMethodCount; ++i) {
    if (i == kBuildingMethods) {
      for (const auto& row : window::kControls)
        fillMember(table->members[m++], row.name,
                   "%o<" + std::string(accessorClassName(row.controlClass)) + ">%s",
                   reinterpret_cast<AnyFunction>(&RuntimeWindowControlByName), invokeAccessor,
                   false);
    }
    const auto& own = window::kOwnMethods[i];
    const NamedFunction fn = ownFunction(own.name);
    const bool hidden = own.name == "_CreateControls0" || own.name == "_CreateControls1";
    fillMember(table->members[m++], own.name, std::string(own.signature), fn.fn, fn.invoker,
               hidden);
  }

  const std::pair<std::string_view, AnyFunction> handled[] = {
      {"Layout", reinterpret_cast<AnyFunction>(&VELMO::Layout)},
      {"CreateControls", reinterpret_cast<AnyFunction>(&VELMO::CreateControls)},
      {"KeyDown", reinterpret_cast<AnyFunction>(&VELMO::Event_KeyDown)},
      {"Open", reinterpret_cast<AnyFunction>(&VELMO::Event_Open)},
  };
  for (const auto& [event, fn] : handled)
    table->events[static_cast<std::size_t>(fw::findEvent(table, event))].handler = fn;

  table->attributes[0] = fw::scopeAttribute("Public");
}

ClassTable* VELMO::__Lookup() {
  if (table == nullptr) __ctblinit();
  return table;
}

std::size_t VELMO::methodSlot(std::string_view name) {
  const std::size_t i = window::ownMethodIndex(name);
  if (i == window::kOwnMethodCount)
    throw RuntimeException("the window class has no method " + std::string(name));
  return WindowSlot::kCount + i;
}

Ref<Window> VELMO() {
  Ref<Object> window = _GetImplicitWindow(VELMO::__Lookup()->name);
  if (!window) {
    window = RuntimeNewObject(VELMO::__Lookup());
    fw::callMethod<void>(window.get(), WindowSlot::Constructor);
  }
  return RuntimeCheckCast<Window>(window.get(), VELMO::__Lookup());
}

void VELMO::Layout(Object* self) {
  Ref<Object> window = Ref<Object>::retain(self);
  _SetProperties(window.get(), String::fromBytes(window::windowBlob()));
}

void VELMO::CreateControls(Object* self) {
  Ref<Object> window = Ref<Object>::retain(self);
  fw::callMethod<void>(window.get(), methodSlot("_CreateControls0"));
  fw::callMethod<void>(window.get(), methodSlot("_CreateControls1"));
}
