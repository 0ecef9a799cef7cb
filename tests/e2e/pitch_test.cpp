// The pitch finder behind pitch_of, on generated sound whose pitch is known.

#include "tests/e2e/pitch.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace sound_check {
namespace {

constexpr double kRate = 44100.0;
constexpr double kMiddleC = 261.63;
constexpr double kC5 = 523.25;

// `seconds` of a tone of `hz` with the given harmonic amplitudes (1st, 2nd, ...),
// dying away with time constant `decay` seconds (0: steady).
std::vector<float> tone(double hz, std::vector<double> harmonics, double seconds = 0.3,
                        double decay = 0.0) {
  std::vector<float> samples(static_cast<size_t>(seconds * kRate));
  for (size_t i = 0; i < samples.size(); ++i) {
    const double t = double(i) / kRate;
    double s = 0.0;
    for (size_t k = 0; k < harmonics.size(); ++k)
      s += harmonics[k] * std::sin(2.0 * std::numbers::pi * double(k + 1) * hz * t);
    samples[i] = static_cast<float>(0.3 * s * (decay > 0.0 ? std::exp(-t / decay) : 1.0));
  }
  return samples;
}

TEST(Pitch, FindsTheFundamentalOfSinesAndOfRichOrDyingTones) {
  for (double hz : {110.0, kMiddleC, kC5, 1046.5})
    EXPECT_NEAR(fundamental(tone(hz, {1.0}), kRate), hz, 0.005 * hz) << "sine of " << hz;
  // A weak fundamental under a strong second harmonic is still the pitch, not its octave.
  EXPECT_NEAR(fundamental(tone(kMiddleC, {0.3, 1.0, 0.5, 0.3}), kRate), kMiddleC, 0.01 * kMiddleC);
  // A piano's partials run sharp of whole multiples (stiff strings): f_n = n f sqrt(1 + B n^2).
  std::vector<float> stiff(13230);
  for (size_t i = 0; i < stiff.size(); ++i)
    for (int n = 1; n <= 10; ++n)
      stiff[i] += static_cast<float>(0.05 / std::sqrt(double(n)) *
                                     std::sin(2.0 * std::numbers::pi * n * kMiddleC *
                                              std::sqrt(1.0 + 0.001 * n * n) * double(i) / kRate));
  EXPECT_NEAR(fundamental(stiff, kRate), kMiddleC * std::sqrt(1.001), 0.003 * kMiddleC);
  // A note that dies away does not make the period of two cycles look better.
  EXPECT_NEAR(fundamental(tone(kC5, {1.0, 0.5, 0.2}, 0.3, 0.1), kRate), kC5, 0.01 * kC5);
}

TEST(Pitch, DropoutsDoNotHideThePitch) {
  // A sound server fills an underrun with exact zeros: here 5 ms of every 12 ms.
  for (double hz : {kMiddleC, kC5}) {
    auto samples = tone(hz, {1.0, 0.5, 0.3}, 0.15, 0.3);
    for (size_t i = 0; i < samples.size(); ++i)
      if (i % 529 < 220) samples[i] = 0.0f;
    EXPECT_NEAR(fundamental(samples, kRate), hz, 0.01 * hz) << hz;
  }
}

TEST(Pitch, SilenceNoiseAndTooShortHaveNoPitch) {
  EXPECT_EQ(fundamental(std::vector<float>(13230, 0.0f), kRate), 0.0);
  std::vector<float> noise(13230);
  uint32_t state = 12345;
  for (float& s : noise) {
    state = state * 1664525u + 1013904223u;
    s = static_cast<float>(int32_t(state) / 2147483648.0 * 0.3);
  }
  EXPECT_EQ(fundamental(noise, kRate), 0.0);
  EXPECT_EQ(fundamental(tone(kMiddleC, {1.0}, 0.01), kRate), 0.0)
      << "shorter than two periods of 50 Hz";
}

TEST(Pitch, RmsAndOnset) {
  EXPECT_NEAR(rms(tone(kMiddleC, {1.0}, 1.0)), 0.3 / std::sqrt(2.0), 1e-3);
  EXPECT_EQ(rms({}), 0.0);

  std::vector<float> samples(4410, 0.001f);  // 100 ms below the floor
  const auto note = tone(kMiddleC, {1.0});
  samples.insert(samples.end(), note.begin(), note.end());
  const auto start = onset(samples, 0.003);
  ASSERT_TRUE(start.has_value());
  EXPECT_NEAR(double(*start), 4410.0, 0.002 * kRate) << "within the first cycle of the note";
  EXPECT_FALSE(onset(std::vector<float>(100, 0.001f), 0.003).has_value());
}

TEST(Pitch, ReadsRawStereoS16AsMonoAndDropsAPartialFrame) {
  // A name of its own: the shared /tmp may hold another user's file of any fixed name.
  std::string name = (std::filesystem::temp_directory_path() / "pitch_test_stereo.XXXXXX").string();
  const int fd = mkstemp(name.data());
  ASSERT_GE(fd, 0) << name;
  close(fd);
  const std::filesystem::path path = name;
  const auto sine = tone(kMiddleC, {1.0});
  {
    std::ofstream out(path, std::ios::binary);
    auto put = [&out](double v) {
      const auto s = static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767.0)));
      out.put(static_cast<char>(s & 0xff)).put(static_cast<char>(s >> 8));
    };
    for (float s : sine) {
      put(s);         // left: the tone
      put(-0.5 * s);  // right: softer and inverted, so the mix is half the left
    }
    out.put('\x01');  // a cut-off frame
  }
  const auto mono = readS16(path.string(), 2);
  std::filesystem::remove(path);
  ASSERT_TRUE(mono.has_value());
  ASSERT_EQ(mono->size(), sine.size());
  EXPECT_NEAR((*mono)[100], 0.25 * sine[100], 1e-4);
  EXPECT_NEAR(fundamental(*mono, kRate), kMiddleC, 0.005 * kMiddleC);
  EXPECT_FALSE(readS16("/nonexistent/recording.raw", 2).has_value());
}

}  // namespace
}  // namespace sound_check
