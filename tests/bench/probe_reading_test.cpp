// What the probe reads: sound onsets in recorded chunks and their times, and the /proc
// text it takes CPU time, wakeups and memory from.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/probe/audio_onset.h"
#include "bench/probe/process.h"

namespace {

using probe::Clock;

TEST(AudioOnset, FindsTheFirstFrameLouderThanTheLevelOnAnyChannel) {
  const std::vector<int16_t> quiet = {0, 3, -100, 100, 50, -7};
  EXPECT_FALSE(probe::firstAudibleFrame(quiet, 2)) << "exactly the level is still quiet";
  // Frame 2's right channel is the first loud sample; negative peaks count too.
  const std::vector<int16_t> stereo = {0, 0, 12, -9, 0, -101, 3000, 3000};
  EXPECT_EQ(probe::firstAudibleFrame(stereo, 2), 2u);
  EXPECT_EQ(probe::firstAudibleFrame(stereo, 1), 5u);
  EXPECT_EQ(probe::firstAudibleFrame(stereo, 2, 5000), std::nullopt);
  // -32768 has no positive counterpart in 16 bits.
  const std::vector<int16_t> extreme = {INT16_MIN, 0};
  EXPECT_EQ(probe::firstAudibleFrame(extreme, 2), 0u);
  // A trailing part frame is not looked at, and nonsense channel counts find nothing.
  const std::vector<int16_t> split = {0, 0, 900};
  EXPECT_FALSE(probe::firstAudibleFrame(split, 2));
  EXPECT_FALSE(probe::firstAudibleFrame(stereo, 0));
}

TEST(AudioOnset, CountsTheQuietFramesAfterTheLastLoudOne) {
  const std::vector<int16_t> tail = {0, 0, 400, 0, 0, 7, -3, 0, 0, 0};
  EXPECT_EQ(probe::trailingQuietFrames(tail, 2), 3u) << "frame 1 is the last loud one";
  EXPECT_EQ(probe::trailingQuietFrames(tail, 1), 7u);
  const std::vector<int16_t> loudEnd = {0, 0, 0, -200};
  EXPECT_EQ(probe::trailingQuietFrames(loudEnd, 2), 0u);
  const std::vector<int16_t> silence(10, 5);
  EXPECT_EQ(probe::trailingQuietFrames(silence, 2), 5u) << "all quiet: every frame";
  const std::vector<int16_t> split = {0, 0, 900};
  EXPECT_EQ(probe::trailingQuietFrames(split, 2), 1u) << "the part frame is not looked at";
}

TEST(AudioOnset, DatesAFrameBackFromItsChunksArrival) {
  const Clock::time_point arrived = Clock::now();
  // 441 frames at 44.1 kHz: the first is 440 frame periods (9.977 ms) older.
  const auto first = probe::frameTime(arrived, 441, 0, 44100);
  const double ms = std::chrono::duration<double, std::milli>(arrived - first).count();
  EXPECT_NEAR(ms, 440 / 44.1, 1e-3);
  EXPECT_EQ(probe::frameTime(arrived, 441, 440, 44100), arrived) << "the last frame arrived";
  EXPECT_EQ(probe::frameTime(arrived, 441, 441, 44100), arrived) << "no frame: no dating back";
  EXPECT_EQ(probe::frameTime(arrived, 441, 0, 0), arrived);
}

TEST(ProcText, ReadsNameAndCpuTicksOfAThreadWhateverItsName) {
  // The name holds spaces and a closing parenthesis; utime 15 and stime 4 follow.
  const auto pooled = probe::parseStat(
      "4242 (Thread (pooled)) S 1 4242 4242 0 -1 4194368 120 0 0 0 15 4 0 0 20 0 9 0 77 "
      "100000 200 18446744073709551615\n");
  ASSERT_TRUE(pooled);
  EXPECT_EQ(pooled->tid, 4242);
  EXPECT_EQ(pooled->name, "Thread (pooled)");
  EXPECT_EQ(pooled->ticks, 19);
  EXPECT_EQ(pooled->policy, 0) << "a line cut before field 41 leaves the policy at SCHED_OTHER";
  EXPECT_FALSE(probe::parseStat(""));
  EXPECT_FALSE(probe::parseStat("12 (cut) S 1 2 3"));
  EXPECT_FALSE(probe::parseStat("pid (x) S 1 1 1 0 -1 0 0 0 0 0 1 1"));
}

TEST(ProcText, ReadsTheSchedulingPolicyFromField41) {
  // A thread at SCHED_RR priority 20 (field 40) in the layout of Linux 6: 52 fields.
  std::string line = "77 (pulse (io)) S";
  for (int field = 4; field <= 52; ++field) {
    line += ' ';
    line += std::to_string(field == 40 ? 20 : field == 41 ? 2 : field == 14 ? 30 : 0);
  }
  const auto sample = probe::parseStat(line);
  ASSERT_TRUE(sample);
  EXPECT_EQ(sample->policy, 2);
  EXPECT_EQ(sample->ticks, 30);
  EXPECT_TRUE(probe::realtimePolicy(sample->policy));
  EXPECT_TRUE(probe::realtimePolicy(1)) << "SCHED_FIFO";
  EXPECT_FALSE(probe::realtimePolicy(0)) << "SCHED_OTHER";
  EXPECT_FALSE(probe::realtimePolicy(3)) << "SCHED_BATCH";
  EXPECT_FALSE(probe::realtimePolicy(5)) << "SCHED_IDLE";
}

TEST(ProcText, FindsStatusFieldsByTheirWholeName) {
  const char* status =
      "Name:\tvelmo\nVmHWM:\t   61348 kB\nVmRSS:\t   58264 kB\n"
      "voluntary_ctxt_switches:\t136\nnonvoluntary_ctxt_switches:\t14\n";
  EXPECT_EQ(probe::statusField(status, "VmHWM"), 61348);
  EXPECT_EQ(probe::statusField(status, "VmRSS"), 58264);
  EXPECT_EQ(probe::statusField(status, "voluntary_ctxt_switches"), 136)
      << "not the nonvoluntary line that ends with the same words";
  EXPECT_EQ(probe::statusField(status, "nonvoluntary_ctxt_switches"), 14);
  EXPECT_FALSE(probe::statusField(status, "VmSwap"));
  EXPECT_FALSE(probe::statusField(status, "Vm"));
  EXPECT_FALSE(probe::statusField(status, "Name")) << "not a number";
}

TEST(ProcText, ThisProcessShowsItsOwnThreadsAndMemory) {
  const auto threads = probe::threadsOf(getpid());
  ASSERT_FALSE(threads.empty());
  bool main = false;
  for (const auto& t : threads) main = main || t.tid == getpid();
  EXPECT_TRUE(main);
  EXPECT_GT(probe::statusKb(getpid(), "VmHWM").value_or(0), 0);
  EXPECT_FALSE(probe::statusKb(-1, "VmHWM"));
  EXPECT_GE(probe::processTicks(getpid()).value_or(-1), 0);
  EXPECT_FALSE(probe::processTicks(-1));
}

}  // namespace

