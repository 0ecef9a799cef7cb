#include "framework/runtime/globals.h"

#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace {
std::function<double()>& substitute() {
  static std::function<double()> source;
  return source;
}

double seeded() {
  static std::mt19937_64 engine{std::random_device{}()};
  return std::generate_canonical<double, 53>(engine);
}
}  // namespace

double Rnd() {
  double d = substitute() ? substitute()() : seeded();
  if (!(d >= 0.0) || d >= 1.0) {
    d = std::isfinite(d) ? d - std::floor(d) : 0.0;
    if (d >= 1.0) d = 0.0;
  }
  // generate_canonical may round up to 1.0 on some libraries: keep the promise of [0, 1).
  // Adding 0.0 turns a source's -0.0 into 0.0.
  return d < 1.0 ? d + 0.0 : std::nextafter(1.0, 0.0);
}

int32_t Asc(const String& text) {
  auto b = text.bytes();
  if (b.empty()) return 0;
  const uint32_t lead = b[0];
  // Length of the sequence and the smallest code it may carry (shorter forms are overlong).
  int extra = 0;
  uint32_t least = 0;
  if (lead >= 0xC2 && lead < 0xE0) {
    extra = 1;
    least = 0x80;
  } else if (lead >= 0xE0 && lead < 0xF0) {
    extra = 2;
    least = 0x800;
  } else if (lead >= 0xF0 && lead < 0xF5) {
    extra = 3;
    least = 0x10000;
  } else if (lead >= 0x80) {
    return static_cast<int32_t>(lead);  // continuation byte, C0, C1, F5-FF
  }
  if (b.size() < static_cast<std::size_t>(1 + extra)) return static_cast<int32_t>(lead);
  uint32_t code = lead & (0x7Fu >> (extra == 0 ? 0 : extra + 1));
  for (int i = 1; i <= extra; ++i) {
    if ((b[i] & 0xC0) != 0x80) return static_cast<int32_t>(lead);
    code = (code << 6) | (b[i] & 0x3Fu);
  }
  // Malformed text gives its first byte's value, so every input has a defined code.
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return static_cast<int32_t>(lead);
  return static_cast<int32_t>(code);
}

String Str(int32_t n) {
  return String(std::to_string(n));
}

int32_t RuntimeCvtReal64ToSInt32(double d) {
  if (std::isnan(d)) return 0;
  if (d >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (d <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(d);
}

namespace fw {
void setRandomSource(std::function<double()> source) {
  substitute() = std::move(source);
}
}  // namespace fw
