#include "bench/probe/experiments.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "bench/probe/process.h"

namespace probe {
namespace {

using bench::fixed;

using std::chrono::milliseconds;
using std::chrono::seconds;

// Window-relative points the user would click.
// control           x    y     (centre of its rectangle)
constexpr int kPopupX = 635 + 152 / 2, kPopupY = 11 + 34 / 2;
constexpr int kButtonX = 348 + 119 / 2, kButtonY = 419 + 33 / 2;

// General MIDI rows apart in the popup, so that the ten instruments come from ten of
// its families (pianos, chromatic percussion, organs, guitars, ...).
constexpr int kRowsPerStep = 12;
constexpr int kInstruments = 10;
constexpr auto kIdleWindow = seconds(10);
constexpr auto kQuiet = milliseconds(50);

constexpr const char* kNoRecording =
    "not measured: no recording from the null sink's monitor (PulseAudio or parec missing)";

bench::Figure figure(std::string name, std::optional<double> value, std::string unit, double goal,
                     std::string notes) {
  return {std::move(name), value, std::move(unit), goal, std::move(notes), std::nullopt};
}

// The threads that produce the sound: the program's stream on the sound server
// ("audio-out", libpulse's main loop, which renders), or FluidSynth's ALSA driver
// ("alsa-audio"); "threaded-ml" is libpulse's default name for such a loop.
bool audioThread(const std::string& name) {
  return name.find("audio") != std::string::npos || name == "threaded-ml";
}

struct CpuUse {
  double totalPercent = 0;
  double audioPercent = 0;
  double uiWakeupsPerSecond = 0;
};

CpuUse cpuBetween(const std::vector<ThreadSample>& before, const std::vector<ThreadSample>& after,
                  pid_t pid, double seconds) {
  std::map<long, ThreadSample> start;
  for (const ThreadSample& t : before) start[t.tid] = t;
  const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
  CpuUse use;
  for (const ThreadSample& t : after) {
    const ThreadSample& was = start.count(t.tid) ? start[t.tid] : ThreadSample{};
    const double percent =
        100.0 * static_cast<double>(t.ticks - was.ticks) / ticksPerSecond / seconds;
    use.totalPercent += percent;
    if (audioThread(t.name)) use.audioPercent += percent;
    if (t.tid == pid)
      use.uiWakeupsPerSecond = static_cast<double>(t.switches - was.switches) / seconds;
  }
  return use;
}

void addCpuFigures(const std::string& when, const std::optional<CpuUse>& use,
                   std::vector<bench::Figure>& out) {
  const std::string how =
      "utime+stime of every thread from /proc/PID/task/*/stat (10 ms ticks) over 10 s " + when;
  if (!use) {
    out.push_back(figure("CPU besides audio threads, 10 s " + when, std::nullopt, "%", 1.0,
                         "not measured: the program did not start"));
    out.push_back(figure("UI thread wakeups, 10 s " + when, std::nullopt, "/s", 10.0, ""));
    return;
  }
  out.push_back(figure("CPU besides audio threads, 10 s " + when,
                       use->totalPercent - use->audioPercent, "%", 1.0,
                       how + "; total " + fixed(use->totalPercent, 2) + " % of one core, audio " +
                           "threads (the stream's audio-out) " +
                           fixed(use->audioPercent, 2) + " %"));
  out.push_back(
      figure("UI thread wakeups, 10 s " + when, use->uiWakeupsPerSecond, "/s", 10.0,
             "context switches of the main thread (voluntary + involuntary) from "
             "/proc/PID/task/PID/status: no busy loop, and no timer left running (the "
             "timer that paces a Randam Hit phrase, left at 500 ms, would alone add 2 a second)"));
}

}  // namespace

void measureStartUp(Session& session, int runs, std::vector<bench::Figure>& out) {
  std::vector<double> mapped, heard;
  for (int run = 1; run <= runs; ++run) {
    session.waitForQuiet(kQuiet, seconds(3));
    const Clock::time_point start = session.launch();
    Clock::time_point seen;
    const WindowId window = session.waitForWindow(seconds(10), &seen);
    if (window == 0) {
      std::printf("  start %2d: no window\n", run);
      session.end();
      continue;
    }
    mapped.push_back(msBetween(start, seen));
    session.x().focus(window);
    const Session::KeyResult key = session.keyToSound(window, seconds(10), milliseconds(500));
    std::string note = "no sound";
    if (key.heard) {
      heard.push_back(msBetween(start, *key.heard));
      note = "first note heard " + fixed(heard.back()) + " ms";
    }
    std::printf("  start %2d: window mapped %6.1f ms, %s (%d key%s)\n", run, mapped.back(),
                note.c_str(), key.sent, key.sent == 1 ? "" : "s");
    std::fflush(stdout);
    session.end();
  }
  const std::string runsText = std::to_string(runs);
  out.push_back(figure("start to window mapped (median of " + runsText + ")", bench::median(mapped),
                       "ms", 100.0,
                       "from fork+exec of velmo (QT_QPA_PLATFORM=xcb, private Xvfb) to the "
                       "MapNotify of its titled window, seen by the probe's Xlib client"));
  out.push_back(figure("start to first note playable (median of " + runsText + ")",
                       session.sound() ? bench::median(heard) : std::nullopt, "ms", 100.0,
                       session.sound()
                           ? "FluidR3_GM loaded as the program does (background, dynamic "
                             "samples); the key x is sent through XTEST the moment the window "
                             "maps; ends at the first frame above -50 dBFS on the null sink's "
                             "monitor (parec, 5 ms fragments), so it includes the monitor's "
                             "delivery delay"
                           : kNoRecording));
}

void measurePeakMemory(Session& session, std::vector<bench::Figure>& out) {
  session.launch();
  const WindowId window = session.waitForWindow(seconds(10));
  if (window == 0) {
    out.push_back(figure("peak resident memory, 10 instruments played", std::nullopt, "MB", 100.0,
                         "not measured: the program did not start"));
    return;
  }
  session.x().focus(window);
  int heard = 0;
  std::string steps;  // resident MB after each instrument, to show the samples arriving
  for (int i = 0; i < kInstruments; ++i) {
    if (i > 0) {
      session.endNote();
      session.waitForQuiet(kQuiet, seconds(3));
      for (int step = 0; step < kRowsPerStep; ++step)
        session.x().click(window, kPopupX, kPopupY, 5);
    }
    const Session::KeyResult key = session.keyToSound(window, seconds(5), seconds(5));
    if (key.heard) ++heard;
    steps += ' ';  // not " " + ...: GCC 12 at -O3 warns falsely of an overlapping copy there
    steps += fixed(statusKb(session.pid(), "VmRSS").value_or(0) / 1024.0);
  }
  session.pause(milliseconds(200));
  const std::optional<long> peak = statusKb(session.pid(), "VmHWM");
  const std::optional<long> now = statusKb(session.pid(), "VmRSS");
  session.end();
  std::printf(
      "  peak memory: VmHWM %ld kB, VmRSS %ld kB at the end; %d of %d notes heard; "
      "MB resident after each:%s\n",
      peak.value_or(-1), now.value_or(-1), heard, kInstruments, steps.c_str());
  out.push_back(figure(
      "peak resident memory, 10 instruments played",
      peak ? std::optional<double>(*peak / 1024.0) : std::nullopt, "MB", 100.0,
      "VmHWM of /proc/PID/status in the real window: General MIDI programs 1, 13, ..., 109 "
      "chosen in the popup with the mouse wheel (12 rows a step), each played with the key x (" +
          std::to_string(heard) + " of 10 heard on the null sink)"));
}

void measureIdleCpu(Session& session, std::vector<bench::Figure>& out) {
  session.launch();
  const WindowId window = session.waitForWindow(seconds(10));
  std::optional<CpuUse> idle, afterHit;
  if (window != 0) {
    const pid_t pid = session.pid();
    const auto a = threadsOf(pid);
    const Clock::time_point ta = Clock::now();
    session.pause(kIdleWindow);
    const auto b = threadsOf(pid);
    idle = cpuBetween(a, b, pid, std::chrono::duration<double>(Clock::now() - ta).count());
    session.x().click(window, kButtonX, kButtonY, 1);
    const Clock::time_point tb = Clock::now();
    session.pause(kIdleWindow);
    afterHit = cpuBetween(b, threadsOf(pid), pid,
                          std::chrono::duration<double>(Clock::now() - tb).count());
    std::printf(
        "  idle: %.2f %% CPU (audio %.2f %%), %.1f UI wakeups/s; after Randam Hit: "
        "%.2f %% (audio %.2f %%), %.1f UI wakeups/s\n",
        idle->totalPercent, idle->audioPercent, idle->uiWakeupsPerSecond, afterHit->totalPercent,
        afterHit->audioPercent, afterHit->uiWakeupsPerSecond);
  }
  session.end();
  addCpuFigures("after the window maps", idle, out);
  addCpuFigures("after a Randam Hit click", afterHit, out);
}

void measureKeyToSound(Session& session, int runs, std::vector<bench::Figure>& out) {
  const std::string name = "key to sound on the null sink (median of " + std::to_string(runs) + ")";
  if (!session.sound()) {
    out.push_back(figure(name, std::nullopt, "ms", 10.0, kNoRecording));
    return;
  }
  session.launch();
  const WindowId window = session.waitForWindow(seconds(10));
  std::vector<double> delays;
  if (window != 0) {
    session.x().focus(window);
    // The first note waits for the soundfont; the figure is about the notes after it.
    session.keyToSound(window, seconds(10), seconds(1));
    for (int run = 0; run < runs; ++run) {
      session.endNote();
      session.waitForQuiet(kQuiet, seconds(3));
      const Session::KeyResult key = session.keyToSound(window, seconds(2), seconds(2));
      if (key.heard) delays.push_back(msBetween(key.key, *key.heard));
    }
  }
  session.end();
  std::string spread;
  if (!delays.empty()) {
    const auto [low, high] = std::minmax_element(delays.begin(), delays.end());
    spread = "; range " + fixed(*low) + " to " + fixed(*high) + " ms over " +
             std::to_string(delays.size()) + " notes heard";
    std::printf("  key to sound: %s\n", spread.c_str() + 2);
  }
  out.push_back(figure(
      name, bench::median(delays), "ms", 10.0,
      "from the XTEST key press x (after a space and 50 ms of silence) to the first frame above "
      "-50 dBFS on the null sink's monitor, dated from its chunk's arrival at parec (5 ms "
      "fragments): X server, Qt, the handler, the program's stream (a note after quiet drops "
      "the quiet queued ahead of it) and the monitor's delivery; no device buffer, so a lower "
      "bound for a real device" +
          spread));
}

}  // namespace probe
