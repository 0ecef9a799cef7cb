#pragma once
// The 37 pads: one per semitone from base note 48 to 84. This table is the one source of
// every pad's note, kind, group and colours: the control table, the pad handlers and the
// key handling all read it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "framework/runtime/color.h"

namespace pads {

enum class PadKind : uint8_t { Natural, Sharp };
enum class PadGroup : uint8_t { LowWing, Centre, HighWing };

struct Pad {
  std::string_view name;
  int32_t baseNote;
  PadKind kind;
  PadGroup group;
  int32_t diameter;
};

using enum PadKind;
using enum PadGroup;

// name            base  kind     group     diameter
inline constexpr Pad kPads[] = {
    {"Oval19",       48, Natural, LowWing,  48},
    {"miniOval111",  49, Sharp,   LowWing,  30},
    {"Oval18",       50, Natural, LowWing,  48},
    {"miniOval211",  51, Sharp,   LowWing,  30},
    {"Oval17",       52, Natural, LowWing,  48},
    {"Oval16",       53, Natural, LowWing,  48},
    {"miniOval311",  54, Sharp,   LowWing,  30},
    {"Oval14",       55, Natural, LowWing,  48},
    {"miniOval411",  56, Sharp,   LowWing,  30},
    {"Oval10",       57, Natural, LowWing,  48},
    {"miniOval511",  58, Sharp,   LowWing,  30},
    {"Oval9",        59, Natural, LowWing,  48},
    {"Oval1",        60, Natural, Centre,   72},
    {"miniOval1",    61, Sharp,   Centre,   42},
    {"Oval2",        62, Natural, Centre,   72},
    {"miniOval2",    63, Sharp,   Centre,   42},
    {"Oval3",        64, Natural, Centre,   72},
    {"Oval4",        65, Natural, Centre,   72},
    {"miniOval3",    66, Sharp,   Centre,   42},
    {"Oval5",        67, Natural, Centre,   72},
    {"miniOval4",    68, Sharp,   Centre,   42},
    {"Oval6",        69, Natural, Centre,   72},
    {"miniOval5",    70, Sharp,   Centre,   42},
    {"Oval7",        71, Natural, Centre,   72},
    {"Oval8",        72, Natural, Centre,   72},
    {"miniOval11",   73, Sharp,   HighWing, 30},
    {"Oval11",       74, Natural, HighWing, 48},
    {"miniOval21",   75, Sharp,   HighWing, 30},
    {"Oval12",       76, Natural, HighWing, 48},
    {"Oval13",       77, Natural, HighWing, 48},
    {"miniOval31",   78, Sharp,   HighWing, 30},
    {"Oval15",       79, Natural, HighWing, 48},
    {"miniOval41",   80, Sharp,   HighWing, 30},
    {"Oval20",       81, Natural, HighWing, 48},
    {"miniOval51",   82, Sharp,   HighWing, 30},
    {"Oval21",       83, Natural, HighWing, 48},
    {"Oval22",       84, Natural, HighWing, 48},
};
inline constexpr std::size_t kPadCount = std::size(kPads);

constexpr int32_t pitchClass(int32_t note) { return ((note % 12) + 12) % 12; }

struct PitchClassColours {
  Color resting;
  Color lit;
};

// By pitch class 0 (C) to 11 (B); the five sharp classes share one pair.
// resting               lit
inline constexpr PitchClassColours kColours[] = {
    {RGB(255, 128, 128), RGB(255, 0, 0)},      // C
    {RGB(255, 255, 128), RGB(255, 255, 64)},   // C#
    {RGB(255, 192, 255), RGB(255, 128, 192)},  // D
    {RGB(255, 255, 128), RGB(255, 255, 64)},   // D#
    {RGB(128, 0, 255), RGB(160, 32, 255)},     // E
    {RGB(0, 128, 128), RGB(0, 192, 192)},      // F
    {RGB(255, 255, 128), RGB(255, 255, 64)},   // F#
    {RGB(128, 128, 255), RGB(192, 192, 255)},  // G
    {RGB(255, 255, 128), RGB(255, 255, 64)},   // G#
    {RGB(0, 64, 128), RGB(0, 96, 160)},        // A
    {RGB(255, 255, 128), RGB(255, 255, 64)},   // A#
    {RGB(0, 0, 128), RGB(0, 0, 255)},          // B
};
static_assert(std::size(kColours) == 12);

constexpr Color restingColour(int32_t note) { return kColours[pitchClass(note)].resting; }
constexpr Color litColour(int32_t note) { return kColours[pitchClass(note)].lit; }

constexpr std::optional<Pad> findPad(std::string_view name) {
  for (const Pad& p : kPads)
    if (p.name == name) return p;
  return std::nullopt;
}

// The centre reset repaints these pads, in this order, each to its resting colour.
inline constexpr std::string_view kCentreResetOrder[] = {
    "Oval1",     "Oval2",     "Oval3",     "Oval4",     "Oval5",     "Oval6",    "Oval7",
    "Oval8",     "miniOval1", "miniOval2", "miniOval3", "miniOval4", "miniOval5",
};

// The table's own invariants, checked where the table is defined so that a typo in a
// row cannot reach a handler.
namespace detail {

constexpr bool isSharpClass(int32_t note) {
  switch (pitchClass(note)) {
    case 1: case 3: case 6: case 8: case 10: return true;
    default: return false;
  }
}

constexpr PadGroup groupOf(int32_t note) {
  return note < 60 ? LowWing : note <= 72 ? Centre : HighWing;
}

// One pad per semitone from 48 up, in note order; kind and group follow from the note;
// names are distinct.
constexpr bool padsAreConsistent() {
  for (std::size_t i = 0; i < kPadCount; ++i) {
    const Pad& p = kPads[i];
    if (p.baseNote != 48 + static_cast<int32_t>(i)) return false;
    if ((p.kind == Sharp) != isSharpClass(p.baseNote)) return false;
    if (p.group != groupOf(p.baseNote)) return false;
    if ((p.kind == Sharp) != p.name.starts_with("miniOval")) return false;
    for (std::size_t j = 0; j < i; ++j)
      if (kPads[j].name == p.name) return false;
  }
  return true;
}

// Every pad of the centre octave appears in the reset order once, and nothing else.
constexpr bool resetCoversTheCentre() {
  std::size_t centrePads = 0;
  for (const Pad& p : kPads)
    if (p.group == Centre) ++centrePads;
  if (centrePads != std::size(kCentreResetOrder)) return false;
  for (std::size_t i = 0; i < std::size(kCentreResetOrder); ++i) {
    auto pad = findPad(kCentreResetOrder[i]);
    if (!pad || pad->group != Centre) return false;
    for (std::size_t j = 0; j < i; ++j)
      if (kCentreResetOrder[j] == kCentreResetOrder[i]) return false;
  }
  return true;
}

}  // namespace detail

static_assert(kPadCount == 37);
static_assert(detail::padsAreConsistent());
static_assert(detail::resetCoversTheCentre());

// One step of the centre reset: the pad and the resting colour of its pitch class.
struct ResetStep {
  std::string_view pad;
  Color resting;
};

inline constexpr auto kCentreReset = [] {
  std::array<ResetStep, std::size(kCentreResetOrder)> steps{};
  for (std::size_t i = 0; i < steps.size(); ++i)
    steps[i] = {kCentreResetOrder[i], restingColour(findPad(kCentreResetOrder[i])->baseNote)};
  return steps;
}();

}  // namespace pads
