// The generic invokers and field accessors that member and property entries store.

#include <gtest/gtest.h>

#include <vector>

#include "framework/runtime/reflection.h"
#include "tests/framework/runtime_test_classes.h"

using runtime_test::Gadget;

namespace {

int32_t sum(Object*, int32_t a, int32_t b) {
  return a + b;
}
Object* self(Object* o) {
  return Ref<Object>::retain(o).release();
}  // a new reference
bool isSame(Object* o, Object* other) {
  return o == other;
}

TEST(RuntimeIntrospection, InvokeUnboxesArgumentsAndBoxesTheResult) {
  Ref<Object> o = RuntimeNewObject(Gadget::__Lookup());
  const std::vector<Value> args = {int32_t{2}, int32_t{40}};
  const Value v = Introspection::Invoke<int32_t, int32_t, int32_t>(
      reinterpret_cast<AnyFunction>(sum), o.get(), args);
  EXPECT_EQ(std::get<int32_t>(v), 42);

  {
    const Value boxed =
        Introspection::Invoke<Object*>(reinterpret_cast<AnyFunction>(self), o.get(), {});
    EXPECT_EQ(std::get<Ref<Object>>(boxed).get(), o.get());
    EXPECT_EQ(o->referenceCount(), 2);  // the box owns the returned reference
  }
  EXPECT_EQ(o->referenceCount(), 1);

  const std::vector<Value> objectArg = {o};
  EXPECT_TRUE(std::get<bool>(Introspection::Invoke<bool, Object*>(
      reinterpret_cast<AnyFunction>(isSame), o.get(), objectArg)));
}

TEST(RuntimeIntrospection, WrongArgumentListsRaiseIllegalCast) {
  Ref<Object> o = RuntimeNewObject(Gadget::__Lookup());
  auto fn = reinterpret_cast<AnyFunction>(sum);
  const std::vector<Value> one = {int32_t{1}};
  const std::vector<Value> mistyped = {int32_t{1}, String("2")};
  EXPECT_THROW((Introspection::Invoke<int32_t, int32_t, int32_t>(fn, o.get(), one)),
               IllegalCastException);
  EXPECT_THROW((Introspection::Invoke<int32_t, int32_t, int32_t>(fn, o.get(), mistyped)),
               IllegalCastException);
}

TEST(RuntimeIntrospection, FieldAccessorsCheckTheClass) {
  Ref<Object> g = RuntimeNewObject(Gadget::__Lookup());
  fw::fieldSet<&Gadget::index>(g.get(), Value(int32_t{-5}));
  EXPECT_EQ(std::get<int32_t>(fw::fieldGet<&Gadget::index>(g.get())), -5);
  EXPECT_THROW(fw::fieldSet<&Gadget::index>(g.get(), Value(true)), IllegalCastException);

  Ref<Object> plain = RuntimeNewObject(fw::objectClass());
  EXPECT_THROW(fw::fieldGet<&Gadget::index>(plain.get()), IllegalCastException);
  EXPECT_THROW(fw::fieldGet<&Gadget::index>(nullptr), NilObjectException);
}

}  // namespace
