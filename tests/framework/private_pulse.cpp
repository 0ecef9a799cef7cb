#include "tests/framework/private_pulse.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace fw {

namespace fs = std::filesystem;

namespace {

fs::path folder() {
  return fs::temp_directory_path() / ("sound_pulse_" + std::to_string(getpid()));
}

}  // namespace

std::string output(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    std::array<char, 512> buffer;
    while (fgets(buffer.data(), buffer.size(), pipe)) text += buffer.data();
    pclose(pipe);
  }
  return text;
}

bool onPath(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::string PrivatePulse::address() {
  return "unix:" + (folder() / "native").string();
}

PrivatePulse::PrivatePulse() : dir_(folder()), server_(address()) {
  fs::create_directories(dir_ / "home");
  fs::create_directories(dir_ / "run");
  const std::string home = "HOME=" + (dir_ / "home").string();
  const std::string runtime = "XDG_RUNTIME_DIR=" + (dir_ / "run").string();
  const std::string socket = "module-native-protocol-unix socket=" + (dir_ / "native").string();
  const std::string log = (dir_ / "pulseaudio.log").string();
  std::vector<std::string> args = {"pulseaudio", "--daemonize=no",          "--exit-idle-time=-1",
                                   "-n",         "--load=module-null-sink", "--load=" + socket};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  // The server reaches none of the machine's buses either (it would ask RealtimeKit on the
  // system bus for real-time scheduling).
  const std::string noBus = "unix:path=" + (dir_ / "no-bus").string();
  std::vector<std::string> env = {home, runtime, "PATH=/usr/bin:/bin",
                                  "DBUS_SYSTEM_BUS_ADDRESS=" + noBus,
                                  "DBUS_SESSION_BUS_ADDRESS=" + noBus};
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (posix_spawnp(&pid_, "pulseaudio", &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = 0;
  posix_spawn_file_actions_destroy(&actions);
  if (pid_ != 0) eventually(10, [this] { return answers(); });
}

PrivatePulse::~PrivatePulse() {
  if (pid_ != 0) {
    resume();
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
}

void PrivatePulse::pause() const {
  if (pid_ != 0) kill(pid_, SIGSTOP);
}

void PrivatePulse::resume() const {
  if (pid_ != 0) kill(pid_, SIGCONT);
}

bool PrivatePulse::answers() const {
  return std::system(pactl("info >/dev/null 2>&1").c_str()) == 0;
}

std::string PrivatePulse::pactl(const std::string& args) const {
  return "PULSE_SERVER=" + server_ + " pactl " + args;
}

}  // namespace fw
