#pragma once
// Class tables: the registration record of every class, framework's and program's alike.
// A table holds the class name, the parent's table, the method table (parent's methods
// first, own appended), member, event and property tables, interface records and the
// class's own attribute list. Tables are built once and live until the process ends.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "framework/runtime/exceptions.h"
#include "framework/runtime/object.h"
#include "framework/runtime/string.h"
#include "framework/runtime/value.h"

// "__Scope" = "Public" has a value and the flag True; "Hidden" has no value and False.
struct Attribute {
  String name;
  String value;
  bool hasValue = false;
  bool flag = false;
};
using AttributeList = std::vector<Attribute>;

// One slot of a method table: the function and the signature it was stored with, so a
// call through the table can check that it calls what it thinks it calls. The signature
// must outlive the table: a literal, or a slot made by fw::slot, which keeps a copy.
struct MethodSlot {
  AnyFunction fn = nullptr;
  std::string_view signature;
};
using MethodTable = std::vector<MethodSlot>;

// Takes the arguments as a generic list, calls the function, boxes the result.
using Invoker = Value (*)(AnyFunction fn, Object* self, std::span<const Value> args);

inline constexpr int32_t kFlagPublic = 1;
inline constexpr int32_t kFlagSettable = 4;

struct MemberEntry {
  String name;
  int32_t flags = 0;
  AttributeList attributes;
  String signature;
  AnyFunction function = nullptr;
  Invoker invoker = nullptr;
};

struct EventEntry {
  String name;
  AnyFunction handler = nullptr;  // null: the class does not handle the event
};

using PropertyGetter = Value (*)(Object*);
using PropertySetter = void (*)(Object*, const Value&);

struct PropertyEntry {
  String name;
  int32_t flags = 0;  // 1 public, 4 with a setter: 5 public and writable
  AttributeList attributes;
  String typeCode;  // "i4", "b", "c", "s", "r4", "u1", "o<Class>"
  PropertyGetter get = nullptr;
  PropertySetter set = nullptr;
  PropertyGetter introspectionGet = nullptr;
  PropertySetter introspectionSet = nullptr;
};

struct InterfaceRecord {
  ClassTable* interface = nullptr;
  int32_t methodCount = 0;
  MethodTable methods;
};

using ObjectFactory = Object* (*)(ClassTable*);
using ExitHook = void (*)(Object*);

struct ClassTable {
  String name;
  ClassTable* parent = nullptr;
  MethodTable methods;
  std::vector<MemberEntry> members;
  std::vector<EventEntry> events;
  std::vector<PropertyEntry> properties;
  std::vector<InterfaceRecord> interfaces;
  AttributeList attributes;
  ObjectFactory factory = nullptr;  // inherited from the parent unless the class sets its own
  ExitHook exitHook = nullptr;      // this class's own clean-up hook, run before the parent's
  bool isInterface = false;
};

// A new class table. The counts include the inherited entries: the parent's members,
// interface records, events and properties are copied into the first places, and the
// caller fills the rest. The table lives until the process ends.
ClassTable* RuntimeNewClass(ClassTable* parent, int32_t memberCount, int32_t interfaceCount,
                            int32_t eventCount, int32_t reserved, int32_t propertyCount,
                            int32_t classAttributeCount);
MethodTable RuntimeNewVtable(int32_t count);
// Sizes the attribute list of one member entry and returns it for the caller to fill.
AttributeList& RuntimeAllocateAttributeTable(ClassTable* cls, MemberEntry& entry, int32_t count);

// A new instance of the class, as a new reference.
Ref<Object> RuntimeNewObject(ClassTable* cls);

