#pragma once
// The soft RLIMIT_RTPRIO lowered to 0 for the life of the object, then put back, so a
// real-time request goes to RealtimeKit even where the process could schedule itself
// (as root, or with a limit given by the system). The soft limit may always be raised
// back to the hard one.

#include <sys/resource.h>

namespace testing_support {

class NoRtprio {
 public:
  NoRtprio() {
    getrlimit(RLIMIT_RTPRIO, &saved_);
    rlimit none = saved_;
    none.rlim_cur = 0;
    setrlimit(RLIMIT_RTPRIO, &none);
  }
  ~NoRtprio() { setrlimit(RLIMIT_RTPRIO, &saved_); }
  NoRtprio(const NoRtprio&) = delete;
  NoRtprio& operator=(const NoRtprio&) = delete;

 private:
  rlimit saved_{};
};

}  // namespace testing_support
