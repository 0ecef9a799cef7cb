// Real-time scheduling of a thread. The RealtimeKit tests run a private bus of their own
// with a stand-in RealtimeKit that only records what it is asked, so no test changes the
// machine; the direct path schedules only a short-lived thread of the test itself.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/sound/realtime.h"
#include "framework/sound/realtime_direct.h"
#include "tests/support/no_rtprio.h"
#include "tests/support/scoped_env.h"

extern char** environ;

namespace fw {
namespace {

namespace fs = std::filesystem;

using testing_support::NoRtprio;
using testing_support::ScopedEnv;

// A program whose standard output the test reads line by line; stopped by its pid.
class Child {
 public:
  // `log`, when given, takes its standard error.
  explicit Child(std::vector<std::string> args, const std::string& log = {}) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    if (!log.empty())
      posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT, 0644);
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    out_ = fdopen(fds[0], "r");
  }
  ~Child() {
    stop();
    if (out_) fclose(out_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // The next line without its newline; empty at the end.
  std::string line() {
    char buffer[256];
    if (!out_ || !fgets(buffer, sizeof buffer, out_)) return {};
    std::string text = buffer;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }
  void stop() {
    if (pid_ == 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }

 private:
  pid_t pid_ = 0;
  FILE* out_ = nullptr;
};

// A D-Bus daemon of the test's own, named as the system bus for the test's duration.
class PrivateSystemBus {
 public:
  PrivateSystemBus() {
    char templ[] = "/tmp/realtime_bus_XXXXXX";
    dir_ = mkdtemp(templ) ? templ : "";
    const fs::path config = dir_ / "bus.conf";
    std::ofstream(config) << R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=)" << (dir_ / "socket").string()
                          << R"(</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
)";
    daemon_.emplace(std::vector<std::string>{"dbus-daemon", "--config-file=" + config.string(),
                                             "--nofork", "--nopidfile", "--print-address"},
                    // As root it says it could not raise its file limit; that is harmless.
                    (dir_ / "dbus-daemon.log").string());
    address_ = daemon_->line();
    if (!address_.empty()) env_.emplace("DBUS_SYSTEM_BUS_ADDRESS", address_);
  }
  ~PrivateSystemBus() {
    env_.reset();
    daemon_.reset();
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
  }
  bool running() const { return !address_.empty(); }

 private:
  fs::path dir_;
  std::optional<Child> daemon_;
  std::string address_;
  std::optional<ScopedEnv> env_;
};

// The stand-in RealtimeKit on the private bus.
class FakeRealtimeKit {
 public:
  FakeRealtimeKit(int maxPriority, long long rttimeMax, bool refuse = false)
      : child_(std::vector<std::string>{FAKE_REALTIMEKIT, std::to_string(maxPriority),
                                        std::to_string(rttimeMax), refuse ? "refuse" : ""}) {
    ready_ = child_.line() == "ready";
  }
  bool ready() const { return ready_; }
  // Stops the stand-in and gives the (thread, priority) of every request it received.
  std::vector<std::pair<pid_t, int>> requests() {
    child_.stop();
    std::vector<std::pair<pid_t, int>> seen;
    for (std::string line = child_.line(); !line.empty(); line = child_.line()) {
      long long thread = 0;
      int priority = 0;
      if (std::sscanf(line.c_str(), "request %lld %d", &thread, &priority) == 2)
        seen.emplace_back(static_cast<pid_t>(thread), priority);
    }
    return seen;
  }

