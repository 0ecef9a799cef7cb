// The pad table, the pitch-class colours, the centre reset order and the handler lookup,
// checked against the values the program must show and play.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "pads/pad_press.h"
#include "pads/pad_table.h"
#include "window/velmo_methods.h"

namespace {

using pads::kPads;

TEST(PadTable, NamesCarryNoNumberRule) {
  EXPECT_EQ(pads::findPad("Oval9")->baseNote, 59);
  EXPECT_EQ(pads::findPad("Oval10")->baseNote, 57);
  EXPECT_EQ(pads::findPad("Oval11")->baseNote, 74);
  EXPECT_EQ(pads::findPad("miniOval11")->baseNote, 73);
  EXPECT_EQ(pads::findPad("miniOval111")->baseNote, 49);
  EXPECT_EQ(pads::findPad("Oval2")->baseNote, 62);
  EXPECT_FALSE(pads::findPad("Oval23"));
  EXPECT_FALSE(pads::findPad("oval1"));
  EXPECT_FALSE(pads::findPad(""));
}

TEST(PadTable, NotesGroupsKindsAndDiameters) {
  std::set<int32_t> notes;
  int centre = 0, low = 0, high = 0, naturals = 0;
  for (const pads::Pad& pad : kPads) {
    notes.insert(pad.baseNote);
    SCOPED_TRACE(std::string(pad.name));
    switch (pad.group) {
      case pads::Centre:
        ++centre;
        EXPECT_GE(pad.baseNote, 60);
        EXPECT_LE(pad.baseNote, 72);
        EXPECT_EQ(pad.diameter, pad.kind == pads::Natural ? 72 : 42);
        break;
      case pads::LowWing:
        ++low;
        EXPECT_LE(pad.baseNote, 59);
        EXPECT_EQ(pad.diameter, pad.kind == pads::Natural ? 48 : 30);
        break;
      case pads::HighWing:
        ++high;
        EXPECT_GE(pad.baseNote, 73);
        EXPECT_EQ(pad.diameter, pad.kind == pads::Natural ? 48 : 30);
        break;
    }
    if (pad.kind == pads::Natural) {
      ++naturals;
      EXPECT_TRUE(pad.name.starts_with("Oval"));
    } else {
      EXPECT_TRUE(pad.name.starts_with("miniOval"));
    }
  }
  ASSERT_EQ(notes.size(), 37u);
  EXPECT_EQ(*notes.begin(), 48);
  EXPECT_EQ(*notes.rbegin(), 84);
  EXPECT_EQ(centre, 13);
  EXPECT_EQ(low, 12);
  EXPECT_EQ(high, 12);
  EXPECT_EQ(naturals, 22);
}

TEST(PitchClassColours, RestingAndLitOfEveryClass) {
  struct Expected {
    int32_t note;
    Color resting;
    Color lit;
  };
  const Color sharpRest = RGB(0xff, 0xff, 0x80), sharpLit = RGB(0xff, 0xff, 0x40);
  const Expected expected[] = {
      {60, RGB(0xff, 0x80, 0x80), RGB(0xff, 0x00, 0x00)},  // C
      {61, sharpRest, sharpLit},
      {62, RGB(0xff, 0xc0, 0xff), RGB(0xff, 0x80, 0xc0)},  // D
      {63, sharpRest, sharpLit},
      {64, RGB(0x80, 0x00, 0xff), RGB(0xa0, 0x20, 0xff)},  // E
      {65, RGB(0x00, 0x80, 0x80), RGB(0x00, 0xc0, 0xc0)},  // F
      {66, sharpRest, sharpLit},
      {67, RGB(0x80, 0x80, 0xff), RGB(0xc0, 0xc0, 0xff)},  // G
      {68, sharpRest, sharpLit},
      {69, RGB(0x00, 0x40, 0x80), RGB(0x00, 0x60, 0xa0)},  // A
      {70, sharpRest, sharpLit},
      {71, RGB(0x00, 0x00, 0x80), RGB(0x00, 0x00, 0xff)},  // B
  };
  for (const Expected& e : expected) {
    // Every octave of a class, and notes shifted below 0, share the class's colours.
    for (int32_t shift : {-72, -48, 0, 12, 48}) {
      SCOPED_TRACE(e.note + shift);
      EXPECT_EQ(pads::restingColour(e.note + shift), e.resting);
      EXPECT_EQ(pads::litColour(e.note + shift), e.lit);
    }
  }
}

TEST(CentreReset, NameOrderWithRestingColours) {
  const std::string_view order[] = {"Oval1",     "Oval2",     "Oval3",     "Oval4",    "Oval5",
                                    "Oval6",     "Oval7",     "Oval8",     "miniOval1", "miniOval2",
                                    "miniOval3", "miniOval4", "miniOval5"};
  ASSERT_EQ(pads::kCentreReset.size(), std::size(order));
  for (std::size_t i = 0; i < std::size(order); ++i) {
    EXPECT_EQ(pads::kCentreReset[i].pad, order[i]);
    EXPECT_EQ(pads::kCentreReset[i].resting, pads::restingColour(pads::findPad(order[i])->baseNote));
  }
  EXPECT_EQ(pads::kCentreReset[1].resting, RGB(255, 192, 255));
  EXPECT_EQ(pads::kCentreReset[7].resting, RGB(255, 128, 128));
}

TEST(MouseDownHandlers, OneDistinctHandlerPerPadAndNoneForOtherNames) {
  std::set<pads::MouseDownHandler> handlers;
  for (const pads::Pad& pad : kPads) {
    pads::MouseDownHandler handler = pads::mouseDownHandler(pad.name);
    EXPECT_NE(handler, nullptr) << pad.name;
    handlers.insert(handler);
  }
  EXPECT_EQ(handlers.size(), pads::kPadCount);
  for (std::string_view other : {"Oval23", "Oval0", "miniOval6", "PitchSlider", "", "oval1"})
    EXPECT_EQ(pads::mouseDownHandler(other), nullptr) << other;
}

// The window's method table names one "<pad>_MouseDown" method per pad, and each of them
// has a handler here.
TEST(MouseDownHandlers, CoverTheWindowsMouseDownMethods) {
  std::size_t mouseDowns = 0;
  for (const window::OwnMethod& method : window::kOwnMethods) {
    if (method.signature != window::kMouseDown) continue;
    ++mouseDowns;
    std::string_view name = method.name;
    ASSERT_TRUE(name.ends_with("_MouseDown")) << name;
    name.remove_suffix(std::string_view("_MouseDown").size());
    EXPECT_NE(pads::mouseDownHandler(name), nullptr) << name;
  }
  EXPECT_EQ(mouseDowns, pads::kPadCount);
}

}  // namespace
