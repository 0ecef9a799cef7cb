#include "bench/probe/silent_cpu.h"

namespace probe {
namespace {

std::optional<double> part(const std::optional<SilentCpu>& use, double SilentCpu::*field) {
  return use ? std::optional<double>((*use).*field) : std::nullopt;
}

std::optional<double> sum(const std::optional<SilentCpu>& use) {
  return use ? std::optional<double>(use->program + use->server) : std::nullopt;
}

}  // namespace

std::vector<bench::Figure> silentCpuFigures(const std::string& when,
                                            const std::optional<SilentCpu>& mine,
                                            const std::optional<SilentCpu>& theirs,
                                            const std::string& how, const std::string& why) {
  const std::string name = "CPU while silent, " + when + ": ";
  return {
      {name + "the program", part(mine, &SilentCpu::program), "%", std::nullopt, mine ? how : why,
       part(theirs, &SilentCpu::program)},
      {name + "the sound server", part(mine, &SilentCpu::server), "%", std::nullopt,
       mine ? "the private PulseAudio server, same span" : why, part(theirs, &SilentCpu::server)},
      {name + "program + sound server", sum(mine), "%", sum(theirs),
       mine ? "goal: no more than the peer's program + server" : why, sum(theirs)},
  };
}

}  // namespace probe
