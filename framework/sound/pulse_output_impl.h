#pragma once
// The inside of PulseOutput, shared by its two halves: the thread and the connection to
// the server (pulse_output.cpp), and the stream (pulse_stream.cpp). Its members are
// touched on the main loop's thread, or elsewhere with the loop's lock held, but for
// those said to be read from any thread.

#include <pulse/pulseaudio.h>
#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "framework/sound/pulse_output.h"
#include "framework/sound/silence_watch.h"
#include "framework/sound/stream_buffer.h"

namespace fw {

// Retrying the server after it went away, or when none answered at start: the waits
// double from the first to the longest, so a restarted server is found within a second
// and a missing one costs a connection attempt a second (measured: no clock tick of CPU
// in 10 s).
constexpr int kRetryFirstMs = 100;
constexpr int kRetryLongestMs = 1000;
// How long a server that took the connection has to answer before the first attempt
// counts as not answering. A live server answers within milliseconds; one starting up
// (autospawned) within a second or two.
constexpr int kAnswerWaitMs = 3000;
// Frames rendered per call of the renderer; a request for more is split.
constexpr int kChunkFrames = 1024;
constexpr int kChannels = 2;
constexpr size_t kFrameBytes = kChannels * sizeof(float);
// Seen in pavucontrol under the application's name, and used to recognise the thread.
constexpr const char* kStreamName = "Notes";
constexpr const char* kThreadName = "audio-out";

inline void done(pa_operation* operation) {
  if (operation) pa_operation_unref(operation);
}

struct PulseOutput::Impl {
  std::string name;
  int rate = 48000;
  Render render;
  Report report;
  Started started;
  pa_threaded_mainloop* loop = nullptr;
  pa_mainloop_api* api = nullptr;

  // Guarded by the main loop's lock (its callbacks run holding it).
  pa_context* context = nullptr;
  pa_stream* stream = nullptr;
  pa_time_event* retry = nullptr;
  pa_time_event* startWait = nullptr;
  // wake() only writes to wakeFd: the main loop's lock may be held for long (libpulse
  // starting a server itself on the first attempt), and the UI thread must not wait.
  int wakeFd = -1;
  pa_io_event* wakeEvent = nullptr;
  int retryMs = kRetryFirstMs;
  bool firstAttempt = true;
  bool settled = false;        // the first attempt's outcome is known (and was told)
  bool connectedOnce = false;  // a server answered since the last "went away"
  bool lossPending = false;
  bool closePending = false;
  bool noteWaiting = false;  // something is to sound once a server answers
  bool stopping = false;
  bool streamFailureSaid = false;
  bool corkWhenIdle = false;  // the server is PipeWire's: see closeIfIdle
  bool corked = false;
  SilenceWatch silence{rate};  // made again at the constructor's rate
  std::vector<float> left = std::vector<float>(kChunkFrames);
  std::vector<float> right = std::vector<float>(kChunkFrames);

  // Read from any thread.
  std::atomic<bool> ready{false};
  std::atomic<bool> streamOpen{false};
  std::atomic<pid_t> tid{0};
  mutable std::mutex serverMutex;
  std::string serverName;  // guarded by serverMutex

  StreamBuffer buffer;

  // --- the connection (pulse_output.cpp; all with the lock held) ---

  void say(const std::string& line) noexcept;
  void connect();
  // On the main loop's thread: the first attempt, and the time it has to be answered.
  static void begin(pa_mainloop_api*, void* data) noexcept;
  static void contextState(pa_context* c, void* data) noexcept;
  // Tells the first attempt's outcome, once.
  void settle(Start outcome);
  // The context is let go outside its own callbacks.
  void loseLater();
  static void lose(pa_mainloop_api*, void* data) noexcept;
  static void retryNow(pa_mainloop_api* api, pa_time_event* e, const timeval*, void* data) noexcept;
  static void startWaitOver(pa_mainloop_api* api, pa_time_event* e, const timeval*,
                            void* data) noexcept;
  void dropContext();
  static void noteThread(pa_mainloop_api*, void* data) noexcept;

  // --- the stream (pulse_stream.cpp; all with the lock held) ---

  void openStream();
  void streamFailed();
  void dropStream();
  static void streamState(pa_stream* s, void* data) noexcept;
  static void failStream(pa_mainloop_api*, void* data) noexcept;
  // On the main loop's thread: the server wants `bytes` more.
  static void write(pa_stream* s, size_t bytes, void* data) noexcept;
  // Closed on PulseAudio, corked on PipeWire: the measurements are in silence_watch.cpp.
  static void closeIfIdle(pa_mainloop_api*, void* data) noexcept;
  static void serverInfo(pa_context* c, const pa_server_info* info, void* data) noexcept;
  // With the lock held: a note was played.
  void noteOn();
  static void woken(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t,
                    void* data) noexcept;
};

}  // namespace fw
