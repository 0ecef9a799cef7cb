// Class tables: the build-once pattern, inheritance of entries, calls through the method
// table and the finders.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/runtime/class_table.h"
#include "tests/framework/runtime_test_classes.h"

namespace {

// A base class and a subclass built the way the program's classes are built: a __Lookup
// that builds on first use and a __ctblinit that does nothing once the table exists.

int32_t baseArea(Object*) {
  return 1;
}
int32_t baseScaled(Object*, int32_t k) {
  return 10 * k;
}
int32_t derivedScaled(Object*, int32_t k) {
  return 100 * k;
}
bool derivedHit(Object*, int32_t x, int32_t y) {
  return x == y;
}
void baseDraw(Object*) {}
void baseOpen(Object*) {}
void derivedClose(Object*) {}
void derivedKeyDown(Object*) {}

ClassTable* drawable() {
  static ClassTable* t = fw::newInterface("Drawable", 1);
  return t;
}

ClassTable* gBase = nullptr;
ClassTable* gDerived = nullptr;
int gBaseBuilds = 0;
int gDerivedBuilds = 0;

void Base__ctblinit() {
  if (gBase != nullptr) return;
  ++gBaseBuilds;
  // 2 members, 1 interface, 3 events, 2 properties, 1 class attribute.
  gBase = RuntimeNewClass(fw::objectClass(), 2, 1, 3, 0, 2, 1);
  gBase->name = "Base";
  gBase->methods = RuntimeNewVtable(2);
  gBase->methods[0] = fw::slot(baseArea, "%i4%");
  gBase->methods[1] = fw::slot(baseScaled, "%i4%i4");
  gBase->members[0] = MemberEntry{
      "Area", kFlagPublic, {}, "%i4%", reinterpret_cast<AnyFunction>(baseArea), nullptr};
  gBase->members[1] = MemberEntry{
      "Scaled", kFlagPublic, {}, "%i4%i4", reinterpret_cast<AnyFunction>(baseScaled), nullptr};
  gBase->events[0] = EventEntry{"Open", reinterpret_cast<AnyFunction>(baseOpen)};
  gBase->events[1] = EventEntry{"Close", nullptr};
  gBase->events[2] = EventEntry{"KeyDown", nullptr};
  gBase->properties[0].name = "Width";
  gBase->properties[0].typeCode = "i4";
  gBase->properties[0].flags = kFlagPublic | kFlagSettable;
  gBase->properties[1].name = "Title";
  gBase->properties[1].typeCode = "s";
  gBase->properties[1].flags = kFlagPublic;
  gBase->interfaces[0] = InterfaceRecord{drawable(), 1, {fw::slot(baseDraw, "%%")}};
  gBase->attributes[0] = fw::scopeAttribute("Public");
}

ClassTable* Base__Lookup() {
  if (gBase == nullptr) Base__ctblinit();
  return gBase;
}

void Derived__ctblinit() {
  if (gDerived != nullptr) return;
  ++gDerivedBuilds;
  ClassTable* parent = Base__Lookup();
  // Counts include the inherited entries: 2 + 1 members, 1 interface, 3 + 1 events,
  // 2 + 1 properties.
  gDerived = RuntimeNewClass(parent, 3, 1, 4, 0, 3, 1);
  gDerived->name = "Derived";
  gDerived->methods = RuntimeNewVtable(4);
  for (std::size_t i = 0; i < parent->methods.size(); ++i)
    gDerived->methods[i] = parent->methods[i];
  gDerived->methods[1] = fw::slot(derivedScaled, "%i4%i4");  // overrides Scaled
  gDerived->methods[2] = fw::slot(derivedHit, "%b%i4i4");
  // Slot 3 stays empty on purpose.
  gDerived->members[2] = MemberEntry{
      "Scaled", kFlagPublic, {}, "%i4%i4", reinterpret_cast<AnyFunction>(derivedScaled), nullptr};
  gDerived->events[1].handler = reinterpret_cast<AnyFunction>(derivedClose);
  gDerived->events[3] = EventEntry{"KeyDown", reinterpret_cast<AnyFunction>(derivedKeyDown)};
  gDerived->properties[2].name = "Title";
  gDerived->properties[2].typeCode = "s";
  gDerived->properties[2].flags = kFlagPublic | kFlagSettable;
  gDerived->attributes[0] = fw::scopeAttribute("Public");
}

ClassTable* Derived__Lookup() {
  if (gDerived == nullptr) Derived__ctblinit();
  return gDerived;
}

// What a second build could disturb: the table's identity and every entry's content.
struct Snapshot {
  const ClassTable* table;
  std::vector<AnyFunction> methods;
  std::vector<std::string> members;
  std::vector<AnyFunction> handlers;
  std::size_t properties;
  std::size_t interfaces;
  bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const ClassTable* t) {
  Snapshot s{t, {}, {}, {}, t->properties.size(), t->interfaces.size()};
  for (const auto& m : t->methods) s.methods.push_back(m.fn);
  for (const auto& m : t->members) s.members.push_back(m.name.str());
  for (const auto& e : t->events) s.handlers.push_back(e.handler);
  return s;
}

TEST(RuntimeClassTable, LookupBuildsOnceAndASecondBuildChangesNothing) {
  ClassTable* first = Derived__Lookup();
  const Snapshot before = snapshot(first);
  const Snapshot parentBefore = snapshot(gBase);

  Base__ctblinit();
  Derived__ctblinit();
  EXPECT_EQ(Derived__Lookup(), first);
  EXPECT_EQ(snapshot(first), before);
  EXPECT_EQ(snapshot(gBase), parentBefore);
  EXPECT_EQ(gBaseBuilds, 1);
  EXPECT_EQ(gDerivedBuilds, 1);
}

TEST(RuntimeClassTable, NewClassCopiesInheritedEntriesFirstAndSizesTheRest) {
  ClassTable* parent = Base__Lookup();
  ClassTable* t = RuntimeNewClass(parent, 5, 2, 6, 0, 4, 3);
  EXPECT_EQ(t->parent, parent);
  ASSERT_EQ(t->members.size(), 5u);
  ASSERT_EQ(t->interfaces.size(), 2u);
  ASSERT_EQ(t->events.size(), 6u);
  ASSERT_EQ(t->properties.size(), 4u);
  EXPECT_EQ(t->attributes.size(), 3u);

  EXPECT_EQ(t->members[0].name, "Area");
  EXPECT_EQ(t->members[1].name, "Scaled");
  EXPECT_TRUE(t->members[2].name.empty());
  EXPECT_EQ(t->interfaces[0].interface, drawable());
  EXPECT_EQ(t->interfaces[0].methods.size(), 1u);
  EXPECT_EQ(t->interfaces[1].interface, nullptr);
  EXPECT_EQ(t->events[0].name, "Open");
  EXPECT_EQ(t->events[0].handler, reinterpret_cast<AnyFunction>(baseOpen));
  EXPECT_EQ(t->events[2].name, "KeyDown");
  EXPECT_TRUE(t->events[3].name.empty());
  EXPECT_EQ(t->properties[1].name, "Title");
  EXPECT_TRUE(t->properties[2].name.empty());
  // The class attributes are the class's own, never inherited.
  EXPECT_TRUE(t->attributes[0].name.empty());

  // The entries are copies: filling a handler in the child leaves the parent alone.
  t->events[1].handler = reinterpret_cast<AnyFunction>(derivedClose);
  EXPECT_EQ(parent->events[1].handler, nullptr);
}

TEST(RuntimeClassTable, NewClassRefusesFewerEntriesThanInherited) {
  ClassTable* parent = Base__Lookup();
  EXPECT_THROW(RuntimeNewClass(parent, 1, 1, 3, 0, 2, 0), RuntimeException);
  EXPECT_THROW(RuntimeNewClass(parent, 2, 1, 3, 0, -1, 0), RuntimeException);
  EXPECT_TRUE(RuntimeNewVtable(-3).empty());
}

TEST(RuntimeClassTable, MethodTableHoldsParentFunctionsFirstThenOwn) {
  const ClassTable* t = Derived__Lookup();
  ASSERT_EQ(t->methods.size(), 4u);
  EXPECT_EQ(t->methods[0].fn, reinterpret_cast<AnyFunction>(baseArea));
  EXPECT_EQ(t->methods[1].fn, reinterpret_cast<AnyFunction>(derivedScaled));
  EXPECT_EQ(t->methods[2].fn, reinterpret_cast<AnyFunction>(derivedHit));
}

TEST(RuntimeClassTable, CallThroughTheMethodTableReachesTheClassesFunction) {
  Ref<Object> base = RuntimeNewObject(Base__Lookup());
  Ref<Object> derived = RuntimeNewObject(Derived__Lookup());
  EXPECT_EQ((fw::callMethod<int32_t>(base.get(), 0)), 1);
  EXPECT_EQ((fw::callMethod<int32_t>(derived.get(), 0)), 1);
  EXPECT_EQ((fw::callMethod<int32_t, int32_t>(base.get(), 1, 3)), 30);
  EXPECT_EQ((fw::callMethod<int32_t, int32_t>(derived.get(), 1, 3)), 300);
  EXPECT_TRUE((fw::callMethod<bool, int32_t, int32_t>(derived.get(), 2, 4, 4)));
  EXPECT_FALSE((fw::callMethod<bool, int32_t, int32_t>(derived.get(), 2, 4, 5)));
}

TEST(RuntimeClassTable, BadCallsRaiseIllegalCastNeverCall) {
  Ref<Object> derived = RuntimeNewObject(Derived__Lookup());
  Object* o = derived.get();
  // Wrong result, wrong parameter type, missing or extra parameters.
  EXPECT_THROW(fw::callMethod<void>(o, 0), IllegalCastException);
  EXPECT_THROW((fw::callMethod<int32_t, double>(o, 1, 1.0)), IllegalCastException);
  EXPECT_THROW(fw::callMethod<int32_t>(o, 1), IllegalCastException);
  EXPECT_THROW((fw::callMethod<bool, int32_t, int32_t, int32_t>(o, 2, 1, 2, 3)),
               IllegalCastException);
  // Empty slot, just past the end, far past the end.
  EXPECT_THROW(fw::callMethod<void>(o, 3), IllegalCastException);
  EXPECT_THROW(fw::callMethod<void>(o, 4), IllegalCastException);
  EXPECT_THROW(fw::callMethod<void>(o, static_cast<std::size_t>(-1)), IllegalCastException);
  EXPECT_THROW(fw::callMethod<void>(nullptr, 0), NilObjectException);

  try {
    fw::callMethod<void>(o, 1);
    FAIL() << "no exception";
  } catch (const IllegalCastException& e) {
    EXPECT_NE(std::string(e.what()).find("%i4%i4"), std::string::npos) << e.what();
  }
}

TEST(RuntimeClassTable, SlotWithoutUsableSignatureIsNeverCalled) {
  ClassTable* t = RuntimeNewClass(fw::objectClass(), 0, 0, 0, 0, 0, 0);
  t->name = "Unsigned";
  t->methods = RuntimeNewVtable(3);
  t->methods[0] = MethodSlot{reinterpret_cast<AnyFunction>(baseArea), ""};
  t->methods[1] = MethodSlot{reinterpret_cast<AnyFunction>(baseArea), "i4"};
  // A signature made at run time outlives the string it was made from.
  t->methods[2] = fw::slot(baseScaled, std::string("%i4%") + "i4");
  Ref<Object> o = RuntimeNewObject(t);
  EXPECT_THROW(fw::callMethod<int32_t>(o.get(), 0), IllegalCastException);
  EXPECT_THROW(fw::callMethod<int32_t>(o.get(), 1), IllegalCastException);
  EXPECT_EQ((fw::callMethod<int32_t, int32_t>(o.get(), 2, 2)), 20);
}

TEST(RuntimeClassTable, ObjectCodesMatchAnyNamedClass) {
  EXPECT_TRUE(fw::signaturesMatch("%o<Slider>%s", "%o%s"));
  EXPECT_TRUE(fw::signaturesMatch("%%o<VELMO.Mytimer>i4", "%%oi4"));
  EXPECT_FALSE(fw::signaturesMatch("%o<Slider>%s", "%o%"));
  EXPECT_FALSE(fw::signaturesMatch("%b%i4i4", "%b%i4"));
  EXPECT_EQ(fw::signatureCodes("%i4%i4i4i4"), (std::vector<std::string>{"i4", "i4", "i4", "i4"}));
  EXPECT_EQ(fw::signatureCodes("%o<Slider>%s"), (std::vector<std::string>{"o<Slider>", "s"}));
  EXPECT_EQ(fw::signatureCodes("%%"), (std::vector<std::string>{""}));
}

TEST(RuntimeClassTable, AttributeListsOfMembersAndScopes) {
  ClassTable* t = Derived__Lookup();
  MemberEntry entry;
  AttributeList& list = RuntimeAllocateAttributeTable(t, entry, 2);
  EXPECT_EQ(&list, &entry.attributes);
  ASSERT_EQ(list.size(), 2u);
  list[0] = fw::scopeAttribute("Public");
  list[1] = fw::hiddenAttribute();

  EXPECT_EQ(entry.attributes[0].name, "__Scope");
  EXPECT_TRUE(entry.attributes[0].hasValue);
  EXPECT_EQ(entry.attributes[0].value, "Public");
  EXPECT_TRUE(entry.attributes[0].flag);
  EXPECT_EQ(entry.attributes[1].name, "Hidden");
  EXPECT_FALSE(entry.attributes[1].hasValue);
  EXPECT_TRUE(entry.attributes[1].value.empty());
  EXPECT_FALSE(entry.attributes[1].flag);
  EXPECT_EQ(fw::scopeAttribute("Private").value, "Private");
  EXPECT_EQ(t->attributes.at(0).name, "__Scope");
}

TEST(RuntimeClassTable, FindersSeeInheritedEntriesAndOwnOnesWin) {
  const ClassTable* t = Derived__Lookup();
  const PropertyEntry* width = fw::findProperty(t, "Width");
  ASSERT_NE(width, nullptr);
  EXPECT_EQ(width->typeCode, "i4");
  const PropertyEntry* title = fw::findProperty(t, "Title");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->flags, kFlagPublic | kFlagSettable);  // the own, writable Title
  EXPECT_EQ(fw::findProperty(Base__Lookup(), "Title")->flags, kFlagPublic);
  EXPECT_EQ(fw::findProperty(t, "title"), nullptr);  // names are case-sensitive

