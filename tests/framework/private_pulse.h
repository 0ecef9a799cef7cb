#pragma once
// A PulseAudio server of a test's own, with a null sink, on a socket in a temporary
// folder named after the test's process, so a test hears nothing, needs no sound card
// and can stop the server and start a new one on the same socket. Stopped by its pid.

#include <sys/types.h>

#include <filesystem>
#include <string>

#include "tests/support/scoped_env.h"

namespace fw {

// Standard output of a shell command.
std::string output(const std::string& command);
bool onPath(const char* program);

using testing_support::ScopedEnv;

class PrivatePulse {
 public:
  // Starts the server and waits (up to 10 s) until it answers.
  PrivatePulse();
  ~PrivatePulse();
  PrivatePulse(const PrivatePulse&) = delete;
  PrivatePulse& operator=(const PrivatePulse&) = delete;

  // The value for PULSE_SERVER: the same for every server of this process.
  static std::string address();
  bool answers() const;
  // Stops the server (SIGSTOP) and lets it go on (SIGCONT): stopped, it takes
  // connections into its socket's backlog and answers none, as a hung server does.
  void pause() const;
  void resume() const;
  // A pactl command line addressed to this server.
  std::string pactl(const std::string& args) const;
  const std::string& server() const { return server_; }
  // The server's temporary folder, which the test may use too.
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
  std::string server_;
  pid_t pid_ = 0;
};

// Polls `done` every 50 ms for up to `seconds`; true as soon as it holds.
template <typename Done>
bool eventually(double seconds, Done done);

}  // namespace fw

#include <chrono>
#include <thread>

template <typename Done>
bool fw::eventually(double seconds, Done done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}
