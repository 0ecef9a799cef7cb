// Objects and references: counts, Ref<T>, check casts, over-release, clean-up hooks.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/runtime/class_table.h"
#include "tests/framework/runtime_test_classes.h"

using runtime_test::baseClass;
using runtime_test::derivedClass;
using runtime_test::drawableInterface;

namespace {

class RuntimeObject : public ::testing::Test {
 protected:
  void SetUp() override { liveAtStart_ = fw::liveObjectCount(); }
  void TearDown() override { EXPECT_EQ(fw::liveObjectCount(), liveAtStart_) << "objects leaked"; }

 private:
  std::size_t liveAtStart_ = 0;
};

TEST_F(RuntimeObject, NewObjectHasOneReferenceAndItsClass) {
  const std::size_t before = fw::liveObjectCount();
  Ref<Object> o = RuntimeNewObject(derivedClass());
  EXPECT_EQ(o->referenceCount(), 1);
  EXPECT_EQ(o->classTable(), derivedClass());
  EXPECT_EQ(fw::liveObjectCount(), before + 1);
  EXPECT_TRUE(fw::isAlive(o.get()));
  Object* raw = o.get();
  o = nullptr;
  EXPECT_FALSE(fw::isAlive(raw));
}

TEST_F(RuntimeObject, RefCopyMoveAdoptAndRetainCount) {
  Ref<Object> a = RuntimeNewObject(baseClass());
  Object* raw = a.get();
  {
    Ref<Object> copy = a;
    EXPECT_EQ(raw->referenceCount(), 2);
    Ref<Object> moved = std::move(copy);
    EXPECT_EQ(raw->referenceCount(), 2);
    EXPECT_FALSE(copy);  // NOLINT: moved-from state is specified: nil
    Ref<Object> retained = Ref<Object>::retain(raw);
    EXPECT_EQ(raw->referenceCount(), 3);
    Ref<Object> assigned;
    assigned = moved;
    EXPECT_EQ(raw->referenceCount(), 4);
    // Self-assignment keeps the count; written through a reference, which Clang does not
    // warn of.
    Ref<Object>& same = assigned;
    assigned = same;
    EXPECT_EQ(raw->referenceCount(), 4);
  }
  EXPECT_EQ(raw->referenceCount(), 1);

  // adopt takes over an owned reference without counting it again.
  Object* given = a.release();
  EXPECT_EQ(given->referenceCount(), 1);
  Ref<Object> adopted = Ref<Object>::adopt(given);
  EXPECT_EQ(given->referenceCount(), 1);
  EXPECT_TRUE(adopted == Ref<Object>::retain(given));
  EXPECT_EQ(given->referenceCount(), 1);

  EXPECT_FALSE(Ref<Object>::retain(nullptr));
  RuntimeLockObject(nullptr);  // nil is no object: both are no-ops
  RuntimeUnlockObject(nullptr);
}

void throwWhileHolding(Object* o, std::vector<Ref<Object>>& seen) {
  Ref<Object> one = Ref<Object>::retain(o);
  Ref<Object> two = one;
  seen.push_back(two);
  seen.pop_back();
  throw std::runtime_error("in the middle");
}

TEST_F(RuntimeObject, CountsReturnAfterAFunctionThrowsWhileHoldingRefs) {
  Ref<Object> o = RuntimeNewObject(baseClass());
  std::vector<Ref<Object>> seen;
  EXPECT_THROW(throwWhileHolding(o.get(), seen), std::runtime_error);
  EXPECT_EQ(o->referenceCount(), 1);
}

TEST_F(RuntimeObject, UsingANilRefRaisesNilObject) {
  Ref<Object> nil;
  EXPECT_THROW((void)nil->referenceCount(), NilObjectException);
  EXPECT_THROW((void)*nil, NilObjectException);
  EXPECT_THROW(fw::nonNil(nil), NilObjectException);
  Ref<Object> o = RuntimeNewObject(baseClass());
  EXPECT_EQ(fw::nonNil(o).get(), o.get());
}

TEST_F(RuntimeObject, CheckCastAcceptsSubclassesAndInterfaces) {
  Ref<Object> o = RuntimeNewObject(derivedClass());
  {
    Ref<Object> asBase = RuntimeCheckCast<Object>(o.get(), baseClass());
    EXPECT_EQ(asBase.get(), o.get());
    EXPECT_EQ(o->referenceCount(), 2);  // the cast is a new reference
    Ref<Object> asDrawable = RuntimeCheckCast<Object>(o.get(), drawableInterface());
    EXPECT_EQ(asDrawable.get(), o.get());
  }
  EXPECT_EQ(o->referenceCount(), 1);
  EXPECT_FALSE(RuntimeCheckCast<Object>(nullptr, baseClass()));
}

TEST_F(RuntimeObject, CheckCastToAnotherClassRaisesIllegalCastNamingBoth) {
  Ref<Object> o = RuntimeNewObject(baseClass());
  try {
    (void)RuntimeCheckCast<Object>(o.get(), derivedClass());
    FAIL() << "no exception";
  } catch (const IllegalCastException& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("Base"), std::string::npos) << what;
    EXPECT_NE(what.find("Derived"), std::string::npos) << what;
  }
  EXPECT_EQ(o->referenceCount(), 1);
  // Right class, wrong C++ type behind it.
  EXPECT_THROW((void)RuntimeCheckCast<runtime_test::Gadget>(o.get(), baseClass()),
               IllegalCastException);
}

