#include "framework/sound/realtime_direct.h"

#include <sched.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace fw {

RealtimeResult makeRealtimeDirectly(pid_t tid, int wanted, rlim_t limit) noexcept {
  RealtimeResult result;
  if (limit == 0) {
    result.reason = "RLIMIT_RTPRIO is 0";
    return result;
  }
  int priority = std::min(wanted, sched_get_priority_max(SCHED_RR));
  if (limit != RLIM_INFINITY && limit < static_cast<rlim_t>(priority))
    priority = static_cast<int>(limit);
  sched_param param{};
  param.sched_priority = priority;
  if (sched_setscheduler(tid, SCHED_RR | SCHED_RESET_ON_FORK, &param) != 0) {
    result.reason = std::string("SCHED_RR within RLIMIT_RTPRIO: ") + std::strerror(errno);
    return result;
  }
  result.grant = RealtimeGrant::Rlimit;
  result.priority = priority;
  return result;
}

}  // namespace fw