 private:
  Child child_;
  bool ready_ = false;
};

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(SoundRealtime, RealtimeKitIsAskedForTheCallingThreadAtNoMoreThanItAllows) {
  PrivateSystemBus bus;
  ASSERT_TRUE(bus.running()) << "dbus-daemon did not start";
  FakeRealtimeKit rtkit(15, 200000);
  ASSERT_TRUE(rtkit.ready());
  NoRtprio noRtprio;

  // From a thread that is not the main one, as the sound's own thread is.
  pid_t other = 0;
  RealtimeResult capped;
  std::thread([&] {
    other = gettid();
    capped = makeThreadRealtime(other, 50);
  }).join();
  const RealtimeResult asked = makeThreadRealtime(gettid(), 7);

  EXPECT_EQ(capped.grant, RealtimeGrant::RealtimeKit) << capped.reason;
  EXPECT_EQ(capped.priority, 15);
  EXPECT_EQ(asked.grant, RealtimeGrant::RealtimeKit) << asked.reason;
  EXPECT_EQ(asked.priority, 7);
  EXPECT_EQ(asked.reason, "");
  const std::vector<std::pair<pid_t, int>> expected = {{other, 15}, {gettid(), 7}};
  EXPECT_EQ(rtkit.requests(), expected);

  rlimit rttime{};
  ASSERT_EQ(getrlimit(RLIMIT_RTTIME, &rttime), 0);
  EXPECT_NE(rttime.rlim_max, RLIM_INFINITY);
  EXPECT_LE(rttime.rlim_max, 200000u);
  EXPECT_LE(rttime.rlim_cur, rttime.rlim_max);
  // Granted by the stand-in, which schedules nothing: the process did not do it itself.
  EXPECT_EQ(sched_getscheduler(gettid()), SCHED_OTHER);
}

TEST(SoundRealtime, AnRttimeLimitAlreadyLowerThanRealtimeKitAsksIsKept) {
  PrivateSystemBus bus;
  ASSERT_TRUE(bus.running()) << "dbus-daemon did not start";
  FakeRealtimeKit rtkit(20, 200000);
  ASSERT_TRUE(rtkit.ready());
  NoRtprio noRtprio;
  const rlimit lower = {100000, 150000};
  ASSERT_EQ(setrlimit(RLIMIT_RTTIME, &lower), 0);
  const RealtimeResult granted = makeThreadRealtime(gettid(), 10);
  EXPECT_EQ(granted.grant, RealtimeGrant::RealtimeKit) << granted.reason;
  rlimit now{};
  ASSERT_EQ(getrlimit(RLIMIT_RTTIME, &now), 0);
  EXPECT_EQ(now.rlim_cur, 100000u);
  EXPECT_EQ(now.rlim_max, 150000u);
}

TEST(SoundRealtime, ARefusalGivesNoneAndSaysWhy) {
  PrivateSystemBus bus;
  ASSERT_TRUE(bus.running()) << "dbus-daemon did not start";
  NoRtprio noRtprio;
  {
    FakeRealtimeKit rtkit(20, 200000, true);
    ASSERT_TRUE(rtkit.ready());
    const RealtimeResult refused = makeThreadRealtime(gettid(), 10);
    EXPECT_EQ(refused.grant, RealtimeGrant::None);
    EXPECT_EQ(refused.priority, 0);
    EXPECT_TRUE(contains(refused.reason, "RealtimeKit refused")) << refused.reason;
    EXPECT_TRUE(contains(refused.reason, "Operation not permitted")) << refused.reason;
    EXPECT_EQ(rtkit.requests().size(), 1u);
  }
  {
    FakeRealtimeKit rtkit(0, 200000);
    ASSERT_TRUE(rtkit.ready());
    const RealtimeResult none = makeThreadRealtime(gettid(), 10);
    EXPECT_EQ(none.grant, RealtimeGrant::None);
    EXPECT_TRUE(contains(none.reason, "no real-time priority")) << none.reason;
    EXPECT_TRUE(rtkit.requests().empty()) << "a priority it does not allow is not asked for";
  }
}

TEST(SoundRealtime, WithoutABusOrWithoutRealtimeKitItGivesNoneAndSaysWhy) {
  NoRtprio noRtprio;
  {
    ScopedEnv nowhere("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/system_bus_socket");
    const RealtimeResult none = makeThreadRealtime(gettid(), 10);
    EXPECT_EQ(none.grant, RealtimeGrant::None);
    EXPECT_TRUE(contains(none.reason, "no system D-Bus")) << none.reason;
  }
  {
    ScopedEnv garbage("DBUS_SYSTEM_BUS_ADDRESS", "not an address");
    const RealtimeResult none = makeThreadRealtime(gettid(), 10);
    EXPECT_EQ(none.grant, RealtimeGrant::None);
    EXPECT_TRUE(contains(none.reason, "no system D-Bus")) << none.reason;
  }
  {
    PrivateSystemBus bus;
    ASSERT_TRUE(bus.running()) << "dbus-daemon did not start";
    const RealtimeResult none = makeThreadRealtime(gettid(), 10);
    EXPECT_EQ(none.grant, RealtimeGrant::None);
    EXPECT_EQ(none.reason, "RealtimeKit is not running");
  }
}

// A bus that takes the connection and then says nothing must not hold up the caller,
// which is opening the sound: without a bound of its own this call would never return.
TEST(SoundRealtime, ABusThatNeverAnswersIsGivenUp) {
  NoRtprio noRtprio;
  char templ[] = "/tmp/realtime_stall_XXXXXX";
  ASSERT_NE(mkdtemp(templ), nullptr);
  const std::string path = std::string(templ) + "/socket";
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  RealtimeResult none;
  {
    ScopedEnv silent("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + path);
    none = makeThreadRealtime(gettid(), 10);
  }
  close(listener);
  fs::remove_all(templ);
  EXPECT_EQ(none.grant, RealtimeGrant::None);
  EXPECT_TRUE(contains(none.reason, "within a second")) << none.reason;
}

TEST(SoundRealtime, OnlyThreadsOfThisProcessAndRealPrioritiesAreAskedFor) {
  PrivateSystemBus bus;
  ASSERT_TRUE(bus.running()) << "dbus-daemon did not start";
  FakeRealtimeKit rtkit(20, 200000);
  ASSERT_TRUE(rtkit.ready());
  NoRtprio noRtprio;
  const pid_t stranger = fork();
  if (stranger == 0) {
    pause();
    _exit(0);
  }
  ASSERT_GT(stranger, 0);
  const RealtimeResult other = makeThreadRealtime(stranger, 10);
  kill(stranger, SIGKILL);
  waitpid(stranger, nullptr, 0);
  EXPECT_EQ(other.grant, RealtimeGrant::None);
  EXPECT_TRUE(contains(other.reason, "no such thread")) << other.reason;
  EXPECT_EQ(makeThreadRealtime(0, 10).grant, RealtimeGrant::None);
  EXPECT_EQ(makeThreadRealtime(-1, 10).grant, RealtimeGrant::None);
  EXPECT_EQ(makeThreadRealtime(gettid(), 0).grant, RealtimeGrant::None);
  EXPECT_TRUE(rtkit.requests().empty());
}

// Run on a thread of its own that ends straight after, so nothing else runs real-time.
struct Scheduled {
  RealtimeResult result;
  int policy = -1;
  int priority = -1;
};
Scheduled scheduleDirectly(int wanted, rlim_t limit) {
  Scheduled seen;
  std::thread([&] {
    seen.result = makeRealtimeDirectly(gettid(), wanted, limit);
    seen.policy = sched_getscheduler(gettid());
    sched_param param{};
    sched_getparam(gettid(), &param);
    seen.priority = param.sched_priority;
  }).join();
  return seen;
}

TEST(SoundRealtime, WithinRlimitRtprioTheThreadIsScheduledDirectly) {
  const Scheduled capped = scheduleDirectly(50, 10);
  if (capped.result.grant == RealtimeGrant::None && contains(capped.result.reason, "not permitted"))
    GTEST_SKIP() << "this process may not use SCHED_RR at all: " << capped.result.reason;
  EXPECT_EQ(capped.result.grant, RealtimeGrant::Rlimit) << capped.result.reason;
  EXPECT_EQ(capped.result.priority, 10);
  EXPECT_EQ(capped.policy, SCHED_RR | SCHED_RESET_ON_FORK);
  EXPECT_EQ(capped.priority, 10);

  const Scheduled unlimited = scheduleDirectly(5, RLIM_INFINITY);
  EXPECT_EQ(unlimited.result.priority, 5);
  EXPECT_EQ(unlimited.priority, 5);

  const Scheduled beyondTheScheduler = scheduleDirectly(1000, RLIM_INFINITY);
  EXPECT_EQ(beyondTheScheduler.result.priority, 99);
  EXPECT_EQ(beyondTheScheduler.priority, 99);

  const Scheduled none = scheduleDirectly(50, 0);
  EXPECT_EQ(none.result.grant, RealtimeGrant::None);
  EXPECT_EQ(none.result.reason, "RLIMIT_RTPRIO is 0");
  EXPECT_EQ(none.policy, SCHED_OTHER);
}

}  // namespace
}  // namespace fw
