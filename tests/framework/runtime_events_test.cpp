// Exceptions and their last-resort report, delegates, and how an event finds its handler.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "framework/runtime/delegate.h"
#include "framework/runtime/exceptions.h"

namespace {

std::size_t lines(const std::string& text) {
  std::size_t n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

TEST(RuntimeExceptions, RaiseNilObjectThrowsTheNilObjectException) {
  try {
    RaiseNilObjectException();
  } catch (const RuntimeException& e) {
    EXPECT_STREQ(e.exceptionName(), "NilObjectException");
    EXPECT_NE(dynamic_cast<const NilObjectException*>(&e), nullptr);
    return;
  }
  FAIL() << "no exception";
}

TEST(RuntimeExceptions, UnhandledPrintsOneLineNamingTheExceptionAndTheRunFails) {
  fw::resetExceptionState();
  EXPECT_FALSE(fw::unhandledExceptionReported());
  testing::internal::CaptureStderr();
  _UnhandledException(IllegalCastException("an object of class Oval is not a Slider"));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err,
            "velmo: unhandled exception: IllegalCastException: an object of class Oval is not a "
            "Slider\n");
  EXPECT_TRUE(fw::unhandledExceptionReported());

  // A message with line breaks of its own still makes one line.
  testing::internal::CaptureStderr();
  _UnhandledException(UnsupportedFormatException("two\nlines\r"));
  err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(lines(err), 1u) << err;
  EXPECT_NE(err.find("UnsupportedFormatException"), std::string::npos) << err;

  testing::internal::CaptureStderr();
  _UnhandledException(std::out_of_range("index 9"));
  err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(lines(err), 1u) << err;
  EXPECT_NE(err.find("index 9"), std::string::npos) << err;

  fw::resetExceptionState();
  EXPECT_FALSE(fw::unhandledExceptionReported()) << "a new run starts clean";
  fw::resetExceptionState();
  testing::internal::CaptureStderr();
  _UnhandledException();
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(fw::unhandledExceptionReported()) << "an exception of no known type counts too";
  fw::resetExceptionState();
}

int gLoopStops = 0;
void countLoopStop() {
  ++gLoopStops;
}

TEST(RuntimeExceptions, GuardedKeepsTheFirstExceptionStopsTheLoopAndRunsNoMoreHandlers) {
  fw::resetExceptionState();
  gLoopStops = 0;
  fw::setLoopStop(&countLoopStop);
  testing::internal::CaptureStderr();
  bool ran = false;
  fw::guarded([&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_FALSE(fw::handlerFailed());
  EXPECT_EQ(gLoopStops, 0);

  fw::guarded([] { RaiseNilObjectException(); });
  EXPECT_TRUE(fw::handlerFailed());
  EXPECT_EQ(gLoopStops, 1) << "the loop is asked to stop";
  ran = false;
  fw::guarded([&] {
    ran = true;
    throw IllegalCastException("a second failure");
  });
  EXPECT_FALSE(ran) << "a handler ran after the first failure";
  EXPECT_EQ(gLoopStops, 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "only the last-resort catch reports";
  EXPECT_FALSE(fw::unhandledExceptionReported());

  EXPECT_THROW(fw::rethrowEscaped(), NilObjectException) << "the first one is kept";
  EXPECT_FALSE(fw::handlerFailed());
  EXPECT_NO_THROW(fw::rethrowEscaped()) << "it is handed over once";
  fw::guarded([&] { ran = true; });
  EXPECT_TRUE(ran) << "handlers run again once it has been taken";

  fw::setLoopStop(nullptr);
  fw::guarded([] { throw 42; });
  EXPECT_EQ(gLoopStops, 1) << "no loop to stop";
  EXPECT_THROW(fw::rethrowEscaped(), int) << "an exception of any type is kept";
}

TEST(RuntimeExceptions, CleanUpRunsAfterAFailedHandlerAndReportsItsOwnException) {
  fw::resetExceptionState();
  fw::guarded([] { RaiseNilObjectException(); });
  bool cleaned = false;
  testing::internal::CaptureStderr();
  fw::reportingFailure([&] {
    cleaned = true;
    throw IllegalCastException("in a clean-up");
  });
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(cleaned);
  EXPECT_EQ(err, "velmo: unhandled exception: IllegalCastException: in a clean-up\n");

  testing::internal::CaptureStderr();
  fw::reportEscaped();
  EXPECT_EQ(lines(testing::internal::GetCapturedStderr()), 1u) << "the kept one, reported";
  EXPECT_FALSE(fw::handlerFailed());
  fw::resetExceptionState();
}

// An event source whose class handles "Open" and "MouseDown" in its event table.
int gClassOpens = 0;
Object* gLastSource = nullptr;

void classOpen(Object* source) {
  ++gClassOpens;
  gLastSource = source;
}
void instanceOpen(Object* source) {
  gLastSource = source;
}
bool classMouseDown(Object*, int32_t, int32_t) {
  return false;
}
bool instanceMouseDown(Object* source, int32_t x, int32_t y) {
  gLastSource = source;
  return x < y;
}
void throwingAction(Object*) {
  RaiseNilObjectException();
}

ClassTable* sourceClass() {
  static ClassTable* t = [] {
    ClassTable* c = RuntimeNewClass(fw::objectClass(), 0, 0, 3, 0, 0, 0);
    c->name = "EventSource";
    c->events[0] = EventEntry{"Open", reinterpret_cast<AnyFunction>(classOpen)};
    c->events[1] = EventEntry{"MouseDown", reinterpret_cast<AnyFunction>(classMouseDown)};
    c->events[2] = EventEntry{"Action", nullptr};
    return c;
  }();
  return t;
}

class RuntimeEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    gClassOpens = 0;
    gLastSource = nullptr;
    liveAtStart_ = fw::liveObjectCount();
  }
  void TearDown() override { EXPECT_EQ(fw::liveObjectCount(), liveAtStart_); }

 private:
  std::size_t liveAtStart_ = 0;
};

TEST_F(RuntimeEvents, DelegateHoldsItsTargetUntilReleased) {
  Ref<Object> window = RuntimeNewObject(fw::objectClass());
  {
    Ref<Delegate> d = RuntimeCreateDelegate(DelegateInvoker::IM_Invoke,
                                            reinterpret_cast<AnyFunction>(instanceOpen),
                                            window.get(), String("%%", fw::kEncodingASCII));
    EXPECT_EQ(d->referenceCount(), 1);
    EXPECT_EQ(window->referenceCount(), 2);
    EXPECT_EQ(d->target(), window.get());
    EXPECT_EQ(d->method(), reinterpret_cast<AnyFunction>(instanceOpen));
    EXPECT_EQ(d->invoker(), DelegateInvoker::IM_Invoke);
    EXPECT_EQ(d->signature(), "%%");
    EXPECT_EQ(d->classTable(), Delegate::__Lookup());
  }
  EXPECT_EQ(window->referenceCount(), 1);

  // The start-up delegate has no target.
  Ref<Delegate> startup =
      RuntimeCreateDelegate(DelegateInvoker::Invoke, reinterpret_cast<AnyFunction>(instanceOpen),
                            nullptr, String("(  )"));
  EXPECT_EQ(startup->target(), nullptr);
  EXPECT_THROW(RuntimeNewObject(Delegate::__Lookup()), RuntimeException);
}

TEST_F(RuntimeEvents, InstanceHandlerIsCalledWithTheSourceAndWinsOverTheClass) {
  Ref<Object> control = RuntimeNewObject(sourceClass());
  Ref<Object> other = RuntimeNewObject(sourceClass());
  _InstallInstanceEventHandler(control.get(), "MouseDown",
                               reinterpret_cast<AnyFunction>(instanceMouseDown));

  EXPECT_EQ((fw::raiseEvent<bool, int32_t, int32_t>(control.get(), "MouseDown", 1, 2)),
            std::optional<bool>(true));
  EXPECT_EQ(gLastSource, control.get());
  // The binding belongs to that one instance.
  EXPECT_EQ((fw::raiseEvent<bool, int32_t, int32_t>(other.get(), "MouseDown", 1, 2)),
            std::optional<bool>(false));

  _InstallInstanceEventHandler(control.get(), "Open", reinterpret_cast<AnyFunction>(instanceOpen));
  EXPECT_TRUE(fw::raiseEvent<void>(control.get(), "Open"));
  EXPECT_EQ(gClassOpens, 0);
  EXPECT_EQ(gLastSource, control.get());

  // Unbinding falls back to the class's event table.
  _InstallInstanceEventHandler(control.get(), "Open", nullptr);
  EXPECT_TRUE(fw::raiseEvent<void>(control.get(), "Open"));
  EXPECT_EQ(gClassOpens, 1);
}

TEST_F(RuntimeEvents, NoHandlerGivesNulloptOrFalse) {
  Ref<Object> control = RuntimeNewObject(sourceClass());
  EXPECT_FALSE(fw::raiseEvent<void>(control.get(), "Action"));        // empty entry
  EXPECT_FALSE(fw::raiseEvent<void>(control.get(), "ValueChanged"));  // no entry
  EXPECT_EQ((fw::raiseEvent<bool, int32_t, int32_t>(control.get(), "KeyUp", 0, 0)), std::nullopt);
  EXPECT_FALSE(fw::raiseEvent<void>(nullptr, "Open"));
  EXPECT_EQ(fw::eventHandler(control.get(), "Action"), nullptr);
  EXPECT_THROW(_InstallInstanceEventHandler(nullptr, "Open", nullptr), NilObjectException);
}

TEST_F(RuntimeEvents, ExceptionsFromAHandlerPassToTheCaller) {
  Ref<Object> control = RuntimeNewObject(sourceClass());
  _InstallInstanceEventHandler(control.get(), "Action",
                               reinterpret_cast<AnyFunction>(throwingAction));
  EXPECT_THROW(fw::raiseEvent<void>(control.get(), "Action"), NilObjectException);
  EXPECT_EQ(control->referenceCount(), 1);
}

}  // namespace
