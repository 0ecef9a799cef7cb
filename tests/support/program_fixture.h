#pragma once
// A fresh program for each test: class tables built, App created and registered, the
// main window created with its 44 controls, the start-up "Open" events raised, and a
// recording synthesiser in place of the sound device.

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

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

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates App and the window without raising any "Open" (SetUp does it, then opens).
  void startWithoutOpening();
  void open(Opening which);
  void openAll();

  Window* window() const { return window_.get(); }
  struct App& app() const;
  fw::RecordingSynthesiser& sound() const;

  template <class T>
  Ref<T> control(std::string_view name) const;
  Color colourOf(std::string_view pad) const;

  // Presses a pad through its "MouseDown" event at the pad's centre; the handler's result.
  bool press(std::string_view pad);
  // Types a key through the window's key-down path; the handler's result.
  bool type(const String& key);
  // The calls the synthesiser received since the last clear.
  std::vector<fw::RecordingSynthesiser::Call> played() const;

 private:
  Ref<Window> window_;
  bool started_ = false;
};

template <class T>
Ref<T> ProgramTest::control(std::string_view name) const {
  Ref<Object> found = RuntimeWindowControlByName(window_.get(), String(name));
  if (!found) ADD_FAILURE() << "no control named " << name;
  return RuntimeCheckCast<T>(found.get(), T::__Lookup());
}

}  // namespace testing_support
