#pragma once
// A peak limiter for the synthesiser's output. One note sounds at a time, so the gain is
// set for a single voice; but a note's release still rings when the next one starts, and
// some General MIDI programs (synth leads and pads) are loud enough that a few quick
// notes sum past full scale, which the sound server would clip hard. The limiter lowers
// the gain at once when a sample would pass the ceiling and lets it recover smoothly, so
// loud passages get quieter instead of distorting; below the ceiling it changes nothing.

#include <cstddef>

namespace fw {

class PeakLimiter {
 public:
  // ceiling: the largest magnitude let through (0 < ceiling); releaseMs: the time constant
  // with which the gain returns towards 1 after a peak, at the given sample rate.
  PeakLimiter(float ceiling, double releaseMs, double sampleRate);

  // Limits `frames` stereo frames in place; both channels get the same gain, so the
  // stereo image stays. Afterwards no sample's magnitude is above the ceiling.
  void process(float* left, float* right, std::size_t frames) noexcept;

  float gain() const { return gain_; }

 private:
  float ceiling_;
  float recovery_;  // fraction of the distance to 1 the gain recovers per frame
  float gain_ = 1.0f;
};

}  // namespace fw
