// Start-up and shut-down: the "Open" events at the loop's start, windows built later,
// the framework's release of its objects, and a start without a display.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <cstdlib>
#include <exception>
#include <utility>

#include "framework/controls/timer_impl.h"
#include "tests/framework/controls_fixture.h"

using namespace controls_test;

namespace {

using testing::AllOf;
using testing::EndsWith;
using testing::HasSubstr;
using testing::Not;

constexpr const char* kNoDisplay =
    "velmo: cannot open a window: no display (DISPLAY is not set or cannot be reached)\n";

using Log = std::vector<std::string>;

class StartupTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    Ref<Object> app = RuntimeNewObject(testAppClass());
    _RuntimeRegisterAppObject(app.get());
  }
  // Runs the event loop until it has had one turn.
  void runOnce() {
    QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    _RuntimeRun();
  }
};

void ignoreAction(Object*) {}

}  // namespace

TEST_F(StartupTest, TheLoopRaisesControlsThenWindowThenApplicationOpenOnce) {
  EXPECT_TRUE(logged("Open").empty()) << "nothing opens before the loop";
  runOnce();
  EXPECT_EQ(logged("Open"), (Log{"Open Popup", "Open NotePlayer1", "Open Window", "Open App"}));
}

TEST_F(StartupTest, AWindowBuiltAfterTheLoopBeganOpensAtOnce) {
  runOnce();
  eventLog().clear();
  Ref<Window> second = makeWindow();
  EXPECT_EQ(logged("Open"), (Log{"Open Popup", "Open NotePlayer1", "Open Window"}));
}

void failingOpen(Object*) {
  RaiseNilObjectException();
}

// A handler that builds a window stops where that window's "Open" fails, as if it had
// called the failing handler itself; the exception is kept at the handler's dispatch point.
TEST_F(StartupTest, AnOpenFailingInAWindowBuiltByAHandlerEndsThatHandler) {
  runOnce();
  eventLog().clear();
  EventEntry& open = testWindowClass()->events.at(
      static_cast<std::size_t>(fw::findEvent(testWindowClass(), "Open")));
  struct Restore {
    EventEntry& entry;
    AnyFunction real;
    ~Restore() { entry.handler = real; }
  } restore{open, std::exchange(open.handler, reinterpret_cast<AnyFunction>(&failingOpen))};
  bool wentOn = false;
  fw::guarded([&] {
    makeWindow();
    wentOn = true;
  });
  EXPECT_FALSE(wentOn) << "the handler went on after the window it built failed to open";
  EXPECT_EQ(logged("Open"), (Log{"Open Popup", "Open NotePlayer1"}));
  EXPECT_THROW(fw::rethrowEscaped(), NilObjectException);
}

TEST_F(StartupTest, AFailureKeptDuringStartUpEndsTheRunBeforeAnyOpen) {
  fw::keepEscaped(std::make_exception_ptr(NilObjectException()));
  EXPECT_THROW(_RuntimeRun(), NilObjectException);
  EXPECT_TRUE(logged("Open").empty());
}

TEST_F(StartupTest, ATimerWithAHandlerBoundAtCreationRunsFromTheLoopsStart) {
  auto timer = find<Timer>("Mytimer");
  _InstallInstanceEventHandler(timer.get(), "Action", reinterpret_cast<AnyFunction>(&ignoreAction));
  EXPECT_FALSE(fw::controls::timerScheduled(*timer));
  runOnce();
  EXPECT_TRUE(fw::controls::timerScheduled(*timer));
}

TEST_F(StartupTest, FinalizingReleasesTheWindowsAndTheApplication) {
  EXPECT_TRUE(_GetAppObject());
  Window* raw = window_.get();
  window_ = nullptr;
  EXPECT_TRUE(fw::isAlive(raw)) << "the framework holds the window";
  _FinalizeFramework();
  EXPECT_FALSE(fw::isAlive(raw)) << "the timer's reference to its window was let go";
  EXPECT_FALSE(_GetAppObject());
  EXPECT_FALSE(_GetImplicitWindow("TestWindow"));
}

TEST(StartupDeathTest, WithoutAnyDisplayOneLineAndExitStatus1) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        unsetenv("QT_QPA_PLATFORM");
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        delete QCoreApplication::instance();
        _RunFrameworkInitialization(nullptr);
      },
      testing::ExitedWithCode(1), EndsWith(kNoDisplay));
}

TEST(StartupDeathTest, WithAnUnreachableDisplayOneLineAndExitStatus1) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        setenv("DISPLAY", ":98765", 1);
        delete QCoreApplication::instance();
        _RunFrameworkInitialization(nullptr);
      },
      testing::ExitedWithCode(1),
      AllOf(EndsWith(kNoDisplay), Not(HasSubstr("qt.qpa")), Not(HasSubstr("plugin"))));
}

TEST(StartupDeathTest, WithAPlatformQtDoesNotHaveOneLineNamingItAndExitStatus1) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("QT_QPA_PLATFORM", "bogus", 1);
        delete QCoreApplication::instance();
        _RunFrameworkInitialization(nullptr);
      },
      testing::ExitedWithCode(1),
      AllOf(EndsWith("velmo: cannot open a window: Qt's platform \"bogus\" (named by "
                     "QT_QPA_PLATFORM) is missing or could not start\n"),
            Not(HasSubstr("no display")), Not(HasSubstr("qt.qpa"))));
}