namespace {

TEST(ProbeChildren, GetTheirOwnSettingsOverTheInheritedOnesAndAreStoppedByPid) {
  setenv("VELMO_PROBE_TEST", "inherited", 1);
  setenv("VELMO_PROBE_KEPT", "kept", 1);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t shell = probe::spawn({"sh", "-c", "echo \"$VELMO_PROBE_TEST $VELMO_PROBE_KEPT\""},
                                   {"VELMO_PROBE_TEST=given"}, fds[1]);
  close(fds[1]);
  ASSERT_GT(shell, 0);
  char text[64] = {};
  std::size_t got = 0;
  for (ssize_t n;
       got < sizeof text - 1 && (n = read(fds[0], text + got, sizeof text - 1 - got)) > 0;)
    got += static_cast<std::size_t>(n);
  close(fds[0]);
  EXPECT_STREQ(text, "given kept\n");
  probe::stop(shell);
  EXPECT_FALSE(probe::running(shell));

  const pid_t sleeper = probe::spawn({"sleep", "30"}, {});
  ASSERT_GT(sleeper, 0);
  EXPECT_TRUE(probe::running(sleeper));
  probe::stop(sleeper);
  EXPECT_FALSE(probe::running(sleeper)) << "ended and reaped";
  unsetenv("VELMO_PROBE_TEST");
  unsetenv("VELMO_PROBE_KEPT");
}

TEST(ProbeChildren, AreMovedToRealTimeAndBackThreadByThread) {
  const pid_t sleeper = probe::spawn({"sleep", "30"}, {});
  ASSERT_GT(sleeper, 0);
  const auto policies = [&] {
    std::vector<int> all;
    for (const auto& t : probe::threadsOf(sleeper)) all.push_back(t.policy);
    return all;
  };
  if (!probe::setRealtime(sleeper, 5)) {
    probe::stop(sleeper);
    GTEST_SKIP() << "no privilege to give a process real-time priority here";
  }
  EXPECT_EQ(policies(), std::vector<int>{1}) << "SCHED_FIFO";
  EXPECT_TRUE(probe::setRealtime(sleeper, 0));
  EXPECT_EQ(policies(), std::vector<int>{0}) << "SCHED_OTHER again";
  probe::stop(sleeper);
  EXPECT_FALSE(probe::setRealtime(sleeper, 5)) << "an ended process has no thread to change";
}

}  // namespace
