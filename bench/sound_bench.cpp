// The synthesiser's costs: how each way of loading the soundfont weighs on start-up and
// memory, how long a note takes from the note player to FluidSynth, and the output
// buffering the driver is configured with.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "framework/sound/fluidsynth_synthesiser.h"
#include "framework/sound/note_gate.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long residentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

struct LoadResult {
  double constructMs = -1;  // what start-up waits for
  double readyMs = -1;      // until the first note can sound
  double firstProgramMs = -1;
  long residentKb = -1;  // growth of resident memory once ready
  bool ok = false;
};

LoadResult measureLoad(bool background, bool dynamic) {
  fw::FluidSynthOptions options;
  options.audioOutput = false;
  options.loadInBackground = background;
  options.dynamicSampleLoading = dynamic;
  options.report = [](const std::string&) {};
  LoadResult result;
  const long before = residentKb();
  const auto start = Clock::now();
  fw::FluidSynthSynthesiser synth(options);
  result.constructMs = msSince(start);
  result.ok = synth.waitUntilReady();
  result.readyMs = msSince(start);
  result.residentKb = residentKb() - before;
  const auto change = Clock::now();
  synth.programChange(73);
  result.firstProgramMs = msSince(change);
  return result;
}

// Each option in a fresh process, so memory freed by one does not flatter the next.
LoadResult measureLoadInChild(bool background, bool dynamic) {
  int fds[2];
  LoadResult result;
  if (pipe(fds) != 0) return result;
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    const LoadResult measured = measureLoad(background, dynamic);
    const ssize_t written = write(fds[1], &measured, sizeof measured);
    _exit(written == sizeof measured ? 0 : 1);
  }
  close(fds[1]);
  if (child > 0) {
    if (read(fds[0], &result, sizeof result) != sizeof result) result = LoadResult{};
    waitpid(child, nullptr, 0);
  }
  close(fds[0]);
  return result;
}

void warmPageCache(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> buffer(1 << 20);
  while (file.read(buffer.data(), std::streamsize(buffer.size()))) {
  }
}

void soundfontLoading() {
  std::string font;
  for (const std::string& path : fw::defaultSoundfonts())
    if (font.empty() && std::ifstream(path).good()) font = path;
  if (font.empty()) {
    std::printf("no General MIDI soundfont installed: nothing to measure\n");
    return;
  }
  warmPageCache(font);
  std::printf("soundfont %s (page cache warm), median of 3 runs each\n", font.c_str());
  std::printf("%-34s %12s %12s %14s %12s\n", "loading", "start-up ms", "ready ms", "1st prog. ms",
              "RSS +MB");
  struct Option {
    const char* name;
    bool background;
    bool dynamic;
  };
  // name                                  background  dynamic
  constexpr Option kOptions[] = {
      {"full load, caller's thread", false, false},
      {"dynamic samples, caller's thread", false, true},
      {"full load, loader thread", true, false},
      {"dynamic samples, loader thread", true, true},
  };
  for (const Option& option : kOptions) {
    std::vector<LoadResult> runs;
    for (int i = 0; i < 3; ++i)
      runs.push_back(measureLoadInChild(option.background, option.dynamic));
    std::sort(runs.begin(), runs.end(),
              [](const LoadResult& a, const LoadResult& b) { return a.readyMs < b.readyMs; });
    const LoadResult& median = runs[1];
    if (!median.ok) {
      std::printf("%-34s %12s\n", option.name, "failed");
      continue;
    }
    std::printf("%-34s %12.2f %12.1f %14.2f %12.1f\n", option.name, median.constructMs,
                median.readyMs, median.firstProgramMs, median.residentKb / 1024.0);
  }
}

void noteLatency() {
  fw::FluidSynthOptions options;
  options.audioOutput = false;
  options.report = [](const std::string&) {};
  fw::FluidSynthSynthesiser synth(options);
  if (!synth.waitUntilReady()) {
    std::printf("no soundfont: nothing to measure\n");
    return;
  }
  constexpr int kNotes = 2000;
  std::vector<float> left(64), right(64);
  std::vector<double> micros;
  for (int i = 0; i < kNotes; ++i) {
    const int note = 48 + i % 37;
    fw::playNote(synth, note, 0);
    const auto start = Clock::now();
    fw::playNote(synth, note, 100);
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    synth.render(left, right);  // lets the voices start and end as on the audio thread
  }
  std::sort(micros.begin(), micros.end());
  std::printf("playNote to fluid_synth_noteon returning, %d notes (offline synth)\n", kNotes);
  std::printf("%12s %12s %12s\n", "median us", "p99 us", "max us");
  std::printf("%12.1f %12.1f %12.1f\n", micros[kNotes / 2], micros[kNotes * 99 / 100],
              micros.back());
}

void outputBuffering() {
  fw::FluidSynthOptions options;
  // Lines come from the loader and sound threads too, while this one reads.
  std::mutex reportMutex;
  std::string report;
  options.report = [&](const std::string& line) {
    std::lock_guard lock(reportMutex);
    report = line;
  };
  fw::FluidSynthSynthesiser synth(options);
  if (synth.driver().empty()) {
    {
      std::lock_guard lock(reportMutex);
      std::printf("no audio device: %s\n", report.c_str());
    }
    fw::FluidSynthOptions offline;
    offline.audioOutput = false;
    offline.report = [](const std::string&) {};
    std::printf("a driver would be configured for %.2f ms of buffering\n",
                fw::FluidSynthSynthesiser(offline).configuredBufferMs());
    return;
  }
  std::printf("%-12s %22s\n", "driver", "configured buffer ms");
  std::printf("%-12s %22.2f\n", synth.driver().c_str(), synth.configuredBufferMs());
}

const bool kLoading = bench::addSection("sound: soundfont loading", soundfontLoading);
const bool kLatency = bench::addSection("sound: note latency", noteLatency);
const bool kBuffering = bench::addSection("sound: output buffering", outputBuffering);

}  // namespace
