#include "tests/framework/runtime_test_classes.h"

#include <iterator>

#include "framework/runtime/value.h"

namespace runtime_test {
namespace {

Gadget& self(Object* o) {
  return *static_cast<Gadget*>(o);
}

Object* newGadget(ClassTable* cls) {
  return new Gadget(cls);
}
Object* newProcGadget(ClassTable* cls) {
  return new ProcGadget(cls);
}

Value noValue(Object*) {
  return {};
}

struct PropertyRow {
  std::string_view name;
  std::string_view typeCode;
  PropertySetter set;  // null: read-only
};

// name             type  setter
constexpr PropertyRow kGadgetProperties[] = {
    {"Name", "s", [](Object* o, const Value& v) { self(o).name = fw::unbox<String>(v); }},
    {"Index", "i4", [](Object* o, const Value& v) { self(o).index = fw::unbox<int32_t>(v); }},
    {"MaxWidth", "i4", [](Object* o, const Value& v) { self(o).maxWidth = fw::unbox<int32_t>(v); }},
    {"Visible", "b", [](Object* o, const Value& v) { self(o).visible = fw::unbox<bool>(v); }},
    {"Width", "b", [](Object* o, const Value& v) { self(o).widthFlag = fw::unbox<bool>(v); }},
    {"BackColor", "c", [](Object* o, const Value& v) { self(o).backColor = fw::unbox<Color>(v); }},
    {"Title", "s", [](Object* o, const Value& v) { self(o).title = fw::unbox<String>(v); }},
    {"Caption", "s", [](Object* o, const Value& v) { self(o).caption = fw::unbox<String>(v); }},
    {"HelpTag", "s", [](Object* o, const Value& v) { self(o).helpTag = fw::unbox<String>(v); }},
    {"InitialValue", "s",
     [](Object* o, const Value& v) { self(o).initialValue = fw::unbox<String>(v); }},
    {"Enabled", "b", nullptr},
};

void fill(PropertyEntry& entry, const PropertyRow& row) {
  entry.name = String(row.name);
  entry.flags = kFlagPublic | (row.set ? kFlagSettable : 0);
  entry.typeCode = String(row.typeCode);
  entry.get = noValue;
  entry.set = row.set;
}

}  // namespace

ClassTable* Gadget::__Lookup() {
  static ClassTable* table = [] {
    constexpr auto count = static_cast<int32_t>(std::size(kGadgetProperties));
    ClassTable* t = RuntimeNewClass(fw::objectClass(), 0, 0, 0, 0, count, 0);
    t->name = "Gadget";
    t->factory = newGadget;
    for (std::size_t i = 0; i < std::size(kGadgetProperties); ++i)
      fill(t->properties[i], kGadgetProperties[i]);
    return t;
  }();
  return table;
}

ClassTable* ProcGadget::__Lookup() {
  static ClassTable* table = [] {
    ClassTable* parent = Gadget::__Lookup();
    const auto inherited = static_cast<int32_t>(parent->properties.size());
    ClassTable* t = RuntimeNewClass(parent, 0, 0, 0, 0, inherited + 1, 0);
    t->name = "ProcGadget";
    t->factory = newProcGadget;
    fill(t->properties.back(), PropertyRow{"MacProcID", "i4", [](Object* o, const Value& v) {
                                             self(o).macProcId = fw::unbox<int32_t>(v);
                                           }});
    return t;
  }();
  return table;
}

}  // namespace runtime_test