namespace fw {

// The root class of every object.
ClassTable* objectClass();
// A class table for an interface (no instances, no parent).
ClassTable* newInterface(std::string_view name, int32_t methodCount);

bool inheritsFrom(const ClassTable* cls, const ClassTable* ancestor);
bool implements(const ClassTable* cls, const ClassTable* interface);
const PropertyEntry* findProperty(const ClassTable* cls, std::string_view name);
const MemberEntry* findMember(const ClassTable* cls, std::string_view name);
// Index in the event table; -1 when the class has none. Like the finders above, a
// class's own entry wins over an inherited one of the same name.
int findEvent(const ClassTable* cls, std::string_view name);
const InterfaceRecord* findInterface(const ClassTable* cls, const ClassTable* interface);

// Attribute helpers for builders.
Attribute scopeAttribute(std::string_view scope);  // "__Scope" = scope, flag True
Attribute hiddenAttribute();                       // "Hidden", no value, flag False

// The type codes of a signature ("%b%i4i4" -> result "b", parameters "i4", "i4").
std::vector<std::string> signatureCodes(std::string_view signature);
bool signaturesMatch(std::string_view stored, std::string_view expected);

// Codes of C++ types, for checking a call against a stored signature.
// clang-format off
template <class T> constexpr std::string_view typeCode();
template <> constexpr std::string_view typeCode<void>() { return ""; }
template <> constexpr std::string_view typeCode<bool>() { return "b"; }
template <> constexpr std::string_view typeCode<int32_t>() { return "i4"; }
template <> constexpr std::string_view typeCode<double>() { return "f8"; }
template <> constexpr std::string_view typeCode<float>() { return "r4"; }
template <> constexpr std::string_view typeCode<uint8_t>() { return "u1"; }
template <> constexpr std::string_view typeCode<Color>() { return "c"; }
template <> constexpr std::string_view typeCode<const String&>() { return "s"; }
template <> constexpr std::string_view typeCode<String>() { return "s"; }
template <> constexpr std::string_view typeCode<Object*>() { return "o"; }
template <> constexpr std::string_view typeCode<ClassTable*>() { return "t"; }
// clang-format on

template <class R, class... A>
std::string signatureOf() {
  std::string s = "%";
  s += typeCode<R>();
  s += "%";
  ((s += typeCode<A>()), ...);
  return s;
}

// Calls slot `index` of the object's method table as R(Object*, A...). A slot that is
// empty, out of range, or stored with another signature raises IllegalCastException.
// The parameter types are never deduced: the caller names them, as the method declares them.
template <class R, class... A>
R callMethod(Object* self, std::size_t index, std::type_identity_t<A>... args) {
  if (self == nullptr) RaiseNilObjectException();
  const MethodTable& table = self->classTable()->methods;
  if (index >= table.size() || table[index].fn == nullptr)
    throw IllegalCastException("no method in slot " + std::to_string(index));
  if (!signaturesMatch(table[index].signature, signatureOf<R, A...>()))
    throw IllegalCastException("method slot " + std::to_string(index) + " holds " +
                               std::string(table[index].signature) + ", called as " +
                               signatureOf<R, A...>());
  return reinterpret_cast<R (*)(Object*, A...)>(table[index].fn)(self, args...);
}

// A copy of the signature text that lives until the process ends, so a slot never refers
// to a temporary string.
std::string_view internSignature(std::string_view signature);

template <class R, class... A>
MethodSlot slot(R (*fn)(Object*, A...), std::string_view signature) {
  return MethodSlot{reinterpret_cast<AnyFunction>(fn), internSignature(signature)};
}

}  // namespace fw

// The object as a member of the class (or an implementer of the interface), as a new
// reference of C++ type T. Nil stays nil; any other mismatch raises IllegalCastException.
template <class T>
Ref<T> RuntimeCheckCast(Object* o, ClassTable* cls) {
  if (o == nullptr) return nullptr;
  if (!fw::inheritsFrom(o->classTable(), cls) && !fw::implements(o->classTable(), cls))
    throw IllegalCastException("an object of class " + o->classTable()->name.str() + " is not a " +
                               cls->name.str());
  T* typed = dynamic_cast<T*>(o);
  if (typed == nullptr)
    throw IllegalCastException("an object of class " + o->classTable()->name.str() +
                               " has no data of the C++ type asked for");
  return Ref<T>::retain(typed);
}
