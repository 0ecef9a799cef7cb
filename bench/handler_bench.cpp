// What one event costs in the program's own handlers: a pad press, a note key and a
// random phrase, each raised the way the framework raises it, on the real window and its
// controls (Qt's offscreen platform) with the recording synthesiser, so the figure is the
// handlers' and the controls' work without the synthesiser's.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>

#include "bench/bench.h"
#include "framework/controls/application.h"
#include "tests/support/program_setup.h"

namespace {

using testing_support::ProgramSession;

constexpr double kGoalMicros = 50.0;
constexpr double kMinSeconds = 0.3;
constexpr int kRepetitions = 5;

// Passes every run on to the console and keeps the median of each benchmark's
// repetitions, in microseconds.
class MedianKeeper : public benchmark::ConsoleReporter {
 public:
  MedianKeeper() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
  std::map<std::string, double> medians;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" &&
          !run.error_occurred)
        medians[run.run_name.function_name] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

// The synthesiser calls an event makes, fewest to most over a sample of events (the
// random phrase draws one note or three), to show in the notes what was timed.
std::string callsOf(ProgramSession& program, bool (*event)(ProgramSession&)) {
  constexpr int kSample = 100;
  std::size_t fewest = SIZE_MAX, most = 0;
  for (int i = 0; i < kSample; ++i) {
    ProgramSession::sound().clear();
    event(program);
    fewest = std::min(fewest, ProgramSession::sound().calls().size());
    most = std::max(most, ProgramSession::sound().calls().size());
  }
  return fewest == most ? std::to_string(most)
                        : std::to_string(fewest) + " to " + std::to_string(most);
}

// The benchmark loop. The recording is cleared in each iteration so that it does not
// grow; an exception ends the benchmark as an error instead of the program.
void timeEvent(benchmark::State& state, ProgramSession* program, bool (*raise)(ProgramSession&)) {
  for (auto _ : state) {
    ProgramSession::sound().clear();
    try {
      benchmark::DoNotOptimize(raise(*program));
    } catch (const std::exception& e) {
      state.SkipWithError(e.what());
      break;
    } catch (...) {
      state.SkipWithError("the handler raised an exception");
      break;
    }
  }
}

struct Event {
  const char* name;  // the benchmark's and the figure's name
  const char* what;  // for the notes
  bool (*raise)(ProgramSession&);
};

// name                         what                                          raise
constexpr Event kEvents[] = {
    {"pad press (Oval1)", "\"MouseDown\" on Oval1 at its centre",
     [](ProgramSession& p) { return p.press("Oval1").has_value(); }},
    {"note key (x)", "the window's key-down path with \"x\"",
     [](ProgramSession& p) {
       p.type(String("x"));
       return true;
     }},
    {"random phrase (Randam Hit)", "\"Action\" of PushButton1",
     [](ProgramSession& p) { return p.action("PushButton1"); }},
};

void handlerCosts() {
  // The program's window on Qt's offscreen platform: no display needed, nothing shown.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  RuntimeInit();
  std::map<std::string, std::string> notes;
  {
    ProgramSession program;
    program.startOpened();
    for (const Event& event : kEvents) {
      std::string& note = notes[event.name];
      note = event.what;
      try {
        const bool handled = event.raise(program);
        const std::string calls = callsOf(program, event.raise);
        note += (handled ? "; " : " (no handler bound); ") + calls + " synthesiser calls per event";
      } catch (...) {
        note += "; the handler raised an exception";
      }
      benchmark::RegisterBenchmark(event.name, timeEvent, &program, event.raise)
          ->Unit(benchmark::kMicrosecond)
          ->MinTime(kMinSeconds)
          ->Repetitions(kRepetitions)
          ->ReportAggregatesOnly(true);
    }
    int argc = 1;
    char name[] = "velmo_bench";
    char* argv[] = {name, nullptr};
    benchmark::Initialize(&argc, argv);
    MedianKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::ClearRegisteredBenchmarks();
    std::cout.flush();

    for (const Event& event : kEvents) {
      bench::Figure figure{.name = std::string("one ") + event.name + " through its handler",
                           .value = std::nullopt,
                           .unit = "us",
                           .goal = kGoalMicros,
                           .notes = {},
                           .peer = std::nullopt};
      auto found = reporter.medians.find(event.name);
      if (found != reporter.medians.end()) figure.value = found->second;
      figure.notes = "Google Benchmark, median of " + std::to_string(kRepetitions) +
                     " repetitions, in process on Qt offscreen with the recording synthesiser: " +
                     notes[event.name];
      bench::addFigure(figure);
    }
    program.stop();
  }
  RuntimeExit();
}

const bool kHandlers = bench::addSection("program: handler costs", handlerCosts);

}  // namespace
