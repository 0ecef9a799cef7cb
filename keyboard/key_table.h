#pragma once
// The 40 character codes the main window reacts to. The note keys form two piano-like
// manuals: the lower one with naturals on the bottom letter row (z to "/", then the key
// of code 219) and sharps on d f h j k ; ], the upper one with naturals on the top letter
// row and sharps on the digit row. Codes outside the table (upper case, shifted
// punctuation, the digits 1, 4 and 8 ...) do nothing but show their code.
//
// A row matches only its exact code: there is no folding of case or shift.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "framework/runtime/color.h"
#include "pads/pad_table.h"

namespace keyboard {

enum class KeyKind : uint8_t {
  Space,       // instrument, centre reset, note-off: ends the last note
  NaturalKey,  // [instrument], centre reset, note-off, note-on, light the pad
  SharpKey,    // note-off, centre reset, note-on, light the pad; never the instrument
  SliderStep,  // the slider's Value moves by the step; nothing else
};

struct KeyRow {
  int32_t code;             // the code Asc gives for the key string
  std::string_view key;     // the key string as typed (UTF-8)
  KeyKind kind;
  int32_t baseNote;         // note keys: the note played is baseNote + App.MyPitch
  std::string_view pad;     // note keys: the pad lit once the note has started
  bool instrumentStep;      // copies App.MyInstrument into NotePlayer1 first
  std::string_view slider;  // slider steps: the slider moved
  int32_t step;             // slider steps: added to the slider's Value
};

using enum KeyKind;

inline constexpr bool Yes = true;
inline constexpr bool No = false;

// code  key        kind        base  pad           instrument  slider            step
inline constexpr KeyRow kKeys[] = {
    {32,  " ",       Space,      0,  "",          Yes, "",               0},
    // lower manual, naturals
    {122, "z",       NaturalKey, 59, "Oval9",     Yes, "",               0},
    {120, "x",       NaturalKey, 60, "Oval1",     Yes, "",               0},
    {99,  "c",       NaturalKey, 62, "Oval2",     Yes, "",               0},
    {118, "v",       NaturalKey, 64, "Oval3",     No,  "",               0},
    {98,  "b",       NaturalKey, 65, "Oval4",     Yes, "",               0},
    {110, "n",       NaturalKey, 67, "Oval5",     Yes, "",               0},
    {109, "m",       NaturalKey, 69, "Oval6",     No,  "",               0},
    {44,  ",",       NaturalKey, 71, "Oval7",     Yes, "",               0},
    {46,  ".",       NaturalKey, 72, "Oval8",     Yes, "",               0},
    {47,  "/",       NaturalKey, 74, "Oval11",    Yes, "",               0},
    {219, "\u00DB",  NaturalKey, 76, "Oval12",    Yes, "",               0},
    // lower manual, sharps
    {100, "d",       SharpKey,   61, "miniOval1", No,  "",               0},
    {102, "f",       SharpKey,   63, "miniOval2", No,  "",               0},
    {104, "h",       SharpKey,   66, "miniOval3", No,  "",               0},
    {106, "j",       SharpKey,   68, "miniOval4", No,  "",               0},
    {107, "k",       SharpKey,   70, "miniOval5", No,  "",               0},
    {59,  ";",       SharpKey,   73, "miniOval1", No,  "",               0},
    {93,  "]",       SharpKey,   75, "miniOval2", No,  "",               0},
    // upper manual, naturals
    {113, "q",       NaturalKey, 72, "Oval1",     Yes, "",               0},
    {119, "w",       NaturalKey, 74, "Oval2",     Yes, "",               0},
    {101, "e",       NaturalKey, 76, "Oval3",     No,  "",               0},
    {114, "r",       NaturalKey, 77, "Oval4",     Yes, "",               0},
    {116, "t",       NaturalKey, 79, "Oval5",     Yes, "",               0},
    {121, "y",       NaturalKey, 81, "Oval6",     No,  "",               0},
    {117, "u",       NaturalKey, 83, "Oval7",     Yes, "",               0},
    {105, "i",       NaturalKey, 84, "Oval8",     Yes, "",               0},
    {111, "o",       NaturalKey, 86, "Oval2",     Yes, "",               0},
    {112, "p",       NaturalKey, 88, "Oval3",     Yes, "",               0},
    // upper manual, sharps
    {50,  "2",       SharpKey,   73, "miniOval1", No,  "",               0},
    {51,  "3",       SharpKey,   75, "miniOval2", No,  "",               0},
    {53,  "5",       SharpKey,   78, "miniOval3", No,  "",               0},
    {54,  "6",       SharpKey,   80, "miniOval4", No,  "",               0},
    {55,  "7",       SharpKey,   82, "miniOval5", No,  "",               0},
    {57,  "9",       SharpKey,   85, "miniOval1", No,  "",               0},
    {48,  "0",       SharpKey,   87, "miniOval2", No,  "",               0},
    // the arrow codes: the octave slider left/right, the velocity slider up/down (a lower
    // Value is a louder note, so up is louder)
    {28,  "\x1c",    SliderStep, 0,  "",          No,  "PitchSlider",    -1},
    {29,  "\x1d",    SliderStep, 0,  "",          No,  "PitchSlider",    +1},
    {30,  "\x1e",    SliderStep, 0,  "",          No,  "VelocitySlider", -1},
    {31,  "\x1f",    SliderStep, 0,  "",          No,  "VelocitySlider", +1},
};
inline constexpr std::size_t kKeyCount = std::size(kKeys);

// The row of the code, or nullptr: the code is not a key of the table.
constexpr const KeyRow* findKey(int32_t code) {
  for (const KeyRow& row : kKeys)
    if (row.code == code) return &row;
  return nullptr;
}

constexpr bool isNoteKey(const KeyRow& row) {
  return row.kind == NaturalKey || row.kind == SharpKey;
}

// The colour a note key paints its pad: the lit colour of the pad's pitch class. For note
// keys only (the other rows have no pad).
constexpr Color litColour(const KeyRow& row) {
  return pads::litColour(pads::findPad(row.pad)->baseNote);
}

namespace detail {

// The code of the first character of UTF-8 text, as Asc gives it (one or two bytes are
// all the table needs).
constexpr int32_t firstCode(std::string_view text) {
  const auto b0 = static_cast<unsigned char>(text[0]);
  if (b0 < 0x80) return b0;
  const auto b1 = static_cast<unsigned char>(text[1]);
  return ((b0 & 0x1F) << 6) | (b1 & 0x3F);
}

constexpr bool codesAreDistinctAndMatchTheirKeys() {
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    if (kKeys[i].key.empty() || firstCode(kKeys[i].key) != kKeys[i].code) return false;
    for (std::size_t j = 0; j < i; ++j)
      if (kKeys[j].code == kKeys[i].code) return false;
  }
  return true;
}

// Every note key lights a pad of the note's pitch class (so of every note it plays: the
// octave shift is a multiple of 12), a sharp key a sharp pad of the centre octave.
constexpr bool noteKeysLightPadsOfTheirNote() {
  for (const KeyRow& row : kKeys) {
    if (!isNoteKey(row)) continue;
    const auto pad = pads::findPad(row.pad);
    if (!pad) return false;
    if (pads::pitchClass(pad->baseNote) != pads::pitchClass(row.baseNote)) return false;
    if (row.kind == SharpKey &&
        (pad->kind != pads::Sharp || pad->group != pads::Centre || row.instrumentStep))
      return false;
  }
  return true;
}

constexpr bool slidersStepByOne() {
  for (const KeyRow& row : kKeys) {
    if (row.kind != SliderStep) continue;
    if (row.slider != "PitchSlider" && row.slider != "VelocitySlider") return false;
    if (row.step != -1 && row.step != +1) return false;
  }
  return true;
}

}  // namespace detail

static_assert(kKeyCount == 40);
static_assert(detail::codesAreDistinctAndMatchTheirKeys());
static_assert(detail::noteKeysLightPadsOfTheirNote());
static_assert(detail::slidersStepByOne());

}  // namespace keyboard
