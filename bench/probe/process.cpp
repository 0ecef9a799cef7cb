#include "bench/probe/process.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

extern char** environ;

namespace probe {
namespace {

std::string readFile(const std::string& path) {
  std::ifstream file(path);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::optional<long> parseLong(std::string_view text) {
  const std::string owned(text);
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(owned.c_str(), &end, 10);
  if (end == owned.c_str() || errno != 0) return std::nullopt;
  return value;
}

}  // namespace

pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
            int stdoutFd) {
  if (argv.empty()) return -1;
  // Built before the fork: the child may only call async-signal-safe functions.
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> settings;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry(*e);
    bool replaced = false;
    for (const std::string& extra : extraEnv) {
      const std::size_t eq = extra.find('=');
      if (entry.substr(0, entry.find('=')) == std::string_view(extra).substr(0, eq))
        replaced = true;
    }
    if (!replaced) settings.emplace_back(entry);
  }
  settings.insert(settings.end(), extraEnv.begin(), extraEnv.end());
  std::vector<char*> env;
  for (std::string& s : settings) env.push_back(s.data());
  env.push_back(nullptr);
  const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);

  const pid_t pid = fork();
  if (pid == 0) {
    const int out = stdoutFd >= 0 ? stdoutFd : devNull;
    if (out >= 0) dup2(out, STDOUT_FILENO);
    execvpe(args[0], args.data(), env.data());
    _exit(127);
  }
  if (devNull >= 0) close(devNull);
  return pid;
}

bool running(pid_t pid) {
  if (pid <= 0) return false;
  int status = 0;
  return waitpid(pid, &status, WNOHANG) == 0;
}

void stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid, &status, WNOHANG) != 0) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
}

std::optional<ThreadSample> parseStat(std::string_view text) {
  const std::size_t open = text.find('(');
  const std::size_t close = text.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open)
    return std::nullopt;
  ThreadSample sample;
  const std::optional<long> tid = parseLong(text.substr(0, open));
  if (!tid) return std::nullopt;
  sample.tid = *tid;
  sample.name = std::string(text.substr(open + 1, close - open - 1));
  // After the name: state (field 3) ... utime (field 14), stime (field 15).
  std::istringstream rest{std::string(text.substr(close + 1))};
  std::vector<std::string> fields(std::istream_iterator<std::string>(rest), {});
  if (fields.size() < 13) return std::nullopt;
  const std::optional<long> user = parseLong(fields[11]);
  const std::optional<long> system = parseLong(fields[12]);
  if (!user || !system) return std::nullopt;
  sample.ticks = *user + *system;
  // Field 41, the policy, is the 39th after the name; kernels before 2.6 lack it.
  if (fields.size() > 38) sample.policy = static_cast<int>(parseLong(fields[38]).value_or(0));
  return sample;
}

std::optional<long> statusField(std::string_view text, std::string_view field) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(at, end - at);
    if (line.size() > field.size() && line.substr(0, field.size()) == field &&
        line[field.size()] == ':')
      return parseLong(line.substr(field.size() + 1));
    at = end + 1;
  }
  return std::nullopt;
}

std::vector<ThreadSample> threadsOf(pid_t pid) {
  std::vector<ThreadSample> threads;
  const std::string folder = "/proc/" + std::to_string(pid) + "/task";
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return threads;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    const std::string task = folder + "/" + entry->d_name;
    std::optional<ThreadSample> sample = parseStat(readFile(task + "/stat"));
    if (!sample) continue;
    const std::string status = readFile(task + "/status");
    sample->switches = statusField(status, "voluntary_ctxt_switches").value_or(0) +
                       statusField(status, "nonvoluntary_ctxt_switches").value_or(0);
    threads.push_back(*sample);
  }
  closedir(dir);
  return threads;
}

bool realtimePolicy(int policy) {
  return policy == SCHED_FIFO || policy == SCHED_RR;
}

std::optional<long> processTicks(pid_t pid) {
  const std::optional<ThreadSample> whole =
      parseStat(readFile("/proc/" + std::to_string(pid) + "/stat"));
  if (!whole) return std::nullopt;
  return whole->ticks;
}

bool setRealtime(pid_t pid, int priority) {
  const std::vector<ThreadSample> threads = threadsOf(pid);
  if (threads.empty()) return false;
  sched_param param{};
  param.sched_priority = priority;
  bool all = true;
  for (const ThreadSample& t : threads)
    if (sched_setscheduler(static_cast<pid_t>(t.tid), priority > 0 ? SCHED_FIFO : SCHED_OTHER,
                           &param) != 0)
      all = false;
  return all;
}

pid_t spawnBusyLoop() {
  return spawn({"sh", "-c", "while :; do :; done"}, {});
}

std::optional<long> statusKb(pid_t pid, std::string_view field) {
  return statusField(readFile("/proc/" + std::to_string(pid) + "/status"), field);
}

}  // namespace probe
