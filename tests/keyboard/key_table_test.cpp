// The key table: which codes play which notes and light which pads, looked up from the
// key strings the window receives.

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/runtime/globals.h"
#include "keyboard/key_table.h"
#include "pads/pad_table.h"

namespace {

using keyboard::findKey;
using keyboard::KeyRow;

const KeyRow& keyOf(std::string_view typed) {
  const KeyRow* row = findKey(Asc(String(typed)));
  if (row == nullptr) throw std::runtime_error("no row for " + std::string(typed));
  return *row;
}

std::vector<int32_t> notesOf(std::string_view keys) {
  std::vector<int32_t> notes;
  for (char c : keys) notes.push_back(keyOf(std::string_view(&c, 1)).baseNote);
  return notes;
}

TEST(KeyTable, FortyDistinctCodesEachFoundFromItsKeyString) {
  std::set<int32_t> codes;
  for (const KeyRow& row : keyboard::kKeys) {
    codes.insert(row.code);
    EXPECT_EQ(findKey(Asc(String(row.key))), &row) << row.code;
  }
  EXPECT_EQ(codes.size(), 40u);
}

TEST(KeyTable, CodesOutsideTheTableFindNothing) {
  for (std::string_view typed : {"Z", "1", "4", "8", "?", ":", "X", "<", "", "\u00DC", "a"})
    EXPECT_EQ(findKey(Asc(String(typed))), nullptr) << typed;
  EXPECT_EQ(findKey(0), nullptr);
  EXPECT_EQ(findKey(-1), nullptr);
}

TEST(KeyTable, ManualsPlayTheirScales) {
  EXPECT_EQ(notesOf("zxcvbnm,./"), (std::vector<int32_t>{59, 60, 62, 64, 65, 67, 69, 71, 72, 74}));
  EXPECT_EQ(keyOf("\u00DB").code, 219);
  EXPECT_EQ(keyOf("\u00DB").baseNote, 76);
  EXPECT_EQ(notesOf("dfhjk;]"), (std::vector<int32_t>{61, 63, 66, 68, 70, 73, 75}));
  EXPECT_EQ(notesOf("qwertyuiop"), (std::vector<int32_t>{72, 74, 76, 77, 79, 81, 83, 84, 86, 88}));
  EXPECT_EQ(notesOf("2356790"), (std::vector<int32_t>{73, 75, 78, 80, 82, 85, 87}));
}

TEST(KeyTable, PadsLitAndTheirColours) {
  EXPECT_EQ(keyOf(".").baseNote, keyOf("q").baseNote);
  EXPECT_EQ(keyOf(".").pad, "Oval8");
  EXPECT_EQ(keyOf("q").pad, "Oval1");
  EXPECT_EQ(keyOf(";").pad, keyOf("2").pad);
  EXPECT_EQ(keyOf("o").pad, "Oval2");  // 86, two octaves above the pad
  EXPECT_EQ(keyOf("p").pad, "Oval3");  // 88
  EXPECT_EQ(keyOf("z").pad, "Oval9");
  EXPECT_EQ(keyOf("/").pad, "Oval11");
  EXPECT_EQ(keyOf("\u00DB").pad, "Oval12");

  for (const KeyRow& row : keyboard::kKeys) {
    if (!keyboard::isNoteKey(row)) continue;
    SCOPED_TRACE(row.code);
    const auto pad = pads::findPad(row.pad);
    ASSERT_TRUE(pad);
    const int32_t octaves = (row.baseNote - pad->baseNote) / 12;
    EXPECT_EQ(row.baseNote - pad->baseNote, 12 * octaves);
    EXPECT_TRUE(octaves >= 0 && octaves <= 2);
    EXPECT_EQ(keyboard::litColour(row), pads::litColour(row.baseNote));
    if (pad->group != pads::Centre) {
      EXPECT_EQ(row.baseNote, pad->baseNote);
    }
  }
  EXPECT_EQ(keyboard::litColour(keyOf("z")), RGB(0, 0, 255));
  EXPECT_EQ(keyboard::litColour(keyOf("9")), RGB(255, 255, 64));
}

TEST(KeyTable, OnlyNaturalKeysOtherThanVMEYAndTheSpaceSetTheInstrument) {
  std::string withStep, without;
  for (const KeyRow& row : keyboard::kKeys) {
    if (row.code >= 128) continue;
    (row.instrumentStep ? withStep : without) += static_cast<char>(row.code);
  }
  EXPECT_EQ(withStep, " zxcbn,./qwrtuiop");
  EXPECT_EQ(without, "vmdfhjk;]ey2356790\x1c\x1d\x1e\x1f");
  EXPECT_TRUE(keyOf("\u00DB").instrumentStep);
}

TEST(KeyTable, SpaceAndArrowRows) {
  EXPECT_EQ(keyOf(" ").kind, keyboard::Space);
  struct Arrow {
    int32_t code;
    std::string_view slider;
    int32_t step;
  };
  for (const Arrow& a : {Arrow{28, "PitchSlider", -1}, Arrow{29, "PitchSlider", +1},
                         Arrow{30, "VelocitySlider", -1}, Arrow{31, "VelocitySlider", +1}}) {
    const KeyRow* row = findKey(a.code);
    ASSERT_NE(row, nullptr) << a.code;
    EXPECT_EQ(row->kind, keyboard::SliderStep);
    EXPECT_EQ(row->slider, a.slider);
    EXPECT_EQ(row->step, a.step);
  }
}

}  // namespace