TEST_F(RuntimeObject, UpcastingARefKeepsOneReference) {
  Ref<runtime_test::Gadget> g = RuntimeCheckCast<runtime_test::Gadget>(
      RuntimeNewObject(runtime_test::Gadget::__Lookup()).get(), runtime_test::Gadget::__Lookup());
  EXPECT_EQ(g->referenceCount(), 1);  // the temporary from RuntimeNewObject is gone
  Ref<Object> up = g;
  EXPECT_EQ(g->referenceCount(), 2);
}

// Clean-up hooks: run from the object's class up to the root.
std::vector<std::string>* gHookLog = nullptr;

ClassTable* hookedParent();
ClassTable* hookedChild();

ClassTable* hookedParent() {
  static ClassTable* t = [] {
    ClassTable* c = RuntimeNewClass(fw::objectClass(), 0, 0, 0, 0, 0, 0);
    c->name = "HookedParent";
    c->exitHook = [](Object* o) {
      gHookLog->push_back("parent:" + std::to_string(fw::isAlive(o)));
    };
    return c;
  }();
  return t;
}

ClassTable* hookedChild() {
  static ClassTable* t = [] {
    ClassTable* c = RuntimeNewClass(hookedParent(), 0, 0, 0, 0, 0, 0);
    c->name = "HookedChild";
    c->exitHook = [](Object* o) {
      // A hook may use its object through a reference of its own.
      Ref<Object> held = Ref<Object>::retain(o);
      gHookLog->push_back("child:" + std::to_string(held->referenceCount()));
    };
    return c;
  }();
  return t;
}

ClassTable* throwingHookClass() {
  static ClassTable* t = [] {
    ClassTable* c = RuntimeNewClass(hookedParent(), 0, 0, 0, 0, 0, 0);
    c->name = "ThrowingHook";
    c->exitHook = [](Object*) { RaiseNilObjectException(); };
    return c;
  }();
  return t;
}

TEST_F(RuntimeObject, ExitHooksRunChildFirstThenParentWhileTheObjectIsWhole) {
  std::vector<std::string> log;
  gHookLog = &log;
  Ref<Object> o = RuntimeNewObject(hookedChild());
  Ref<Object> second = o;
  o = nullptr;
  EXPECT_TRUE(log.empty());
  second = nullptr;
  EXPECT_EQ(log, (std::vector<std::string>{"child:2", "parent:1"}));
  gHookLog = nullptr;
}

TEST_F(RuntimeObject, AnExceptionFromAHookIsReportedAndTheRestRun) {
  std::vector<std::string> log;
  gHookLog = &log;
  testing::internal::CaptureStderr();
  { Ref<Object> o = RuntimeNewObject(throwingHookClass()); }
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("NilObjectException"), std::string::npos) << err;
  EXPECT_EQ(log, (std::vector<std::string>{"parent:1"}));
  gHookLog = nullptr;
}

TEST_F(RuntimeObject, ANullClassTableStandsForTheRootClass) {
  Ref<Object> o = Ref<Object>::adopt(new Object(nullptr));
  EXPECT_EQ(o->classTable(), fw::objectClass());
  EXPECT_EQ(Object::__Lookup(), fw::objectClass());
  EXPECT_EQ(RuntimeCheckCast<Object>(o.get(), Object::__Lookup()).get(), o.get());
  EXPECT_THROW(fw::callMethod<void>(o.get(), 0), IllegalCastException);
}

// Faults that must stop the process loudly rather than corrupt memory.
class RuntimeObjectDeathTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(RuntimeObjectDeathTest, ReleasingAFreedObjectIsCaught) {
  EXPECT_DEATH(
      {
        Object* o = RuntimeNewObject(baseClass()).release();
        RuntimeUnlockObject(o);
        RuntimeUnlockObject(o);
      },
      "released more often than it was locked");
}

TEST_F(RuntimeObjectDeathTest, LockingAFreedObjectIsCaught) {
  EXPECT_DEATH(
      {
        Object* o = RuntimeNewObject(baseClass()).release();
        RuntimeUnlockObject(o);
        RuntimeLockObject(o);
      },
      "locked after it was freed");
}

TEST_F(RuntimeObjectDeathTest, AHookReleasingItsOwnObjectIsCaught) {
  static ClassTable* t = [] {
    ClassTable* c = RuntimeNewClass(fw::objectClass(), 0, 0, 0, 0, 0, 0);
    c->name = "SelfReleasing";
    c->exitHook = [](Object* o) { RuntimeUnlockObject(o); };
    return c;
  }();
  EXPECT_DEATH({ RuntimeNewObject(t); }, "released by its own clean-up hook");
}

TEST_F(RuntimeObjectDeathTest, OverReleasingAStringIsCaught) {
  EXPECT_DEATH(
      {
        String s("counted");
        RuntimeUnlockString(s.data());  // frees the record; the handle then releases again
      },
      "String was released more often than it was locked");
  EXPECT_DEATH(
      {
        String s("counted");
        fw::StringData* d = s.data();
        RuntimeUnlockString(d);
        RuntimeLockString(d);
      },
      "String was locked after it was freed");
}

}  // namespace
