// The final table's figures: the row format that carries them between processes, the
// verdicts and the medians behind them, and the table of figures as they were before.

#include "bench/figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using bench::Figure;

std::string printed(void (*print)(std::FILE*)) {
  std::FILE* out = std::tmpfile();
  if (out == nullptr) return "";
  print(out);
  std::rewind(out);
  std::string text;
  for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
  std::fclose(out);
  return text;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1)
    lines.push_back(text.substr(from, end - from));
  return lines;
}

Figure judged(std::optional<double> value, double goal) {
  return {"a", value, "ms", goal, "", std::nullopt};
}

TEST(FigureRows, CarryEveryFieldAcrossAndCleanSeparatorsInside) {
  const Figure sent{"start\tto map", 39.75, "ms", 100, "line one\nline two", 62.5};
  const auto back = bench::fromRow(bench::toRow(sent));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->name, "start to map");
  EXPECT_EQ(back->value, 39.75);
  EXPECT_EQ(back->unit, "ms");
  EXPECT_EQ(back->goal, 100);
  EXPECT_EQ(back->notes, "line one line two");
  EXPECT_EQ(back->peer, 62.5);

  // Values with many digits come back exactly, and absent numbers stay absent.
  const Figure exact{"x", 1.0 / 3.0, "us", 0.05, "", 2.0 / 3.0};
  EXPECT_EQ(bench::fromRow(bench::toRow(exact))->value, 1.0 / 3.0);
  EXPECT_EQ(bench::fromRow(bench::toRow(exact))->peer, 2.0 / 3.0);
  const auto missing = bench::fromRow(
      bench::toRow({"y", std::nullopt, "MB", std::nullopt, "why", std::nullopt}) + "\n");
  ASSERT_TRUE(missing);
  EXPECT_FALSE(missing->value);
  EXPECT_FALSE(missing->goal);
  EXPECT_FALSE(missing->peer);
  EXPECT_EQ(missing->notes, "why");
}

TEST(FigureRows, RefuseLinesThatAreNotFigures) {
  for (const char* line :
       {"", "# X display :0", "a\t1\tms\t2\tn", "a\t1\tms\t2\tn\t-\textra", "\t1\tms\t2\tn\t-",
        "a\tfast\tms\t2\tn\t-", "a\t1\tms\tsoon\tn\t-", "a\t1ms\tms\t2\tn\t-",
        "a\tnan\tms\t2\tn\t-", "a\t1\tms\t2\tn\tpeer", "a\t1\tms\t2\tn\t"})
    EXPECT_FALSE(bench::fromRow(line)) << "'" << line << "'";
}

TEST(FigureVerdict, IsMetAtTheGoalMissedAboveAndNotMeasuredWithoutValue) {
  EXPECT_EQ(bench::verdict(judged(100.0, 100)), "met");
  EXPECT_EQ(bench::verdict(judged(100.01, 100)), "missed");
  EXPECT_EQ(bench::verdict(judged(0.0, 1)), "met");
  EXPECT_EQ(bench::verdict(judged(std::nullopt, 100)), "not measured");
  // A figure shown beside the peer's without a goal of its own is not judged.
  EXPECT_EQ(bench::verdict({"cpu", 4.5, "%", std::nullopt, "", 0.9}), "-");
  EXPECT_EQ(bench::verdict({"cpu", std::nullopt, "%", std::nullopt, "", 0.9}), "not measured");
}

TEST(FigureMedian, TakesTheMiddleOfUnsortedValues) {
  EXPECT_FALSE(bench::median({}));
  EXPECT_EQ(*bench::median({7}), 7);
  EXPECT_EQ(*bench::median({9, 1, 5}), 5);
  EXPECT_EQ(*bench::median({4, 1, 3, 2}), 2.5);
}

TEST(FigureTable, ShowsEachVerdictTheGoalsAndTheNotesByNumber) {
  const std::string text = printed([](std::FILE* out) {
    bench::printTable({{"mapped", 39.8, "ms", 100, "from fork", std::nullopt},
                       {"sound", 12.5, "ms", 10, "", 62.7},
                       {"memory", std::nullopt, "MB", 100, "no display", std::nullopt},
                       {"idle", 4.5, "%", std::nullopt, "", 0.9}},
                      out);
  });
  EXPECT_NE(text.find("[1] mapped"), std::string::npos) << text;
  EXPECT_NE(text.find("39.8 ms"), std::string::npos) << text;
  EXPECT_NE(text.find("<= 100 ms"), std::string::npos) << text;
  EXPECT_NE(text.find("missed"), std::string::npos) << text;
  EXPECT_NE(text.find("not measured"), std::string::npos) << text;
  EXPECT_NE(text.find("62.7 ms"), std::string::npos) << "the peer's value beside\n" << text;
  EXPECT_NE(text.find("0.900 %"), std::string::npos) << text;
  EXPECT_NE(text.find("goals: 1 met, 1 missed, 1 not measured"), std::string::npos) << text;
  EXPECT_NE(text.find("[1] from fork"), std::string::npos) << text;
  EXPECT_NE(text.find("[3] no display"), std::string::npos) << text;
  EXPECT_EQ(text.find("[2] \n"), std::string::npos) << "no empty note line\n" << text;
}

TEST(FigureBefore, ListsEachRowWithItsTwoValuesUnderTheirHeadings) {
  const std::string text = printed([](std::FILE* out) {
    static constexpr bench::Before rows[] = {
        {"key to sound", "9.2 ms", "62.7 ms"},
        {"sound after a server restart, heard", "none, ever, quietly", "-"},
    };
    bench::printBefore(rows, out);
  });
  const std::vector<std::string> lines = linesOf(text);
  ASSERT_EQ(lines.size(), 3u) << text;
  // Each value ends where its heading ends, whatever the widths of the others.
  const auto endOf = [](const std::string& line, const std::string& word) {
    const std::size_t at = line.find(word);
    return at == std::string::npos ? at : at + word.size();
  };
  const std::size_t mine = endOf(lines[0], "this program");
  const std::size_t peer = endOf(lines[0], "the peer");
  ASSERT_NE(mine, std::string::npos) << text;
  ASSERT_NE(peer, std::string::npos) << text;
  EXPECT_LT(mine, peer) << "this program, then the peer\n" << text;
  EXPECT_EQ(lines[1].rfind("key to sound", 0), 0u) << text;
  EXPECT_EQ(endOf(lines[1], "9.2 ms"), mine) << text;
  EXPECT_EQ(endOf(lines[1], "62.7 ms"), peer) << text;
  EXPECT_EQ(lines[2].rfind("sound after a server restart, heard", 0), 0u) << text;
  EXPECT_EQ(endOf(lines[2], "none, ever, quietly"), mine) << text;
  EXPECT_EQ(lines[2].size(), peer) << "the peer's '-' ends the line at its column\n" << text;
  EXPECT_EQ(lines[2].back(), '-') << text;
  // The values are not run together: at least one space before each.
  EXPECT_EQ(lines[2][mine - std::string("none, ever, quietly").size() - 1], ' ') << text;
}

}  // namespace
