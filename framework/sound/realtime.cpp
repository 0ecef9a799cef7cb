#include "framework/sound/realtime.h"

namespace fw {

RealtimeResult makeThreadRealtime(pid_t, int) noexcept {
  RealtimeResult result;
  result.reason = "real-time scheduling is not requested yet";
  return result;
}

}  // namespace fw
