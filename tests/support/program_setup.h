#pragma once
// The program brought up in this process without its event loop: class tables built,
// App created and registered, the main window created with its 44 controls, and the
// start-up "Open" events raised on request; sound goes to the recording synthesiser.
// Shared by the tests' fixture and the handler benchmarks, so it reports nothing itself:
// a missing control or handler comes back as nil or nullopt for the caller to judge.

#include <optional>
#include <string_view>

#include "app/app.h"
#include "framework/controls/controls.h"
#include "framework/controls/window.h"
#include "framework/sound/recording_synthesiser.h"
#include "window/velmo.h"

namespace testing_support {

// The five start-up "Open" events that reach the program's handlers.
enum class Opening { Application, Window, VelocitySlider, MusicPopupMenu, NotePlayer1 };
inline constexpr Opening kAllOpenings[] = {Opening::Application, Opening::Window,
                                           Opening::VelocitySlider, Opening::MusicPopupMenu,
                                           Opening::NotePlayer1};

class ProgramSession {
 public:
  ProgramSession() = default;
  ~ProgramSession() { stop(); }
  ProgramSession(const ProgramSession&) = delete;
  ProgramSession& operator=(const ProgramSession&) = delete;

  // Creates App and the window without raising any "Open"; the recording synthesiser is
  // installed and left empty.
  void startWithoutOpening();
  // startWithoutOpening, every "Open", then an empty recording: the program as the user
  // first sees it.
  void startOpened();
  // Releases the window and finalises the framework; does nothing when not started.
  void stop();

  void open(Opening which);
  void openAll();

  Window* window() const { return window_.get(); }
  static struct App& app();
  static fw::RecordingSynthesiser& sound();

  // The named control as T, or nil when there is none; a control of another class
  // raises IllegalCastException.
  template <class T>
  Ref<T> control(std::string_view name) const;

  // Presses a pad through its "MouseDown" event at the pad's centre; the handler's
  // result, nullopt when the pad has no handler (or no such pad exists).
  std::optional<bool> press(std::string_view pad);
  // Types a key through the window's key-down path; the handler's result.
  bool type(const String& key);
  // Raises the named control's "Action" event; false when nothing handles it.
  bool action(std::string_view name);

 private:
  Ref<Window> window_;
  bool started_ = false;
};

template <class T>
Ref<T> ProgramSession::control(std::string_view name) const {
  Ref<Object> found = RuntimeWindowControlByName(window_.get(), String(name));
  if (!found) return nullptr;
  return RuntimeCheckCast<T>(found.get(), T::__Lookup());
}

}  // namespace testing_support
