#include "bench/probe/session.h"

#include <poll.h>

#include <algorithm>

#include "bench/probe/process.h"

namespace probe {

double msBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

Clock::time_point Session::launch() {
  end();
  x_.forgetEvents();
  monitor_.drain();
  const Clock::time_point start = Clock::now();
  pid_ = spawn({program_}, {"QT_QPA_PLATFORM=xcb"});
  return start;
}

WindowId Session::waitForWindow(Clock::duration timeout, Clock::time_point* seen) {
  WindowId window = 0;
  waitUntil(Clock::now() + timeout, [&] {
    window = x_.mappedWindow(kTitle);
    return window != 0 || !running(pid_);
  });
  if (seen != nullptr) *seen = Clock::now();
  return window;
}

void Session::end() {
  if (pid_ > 0) stop(pid_);
  pid_ = -1;
}

bool Session::waitUntil(Clock::time_point deadline, const std::function<bool()>& done) {
  for (;;) {
    if (done()) return true;
    const Clock::time_point now = Clock::now();
    if (now >= deadline) return false;
    pollfd fds[2] = {{x_.fd(), POLLIN, 0}, {monitor_.fd(), POLLIN, 0}};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    const int timeout = static_cast<int>(std::clamp<long>(left.count(), 1, 50));
    poll(fds, monitor_.fd() >= 0 ? 2 : 1, timeout);
    monitor_.drain();
  }
}

Session::KeyResult Session::keyToSound(WindowId window, const char* keysym, Clock::duration timeout,
                                       Clock::duration retry) {
  KeyResult result;
  monitor_.expectSound();
  result.key = Clock::now();
  x_.tapKey(keysym);
  result.sent = 1;
  Clock::time_point last = result.key;
  if (!sound()) return result;
  const bool heard = waitUntil(result.key + timeout, [&] {
    if (monitor_.onset()) return true;
    if (Clock::now() - last >= retry) {
      x_.focus(window);
      x_.tapKey(keysym);
      last = Clock::now();
      ++result.sent;
    }
    return false;
  });
  if (heard) result.heard = monitor_.onset();
  return result;
}

bool Session::waitForQuiet(Clock::duration quiet, Clock::duration timeout) {
  const double seconds = std::chrono::duration<double>(quiet).count();
  return waitUntil(Clock::now() + timeout, [&] { return monitor_.quietSeconds() >= seconds; });
}

}  // namespace probe
