#pragma once
// What every experiment of the probe works with: the X client, the monitor recording,
// the program under test, and waiting on them together.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "bench/probe/monitor.h"
#include "bench/probe/x_client.h"

namespace probe {

inline constexpr const char* kTitle = "VELMO TAVI Italian Edition";

double msBetween(Clock::time_point from, Clock::time_point to);

// A program measured: how to start it, how to find its window and how to play a note.
struct Subject {
  std::vector<std::string> argv;  // argv[0] looked up in PATH
  std::vector<std::string> env;   // NAME=value settings over the probe's own
  std::string title;              // of its main window
  std::string noteKey;            // X keysym that starts a note
  // True: the note lasts while its key is held (a piano keyboard). False: a tap starts
  // it and the space bar ends it (this program).
  bool noteWhileHeld = false;
};

// This program, at PATH.
Subject velmoSubject(const std::string& path);
// The same subject run as the user nobody (group nogroup, no other groups), with HOME
// and XDG_RUNTIME_DIR in `home`, which nobody must own.
Subject unprivileged(Subject subject, const std::string& home);

class Session {
 public:
  Session(Subject subject, XClient& x, MonitorRecorder& monitor)
      : subject_(std::move(subject)), x_(x), monitor_(monitor) {}
  ~Session() { end(); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  XClient& x() { return x_; }
  MonitorRecorder& monitor() { return monitor_; }
  bool sound() const { return monitor_.running() && monitor_.flowing(); }

  const Subject& subject() const { return subject_; }
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
  // Starts a note with the subject's key (the window must have the focus) and waits
  // for the first audible frame after it; silence is expected before. Without sound the
  // note is started again every `retry`, with the focus given again: it may have come
  // too early.
  KeyResult keyToSound(WindowId window, Clock::duration timeout, Clock::duration retry);
  // Starts and ends a note the subject's way, without waiting.
  void startNote();
  void endNote();
  // Waits until the recording has been quiet for `quiet`.
  bool waitForQuiet(Clock::duration quiet, Clock::duration timeout);

 private:
  Subject subject_;
  XClient& x_;
  MonitorRecorder& monitor_;
  pid_t pid_ = -1;
};

}  // namespace probe
