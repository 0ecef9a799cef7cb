#pragma once
// The figures of the final table: one measured value each, with the goal it must not
// exceed, the same figure of the peer program where it was measured side by side, and
// notes that say what exactly was measured. Programs that measure in another process
// (the whole-program probe) hand their figures over as rows of text.

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

struct Figure {
  std::string name;             // what was measured, "start to window mapped (median of 10)"
  std::optional<double> value;  // empty: it could not be measured (notes say why)
  std::string unit;             // "ms", "MB", "%", "us", "/s"
  std::optional<double> goal;   // the value must be at most this; empty: shown, not judged
  std::string notes;            // how it was measured and what it includes
  std::optional<double> peer;   // the peer program's value of the same figure, if measured
};

// "met", "missed", "not measured", or "-" for a figure without a goal.
std::string_view verdict(const Figure& figure);

// One line of tab-separated fields: name, value, unit, goal, notes, peer ("-" for each
// number that is absent). Tabs and line breaks inside fields become spaces.
std::string toRow(const Figure& figure);
// The figure of a line written by toRow; nullopt for a line that is not one.
std::optional<Figure> fromRow(std::string_view line);

// The middle value (the mean of the two middle ones for an even count); nullopt when
// there are no values.
std::optional<double> median(std::vector<double> values);

// The final table: one line per figure with the peer's value beside it, its goal and
// verdict, then the notes, numbered, and a count of goals met and missed.
void printTable(const std::vector<Figure>& figures, std::FILE* out);

// A figure as it was measured before a change to the program, shown beside the final
// table so that the two can be compared; values are text as they were recorded.
struct Before {
  const char* name;         // the figure's name in the final table, where it is still measured
  const char* thisProgram;  // value and unit, "9.2 ms"
  const char* peer;         // the peer's value measured in the same run; "-": not measured
};

// The figures before, one line each with the columns "this program" and "the peer"
// lined up under their headings.
void printBefore(std::span<const Before> rows, std::FILE* out);

// The value with a fixed number of decimals, for the notes beside a figure.
std::string fixed(double value, int decimals = 1);

}  // namespace bench
