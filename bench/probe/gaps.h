#pragma once
// Gaps of silence inside a sounding note, counted in a recording of the sink's monitor.
// Pure functions, no I/O.
//
// When a player does not deliver its audio in time, the server mixes nothing for that
// stretch: the monitor then carries digital silence (exact zeros, or a step of rounding
// after conversion) in the middle of the note. A gap is therefore a run of at least
// kGapFrames frames in which every sample of every channel is at most kSilentLevel,
// lying between two frames of clear sound (above kAudibleLevel, about -50 dBFS).
//  - kSilentLevel 3 of 32767 is 1e-4 of full scale: zero give or take the rounding of a
//    float-to-16-bit conversion, far below any sounding note.
//  - kGapFrames 44 is 1 ms at 44.1 kHz: an underrun costs at least one of the server's
//    blocks (several ms), while a note's waveform passes zero in microseconds: a 65 Hz
//    sine at the -50 dBFS edge stays within 1e-4 of zero for about 0.15 ms.
//  - Bounding gaps by clear sound keeps a dying release tail, which hovers near 1e-4 for
//    a long time, from being counted.

#include <cstddef>
#include <cstdint>
#include <span>

#include "bench/probe/audio_onset.h"

namespace probe {

inline constexpr int kSilentLevel = 3;
inline constexpr std::size_t kGapFrames = 44;

struct GapCount {
  std::size_t gaps = 0;          // runs of silence between two frames of clear sound
  std::size_t silentFrames = 0;  // the frames those runs hold together
  bool sounded = false;          // some frame was above the audible level
};

// Counts the gaps in interleaved 16-bit frames. A trailing part frame is ignored.
GapCount countGaps(std::span<const int16_t> samples, int channels, int silentLevel = kSilentLevel,
                   std::size_t minFrames = kGapFrames, int audibleLevel = kAudibleLevel);

}  // namespace probe
