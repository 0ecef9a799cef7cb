#include "bench/probe/comparison.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench/probe/process.h"
#include "bench/probe/trials.h"

namespace probe {
namespace {

using bench::fixed;

using std::chrono::seconds;

constexpr int kPresses = 100;
constexpr int kQuietNotes = 3;
constexpr auto kLongSilence = seconds(6);
constexpr auto kSettle = seconds(3);
constexpr auto kSilentSpan = seconds(10);
constexpr int kLoadNotes = 6;
constexpr auto kNoteLength = seconds(1);
// The server's threads under load, as a desktop's sound server runs: PipeWire asks
// RealtimeKit for priority 20 by default.
constexpr int kServerPriority = 20;

// The goals.
constexpr double kPeerShare = 0.25;         // key to sound: at most this share of the peer's
constexpr double kAfterSilenceMs = 15;      // the first note after 6 s of silence
constexpr double kGapsWithRealtime = 1;     // in 6 notes, RealtimeKit granting
constexpr double kGapsWithoutRealtime = 3;  // in 6 notes, nothing granting

const char* const kPeerName = "VMPK 0.8.8 (FluidSynth output through drumstick)";

std::string rangeOf(const std::vector<double>& values) {
  if (values.empty()) return "none heard";
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  return fixed(*low) + " to " + fixed(*high) + " ms over " + std::to_string(values.size()) +
         " notes";
}

std::string envOr(const char* name, const char* otherwise = "") {
  const char* value = std::getenv(name);
  return value != nullptr ? value : otherwise;
}

struct Figures {
  std::vector<bench::Figure>& out;
  void add(std::string name, std::optional<double> value, std::string unit,
           std::optional<double> goal, std::string notes, std::optional<double> peer) {
    out.push_back({std::move(name), value, std::move(unit), goal, std::move(notes), peer});
  }
};

void compareKeyToSound(Session& program, Session* peer, const std::string& noPeer, Figures f) {
  std::printf("  key to sound, %d presses each\n", kPresses);
  std::fflush(stdout);
  const KeyToSound mine = keyToSoundTrial(program, kPresses, kQuietNotes, kLongSilence);
  std::printf("    this program: %s%s\n", rangeOf(mine.delays).c_str(), mine.problem.c_str());
  std::printf("    after 6 s of silence: %s\n", rangeOf(mine.afterQuiet).c_str());
  std::fflush(stdout);
  KeyToSound theirs;
  if (peer != nullptr) {
    theirs = keyToSoundTrial(*peer, kPresses, 0, seconds(0));
    std::printf("    the peer: %s%s\n", rangeOf(theirs.delays).c_str(), theirs.problem.c_str());
  }
  const std::optional<double> peerMedian = bench::median(theirs.delays);
  std::optional<double> goal;
  if (peerMedian) goal = *peerMedian * kPeerShare;
  f.add("key to sound on the null sink, median of 100", bench::median(mine.delays), "ms", goal,
        "goal: a quarter of the peer's. From the XTEST key press (x for this program, z held for "
        "the peer), after the last note ended and 50 ms of silence, to the first frame above "
        "-50 dBFS on the null sink's monitor (parec, 5 ms fragments); this program: " +
            (mine.problem.empty() ? rangeOf(mine.delays) : mine.problem) + "; the peer, " +
            kPeerName + ": " +
            (peer == nullptr          ? noPeer
             : theirs.problem.empty() ? rangeOf(theirs.delays)
                                      : theirs.problem),
        peerMedian);
  f.add("first note after 6 s of silence (median of 3)", bench::median(mine.afterQuiet), "ms",
        kAfterSilenceMs,
        "the same key to sound, each note after the null sink's monitor was silent for 6 s: " +
            (mine.problem.empty() ? rangeOf(mine.afterQuiet) : mine.problem),
        std::nullopt);
}

// What is measured after what, in the figures' names and notes.
struct Silence {
  BeforeSilence before;
  const char* name;  // "CPU while silent, <name>: the program"
  const char* how;   // the span measured
};
constexpr Silence kNoNote = {BeforeSilence::kNothing, "no note played",
                             "over 10 s from 3 s after the window maps, no note played"};
constexpr Silence kAfterNote = {
    BeforeSilence::kNoteEnded, "3 s after a note",
    "over 10 s from 3 s after its first note ended and the null sink's monitor was quiet again "
    "(this program: x, then the space bar; the peer: z pressed, then released), so this "
    "program's stream has had its second of silence to close"};

void compareSilentCpu(Session& program, Session* peer, const std::string& noPeer, pid_t server,
                      const Silence& silence, Figures f) {
  std::optional<SilentCpu> mine, theirs;
  std::string why = "not measured: no sound server";
  if (server > 0) {
    mine = silentCpuTrial(program, server, silence.before, kSettle, kSilentSpan);
    if (peer != nullptr)
      theirs = silentCpuTrial(*peer, server, silence.before, kSettle, kSilentSpan);
    why = silence.before == BeforeSilence::kNothing
              ? "not measured: the program did not start"
              : "not measured: the program did not start or its note was not heard";
  }
  if (mine)
    std::printf("  CPU while silent, %s: this program %.2f %% + server %.2f %%\n", silence.name,
                mine->program, mine->server);
  if (theirs)
    std::printf("  CPU while silent, %s: the peer %.2f %% + server %.2f %%\n", silence.name,
                theirs->program, theirs->server);
  std::fflush(stdout);
  const std::string how =
      "% of one core from utime+stime of /proc/PID/stat, " + std::string(silence.how) +
      "; the peer " +
      std::string(peer == nullptr ? "not measured: " + noPeer : "is " + std::string(kPeerName));
  for (bench::Figure& figure : silentCpuFigures(silence.name, mine, theirs, how, why))
    f.out.push_back(std::move(figure));
}

std::string gapNotes(const GapTrial& trial) {
  if (!trial.gaps) return trial.problem;
  return std::to_string(trial.heard) + " of 6 notes heard, " +
         std::to_string(trial.realtimeThreads) + " of its threads at real-time priority";
}

void compareGaps(const Subject& program, const std::optional<Subject>& peer,
                 const Surroundings& around, XClient& x, MonitorRecorder& monitor, Figures f) {
  const std::string rtName = "gaps in 6 one-second notes under load, RealtimeKit granting";
  const std::string noneName = "gaps in 6 one-second notes under load, nothing granting";
  const std::string how =
      "6 notes of 1 s, one busy loop per core at normal priority, the server's threads at "
      "SCHED_FIFO 20, the program run as nobody (setpriv) with RLIMIT_RTPRIO 0 (prlimit); a gap is "
      "a run of at least 1 ms with every sample within 1e-4 of zero between two frames above "
      "-50 dBFS, on the null sink's monitor: ";
  std::string problem;
  if (around.unprivilegedHome.empty())
    problem = around.noUnprivileged;
  else if (around.server <= 0)
    problem = "no sound server";
  else if (!setRealtime(around.server, kServerPriority)) {
    setRealtime(around.server, 0);  // the threads that did change go back
    problem = "the sound server could not be given real-time priority";
  }
  if (!problem.empty()) {
    f.add(rtName, std::nullopt, "gaps", kGapsWithRealtime, "not measured: " + problem,
          std::nullopt);
    f.add(noneName, std::nullopt, "gaps", kGapsWithoutRealtime, "not measured: " + problem,
          std::nullopt);
    return;
  }
  std::vector<pid_t> loops;
  for (long core = 0; core < sysconf(_SC_NPROCESSORS_ONLN); ++core)
    loops.push_back(spawnBusyLoop());

  // Without RealtimeKit: a system bus address where nothing answers.
  const auto unprivilegedRun = [&](Subject subject, const std::string& bus) {
    subject = unprivileged(std::move(subject), around.unprivilegedHome);
    subject.argv.insert(subject.argv.begin(), {"prlimit", "--rtprio=0:0", "--"});
    subject.env.push_back("DBUS_SYSTEM_BUS_ADDRESS=" + bus);
    Session session(std::move(subject), x, monitor);
    return gapTrial(session, kLoadNotes, kNoteLength);
  };
  const std::string noBus = "unix:path=" + around.unprivilegedHome + "/no-system-bus";
  const auto report = [](const char* what, const GapTrial& trial) {
    const std::string gaps = trial.gaps ? std::to_string(*trial.gaps) : "-";
    std::printf("  gaps, %s: %s (%s)\n", what, gaps.c_str(), gapNotes(trial).c_str());
    std::fflush(stdout);
  };
  const GapTrial none = unprivilegedRun(program, noBus);
  report("nothing granting real-time, this program", none);
  std::optional<GapTrial> peerNone;
  if (peer) {
    peerNone = unprivilegedRun(*peer, noBus);
    report("nothing granting real-time, the peer", *peerNone);
  }
  std::optional<GapTrial> granted;
  if (around.realtimeKit) {
    granted = unprivilegedRun(program, "unix:path=/run/dbus/system_bus_socket");
    report("RealtimeKit granting, this program", *granted);
  }
  for (auto it = loops.rbegin(); it != loops.rend(); ++it) stop(*it);
  setRealtime(around.server, 0);

  const auto count = [](const std::optional<GapTrial>& t) {
    return t && t->gaps ? std::optional<double>(static_cast<double>(*t->gaps)) : std::nullopt;
  };
  f.add(rtName, count(granted), "gaps", kGapsWithRealtime,
        granted ? how +
                      "the system bus's RealtimeKit (rtkit-daemon, polkit granting its "
                      "actions); " +
                      gapNotes(*granted)
                : "not measured: " + around.noRealtimeKit,
        std::nullopt);
  f.add(noneName, count(none), "gaps", kGapsWithoutRealtime,
        how + "no system bus; this program: " + gapNotes(none) +
            "; the peer: " + (peerNone ? gapNotes(*peerNone) : around.noPeer),
        count(peerNone));
}

}  // namespace

Surroundings surroundingsFromEnvironment() {
  Surroundings around;
  const std::string peer = envOr("VELMO_BENCH_PEER");
  if (!peer.empty())
    around.peer = peerSubject(peer, envOr("VELMO_BENCH_PEER_CONFIG"));
  else
    around.noPeer = envOr("VELMO_BENCH_NO_PEER", "the peer was not set up");
  around.server = static_cast<pid_t>(std::atol(envOr("VELMO_BENCH_SERVER_PID", "-1").c_str()));
  around.unprivilegedHome = envOr("VELMO_BENCH_NOBODY_HOME");
  around.noUnprivileged = envOr("VELMO_BENCH_NO_NOBODY", "no folder for the user nobody");
  const std::string rtkit = envOr("VELMO_BENCH_RTKIT", "RealtimeKit was not set up");
  around.realtimeKit = rtkit == "yes";
  if (!around.realtimeKit) around.noRealtimeKit = rtkit;
  return around;
}

Subject peerSubject(const std::string& program, const std::string& configHome) {
  // Its warnings that no window geometry was saved yet would only clutter the output.
  return {{program},
          {"QT_QPA_PLATFORM=xcb", "XDG_CONFIG_HOME=" + configHome,
           "QT_LOGGING_RULES=default.warning=false"},
          "Virtual MIDI Piano Keyboard",
          "z",
          true};
}

void compareWithPeer(XClient& x, MonitorRecorder& monitor, const Subject& program,
                     const Surroundings& around, std::vector<bench::Figure>& out) {
  Session mine(program, x, monitor);
  std::optional<Session> theirs;
  if (around.peer) theirs.emplace(*around.peer, x, monitor);
  Session* peer = theirs ? &*theirs : nullptr;
  compareKeyToSound(mine, peer, around.noPeer, Figures{out});
  compareSilentCpu(mine, peer, around.noPeer, around.server, kNoNote, Figures{out});
  compareSilentCpu(mine, peer, around.noPeer, around.server, kAfterNote, Figures{out});
  compareGaps(program, around.peer, around, x, monitor, Figures{out});
}

}  // namespace probe
