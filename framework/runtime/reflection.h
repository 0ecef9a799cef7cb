#pragma once
// Generic accessors and invokers that class tables store: the boxed getters and setters
// of fields (Int32.Get, Object.Set, ...) and the invokers that call a method with a
// generic argument list (Introspection.Invoke).

#include <span>
#include <string>
#include <type_traits>

#include "framework/runtime/class_table.h"
#include "framework/runtime/value.h"

namespace fw {

template <class M>
struct FieldTraits;
template <class C, class T>
struct FieldTraits<T C::*> {
  using Class = C;
  using Type = T;
};

template <auto Field>
typename FieldTraits<decltype(Field)>::Class& fieldOwner(Object* o) {
  using C = typename FieldTraits<decltype(Field)>::Class;
  if (o == nullptr) RaiseNilObjectException();
  auto* c = dynamic_cast<C*>(o);
  if (c == nullptr)
    throw IllegalCastException("a property of another class was used on " +
                               o->classTable()->name.str());
  return *c;
}

// The boxed getter and setter of a data member (Int32, Boolean, Color, String or an
// object reference held as Ref<Object>).
template <auto Field>
Value fieldGet(Object* o) {
  return Value(fieldOwner<Field>(o).*Field);
}
template <auto Field>
void fieldSet(Object* o, const Value& v) {
  using T = typename FieldTraits<decltype(Field)>::Type;
  fieldOwner<Field>(o).*Field = unbox<T>(v);
}

template <class T>
decltype(auto) argumentAs(const Value& v) {
  if constexpr (std::is_same_v<std::decay_t<T>, Object*>) {
    return unbox<Ref<Object>>(v).get();
  } else {
    return unbox<std::decay_t<T>>(v);
  }
}

}  // namespace fw

namespace Introspection {

// Calls fn as R(Object*, A...) with the arguments unboxed from the list and boxes its
// result (an object result is a new reference, which the box takes over). A list of the
// wrong length or types raises IllegalCastException.
template <class R, class... A>
Value Invoke(AnyFunction fn, Object* self, std::span<const Value> args) {
  if (args.size() != sizeof...(A))
    throw IllegalCastException("a method was invoked with " + std::to_string(args.size()) +
                               " arguments instead of " + std::to_string(sizeof...(A)));
  auto call = [&]<std::size_t... I>(std::index_sequence<I...>) -> decltype(auto) {
    return reinterpret_cast<R (*)(Object*, A...)>(fn)(self, fw::argumentAs<A>(args[I])...);
  };
  if constexpr (std::is_void_v<R>) {
    call(std::index_sequence_for<A...>{});
    return Value{};
  } else if constexpr (std::is_same_v<R, Object*>) {
    // A method returning an object returns a new reference: the box takes it over.
    return Value(Ref<Object>::adopt(call(std::index_sequence_for<A...>{})));
  } else {
    return Value(call(std::index_sequence_for<A...>{}));
  }
}

}  // namespace Introspection
