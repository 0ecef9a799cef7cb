#include "bench/probe/trials.h"

#include <unistd.h>

#include "bench/probe/gaps.h"
#include "bench/probe/process.h"

namespace probe {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr auto kQuiet = milliseconds(50);
// Under full load a program may take far longer to start and to load its soundfont.
constexpr auto kStartTimeout = seconds(30);

double secondsOf(Clock::duration length) {
  return std::chrono::duration<double>(length).count();
}

double percentOfCore(long ticks, double seconds) {
  return 100.0 * static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK)) / seconds;
}

// Starts the subject and plays its first note, which waits for the soundfont; the
// window, or 0 (with the reason in *problem) when the program or its sound failed.
WindowId startAndWarm(Session& session, std::string* problem) {
  session.launch();
  const WindowId window = session.waitForWindow(kStartTimeout);
  if (window == 0) {
    *problem = "its window did not appear";
    return 0;
  }
  session.x().focus(window);
  if (!session.keyToSound(window, kStartTimeout, seconds(1)).heard) {
    *problem = "its first note was not heard";
    return 0;
  }
  session.endNote();
  session.waitForQuiet(kQuiet, seconds(5));
  return window;
}

}  // namespace

KeyToSound keyToSoundTrial(Session& session, int presses, int quietNotes, Clock::duration quiet) {
  KeyToSound result;
  const WindowId window = startAndWarm(session, &result.problem);
  if (window == 0) {
    session.end();
    return result;
  }
  for (int i = 0; i < presses; ++i) {
    const Session::KeyResult key = session.keyToSound(window, seconds(2), seconds(2));
    if (key.heard) result.delays.push_back(msBetween(key.key, *key.heard));
    session.endNote();
    session.waitForQuiet(kQuiet, seconds(5));
  }
  for (int i = 0; i < quietNotes; ++i) {
    session.waitForQuiet(quiet, quiet + seconds(10));
    const Session::KeyResult key = session.keyToSound(window, seconds(2), seconds(2));
    if (key.heard) result.afterQuiet.push_back(msBetween(key.key, *key.heard));
    session.endNote();
  }
  session.end();
  return result;
}

std::optional<SilentCpu> silentCpuTrial(Session& session, pid_t server, BeforeSilence before,
                                        Clock::duration settle, Clock::duration length) {
  WindowId window = 0;
  if (before == BeforeSilence::kNoteEnded) {
    std::string problem;
    window = startAndWarm(session, &problem);
  } else {
    session.launch();
    window = session.waitForWindow(kStartTimeout);
  }
  std::optional<SilentCpu> use;
  if (window != 0) {
    session.pause(settle);
    const std::optional<long> program = processTicks(session.pid());
    const std::optional<long> sound = processTicks(server);
    const Clock::time_point start = Clock::now();
    session.pause(length);
    const std::optional<long> programAfter = processTicks(session.pid());
    const std::optional<long> soundAfter = processTicks(server);
    const double elapsed = secondsOf(Clock::now() - start);
    if (program && sound && programAfter && soundAfter)
      use = SilentCpu{percentOfCore(*programAfter - *program, elapsed),
                      percentOfCore(*soundAfter - *sound, elapsed)};
  }
  session.end();
  return use;
}

GapTrial gapTrial(Session& session, int notes, Clock::duration length) {
  GapTrial result;
  const WindowId window = startAndWarm(session, &result.problem);
  if (window == 0) {
    session.end();
    return result;
  }
  MonitorRecorder& monitor = session.monitor();
  std::size_t gaps = 0;
  for (int i = 0; i < notes; ++i) {
    monitor.startCapture();
    session.startNote();
    session.pause(length);
    session.endNote();
    // The last of the note still travels through the server and the recorder.
    session.pause(milliseconds(100));
    const std::vector<int16_t> recorded = monitor.takeCapture();
    const GapCount count = countGaps(recorded, monitor.format().channels);
    if (count.sounded) {
      ++result.heard;
      gaps += count.gaps;
    }
    session.waitForQuiet(kQuiet, seconds(5));
  }
  for (const ThreadSample& t : threadsOf(session.pid()))
    if (realtimePolicy(t.policy)) ++result.realtimeThreads;
  session.end();
  if (result.heard > 0)
    result.gaps = gaps;
  else
    result.problem = "none of its notes was heard";
  return result;
}

}  // namespace probe
