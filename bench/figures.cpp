#include "bench/figures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace bench {
namespace {

std::string cleaned(std::string_view field) {
  std::string text(field);
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
  return text;
}

std::vector<std::string_view> split(std::string_view line, char separator) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t at = line.find(separator);
    fields.push_back(line.substr(0, at));
    if (at == std::string_view::npos) return fields;
    line.remove_prefix(at + 1);
  }
}

std::optional<double> number(std::string_view text) {
  const std::string owned(text);
  if (owned.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(owned.c_str(), &end);
  if (end != owned.c_str() + owned.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// Enough digits to tell values near the goal apart, without noise digits; counts as
// whole numbers.
std::string formatted(double value) {
  char text[32];
  if (value == std::trunc(value) && std::fabs(value) < 1e15) {
    std::snprintf(text, sizeof text, "%.0f", value);
    return text;
  }
  const double magnitude = std::fabs(value);
  const int decimals = magnitude >= 100 ? 0 : magnitude >= 10 ? 1 : magnitude >= 1 ? 2 : 3;
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace

std::string_view verdict(const Figure& figure) {
  if (!figure.value) return "not measured";
  if (!figure.goal) return "-";
  return *figure.value <= *figure.goal ? "met" : "missed";
}

namespace {

std::string exact(const std::optional<double>& number) {
  if (!number) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", *number);
  return text;
}

// "-" is an absent number; anything else must be one.
bool readNumber(std::string_view field, std::optional<double>& into) {
  if (field == "-") {
    into.reset();
    return true;
  }
  into = number(field);
  return into.has_value();
}

}  // namespace

std::string toRow(const Figure& figure) {
  return cleaned(figure.name) + '\t' + exact(figure.value) + '\t' + cleaned(figure.unit) + '\t' +
         exact(figure.goal) + '\t' + cleaned(figure.notes) + '\t' + exact(figure.peer);
}

std::optional<Figure> fromRow(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  const std::vector<std::string_view> fields = split(line, '\t');
  if (fields.size() != 6 || fields[0].empty()) return std::nullopt;
  Figure figure;
  figure.name = std::string(fields[0]);
  figure.unit = std::string(fields[2]);
  figure.notes = std::string(fields[4]);
  if (!readNumber(fields[1], figure.value) || !readNumber(fields[3], figure.goal) ||
      !readNumber(fields[5], figure.peer))
    return std::nullopt;
  return figure;
}

std::optional<double> median(std::vector<double> values) {
  if (values.empty()) return std::nullopt;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  if (values.size() % 2 == 1) return values[middle];
  return (values[middle - 1] + values[middle]) / 2;
}

void printTable(const std::vector<Figure>& figures, std::FILE* out) {
  std::size_t nameWidth = 6;
  for (const Figure& f : figures) nameWidth = std::max(nameWidth, f.name.size() + 5);
  const auto shown = [](const std::optional<double>& number, const std::string& unit) {
    return number ? formatted(*number) + " " + unit : std::string("-");
  };
  std::fprintf(out, "%-*s %13s %13s %14s   %s\n", int(nameWidth), "figure", "this program",
               "the peer", "goal", "result");
  int met = 0;
  int missed = 0;
  int unmeasured = 0;
  for (std::size_t i = 0; i < figures.size(); ++i) {
    const Figure& f = figures[i];
    char number[32];
    std::snprintf(number, sizeof number, "[%zu] ", i + 1);
    const std::string label = number + f.name;
    const std::string goal = f.goal ? "<= " + shown(f.goal, f.unit) : "-";
    const std::string_view result = verdict(f);
    std::fprintf(out, "%-*s %13s %13s %14s   %.*s\n", int(nameWidth), label.c_str(),
                 shown(f.value, f.unit).c_str(), f.peer ? shown(f.peer, f.unit).c_str() : "",
                 goal.c_str(), int(result.size()), result.data());
    if (result == "met")
      ++met;
    else if (result == "missed")
      ++missed;
    else if (result == "not measured")
      ++unmeasured;
  }
  std::fprintf(out, "goals: %d met, %d missed, %d not measured\n", met, missed, unmeasured);
  std::fprintf(out, "notes:\n");
  for (std::size_t i = 0; i < figures.size(); ++i)
    if (!figures[i].notes.empty())
      std::fprintf(out, "  [%zu] %s\n", i + 1, figures[i].notes.c_str());
}

void printBefore(std::span<const Before> rows, std::FILE* out) {
  int nameWidth = 6;
  int valueWidth = 12;  // "this program"
  for (const Before& row : rows) {
    nameWidth = std::max(nameWidth, static_cast<int>(std::string_view(row.name).size()));
    valueWidth = std::max(valueWidth, static_cast<int>(std::string_view(row.thisProgram).size()));
    valueWidth = std::max(valueWidth, static_cast<int>(std::string_view(row.peer).size()));
  }
  std::fprintf(out, "%-*s %*s %*s\n", nameWidth, "figure", valueWidth, "this program", valueWidth,
               "the peer");
  for (const Before& row : rows)
    std::fprintf(out, "%-*s %*s %*s\n", nameWidth, row.name, valueWidth, row.thisProgram,
                 valueWidth, row.peer);
}

std::string fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace bench
