#pragma once
// The framework's global functions used by the program.

#include <cstdint>
#include <functional>

#include "framework/runtime/color.h"
#include "framework/runtime/string.h"

// A Double uniform in [0, 1). The generator is seeded once per run.
double Rnd();
// The Unicode code point of the first character of UTF-8 text; 0 for empty text.
// A malformed first character (stray continuation byte, truncated, overlong, surrogate or
// beyond U+10FFFF) gives its first byte's value, so every input has a code.
int32_t Asc(const String& text);
// The decimal text of n ("-12", "90").
String Str(int32_t n);
// Drops the fraction. NaN gives 0; values beyond the Int32 range give its nearest end.
int32_t RuntimeCvtReal64ToSInt32(double d);

namespace fw {
// Replaces the source of Rnd (tests make draws deterministic); an empty function
// restores the seeded generator. Values the source returns outside [0, 1) are folded in.
void setRandomSource(std::function<double()> source);
}  // namespace fw
