#pragma once
// A recording of a PulseAudio source (the null sink's monitor) made by parec, read as
// it arrives, so that the probe can tell when sound starts and when it has died away.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "bench/probe/audio_onset.h"

namespace probe {

class MonitorRecorder {
 public:
  // Starts parec on the source with a small fragment size, so chunks arrive every few
  // milliseconds. running() is false when parec could not be started.
  explicit MonitorRecorder(const std::string& source, AudioFormat format = {});
  // Stops parec (by its pid) and reaps it.
  ~MonitorRecorder();
  MonitorRecorder(const MonitorRecorder&) = delete;
  MonitorRecorder& operator=(const MonitorRecorder&) = delete;

  bool running() const { return pid_ > 0 && fd_ >= 0; }
  int fd() const { return fd_; }
  const AudioFormat& format() const { return format_; }

  // Reads whatever has arrived, without waiting. False once parec has ended.
  bool drain();

  // True once any recording has arrived (an idle monitor may take a while to start).
  bool flowing() const { return framesSeen_ > 0; }
  // Looks for sound in what arrives from now on; onset() is its estimated time.
  void expectSound();
  std::optional<Clock::time_point> onset() const { return onset_; }
  // How long the recording has been quiet up to its latest frame.
  double quietSeconds() const;

  // Keeps every sample that arrives from now on, until takeCapture() hands them over
  // and stops keeping them.
  void startCapture();
  std::vector<int16_t> takeCapture();

 private:
  void take(const int16_t* samples, std::size_t count, Clock::time_point arrived);

  AudioFormat format_;
  pid_t pid_ = -1;
  int fd_ = -1;
  std::vector<unsigned char> partial_;  // bytes of a frame split between two reads
  std::size_t framesSeen_ = 0;
  std::size_t quietFrames_ = 0;
  bool watching_ = false;
  bool capturing_ = false;
  std::vector<int16_t> captured_;
  std::optional<Clock::time_point> onset_;
};

}  // namespace probe
