// The main of every test program: Google Test with one QApplication for the process
// (widget tests run on Qt's offscreen platform unless the environment says otherwise),
// in surroundings of its own (no user's home, no machine's D-Bus), and the recording
// synthesiser in place of the sound device.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "tests/support/private_surroundings.h"
#include "tests/support/recording_sound.h"

int main(int argc, char** argv) {
  const testing_support::PrivateSurroundings surroundings;
  ::testing::InitGoogleTest(&argc, argv);
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // On the heap: a test may delete it to check a start without a display.
  auto* app = new QApplication(argc, argv);
  fw::recordingSound();
  const int status = RUN_ALL_TESTS();
  delete app;
  return status;
}
