#pragma once
// A fresh program for each test: class tables built, App created and registered, the
// main window created with its 44 controls, the start-up "Open" events raised, and a
// recording synthesiser in place of the sound device (see program_setup.h).

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "tests/support/program_setup.h"

namespace testing_support {

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates App and the window without raising any "Open" (SetUp does it, then opens).
  void startWithoutOpening() { program_.startWithoutOpening(); }
  void open(Opening which) { program_.open(which); }
  void openAll() { program_.openAll(); }

  Window* window() const { return program_.window(); }
  struct App& app() const {
    return ProgramSession::app();
  }
  fw::RecordingSynthesiser& sound() const { return ProgramSession::sound(); }

  template <class T>
  Ref<T> control(std::string_view name) const;
  Color colourOf(std::string_view pad) const;

  // Presses a pad through its "MouseDown" event at the pad's centre; the handler's result.
  bool press(std::string_view pad);
  // Types a key through the window's key-down path; the handler's result.
  bool type(const String& key) { return program_.type(key); }
  // The calls the synthesiser received since the last clear.
  std::vector<fw::RecordingSynthesiser::Call> played() const { return sound().calls(); }

 private:
  ProgramSession program_;
};

template <class T>
Ref<T> ProgramTest::control(std::string_view name) const {
  Ref<T> found = program_.control<T>(name);
  if (!found) ADD_FAILURE() << "no control named " << name;
  return found;
}

}  // namespace testing_support
