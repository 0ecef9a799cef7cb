#pragma once
// CPU while silent, this program's beside the peer's: the figures of one span measured
// on both.

#include <optional>
#include <string>
#include <vector>

#include "bench/figures.h"

namespace probe {

struct SilentCpu {
  double program = 0;  // % of one core
  double server = 0;
};

// "CPU while silent, <when>: the program", "...: the sound server" and "...: program +
// sound server", each with the peer's value beside it. Only the sum has a goal: the
// peer's sum, so none without the peer. `how` notes the first figure when this program
// was measured; `why` notes every figure when it was not.
std::vector<bench::Figure> silentCpuFigures(const std::string& when,
                                            const std::optional<SilentCpu>& mine,
                                            const std::optional<SilentCpu>& theirs,
                                            const std::string& how, const std::string& why);

}  // namespace probe