  ASSERT_NE(fw::findMember(t, "Area"), nullptr);
  EXPECT_EQ(fw::findMember(t, "Scaled")->function, reinterpret_cast<AnyFunction>(derivedScaled));
  EXPECT_EQ(fw::findMember(t, "Missing"), nullptr);

  EXPECT_EQ(fw::findEvent(t, "Open"), 0);
  EXPECT_EQ(t->events[static_cast<std::size_t>(fw::findEvent(t, "Close"))].handler,
            reinterpret_cast<AnyFunction>(derivedClose));
  EXPECT_EQ(fw::findEvent(t, "KeyDown"), 3);
  EXPECT_EQ(fw::findEvent(Base__Lookup(), "KeyDown"), 2);
  EXPECT_EQ(fw::findEvent(t, "MouseUp"), -1);
}

TEST(RuntimeClassTable, InheritanceAndInterfaces) {
  EXPECT_TRUE(fw::inheritsFrom(Derived__Lookup(), Base__Lookup()));
  EXPECT_TRUE(fw::inheritsFrom(Derived__Lookup(), fw::objectClass()));
  EXPECT_FALSE(fw::inheritsFrom(Base__Lookup(), Derived__Lookup()));
  EXPECT_TRUE(fw::implements(Derived__Lookup(), drawable()));
  EXPECT_FALSE(fw::implements(fw::objectClass(), drawable()));
  const InterfaceRecord* r = fw::findInterface(Derived__Lookup(), drawable());
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->methods.at(0).fn, reinterpret_cast<AnyFunction>(baseDraw));
  EXPECT_THROW(RuntimeNewObject(drawable()), RuntimeException);
  EXPECT_THROW(RuntimeNewObject(nullptr), NilObjectException);
}

}  // namespace

namespace runtime_test {
ClassTable* baseClass() {
  return Base__Lookup();
}
ClassTable* derivedClass() {
  return Derived__Lookup();
}
ClassTable* drawableInterface() {
  return drawable();
}
}  // namespace runtime_test
