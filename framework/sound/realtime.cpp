#include "framework/sound/realtime.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>

#include "framework/sound/realtime_direct.h"
#include "framework/sound/realtimekit.h"

namespace fw {
namespace {

// True when `tid` is a thread of this process: scheduling another process's thread,
// which root could do, is never what is meant.
bool ownThread(pid_t tid) {
  return tid > 0 && syscall(SYS_tgkill, getpid(), tid, 0) == 0;
}

}  // namespace

RealtimeResult makeThreadRealtime(pid_t tid, int wanted) noexcept {
  RealtimeResult result;
  try {
    if (wanted < 1) {
      result.reason = "no real-time priority was asked for";
      return result;
    }
    if (!ownThread(tid)) {
      result.reason = "no such thread in this process";
      return result;
    }
    rlimit limit{};
    if (getrlimit(RLIMIT_RTPRIO, &limit) != 0) limit.rlim_cur = 0;
    result = makeRealtimeDirectly(tid, wanted, limit.rlim_cur);
    if (result.grant != RealtimeGrant::None) return result;
    const std::string direct = limit.rlim_cur == 0 ? std::string() : result.reason + "; ";
    result = askRealtimeKit(tid, wanted);
    if (result.grant == RealtimeGrant::None) result.reason = direct + result.reason;
  } catch (...) {
    result = RealtimeResult{};
    result.reason = "out of memory";
  }
  return result;
}

}  // namespace fw
