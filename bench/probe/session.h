#pragma once
// What every experiment of the probe works with: the X client, the monitor recording,
// the program under test, and waiting on them together.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>

#include "bench/probe/monitor.h"
#include "bench/probe/x_client.h"

namespace probe {

inline constexpr const char* kTitle = "VELMO TAVI Italian Edition";

double msBetween(Clock::time_point from, Clock::time_point to);

class Session {
 public:
  Session(std::string program, XClient& x, MonitorRecorder& monitor)
      : program_(std::move(program)), x_(x), monitor_(monitor) {}
  ~Session() { end(); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  XClient& x() { return x_; }
  MonitorRecorder& monitor() { return monitor_; }
  bool sound() const { return monitor_.running() && monitor_.flowing(); }

  // Starts the program (on the X display, its sound on the server of PULSE_SERVER) and
  // returns the time just before it was started.
  Clock::time_point launch();
  pid_t pid() const { return pid_; }
  // Waits for the program's window to be mapped (0 on time-out or when the program
  // ended); the time it was seen goes to *seen.
  WindowId waitForWindow(Clock::duration timeout, Clock::time_point* seen = nullptr);
  // Ends the program, if it runs.
  void end();

  // Keeps reading X events and the recording until `done` is true or the time is up.
  bool waitUntil(Clock::time_point deadline, const std::function<bool()>& done);
  void pause(Clock::duration length) {
    waitUntil(Clock::now() + length, [] { return false; });
  }
  struct KeyResult {
    Clock::time_point key;                   // just before the first key was sent
    std::optional<Clock::time_point> heard;  // the first audible frame after it
    int sent = 0;                            // keys sent, retries included
  };
  // Sends the key to the window (which must have the focus) and waits for the first
  // audible frame after it; silence is expected before. Without sound the key is sent
  // again every `retry`, with the focus given again: it may have come too early.
  KeyResult keyToSound(WindowId window, const char* keysym, Clock::duration timeout,
                       Clock::duration retry);
  // Waits until the recording has been quiet for `quiet`.
  bool waitForQuiet(Clock::duration quiet, Clock::duration timeout);

 private:
  std::string program_;
  XClient& x_;
  MonitorRecorder& monitor_;
  pid_t pid_ = -1;
};

}  // namespace probe
