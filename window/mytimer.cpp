#include "window/mytimer.h"

#include <array>

#include "framework/runtime/reflection.h"

namespace {

ClassTable* table = nullptr;

Object* newMytimer(ClassTable* cls) { return new VELMO::Mytimer(cls); }

VELMO::Mytimer& instance(Object* self) {
  auto* timer = dynamic_cast<VELMO::Mytimer*>(self);
  if (timer == nullptr) RaiseNilObjectException();
  return *timer;
}

using M = VELMO::Mytimer;

struct OwnMethod {
  const char* name;
  const char* signature;
  MethodSlot slot;
  bool hidden;
};

// The class's own methods, in method-table order (VELMO::Mytimer::Slot).
// name           signature       function                                  hidden
const std::array<OwnMethod, 5> kOwn = {{
    {"_SetWindow", "%%o<Window>", fw::slot(&M::_SetWindow, "%%o<Window>"), true},
    {"Window", "%o<Window>%", fw::slot(&M::Window, "%o<Window>%"), false},
    {"_Index", "%i4%", fw::slot(&M::_Index, "%i4%"), true},
    {"_SetIndex", "%%i4", fw::slot(&M::_SetIndex, "%%i4"), true},
    {"Constructor", "%%", fw::slot(&M::Constructor, "%%"), false},
}};

static_assert(std::tuple_size_v<decltype(kOwn)> ==
                  std::size_t{M::Slot::kEnd} - std::size_t{TimerSlot::kCount},
              "one row per own slot");

Invoker invokerOf(std::size_t i) {
  switch (i) {
    case 0: return Introspection::Invoke<void, Object*>;
    case 1: return Introspection::Invoke<Object*>;
    case 2: return Introspection::Invoke<int32_t>;
    case 3: return Introspection::Invoke<void, int32_t>;
    default: return Introspection::Invoke<void>;
  }
}

}  // namespace

void VELMO::Mytimer::__ctblinit() {
  if (table != nullptr) return;
  ClassTable* parent = Timer::__Lookup();
  const auto n = [](const auto& v) { return static_cast<int32_t>(v.size()); };
  table = RuntimeNewClass(parent, n(parent->members) + n(kOwn), n(parent->interfaces) + 1,
                          n(parent->events), 0, n(parent->properties) + 2, 1);
  table->name = "VELMO.Mytimer";
  table->factory = newMytimer;
  table->exitHook = &M::__Exit;
  table->attributes[0] = fw::scopeAttribute("Private");

  table->methods = RuntimeNewVtable(static_cast<int32_t>(TimerSlot::kCount + kOwn.size()));
  for (std::size_t i = 0; i < TimerSlot::kCount; ++i) table->methods[i] = parent->methods[i];
  const std::size_t firstMember = table->members.size() - kOwn.size();
  for (std::size_t i = 0; i < kOwn.size(); ++i) {
    table->methods[TimerSlot::kCount + i] = kOwn[i].slot;
    MemberEntry& m = table->members[firstMember + i];
    m.name = kOwn[i].name;
    m.flags = kFlagPublic;
    AttributeList& attrs = RuntimeAllocateAttributeTable(table, m, kOwn[i].hidden ? 2 : 1);
    attrs[0] = fw::scopeAttribute("Public");
    if (kOwn[i].hidden) attrs[1] = fw::hiddenAttribute();
    m.signature = kOwn[i].signature;
    m.function = kOwn[i].slot.fn;
    m.invoker = invokerOf(i);
  }

  const std::size_t firstProperty = table->properties.size() - 2;
  PropertyEntry& index = table->properties[firstProperty];
  index.name = "Index";
  index.flags = kFlagPublic | kFlagSettable;
  index.attributes = {fw::scopeAttribute("Public")};
  index.typeCode = "i4";
  index.get = index.introspectionGet = fw::fieldGet<&M::Index>;
  index.set = index.introspectionSet = fw::fieldSet<&M::Index>;
  PropertyEntry& owner = table->properties[firstProperty + 1];
  owner.name = "ownerWindow";
  owner.flags = kFlagSettable;
  owner.attributes = {fw::scopeAttribute("Private")};
  owner.typeCode = "o<Window>";
  owner.get = owner.introspectionGet = fw::fieldGet<&M::ownerWindow>;
  owner.set = owner.introspectionSet = fw::fieldSet<&M::ownerWindow>;

  // actionSource comes first with Timer's own methods (inherited record), then _PaneChild.
  InterfaceRecord& pane = table->interfaces.back();
  pane.interface = _PaneChild__Lookup();
  pane.methodCount = static_cast<int32_t>(PaneChildSlot::kCount);
  pane.methods = RuntimeNewVtable(pane.methodCount);
  for (std::size_t i = 0; i < PaneChildSlot::kCount; ++i) pane.methods[i] = kOwn[i].slot;
}

ClassTable* VELMO::Mytimer::__Lookup() {
  if (table == nullptr) __ctblinit();
  return table;
}

void VELMO::Mytimer::__Exit(Object* self) { instance(self).ownerWindow = nullptr; }

void VELMO::Mytimer::_SetWindow(Object* self, Object* w) {
  instance(self).ownerWindow = Ref<Object>::retain(w);
}

Object* VELMO::Mytimer::Window(Object* self) {
  return Ref<Object>(instance(self).ownerWindow).release();
}

int32_t VELMO::Mytimer::_Index(Object* self) { return instance(self).Index; }

void VELMO::Mytimer::_SetIndex(Object* self, int32_t i) { instance(self).Index = i; }

void VELMO::Mytimer::Constructor(Object*) {}
