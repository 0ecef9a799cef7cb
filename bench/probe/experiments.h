#pragma once
// The whole-program measurements, each on the real program started afresh, each adding
// its figures (with goals) to `out` and printing one line per run as it goes.

#include <vector>

#include "bench/figures.h"
#include "bench/probe/session.h"

namespace probe {

// Start to window mapped and start to first note heard, the key 'x' sent the moment
// the window maps: median of `runs` starts.
void measureStartUp(Session& session, int runs, std::vector<bench::Figure>& out);
// Peak resident memory over a run that plays a note on each of ten instruments chosen
// in the popup.
void measurePeakMemory(Session& session, std::vector<bench::Figure>& out);
// CPU time and wakeups over 10 s after the window maps and 10 s after a "Randam Hit".
void measureIdleCpu(Session& session, std::vector<bench::Figure>& out);
// Key to first audible frame on the null sink: median of `runs` keys.
void measureKeyToSound(Session& session, int runs, std::vector<bench::Figure>& out);

}  // namespace probe
