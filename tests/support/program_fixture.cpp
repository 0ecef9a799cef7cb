#include "tests/support/program_fixture.h"

#include "app/startup.h"
#include "framework/controls/application.h"
#include "framework/runtime/delegate.h"
#include "tests/support/recording_sound.h"

namespace testing_support {

void ProgramTest::SetUp() {
  startWithoutOpening();
  openAll();
  sound().clear();
}

void ProgramTest::startWithoutOpening() {
  fw::recordingSound().clear();
  initialize();
  _NewAppInstance();
  window_ = VELMO();
  started_ = true;
  // The note player's blob selects instrument 1 while it is created; tests start after.
  fw::recordingSound().clear();
}

void ProgramTest::TearDown() {
  window_ = nullptr;
  if (started_) _FinalizeFramework();
  started_ = false;
}

void ProgramTest::open(Opening which) {
  switch (which) {
    case Opening::Application: {
      Ref<Object> app = _GetAppObject();
      Application::CallOpen(app.get());
      return;
    }
    case Opening::Window:
      fw::raiseEvent<void>(window_.get(), "Open");
      return;
    case Opening::VelocitySlider:
      fw::raiseEvent<void>(control<Object>("VelocitySlider").get(), "Open");
      return;
    case Opening::MusicPopupMenu:
      fw::raiseEvent<void>(control<Object>("MusicPopupMenu").get(), "Open");
      return;
    case Opening::NotePlayer1:
      fw::raiseEvent<void>(control<Object>("NotePlayer1").get(), "Open");
      return;
  }
}

void ProgramTest::openAll() {
  for (Opening o : kAllOpenings) open(o);
}

struct App& ProgramTest::app() const {
  Ref<struct App> a = App();
  if (!a) throw NilObjectException();
  return *a;  // the framework holds the App for the whole test
}

fw::RecordingSynthesiser& ProgramTest::sound() const { return fw::recordingSound(); }

Color ProgramTest::colourOf(std::string_view pad) const { return control<Oval>(pad)->FillColor(); }

bool ProgramTest::press(std::string_view pad) {
  auto oval = control<Oval>(pad);
  auto result = fw::raiseEvent<bool, int32_t, int32_t>(oval.get(), "MouseDown",
                                                        oval->Width() / 2, oval->Height() / 2);
  if (!result) ADD_FAILURE() << pad << " has no MouseDown handler";
  return result.value_or(false);
}

bool ProgramTest::type(const String& key) {
  return fw::callMethod<bool, const String&>(window_.get(), WindowSlot::_KeyDown, key);
}

std::vector<fw::RecordingSynthesiser::Call> ProgramTest::played() const {
  return sound().calls();
}

}  // namespace testing_support
