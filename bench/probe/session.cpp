#include "bench/probe/session.h"

#include <poll.h>

#include <algorithm>

#include "bench/probe/process.h"

namespace probe {

double msBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

Subject velmoSubject(const std::string& path) {
  return {{path}, {"QT_QPA_PLATFORM=xcb"}, kTitle, "x", false};
}

Subject unprivileged(Subject subject, const std::string& home) {
  subject.argv.insert(subject.argv.begin(),
                      {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"});
  subject.env.push_back("HOME=" + home);
  subject.env.push_back("XDG_RUNTIME_DIR=" + home);
  // libpulse keeps its cookie under XDG_CONFIG_HOME, which may be a read-only folder.
  subject.env.push_back("PULSE_COOKIE=" + home + "/pulse-cookie");
  return subject;
}

Clock::time_point Session::launch() {
  end();
  x_.forgetEvents();
  monitor_.drain();
  const Clock::time_point start = Clock::now();
  pid_ = spawn(subject_.argv, subject_.env);
  return start;
}

WindowId Session::waitForWindow(Clock::duration timeout, Clock::time_point* seen) {
  WindowId window = 0;
  waitUntil(Clock::now() + timeout, [&] {
    window = x_.mappedWindow(subject_.title);
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

void Session::startNote() {
  if (subject_.noteWhileHeld)
    x_.pressKey(subject_.noteKey.c_str());
  else
    x_.tapKey(subject_.noteKey.c_str());
}

void Session::endNote() {
  if (subject_.noteWhileHeld)
    x_.releaseKey(subject_.noteKey.c_str());
  else
    x_.tapKey("space");
}

Session::KeyResult Session::keyToSound(WindowId window, Clock::duration timeout,
                                       Clock::duration retry) {
  KeyResult result;
  monitor_.expectSound();
  result.key = Clock::now();
  startNote();
  result.sent = 1;
  Clock::time_point last = result.key;
  if (!sound()) return result;
  const bool heard = waitUntil(result.key + timeout, [&] {
    if (monitor_.onset()) return true;
    if (Clock::now() - last >= retry) {
      if (subject_.noteWhileHeld) endNote();
      x_.focus(window);
      startNote();
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
