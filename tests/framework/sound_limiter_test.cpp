// The output limiter: transparent below its ceiling, never above it, and back to full
// gain once a loud passage has passed.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "framework/sound/limiter.h"

namespace {

constexpr double kRate = 48000.0;
constexpr float kCeiling = 0.891f;

struct Stereo {
  std::vector<float> left, right;
};

// `seconds` of a sine of the amplitude, the right channel at half the left.
Stereo sine(float amplitude, double seconds, double hz = 440.0) {
  Stereo s;
  for (size_t i = 0; i < size_t(seconds * kRate); ++i) {
    s.left.push_back(amplitude * float(std::sin(2.0 * M_PI * hz * double(i) / kRate)));
    s.right.push_back(0.5f * s.left.back());
  }
  return s;
}

float peakOf(const Stereo& s) {
  float peak = 0.0f;
  for (size_t i = 0; i < s.left.size(); ++i)
    peak = std::max({peak, std::fabs(s.left[i]), std::fabs(s.right[i])});
  return peak;
}

void run(fw::PeakLimiter& limiter, Stereo& s) {
  limiter.process(s.left.data(), s.right.data(), s.left.size());
}

TEST(SoundLimiter, LeavesSoundBelowTheCeilingUntouched) {
  fw::PeakLimiter limiter(kCeiling, 100.0, kRate);
  const Stereo original = sine(0.85f, 0.5);
  Stereo s = original;
  run(limiter, s);
  EXPECT_EQ(s.left, original.left);
  EXPECT_EQ(s.right, original.right);
}

TEST(SoundLimiter, NeverPassesTheCeilingAndKeepsTheStereoBalance) {
  fw::PeakLimiter limiter(kCeiling, 100.0, kRate);
  std::mt19937 random(7);
  std::uniform_real_distribution<float> loud(-6.0f, 6.0f);
  Stereo s;
  for (int i = 0; i < 20000; ++i) {
    s.left.push_back(loud(random));
    s.right.push_back(loud(random));
  }
  const Stereo original = s;
  run(limiter, s);
  EXPECT_LE(peakOf(s), kCeiling * (1.0f + 1e-6f));
  for (size_t i = 0; i < s.left.size(); i += 997)
    EXPECT_NEAR(s.left[i] * original.right[i], s.right[i] * original.left[i], 1e-4f) << i;
}

TEST(SoundLimiter, RecoversFullGainAfterALoudPassage) {
  fw::PeakLimiter limiter(kCeiling, 100.0, kRate);
  Stereo loud = sine(3.0f, 0.2);
  run(limiter, loud);
  EXPECT_LE(peakOf(loud), kCeiling * (1.0f + 1e-6f));
  EXPECT_GT(peakOf(loud), 0.8f * kCeiling) << "limited to the ceiling, not far below it";

  Stereo quiet = sine(0.3f, 0.01);
  run(limiter, quiet);
  EXPECT_LT(peakOf(quiet), 0.3f * 0.5f) << "right after the peak the gain is still down";
  Stereo later = sine(0.3f, 1.0);
  run(limiter, later);
  EXPECT_GT(limiter.gain(), 0.999f);
}

}  // namespace
