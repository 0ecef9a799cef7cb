#pragma once
// Real-time scheduling granted by RealtimeKit, the system D-Bus service that desktops
// run so that a normal user's sound thread may run at real-time priority.

#include <sys/types.h>

#include "framework/sound/realtime.h"

namespace fw {

// Asks RealtimeKit for SCHED_RR at no more than `wanted` and its MaxRealtimePriority
// for the thread `tid` of this process, after lowering RLIMIT_RTTIME to its
// RTTimeUSecMax, which it requires. The bus is DBUS_SYSTEM_BUS_ADDRESS when set, else
// the standard system bus socket. Uses a private connection of its own, so it is safe
// from any thread without a Qt application; gives up after about a second in all.
RealtimeResult askRealtimeKit(pid_t tid, int wanted) noexcept;

}  // namespace fw
