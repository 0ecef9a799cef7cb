#pragma once
// Child processes started by the probe, stopped by their own pid, and what /proc says
// about a running one.

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace probe {

// Starts argv[0] (looked up in PATH) with the extra NAME=value settings added to this
// process's environment. Its standard output goes to stdoutFd (-1: /dev/null); standard
// error is shared. Returns the pid, or -1 when it could not be started.
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
            int stdoutFd = -1);
// True while the child runs (it is reaped if it has ended).
bool running(pid_t pid);
// Asks the child to end (SIGTERM), kills it if it has not within 3 s, and reaps it.
void stop(pid_t pid);

// One thread of a process as /proc shows it.
struct ThreadSample {
  long tid = 0;
  std::string name;   // comm: "velmo", "pulse-audio", "QXcbEventQueue"
  long ticks = 0;     // user + system CPU time, in clock ticks
  long switches = 0;  // voluntary + involuntary context switches: its wakeups
  int policy = 0;     // scheduling policy: SCHED_OTHER 0, SCHED_FIFO 1, SCHED_RR 2, ...
};

// True for the real-time policies SCHED_FIFO and SCHED_RR.
bool realtimePolicy(int policy);

// Every thread of the process; empty when it has ended.
std::vector<ThreadSample> threadsOf(pid_t pid);
// User + system CPU ticks of the whole process, ended threads included
// (/proc/PID/stat); nullopt when it has ended.
std::optional<long> processTicks(pid_t pid);
// Puts every thread of the process at SCHED_FIFO with `priority`, or back at SCHED_OTHER
// when priority is 0. False when a thread could not be changed (no privilege).
bool setRealtime(pid_t pid, int priority);
// A child that spins at normal priority until stopped: one core's worth of load.
pid_t spawnBusyLoop();

// A field of /proc/PID/status in kB ("VmHWM", "VmRSS"); nullopt when unreadable.
std::optional<long> statusKb(pid_t pid, std::string_view field);

// Parsers of /proc text, exposed for testing.
// The name, CPU ticks and scheduling policy from the text of /proc/PID/task/TID/stat,
// whose name may hold spaces and parentheses ("Thread (pooled)").
std::optional<ThreadSample> parseStat(std::string_view text);
// The number after "Field:" in the text of /proc/PID/status.
std::optional<long> statusField(std::string_view text, std::string_view field);

}  // namespace probe
