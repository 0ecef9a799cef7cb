#pragma once
// Real-time scheduling for the thread that renders sound, so that a busy machine does
// not starve it into gaps of silence.
//
// Two ways are tried, in order: the process's own RLIMIT_RTPRIO (no more than it
// allows), then RealtimeKit on the system D-Bus, which desktops run for exactly this.
// Neither may be there; then the thread keeps its normal priority and the caller
// chooses a buffer that holds without it.

#include <sys/types.h>

#include <string>

namespace fw {

enum class RealtimeGrant { None, Rlimit, RealtimeKit };

struct RealtimeResult {
  RealtimeGrant grant = RealtimeGrant::None;
  int priority = 0;    // the SCHED_RR priority given, 0 when none
  std::string reason;  // why it was refused, for the one line the caller may print
};

// Asks for SCHED_RR at no more than `wanted` for the thread `tid` (a kernel thread id
// of this process, as gettid() gives). Safe to call from any thread, with or without a
// Qt application; never throws; blocks for at most about a second on D-Bus.
RealtimeResult makeThreadRealtime(pid_t tid, int wanted) noexcept;

}  // namespace fw
