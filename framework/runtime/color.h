#pragma once
#include <cstdint>

// A framework Color: red, green and blue, 0-255 each; no alpha.
struct Color {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend constexpr bool operator==(const Color&, const Color&) = default;
};

constexpr Color RGB(int32_t red, int32_t green, int32_t blue) {
  // Components outside 0-255 are clamped, so a colour is always a colour.
  auto c = [](int32_t v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
  return Color{c(red), c(green), c(blue)};
}
