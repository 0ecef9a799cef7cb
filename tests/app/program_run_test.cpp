// The whole run of the program in this process, in the steps of its entry: runtime start,
// class tables, start-up, the event loop, finalisation and the exit status; and what an
// exception that escapes a handler, or the start-up, does to that run.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractSlider>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <string>

#include "app/startup.h"
#include "framework/controls/application.h"
#include "framework/runtime/exceptions.h"
#include "tests/support/program_setup.h"

namespace {

using testing::HasSubstr;
using testing::Not;

// A loop still running this long after the test's own step has gone on after it should
// have ended; the test then ends it and says so. No run comes near it.
constexpr int kGiveUpMs = 10000;

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++n;
  return n;
}

Ref<Window> mainWindow() {
  return RuntimeCheckCast<Window>(_GetImplicitWindow("VELMO").get(), Window::__Lookup());
}

// A press and release of the left button at a point of the main window, through its Qt
// window, as the platform delivers a click.
void click(QPoint at) {
  QWidget* widget = mainWindow()->widget();
  QObject* target = widget->windowHandle() ? static_cast<QObject*>(widget->windowHandle())
                                           : static_cast<QObject*>(widget);
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
  }
}

class ProgramRun : public ::testing::Test {
 protected:
  void SetUp() override {
    // One start and end first: the class tables, built on first use, keep their Strings
    // for the rest of the process.
    testing_support::ProgramSession().startOpened();
    objectsBefore_ = fw::liveObjectCount();
    stringsBefore_ = fw::liveStringCount();
  }

  // Runs the program as its entry does; `inLoop` runs once the event loop has begun.
  void run(const std::function<void()>& inLoop) {
    QTimer first, giveUp;
    first.setSingleShot(true);
    first.setInterval(0);
    QObject::connect(&first, &QTimer::timeout, [&] {
      loopRan_ = QThread::currentThread()->loopLevel() > 0;
      inLoop();
    });
    giveUp.setSingleShot(true);
    giveUp.setInterval(kGiveUpMs);
    QObject::connect(&giveUp, &QTimer::timeout, [&] {
      wentOn_ = true;
      QCoreApplication::exit(0);
    });
    first.start();
    giveUp.start();
    testing::internal::CaptureStderr();
    RuntimeInit();
    initialize();
    _Main();
    reportedByMain_ = fw::unhandledExceptionReported();
    stillKept_ = fw::handlerFailed();
    finalize();
    status_ = RuntimeExit();
    stderr_ = testing::internal::GetCapturedStderr();
  }

  // Runs the program with the window's method `name` replaced by `stand_in`; the real one
  // is put back however the run ends.
  void runWithMethod(const char* name, void (*stand_in)(Object*)) {
    MethodSlot& slot = VELMO::__Lookup()->methods[VELMO::methodSlot(name)];
    struct Restore {
      MethodSlot& slot;
      AnyFunction real;
      ~Restore() { slot.fn = real; }
    } restore{slot, slot.fn};
    slot.fn = reinterpret_cast<AnyFunction>(stand_in);
    run([] {});
  }

  // The run failed with the nil-object exception, said once through _Main, and let go of
  // everything it made.
  void expectFailedThroughMain() {
    EXPECT_TRUE(reportedByMain_) << "the exception did not come out of the run to _Main";
    EXPECT_FALSE(stillKept_);
    EXPECT_EQ(count(stderr_, "velmo: unhandled"), 1u) << stderr_;
    EXPECT_THAT(stderr_, HasSubstr("velmo: unhandled exception: NilObjectException"));
    EXPECT_NE(status_, 0);
    expectNothingLeft();
  }

  // Finalisation let go of everything the run made.
  void expectNothingLeft() {
    EXPECT_FALSE(_GetAppObject());
    EXPECT_FALSE(_GetImplicitWindow("VELMO"));
    EXPECT_EQ(fw::liveObjectCount(), objectsBefore_) << "runtime objects outlived the run";
    EXPECT_EQ(fw::liveStringCount(), stringsBefore_) << "Strings outlived the run";
  }

  bool loopRan_ = false, wentOn_ = false, reportedByMain_ = false, stillKept_ = false;
  int status_ = -1;
  std::string stderr_;

 private:
  std::size_t objectsBefore_ = 0, stringsBefore_ = 0;
};

TEST_F(ProgramRun, AQuitAtOnceEndsWithStatusZeroAndNothingLeft) {
  run([] { QCoreApplication::quit(); });
  EXPECT_TRUE(loopRan_);
  EXPECT_FALSE(wentOn_);
  EXPECT_EQ(status_, 0);
  EXPECT_THAT(stderr_, Not(HasSubstr("unhandled")));
  expectNothingLeft();
}

TEST_F(ProgramRun, AHandlersNilObjectExceptionEndsTheLoopAndTheRunThroughMain) {
  int32_t pitchAfterwards = -1;
  run([&] {
    // Oval1's handler finds NotePlayer1 by name: with it gone, the look-up finds none.
    Ref<Window> window = mainWindow();
    Ref<Object> player = RuntimeWindowControlByName(window.get(), "NotePlayer1");
    fw::callMethod<void, Object*>(window.get(), WindowSlot::_RemoveControl, player.get());
    player = nullptr;
    click({189 + 36, 299 + 36});
    // The octave slider, moved by hand to its right end, would set MyPitch to +48.
    Ref<Object> slider = RuntimeWindowControlByName(window.get(), "PitchSlider");
    static_cast<QAbstractSlider*>(dynamic_cast<Slider&>(*slider).widget())->setValue(9);
    pitchAfterwards = App()->MyPitch;
  });
  EXPECT_TRUE(loopRan_);
  EXPECT_FALSE(wentOn_) << "the loop went on after the handler failed";
  EXPECT_EQ(pitchAfterwards, 0) << "a handler ran after the first one failed";
  expectFailedThroughMain();
}

void failingCreation(Object* self) {
  Ref<Object> none = RuntimeWindowControlByName(self, "Oval23");
  if (!none) RaiseNilObjectException();
}

TEST_F(ProgramRun, AnExceptionOutOfStartUpSkipsTheLoopAndFailsTheRun) {
  // The second half of the controls cannot be created; the first half already are.
  runWithMethod("_CreateControls1", &failingCreation);
  EXPECT_FALSE(loopRan_) << "the event loop ran after start-up failed";
  expectFailedThroughMain();
}

void failingOpen(Object*) {
  RaiseNilObjectException();
}

TEST_F(ProgramRun, AControlsOpenHandlerFailingAtStartUpSkipsTheLoopAndFailsTheRun) {
  // The handler is bound when the control is created, from the window's method table.
  runWithMethod("VelocitySlider_Open", &failingOpen);
  EXPECT_FALSE(loopRan_) << "the event loop ran after a start-up handler failed";
  EXPECT_FALSE(wentOn_);
  expectFailedThroughMain();
}

}  // namespace
