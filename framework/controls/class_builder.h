#pragma once
// Helpers for building the framework's own class tables: a class is described by rows
// (its own methods, events and properties) and built once on top of its parent's table.
// Properties that mean nothing on this platform are kept in a per-object bag, so that a
// property blob can set them and code can read them back.

#include <array>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/runtime/class_table.h"
#include "framework/runtime/reflection.h"

namespace fw::build {

// One own property of a class. A null setter makes it read-only.
struct PropRow {
  std::string_view name;
  std::string_view type;  // "i4", "b", "c", "s", "r4", "u1", "o<Class>"
  PropertyGetter get = nullptr;
  PropertySetter set = nullptr;
  bool isPublic = true;
};

struct ClassShape {
  std::string_view name = {};
  ClassTable* parent = nullptr;
  std::span<const MethodSlot> methods = {};      // own methods, appended after the parent's
  std::span<const char* const> events = {};      // own events, appended after the parent's
  std::span<const PropRow> properties = {};      // own properties with behaviour
  std::span<const PropRow> shared = {};          // own properties whose rows other classes share
  std::span<const PropRow> stored = {};          // own properties that are only kept
  std::span<ClassTable* const> interfaces = {};  // own interfaces (records sized, not filled)
  ObjectFactory factory = nullptr;               // null: the parent's
};

// The factory of a class whose C++ type is T.
template <class T>
Object* newObject(ClassTable* cls) {
  return new T(cls);
}

// Builds the class table. Interface records of own interfaces get the interface table and
// its method count; the caller stores their functions.
ClassTable* makeClass(const ClassShape& shape);

// Boxed accessors for property rows, so that a row names what it reads and writes instead
// of spelling out the boxing. Self(o) is the object, or its state, that holds the
// property (it refuses any other object); Member is a data member of it or its getter or
// setter; each of Then(o) shows a written value.
template <auto Self, auto Member>
Value getter(Object* o) {
  return Value(std::invoke(Member, Self(o)));
}

template <class M>
struct SetterArg;
template <class C, class A>
struct SetterArg<void (C::*)(A)> {
  using Type = std::remove_cvref_t<A>;
};

template <auto Self, auto Member, auto... Then>
void setter(Object* o, const Value& v) {
  using M = decltype(Member);
  if constexpr (std::is_member_function_pointer_v<M>)
    (Self(o).*Member)(fw::unbox<typename SetterArg<M>::Type>(v));
  else
    Self(o).*Member = fw::unbox<typename fw::FieldTraits<M>::Type>(v);
  (Then(o), ...);
}

// The values of properties that are only kept, by name.
class PropertyBag {
 public:
  // The stored value, or the type's default (0, False, black, "") when never set.
  Value get(std::string_view name, std::string_view type) const;
  // Stores the value; a value of another type than the property's is refused
  // (IllegalCastException).
  void set(std::string_view name, std::string_view type, const Value& v);

 private:
  std::vector<std::pair<std::string, Value>> values_;
};

// The bag of a framework object (Window, Control or Timer); IllegalCastException otherwise.
PropertyBag& bagOf(Object* o);

// Stored rows for a constexpr table of {name, type} keys: kept in the object's bag.
struct StoredKey {
  std::string_view name;
  std::string_view type;
};

template <const auto& Keys, std::size_t I>
Value getStored(Object* o) {
  return bagOf(o).get(Keys[I].name, Keys[I].type);
}

template <const auto& Keys, std::size_t I>
void setStored(Object* o, const Value& v) {
  bagOf(o).set(Keys[I].name, Keys[I].type, v);
}

template <const auto& Keys, std::size_t... I>
constexpr auto storedRowsImpl(std::index_sequence<I...>) {
  return std::array<PropRow, sizeof...(I)>{
      PropRow{Keys[I].name, Keys[I].type, &getStored<Keys, I>, &setStored<Keys, I>}...};
}

template <const auto& Keys>
constexpr auto storedRows() {
  return storedRowsImpl<Keys>(std::make_index_sequence<std::size(Keys)>{});
}

}  // namespace fw::build
