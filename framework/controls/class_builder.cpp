#include "framework/controls/class_builder.h"

#include "framework/controls/control_impl.h"
#include "framework/controls/controls.h"
#include "framework/controls/timer_impl.h"
#include "framework/controls/window.h"
#include "framework/controls/window_impl.h"

namespace fw::build {
namespace {

int32_t count(std::size_t n) {
  return static_cast<int32_t>(n);
}

void fillProperty(PropertyEntry& e, const PropRow& row) {
  e.name = String(row.name);
  e.typeCode = String(row.type);
  e.flags = (row.isPublic ? kFlagPublic : 0) | (row.set ? kFlagSettable : 0);
  e.attributes = {scopeAttribute(row.isPublic ? "Public" : "Private")};
  e.get = row.get;
  e.set = row.set;
  e.introspectionGet = row.get;
  e.introspectionSet = row.set;
}

Value defaultFor(std::string_view type) {
  if (type == "i4") return int32_t{0};
  if (type == "b") return false;
  if (type == "c") return Color{};
  if (type == "s") return String();
  if (type == "r4") return 0.0f;
  if (type == "u1") return uint8_t{0};
  return Ref<Object>();
}

}  // namespace

ClassTable* makeClass(const ClassShape& shape) {
  const ClassTable& p = *shape.parent;
  ClassTable* t = RuntimeNewClass(
      shape.parent, count(p.members.size()), count(p.interfaces.size() + shape.interfaces.size()),
      count(p.events.size() + shape.events.size()), 0,
      count(p.properties.size() + shape.properties.size() + shape.shared.size() + shape.stored.size()),
      1);
  t->name = String(shape.name);
  t->attributes[0] = scopeAttribute("Public");
  t->methods = p.methods;
  t->methods.insert(t->methods.end(), shape.methods.begin(), shape.methods.end());
  std::size_t e = p.events.size();
  for (const char* name : shape.events) t->events[e++].name = String(name);
  std::size_t i = p.properties.size();
  for (const auto& row : shape.properties) fillProperty(t->properties[i++], row);
  for (const auto& row : shape.shared) fillProperty(t->properties[i++], row);
  for (const auto& row : shape.stored) fillProperty(t->properties[i++], row);
  std::size_t r = p.interfaces.size();
  for (ClassTable* iface : shape.interfaces) {
    InterfaceRecord& rec = t->interfaces[r++];
    rec.interface = iface;
    rec.methodCount = count(iface->methods.size());
    rec.methods = RuntimeNewVtable(rec.methodCount);
  }
  if (shape.factory) t->factory = shape.factory;
  return t;
}

Value PropertyBag::get(std::string_view name, std::string_view type) const {
  for (const auto& [key, value] : values_)
    if (key == name) return value;
  return defaultFor(type);
}

void PropertyBag::set(std::string_view name, std::string_view type, const Value& v) {
  if (v.index() != defaultFor(type).index())
    throw IllegalCastException("the property \"" + std::string(name) +
                               "\" was given a value of the wrong type");
  for (auto& [key, value] : values_)
    if (key == name) {
      value = v;
      return;
    }
  values_.emplace_back(std::string(name), v);
}

PropertyBag& bagOf(Object* o) {
  if (o == nullptr) RaiseNilObjectException();
  if (auto* w = dynamic_cast<Window*>(o)) return w->impl().bag;
  if (auto* c = dynamic_cast<Control*>(o)) return c->impl().bag;
  if (auto* t = dynamic_cast<Timer*>(o)) return t->impl().bag;
  throw IllegalCastException("an object of class " + o->classTable()->name.str() +
                             " keeps no framework properties");
}

}  // namespace fw::build
