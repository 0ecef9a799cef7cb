#pragma once
// The notes of a triad arpeggio on the C major scale: a root step, one of six orders of
// the triad's steps and a note index give a semitone offset above C. The scale covers one
// octave only: a step past B gives C of the same octave, not the C above.

#include <iterator>
#include <cstddef>
#include <cstdint>

#include "framework/runtime/int32.h"

namespace phrase {

// For each order, the scale steps added to the root for notes 0, 1, 2: the six orders of
// root (0), third (2) and fifth (4).
inline constexpr int32_t kArpeggioOrders[][3] = {
    // k=0 k=1 k=2
    {0, 2, 4},
    {0, 4, 2},
    {2, 0, 4},
    {2, 4, 0},
    {4, 2, 0},
    {4, 0, 2},
};
inline constexpr std::size_t kOrderCount = std::size(kArpeggioOrders);
inline constexpr std::size_t kNotesPerArpeggio = std::size(kArpeggioOrders[0]);

// Semitones above C of the scale steps C D E F G A B.
inline constexpr int32_t kMajorScaleSemitones[] = {
    // C D  E  F  G  A  B
    0, 2, 4, 5, 7, 9, 11,
};
inline constexpr std::size_t kScaleStepCount = std::size(kMajorScaleSemitones);

// The offset of note k of the arpeggio on `step` in `order`. An order or k outside the
// table leaves the scale step at 0; a scale step outside the scale gives 0. The step
// itself is not range-tested, only the sum: (-1, 0, 1) is scale step 1. Never fails.
constexpr int32_t triadOffset(int32_t step, int32_t order, int32_t k) {
  int32_t scaleStep = 0;
  if (order >= 0 && static_cast<std::size_t>(order) < kOrderCount && k >= 0 &&
      static_cast<std::size_t>(k) < kNotesPerArpeggio)
    scaleStep = fw::int32Add(step, kArpeggioOrders[order][k]);
  if (scaleStep < 0 || static_cast<std::size_t>(scaleStep) >= kScaleStepCount) return 0;
  return kMajorScaleSemitones[scaleStep];
}

}  // namespace phrase
