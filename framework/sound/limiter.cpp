#include "framework/sound/limiter.h"

#include <algorithm>
#include <cmath>

namespace fw {

PeakLimiter::PeakLimiter(float ceiling, double releaseMs, double sampleRate)
    : ceiling_(ceiling),
      recovery_(static_cast<float>(1.0 - std::exp(-1000.0 / (releaseMs * sampleRate)))) {}

void PeakLimiter::process(float* left, float* right, std::size_t frames) noexcept {
  for (std::size_t i = 0; i < frames; ++i) {
    gain_ += (1.0f - gain_) * recovery_;
    const float peak = std::max(std::fabs(left[i]), std::fabs(right[i]));
    // NaN never compares greater, so it passes unlimited rather than poisoning the gain.
    if (peak * gain_ > ceiling_) gain_ = ceiling_ / peak;
    left[i] *= gain_;
    right[i] *= gain_;
  }
}

}  // namespace fw
