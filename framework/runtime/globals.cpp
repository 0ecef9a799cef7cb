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
  return d < 1.0 ? d : std::nextafter(1.0, 0.0);
}

int32_t Asc(const String& text) {
  auto b = text.bytes();
  if (b.empty()) return 0;
  uint32_t c = b[0];
  int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  if (c >= 0xF8 || (c >= 0x80 && c < 0xC0) || b.size() < static_cast<std::size_t>(1 + extra))
    return static_cast<int32_t>(c);
  uint32_t code = extra == 0 ? c : c & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    if ((b[i] & 0xC0) != 0x80) return static_cast<int32_t>(c);
    code = (code << 6) | (b[i] & 0x3F);
  }
  return static_cast<int32_t>(code);
}

String Str(int32_t n) { return String(std::to_string(n)); }

int32_t RuntimeCvtReal64ToSInt32(double d) {
  if (std::isnan(d)) return 0;
  if (d >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (d <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(d);
}

namespace fw {
void setRandomSource(std::function<double()> source) { substitute() = std::move(source); }
}  // namespace fw
