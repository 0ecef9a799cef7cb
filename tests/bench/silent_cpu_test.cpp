// The figures of CPU while silent: this program's parts and sum beside the peer's, and
// the sum judged against the peer's sum, the only goal.

#include "bench/probe/silent_cpu.h"

#include <gtest/gtest.h>

namespace {

using probe::SilentCpu;

TEST(SilentCpuFigures, PutThePeersPartsBesideAndJudgeTheSumByThePeersSum) {
  const auto figures = probe::silentCpuFigures("3 s after a note", SilentCpu{0.1, 4.0},
                                               SilentCpu{2.2, 6.0}, "from /proc", "-");
  ASSERT_EQ(figures.size(), 3u);
  EXPECT_EQ(figures[0].name, "CPU while silent, 3 s after a note: the program");
  EXPECT_EQ(figures[1].name, "CPU while silent, 3 s after a note: the sound server");
  EXPECT_EQ(figures[2].name, "CPU while silent, 3 s after a note: program + sound server");
  EXPECT_EQ(figures[0].value, 0.1);
  EXPECT_EQ(figures[0].peer, 2.2);
  EXPECT_EQ(figures[1].value, 4.0);
  EXPECT_EQ(figures[1].peer, 6.0);
  EXPECT_DOUBLE_EQ(*figures[2].value, 4.1);
  EXPECT_DOUBLE_EQ(*figures[2].peer, 8.2);
  EXPECT_DOUBLE_EQ(*figures[2].goal, 8.2);
  EXPECT_EQ(bench::verdict(figures[2]), "met");
  EXPECT_FALSE(figures[0].goal) << "a part alone is shown, not judged";
  EXPECT_FALSE(figures[1].goal) << "a part alone is shown, not judged";
  EXPECT_EQ(figures[0].notes, "from /proc");
  for (const auto& f : figures) EXPECT_EQ(f.unit, "%");

  // A program cheaper than the peer but a server dearer by more misses the goal.
  const auto dearer =
      probe::silentCpuFigures("no note played", SilentCpu{0.5, 8.0}, SilentCpu{2.0, 6.0}, "", "");
  EXPECT_EQ(bench::verdict(dearer[2]), "missed");
  EXPECT_EQ(bench::verdict(dearer[0]), "-");
}

TEST(SilentCpuFigures, WithoutThePeerHaveNoGoalAndWithoutTheProgramSayWhy) {
  const auto alone =
      probe::silentCpuFigures("no note played", SilentCpu{0.0, 4.3}, std::nullopt, "how", "why");
  EXPECT_EQ(*alone[2].value, 4.3);
  EXPECT_FALSE(alone[2].peer);
  EXPECT_FALSE(alone[2].goal);
  EXPECT_EQ(bench::verdict(alone[2]), "-");

  const auto none = probe::silentCpuFigures("no note played", std::nullopt, SilentCpu{1.9, 5.3},
                                            "how", "not measured: it did not start");
  for (const auto& f : none) {
    EXPECT_FALSE(f.value);
    EXPECT_EQ(f.notes, "not measured: it did not start");
    EXPECT_EQ(bench::verdict(f), "not measured");
  }
  EXPECT_DOUBLE_EQ(*none[2].goal, 7.2) << "the goal is the peer's, measured or not";
}

}  // namespace
