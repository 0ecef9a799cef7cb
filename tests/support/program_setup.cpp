#include "tests/support/program_setup.h"

#include "app/startup.h"
#include "framework/controls/application.h"
#include "framework/runtime/delegate.h"
#include "tests/support/recording_sound.h"

namespace testing_support {

void ProgramSession::startWithoutOpening() {
  stop();
  fw::recordingSound().clear();
  initialize();
  _NewAppInstance();
  window_ = VELMO();
  started_ = true;
  // The note player's blob selects instrument 1 while it is created; callers start after.
  fw::recordingSound().clear();
}

void ProgramSession::startOpened() {
  startWithoutOpening();
  openAll();
  sound().clear();
}

void ProgramSession::stop() {
  window_ = nullptr;
  if (started_) _FinalizeFramework();
  started_ = false;
}

void ProgramSession::open(Opening which) {
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

void ProgramSession::openAll() {
  for (Opening o : kAllOpenings) open(o);
}

struct App& ProgramSession::app() {
  Ref<struct App> a = App();
  if (!a) throw NilObjectException();
  return *a;  // the framework holds the App while the session runs
}

fw::RecordingSynthesiser& ProgramSession::sound() {
  return fw::recordingSound();
}

std::optional<bool> ProgramSession::press(std::string_view pad) {
  auto oval = control<Oval>(pad);
  if (!oval) return std::nullopt;
  return fw::raiseEvent<bool, int32_t, int32_t>(oval.get(), "MouseDown", oval->Width() / 2,
                                                oval->Height() / 2);
}

bool ProgramSession::type(const String& key) {
  return fw::callMethod<bool, const String&>(window_.get(), WindowSlot::_KeyDown, key);
}

bool ProgramSession::action(std::string_view name) {
  Ref<Object> source = control<Object>(name);
  return source && fw::raiseEvent<void>(source.get(), "Action");
}

}  // namespace testing_support
