#pragma once
// The buffer that the sound server's stream is opened with, chosen by whether the thread
// that renders the sound gets real-time scheduling (realtime.h): small when it does,
// larger when not, so that a busy machine does not starve the sound into gaps. Without
// real-time this is said once, when sound is first played.

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace fw {

class StreamBuffer {
 public:
  using Report = std::function<void(const std::string&)>;

  StreamBuffer();
  // Waits for the request to be answered.
  ~StreamBuffer();
  StreamBuffer(const StreamBuffer&) = delete;
  StreamBuffer& operator=(const StreamBuffer&) = delete;

  // Asks, once, for real-time scheduling of the thread `tid` on a thread of its own (the
  // answer may take a second on D-Bus); until it comes, frames() is the larger buffer.
  // The line about a refusal goes to report, with the buffer in ms at sampleRate.
  void requestRealtime(pid_t tid, int sampleRate, Report report);
  // The buffer for the next stream, in frames. Any thread.
  int frames() const { return frames_; }
  // Called when a stream opens; the first time after a refusal the line is said.
  void streamOpened() noexcept;

 private:
  void tellOnce() noexcept;

  std::thread request_;
  int sampleRate_ = 48000;
  Report report_;
  std::string refusal_;  // written before decided_ is set
  std::atomic<int> frames_;
  std::atomic<bool> decided_{false};
  std::atomic<bool> granted_{false};
  std::atomic<bool> streamed_{false};
  std::atomic<bool> told_{false};
};

}  // namespace fw
