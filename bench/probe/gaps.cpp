#include "bench/probe/gaps.h"

#include <cstdlib>

namespace probe {
namespace {

// The loudest magnitude of a frame's samples.
int peakOf(const int16_t* frame, std::size_t channels) {
  int peak = 0;
  for (std::size_t c = 0; c < channels; ++c) {
    const int magnitude = std::abs(int{frame[c]});
    if (magnitude > peak) peak = magnitude;
  }
  return peak;
}

}  // namespace

GapCount countGaps(std::span<const int16_t> samples, int channels, int silentLevel,
                   std::size_t minFrames, int audibleLevel) {
  GapCount count;
  if (channels <= 0) return count;
  const std::size_t width = static_cast<std::size_t>(channels);
  const std::size_t frames = samples.size() / width;
  std::size_t silentRun = 0;   // silent frames since the last frame that was not silent
  std::size_t pendingRun = 0;  // a run long enough, waiting for clear sound after it
  for (std::size_t i = 0; i < frames; ++i) {
    const int peak = peakOf(samples.data() + i * width, width);
    if (peak <= silentLevel) {
      ++silentRun;
      continue;
    }
    // Only a run that came after clear sound can be a gap; the frames between it and the
    // next clear frame (quiet, not silent) may hold another run, and the longest counts.
    if (count.sounded && silentRun >= minFrames && silentRun > pendingRun) pendingRun = silentRun;
    silentRun = 0;
    if (peak > audibleLevel) {
      if (pendingRun > 0) {
        ++count.gaps;
        count.silentFrames += pendingRun;
        pendingRun = 0;
      }
      count.sounded = true;
    }
  }
  return count;
}

}  // namespace probe
