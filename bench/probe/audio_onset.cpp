#include "bench/probe/audio_onset.h"

#include <cstdlib>

namespace probe {

std::optional<std::size_t> firstAudibleFrame(std::span<const int16_t> samples, int channels,
                                             int level) {
  if (channels <= 0) return std::nullopt;
  const std::size_t width = static_cast<std::size_t>(channels);
  const std::size_t frames = samples.size() / width;
  for (std::size_t i = 0; i < frames * width; ++i)
    if (std::abs(int{samples[i]}) > level) return i / width;
  return std::nullopt;
}

std::size_t trailingQuietFrames(std::span<const int16_t> samples, int channels, int level) {
  if (channels <= 0) return 0;
  const std::size_t width = static_cast<std::size_t>(channels);
  const std::size_t frames = samples.size() / width;
  for (std::size_t i = frames * width; i > 0; --i)
    if (std::abs(int{samples[i - 1]}) > level) return frames - 1 - (i - 1) / width;
  return frames;
}

Clock::time_point frameTime(Clock::time_point arrived, std::size_t frames, std::size_t index,
                            int rate) {
  if (rate <= 0 || index >= frames) return arrived;
  const double seconds = static_cast<double>(frames - 1 - index) / rate;
  return arrived -
         std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

}  // namespace probe
