// Gaps of silence in a recorded note: what counts as one and what must not.

#include "bench/probe/gaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kRate = 44100;

// A stereo note: `seconds` of a sine at `hz` with `peak` on both channels.
std::vector<int16_t> note(double seconds, double hz = 440, double peak = 3000) {
  const std::size_t frames = static_cast<std::size_t>(seconds * kRate);
  std::vector<int16_t> samples(frames * 2);
  for (std::size_t i = 0; i < frames; ++i) {
    const double x = peak * std::sin(2 * M_PI * hz * static_cast<double>(i) / kRate);
    samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(std::lround(x));
  }
  return samples;
}

// Sets frames [from, from + count) of both channels (or of one) to `level`.
void silence(std::vector<int16_t>& samples, std::size_t from, std::size_t count, int16_t level = 0,
             int channel = -1) {
  for (std::size_t i = from; i < from + count; ++i)
    for (int c = 0; c < 2; ++c)
      if (channel < 0 || channel == c) samples[2 * i + static_cast<std::size_t>(c)] = level;
}

TEST(Gaps, ASteadyNoteHasNoneAndIsHeard) {
  const probe::GapCount count = probe::countGaps(note(1.0), 2);
  EXPECT_TRUE(count.sounded);
  EXPECT_EQ(count.gaps, 0u);
  // A loud 30 Hz note passes zero slowly, still far faster than 1 ms.
  EXPECT_EQ(probe::countGaps(note(1.0, 30, 800), 2).gaps, 0u);
}

TEST(Gaps, AnUnderrunInsideTheNoteIsOneGapOfItsLength) {
  std::vector<int16_t> samples = note(1.0);
  silence(samples, 22050, 220);  // 5 ms of digital silence
  probe::GapCount count = probe::countGaps(samples, 2);
  EXPECT_EQ(count.gaps, 1u);
  EXPECT_EQ(count.silentFrames, 220u);

  silence(samples, 30000, 441, 2);  // 10 ms at the rounding step of a converted zero
  silence(samples, 40000, 44, -3);  // exactly 1 ms at the limit, negative
  count = probe::countGaps(samples, 2);
  EXPECT_EQ(count.gaps, 3u);
  EXPECT_EQ(count.silentFrames, 220u + 441u + 44u);
}

TEST(Gaps, ShortOrOneSidedOrQuietButNotSilentStretchesAreNot) {
  std::vector<int16_t> samples = note(1.0);
  silence(samples, 10000, 43);          // under 1 ms
  silence(samples, 20000, 2000, 0, 0);  // the left channel only: still sounding
  silence(samples, 30000, 2000, 4);     // quiet, but above 1e-4 of full scale
  EXPECT_EQ(probe::countGaps(samples, 2).gaps, 0u);
}

TEST(Gaps, SilenceBeforeTheNoteAndAfterItsLastClearSoundIsNot) {
  std::vector<int16_t> samples(2 * 4410, 0);  // 100 ms before the key
  const std::vector<int16_t> sounding = note(0.5);
  samples.insert(samples.end(), sounding.begin(), sounding.end());
  // A release tail hovering about the silent level, with silent stretches in it, then
  // silence: nothing clear follows, so none of it is a gap.
  for (int step = 0; step < 20; ++step) {
    const std::vector<int16_t> hover(2 * 441, static_cast<int16_t>(step % 2 == 0 ? 0 : 40));
    samples.insert(samples.end(), hover.begin(), hover.end());
  }
  samples.insert(samples.end(), 2 * 4410, 0);
  const probe::GapCount count = probe::countGaps(samples, 2);
  EXPECT_TRUE(count.sounded);
  EXPECT_EQ(count.gaps, 0u);
}

TEST(Gaps, SilenceWithQuietEdgesBetweenClearSoundIsOneGap) {
  // The server's zeros meet the note through a few quiet frames on either side.
  std::vector<int16_t> samples = note(0.2);
  const std::vector<int16_t> edge(2 * 10, 50);
  const std::vector<int16_t> zeros(2 * 300, 0);
  for (const auto* part : {&edge, &zeros, &edge})
    samples.insert(samples.end(), part->begin(), part->end());
  const std::vector<int16_t> after = note(0.2);
  samples.insert(samples.end(), after.begin(), after.end());
  const probe::GapCount count = probe::countGaps(samples, 2);
  EXPECT_EQ(count.gaps, 1u);
  EXPECT_EQ(count.silentFrames, 300u);
}

TEST(Gaps, NothingSoundingOrNonsenseChannelsCountNothing) {
  const std::vector<int16_t> quiet(2 * kRate, 0);
  const probe::GapCount count = probe::countGaps(quiet, 2);
  EXPECT_FALSE(count.sounded);
  EXPECT_EQ(count.gaps, 0u);
  EXPECT_EQ(probe::countGaps(note(0.1), 0).gaps, 0u);
  EXPECT_FALSE(probe::countGaps(note(0.1), -1).sounded);
}

}  // namespace
