#include "window/control_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "pads/pad_table.h"
#include "window/velmo_methods.h"

namespace {

using window::ControlClass;
using window::controlIndex;
using window::kControlCount;

std::vector<std::string_view> namesInRows(std::size_t first, std::size_t last) {
  std::vector<std::string_view> names;
  for (std::size_t i = first; i <= last; ++i) names.push_back(window::controlName(i));
  return names;
}

TEST(ControlTable, HoldsTheControlsInCreationOrder) {
  ASSERT_EQ(kControlCount, 44u);
  std::set<std::string_view> unique;
  for (std::size_t i = 0; i < kControlCount; ++i) unique.insert(window::controlName(i));
  EXPECT_EQ(unique.size(), kControlCount);

  EXPECT_EQ(namesInRows(0, 1), (std::vector<std::string_view>{"PitchSlider", "VelocitySlider"}));
  // Oval2 is created after the centre sharps, not in name order.
  EXPECT_EQ(controlIndex("miniOval5"), 13u);
  EXPECT_EQ(controlIndex("Oval2"), 14u);
  EXPECT_EQ(namesInRows(15, 16), (std::vector<std::string_view>{"textfield", "MusicPopupMenu"}));
  EXPECT_EQ(controlIndex("Oval9"), 17u);  // the wing naturals follow the popup
  EXPECT_EQ(controlIndex("Oval22"), 30u);
  EXPECT_EQ(namesInRows(31, 40),
            (std::vector<std::string_view>{"miniOval111", "miniOval21", "miniOval11", "miniOval211",
                                           "miniOval31", "miniOval311", "miniOval41", "miniOval411",
                                           "miniOval51", "miniOval511"}));
  EXPECT_EQ(namesInRows(41, 43),
            (std::vector<std::string_view>{"NotePlayer1", "PushButton1", "Mytimer"}));
  EXPECT_EQ(controlIndex("NoSuchControl"), kControlCount);
}

TEST(ControlTable, EveryPadHasOneRowBoundToItsOwnHandler) {
  for (const pads::Pad& pad : pads::kPads) {
    SCOPED_TRACE(std::string(pad.name));
    int rows = 0;
    for (std::size_t i = 0; i < kControlCount; ++i) rows += window::controlName(i) == pad.name;
    EXPECT_EQ(rows, 1);
    const std::size_t row = controlIndex(pad.name);
    ASSERT_LT(row, kControlCount);
    EXPECT_EQ(window::controlClass(row), ControlClass::Oval);
    const auto events = window::controlEvents(row);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].event, "MouseDown");
    EXPECT_EQ(events[0].handler, std::string(pad.name) + "_MouseDown");
    EXPECT_EQ(window::padColour(row), pads::restingColour(pad.baseNote));
  }
}

TEST(ControlTable, PadHandlersStandInTheMethodTableInCreationOrder) {
  std::size_t previous = 0;
  bool first = true;
  for (std::size_t i = 0; i < kControlCount; ++i) {
    if (window::controlClass(i) != ControlClass::Oval) continue;
    const std::size_t slot = window::ownMethodIndex(window::controlEvents(i)[0].handler);
    ASSERT_LT(slot, window::kOwnMethodCount);
    if (!first) {
      EXPECT_GT(slot, previous) << window::controlName(i);
    }
    previous = slot;
    first = false;
  }
}

TEST(ControlTable, EventsAreBoundInTableOrder) {
  auto events = [](std::string_view name) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& e : window::controlEvents(controlIndex(name)))
      out.emplace_back(e.event, e.handler);
    return out;
  };
  using Bindings = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(events("PitchSlider"), (Bindings{{"ValueChanged", "PitchSlider_ValueChanged"}}));
  EXPECT_EQ(events("VelocitySlider"), (Bindings{{"Open", "VelocitySlider_Open"},
                                                {"ValueChanged", "VelocitySlider_ValueChanged"}}));
  EXPECT_EQ(events("MusicPopupMenu"),
            (Bindings{{"Change", "MusicPopupMenu_Change"}, {"Open", "MusicPopupMenu_Open"}}));
  EXPECT_EQ(events("NotePlayer1"), (Bindings{{"Open", "NotePlayer1_Open"}}));
  EXPECT_EQ(events("PushButton1"), (Bindings{{"Action", "PushButton1_Action"}}));
  EXPECT_TRUE(events("textfield").empty());
  EXPECT_TRUE(events("Mytimer").empty());
}

TEST(ControlTable, TextSizesOnlyForTheTextControls) {
  for (std::size_t i = 0; i < kControlCount; ++i) {
    const auto name = window::controlName(i);
    const auto size = window::textSize(i);
    if (name == "textfield" || name == "MusicPopupMenu") {
      EXPECT_EQ(size, 12.0f);
    } else if (name == "PushButton1") {
      EXPECT_EQ(size, 10.0f);
    } else {
      EXPECT_FALSE(size.has_value()) << name;
    }
  }
}

TEST(ControlTable, EveryControlLiesWithinTheWindow) {
  for (std::size_t i = 0; i < kControlCount; ++i) {
    const auto& r = window::controlRow(i);
    if (!window::hasGeometry(r.controlClass)) continue;
    SCOPED_TRACE(std::string(r.name));
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_GT(r.width, 0);
    EXPECT_GT(r.height, 0);
    EXPECT_LE(r.left + r.width, 880);
    EXPECT_LE(r.top + r.height, 495);
  }
  EXPECT_FALSE(window::hasGeometry(window::controlClass(controlIndex("NotePlayer1"))));
  EXPECT_FALSE(window::hasGeometry(window::controlClass(controlIndex("Mytimer"))));
}

}  // namespace
