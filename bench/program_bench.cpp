// The whole program measured from outside: start-up, peak memory, idle CPU and key to
// sound, by the probe under a private X server and PulseAudio (whole_program.sh). Its
// per-run lines are printed as they come; its figures join the final table.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/bench.h"

namespace {

// What the probe measures, for the table when it could not run at all.
struct Expected {
  const char* name;
  const char* unit;
  std::optional<double> goal;  // empty: set by the peer's figure, or none
};
// name                                                                unit    goal
constexpr Expected kExpected[] = {
    {"start to window mapped (median of 10)", "ms", 100},
    {"start to first note playable (median of 10)", "ms", 100},
    {"peak resident memory, 10 instruments played", "MB", 100},
    {"CPU besides audio threads, 10 s after the window maps", "%", 1},
    {"UI thread wakeups, 10 s after the window maps", "/s", 10},
    {"CPU besides audio threads, 10 s after a Randam Hit click", "%", 1},
    {"UI thread wakeups, 10 s after a Randam Hit click", "/s", 10},
    {"key to sound on the null sink (median of 20)", "ms", 10},
    {"key to sound on the null sink, median of 100", "ms", std::nullopt},
    {"first note after 6 s of silence (median of 3)", "ms", 15},
    {"CPU while silent, no note played: the program", "%", std::nullopt},
    {"CPU while silent, no note played: the sound server", "%", std::nullopt},
    {"CPU while silent, no note played: program + sound server", "%", std::nullopt},
    {"CPU while silent, 3 s after a note: the program", "%", std::nullopt},
    {"CPU while silent, 3 s after a note: the sound server", "%", std::nullopt},
    {"CPU while silent, 3 s after a note: program + sound server", "%", std::nullopt},
    {"gaps in 6 one-second notes under load, RealtimeKit granting", "gaps", 1},
    {"gaps in 6 one-second notes under load, nothing granting", "gaps", 3},
};

// The side-by-side figures measured before the program had its own sound stream, when
// FluidSynth's PulseAudio driver played its notes through the blocking simple API on a
// 320-frame buffer. Measured in December 2026 on this machine's kind (Debian 12, 8 cores,
// a private Xvfb and PulseAudio with a null sink) against VMPK 0.8.8 with its FluidSynth
// output on the same soundfont and server, the two started in turn in one run, by the
// probe's methods of the rows named alike in the final table; each CPU sum is the two
// rows above it added. Gaps: 6 one-second notes under one busy loop per core, the server
// at real-time priority, the program run as an unprivileged user unless said otherwise.
constexpr const char* kBeforeWhen = "measured before the program had its own sound stream";
// figure                                                          this program  the peer
constexpr bench::Before kBefore[] = {
    {"key to sound on the null sink, median of 100", "9.2 ms", "62.7 ms"},
    {"CPU while silent, no note played: the program", "4.5 %", "0.9 %"},
    {"CPU while silent, no note played: the sound server", "8.6 %", "2.5 %"},
    {"CPU while silent, no note played: program + sound server", "13.1 %", "3.4 %"},
    {"gaps in 6 one-second notes under load, nothing granting", "21 gaps", "0 gaps"},
    {"the same, run as root (FluidSynth's audio thread at SCHED_FIFO)", "4 gaps", "-"},
    {"notes heard after the sound server is killed and a new one starts", "none, ever", "-"},
};

void notMeasured(const std::string& why) {
  for (const Expected& e : kExpected)
    bench::addFigure({e.name, std::nullopt, e.unit, e.goal, "not measured: " + why, std::nullopt});
}

// Runs the script with its three arguments; its exit status, or -1.
int runScript(const std::string& program, const std::string& probe, const std::string& rows) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    execlp("bash", "bash", VELMO_WHOLE_PROGRAM_SCRIPT, program.c_str(), probe.c_str(), rows.c_str(),
           static_cast<char*>(nullptr));
    _exit(127);
  }
  if (child < 0) return -1;
  int status = 0;
  if (waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void wholeProgram() {
  bench::addBefore(kBeforeWhen, kBefore);
#ifndef VELMO_PROBE
  std::printf("the probe was not built (Xlib or XTEST development files missing)\n");
  notMeasured("the probe needs libx11-dev and libxtst-dev");
#else
  // The figures come back through a file with no name: it is unlinked at once and the
  // probe opens it through this process's descriptor, so a bench killed outright (which
  // runs no clean-up) leaves nothing behind in /tmp.
  char name[] = "/tmp/velmo-bench-rows.XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) {
    notMeasured("no temporary file for the probe's figures");
    return;
  }
  unlink(name);
  const std::string rows = "/proc/" + std::to_string(getpid()) + "/fd/" + std::to_string(fd);
  const int status = runScript(VELMO_PROGRAM, VELMO_PROBE, rows);
  std::ifstream in(rows);
  std::string line;
  int read = 0;
  while (std::getline(in, line))
    if (auto figure = bench::fromRow(line)) {
      bench::addFigure(*figure);
      ++read;
    }
  in.close();
  close(fd);
  if (read == 0)
    notMeasured("the whole-program run ended with status " + std::to_string(status) +
                " before the probe wrote its figures (see above)");
#endif
}

const bool kWholeProgram = bench::addSection("program: whole-program figures", wholeProgram);

}  // namespace
