// velmo_probe PROGRAM ROWS [SOURCE]: measures the whole program from outside, as a user
// meets it: on the X display of $DISPLAY, its sound recorded from the PulseAudio source
// SOURCE (default e2e_null.monitor) of the server in $PULSE_SERVER; then side by side
// with the peer in the surroundings the environment describes (comparison.h). Prints a
// line per run and writes the figures as rows (bench/figures.h) to the file ROWS. Exits
// 0 whatever it measured; 2 on wrong arguments.

#include <cstdio>
#include <fstream>
#include <vector>

#include "bench/figures.h"
#include "bench/probe/comparison.h"
#include "bench/probe/experiments.h"

namespace {

constexpr int kStarts = 10;
constexpr int kKeys = 20;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s PROGRAM ROWS [SOURCE]\n", argv[0]);
    return 2;
  }
  const std::string source = argc > 3 ? argv[3] : "e2e_null.monitor";
  std::vector<bench::Figure> figures;
  probe::XClient x;
  if (!x.ok()) {
    std::printf("  no measurement: %s\n", x.problem().c_str());
  } else {
    probe::MonitorRecorder monitor(source);
    const probe::Subject program = probe::velmoSubject(argv[1]);
    probe::Session session(program, x, monitor);
    // An idle null sink's monitor may take a couple of seconds to deliver its first data.
    if (!session.waitUntil(probe::Clock::now() + std::chrono::seconds(10),
                           [&] { return monitor.flowing(); }))
      std::printf("  no recording from %s: sound figures not measured\n", source.c_str());
    std::fflush(stdout);
    probe::measureStartUp(session, kStarts, figures);
    probe::measurePeakMemory(session, figures);
    probe::measureIdleCpu(session, figures);
    probe::measureKeyToSound(session, kKeys, figures);
    session.end();
    std::printf("  side by side with the peer\n");
    std::fflush(stdout);
    probe::compareWithPeer(x, monitor, program, probe::surroundingsFromEnvironment(), figures);
  }
  std::ofstream rows(argv[2]);
  for (const bench::Figure& f : figures) rows << bench::toRow(f) << '\n';
  return 0;
}
