#pragma once
// Real-time scheduling that the process may give itself, within RLIMIT_RTPRIO.

#include <sys/resource.h>
#include <sys/types.h>

#include "framework/sound/realtime.h"

namespace fw {

// Sets SCHED_RR, reset on fork, at no more than `wanted`, `limit` (the soft
// RLIMIT_RTPRIO) and the scheduler's own maximum for the thread `tid` of this process.
// Gives None with a reason when the limit is 0 or the kernel refuses.
RealtimeResult makeRealtimeDirectly(pid_t tid, int wanted, rlim_t limit) noexcept;

}  // namespace fw
