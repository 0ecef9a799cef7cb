// The triad notes of the arpeggio, checked through the window's method table as the
// random phrase reaches them, against the triads of the C major scale written out by hand.

#include <gtest/gtest.h>

#include <array>

#include "framework/runtime/class_table.h"
#include "tests/support/program_fixture.h"

namespace {

using testing_support::ProgramTest;

class TriadSteps : public ProgramTest {
 protected:
  int32_t onpu(int32_t step, int32_t order, int32_t k) {
    return fw::callMethod<int32_t, int32_t, int32_t, int32_t>(window(), VELMO::methodSlot("Onpu"),
                                                              step, order, k);
  }
};

// Root, third and fifth of the triad on each scale step, within the one octave C to B: a
// step past B is C of the same octave.
constexpr std::array<std::array<int32_t, 3>, 7> kTriads = {{
    // root third fifth
    {0, 4, 7},    // C
    {2, 5, 9},    // D
    {4, 7, 11},   // E
    {5, 9, 0},    // F
    {7, 11, 0},   // G
    {9, 0, 0},    // A
    {11, 0, 0},   // B
}};
// Which of root (0), third (1) and fifth (2) each order plays as its notes 0, 1, 2.
constexpr std::array<std::array<int, 3>, 6> kOrders = {{
    {0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 1, 0}, {2, 0, 1},
}};

TEST_F(TriadSteps, EveryDrawnRootOrderAndNotePlaysItsTriadNote) {
  for (int32_t step = 0; step < 7; ++step)
    for (int32_t order = 0; order < 6; ++order)
      for (int32_t k = 0; k < 3; ++k)
        EXPECT_EQ(onpu(step, order, k), kTriads[step][kOrders[order][k]])
            << "step " << step << " order " << order << " k " << k;
}

TEST_F(TriadSteps, ArgumentsOutsideTheTablesGiveC) {
  for (int32_t k = 0; k < 3; ++k) EXPECT_EQ(onpu(3, 6, k), 0) << "no order 6, k " << k;
  EXPECT_EQ(onpu(3, 0, 3), 0);   // no note 3
  EXPECT_EQ(onpu(3, -1, 0), 0);  // no order -1
  EXPECT_EQ(onpu(7, 0, 0), 0);   // a root past B is not carried into the next octave
  // Only the sum of root and order step is range-tested, not the root.
  EXPECT_EQ(onpu(-1, 0, 1), 2);
  EXPECT_EQ(onpu(-1, 0, 0), 0);
  EXPECT_EQ(onpu(INT32_MAX, 0, 2), 0);  // the sum wraps to a negative step
  EXPECT_EQ(onpu(INT32_MIN, 5, 0), 0);
}

TEST_F(TriadSteps, PxxChangesNothing) {
  const int32_t pitch = app().MyPitch, last = app().LastPitch;
  for (int32_t offset : {0, 6, -1, INT32_MAX})
    fw::callMethod<void, int32_t>(window(), VELMO::methodSlot("pxx"), offset);
  EXPECT_EQ(app().MyPitch, pitch);
  EXPECT_EQ(app().LastPitch, last);
  EXPECT_TRUE(played().empty());
}

}  // namespace
