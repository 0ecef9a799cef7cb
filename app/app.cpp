#include "app/app.h"

#include <array>
#include <string_view>

#include "framework/runtime/int32.h"
#include "framework/runtime/reflection.h"
#include "window/lookup.h"
#include "window/note_steps.h"
#include "window/velmo.h"

namespace {

ClassTable* table = nullptr;

Object* newApp(ClassTable* cls) { return new struct App(cls); }

struct StateProperty {
  std::string_view name;
  PropertyGetter get;
  PropertySetter set;
};

// The playing state, in declaration order.
// name            getter                                   setter
const std::array<StateProperty, 4> kState = {{
    {"MyInstrument", fw::fieldGet<&App::MyInstrument>, fw::fieldSet<&App::MyInstrument>},
    {"MyPitch", fw::fieldGet<&App::MyPitch>, fw::fieldSet<&App::MyPitch>},
    {"MyVelocity", fw::fieldGet<&App::MyVelocity>, fw::fieldSet<&App::MyVelocity>},
    {"LastPitch", fw::fieldGet<&App::LastPitch>, fw::fieldSet<&App::LastPitch>},
}};

}  // namespace

void App::__ctblinit() {
  if (table != nullptr) return;
  ClassTable* parent = Application::__Lookup();
  const auto inherited = [](const auto& v) { return static_cast<int32_t>(v.size()); };
  table = RuntimeNewClass(parent, inherited(parent->members) + 1, inherited(parent->interfaces),
                          inherited(parent->events), 0,
                          inherited(parent->properties) + static_cast<int32_t>(kState.size()), 0);
  table->name = "App";
  table->factory = newApp;

  // Application's methods unchanged, then the one of App's own.
  table->methods = RuntimeNewVtable(static_cast<int32_t>(ApplicationSlot::kCount) + 1);
  for (std::size_t i = 0; i < ApplicationSlot::kCount; ++i) table->methods[i] = parent->methods[i];
  table->methods[ApplicationSlot::kCount] = fw::slot(&App::Event_Open, "%%");

  MemberEntry& open = table->members.back();
  open.name = "Event_Open";
  open.flags = kFlagPublic;
  RuntimeAllocateAttributeTable(table, open, 1)[0] = fw::scopeAttribute("Public");
  open.signature = "%%";
  open.function = reinterpret_cast<AnyFunction>(&App::Event_Open);
  open.invoker = Introspection::Invoke<void>;

  table->events[static_cast<std::size_t>(fw::findEvent(table, "Open"))].handler =
      reinterpret_cast<AnyFunction>(&App::Event_Open);

  const std::size_t first = table->properties.size() - kState.size();
  for (std::size_t i = 0; i < kState.size(); ++i) {
    PropertyEntry& p = table->properties[first + i];
    p.name = String(kState[i].name);
    p.flags = kFlagPublic | kFlagSettable;
    p.attributes = {fw::scopeAttribute("Public")};
    p.typeCode = "i4";
    p.get = p.introspectionGet = kState[i].get;
    p.set = p.introspectionSet = kState[i].set;
  }
}

ClassTable* App::__Lookup() {
  if (table == nullptr) __ctblinit();
  return table;
}

Ref<struct App> App() {
  Ref<Object> app = _GetAppObject();
  return RuntimeCheckCast<struct App>(app.get(), App::__Lookup());
}

void _NewAppInstance() {
  Ref<Object> app = RuntimeNewObject(App::__Lookup());
  _RuntimeRegisterAppObject(app.get());
}

void App::Event_Open(Object*) {
  note_steps::noteOff(VELMO().get());
  Ref<Window> window = VELMO();
  auto popup = findControl<PopupMenu>(window.get(), "MusicPopupMenu");
  fw::nonNil(::App())->MyInstrument = fw::int32Add(popup->ListIndex(), 1);
}
