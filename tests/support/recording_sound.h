#pragma once
// Sound for tests: the recording synthesiser as the process's synthesiser, and a
// collector for the lines a synthesiser reports.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "framework/sound/recording_synthesiser.h"

namespace fw {

// Installs a RecordingSynthesiser as the process's synthesiser (once, or again when a
// test has replaced it) and returns it, so tests never open the sound device. Tests
// clear() it before use.
RecordingSynthesiser& recordingSound();

// Keeps the lines handed to sink(), which may be called from any thread (the
// FluidSynth synthesiser reports from its loader thread).
class SoundReports {
 public:
  std::function<void(const std::string&)> sink();
  std::vector<std::string> lines() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace fw
