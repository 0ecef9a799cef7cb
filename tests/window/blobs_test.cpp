#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/runtime/blob_reader.h"
#include "pads/pad_table.h"
#include "window/blob_writer.h"
#include "window/control_table.h"
#include "window/property_blobs.h"

namespace {

using window::controlBlob;
using window::ControlClass;
using window::controlIndex;
using Keys = std::vector<std::string>;

// ---- The key order of each class, as the framework's reader expects it ----

const Keys kWindowKeys = {"Placement",  "Width",        "Height",         "MinWidth",
                          "MinHeight",  "MaxWidth",     "MaxHeight",      "Frame",
                          "Composite",  "HasBackColor", "BackColor",      "Title",
                          "Visible",    "FullScreen",   "MenuBarVisible", "CloseButton",
                          "Resizeable", "LiveResize",   "MaximizeButton", "MinimizeButton",
                          "MacProcID"};

const Keys kPlace = {"Name",     "Index",   "Left",      "Top",        "Width",        "Height",
                     "LockLeft", "LockTop", "LockRight", "LockBottom", "TabPanelIndex"};

Keys placeThen(const Keys& rest) {
  Keys keys = kPlace;
  keys.insert(keys.end(), rest.begin(), rest.end());
  return keys;
}

const std::map<ControlClass, Keys> kClassKeys = {
    {ControlClass::Slider, placeThen({"TabIndex", "TabStop", "Enabled", "Visible", "HelpTag",
                                      "AutoDeactivate", "Minimum", "Value", "Maximum", "LineStep",
                                      "PageStep", "LiveScroll", "TickStyle", "InitialParent"})},
    {ControlClass::Oval, placeThen({"Visible", "HelpTag", "AutoDeactivate", "Enabled", "FillColor",
                                    "BorderWidth", "BorderColor", "InitialParent"})},
    {ControlClass::TextField,
     placeThen({"TabIndex",     "TabStop",        "Border",    "Password",   "UseFocusRing",
                "TextColor",    "BackColor",      "Enabled",   "Format",     "Visible",
                "HelpTag",      "AutoDeactivate", "TextFont",  "Bold",       "Italic",
                "Underline",    "CueText",        "Text",      "Mask",       "ReadOnly",
                "LimitText",    "AcceptTabs",     "Alignment", "DataSource", "DataField",
                "InitialParent"})},
    {ControlClass::PopupMenu,
     placeThen({"TabIndex", "TabStop", "Enabled", "InitialValue", "ListIndex", "Visible", "HelpTag",
                "AutoDeactivate", "TextFont", "Bold", "Italic", "Underline", "DataSource",
                "DataField", "InitialParent"})},
    {ControlClass::NotePlayer, {"Name", "Index", "TabPanelIndex", "Instrument"}},
    {ControlClass::PushButton,
     placeThen({"TabIndex", "TabStop", "Caption", "Default", "Cancel", "Enabled", "Visible",
                "HelpTag", "AutoDeactivate", "TextFont", "Bold", "Italic", "Underline",
                "InitialParent"})},
    {ControlClass::Timer, {"Mode", "Period"}},
};

// A blob read back, by key (every key occurs once).
struct ReadBack {
  Keys keys;
  std::map<std::string, Value> values;

  template <class T>
  T get(const std::string& key) const {
    auto it = values.find(key);
    if (it == values.end()) throw std::out_of_range("no key " + key);
    return fw::unbox<T>(it->second);
  }
  int32_t i(const std::string& key) const { return get<int32_t>(key); }
  bool b(const std::string& key) const { return get<bool>(key); }
  Color c(const std::string& key) const { return get<Color>(key); }
  std::string s(const std::string& key) const { return get<String>(key).str(); }
};

ReadBack readBack(std::span<const uint8_t> blob) {
  ReadBack r;
  for (auto& e : fw::readBlob(blob)) {
    r.keys.push_back(e.key);
    r.values.emplace(e.key, std::move(e.value));
  }
  return r;
}

std::vector<uint8_t> bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

uint64_t fnv1a(std::string_view text) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (unsigned char c : text) hash = (hash ^ c) * 0x100000001b3ULL;
  return hash;
}

// Whether the run of bytes occurs in the blob.
bool contains(std::span<const uint8_t> blob, const std::vector<uint8_t>& run) {
  return std::search(blob.begin(), blob.end(), run.begin(), run.end()) != blob.end();
}

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

constexpr int32_t kLowest = std::numeric_limits<int32_t>::min();

// ---- Lengths ----

TEST(PropertyBlobs, HaveTheirExactLengths) {
  EXPECT_EQ(window::windowBlob().size(), 293u);
  EXPECT_EQ(controlBlob(controlIndex("Mytimer")).size(), 20u);
  EXPECT_EQ(controlBlob(controlIndex("MusicPopupMenu")).size(), 1994u);
  EXPECT_EQ(controlBlob(controlIndex("textfield")).size(), 434u);
  EXPECT_EQ(controlBlob(controlIndex("PushButton1")).size(), 297u);
  EXPECT_EQ(controlBlob(controlIndex("NotePlayer1")).size(), 63u);
  // Blobs of one class differ only by the length of the name.
  for (std::size_t row = 0; row < window::kControlCount; ++row) {
    const std::size_t name = window::controlName(row).size();
    switch (window::controlClass(row)) {
      case ControlClass::Slider:
        EXPECT_EQ(controlBlob(row).size(), 289 + name);
        break;
      case ControlClass::Oval:
        EXPECT_EQ(controlBlob(row).size(), 225 + name);
        break;
      default:
        break;
    }
  }
  EXPECT_TRUE(controlBlob(window::kControlCount).empty());
}

// ---- Exact bytes ----

TEST(PropertyBlobs, KeepTheBytesOfTheTrickyValues) {
  const auto win = window::windowBlob();
  // The middle byte of the background colour is a blank; Title must follow it directly.
  EXPECT_TRUE(contains(
      win, bytes("BackColor ") + std::vector<uint8_t>{0x1D, 0x20, 0x3C} + bytes("Title ")));
  EXPECT_TRUE(contains(win, bytes("MaxWidth ") + std::vector<uint8_t>{0x00, 0x00, 0x7D, 0x00}));
  EXPECT_TRUE(contains(win, bytes("MaxHeight ") + std::vector<uint8_t>{0x00, 0x00, 0x7D, 0x00}));

  const auto timer = controlBlob(controlIndex("Mytimer"));
  const auto expected = bytes("Mode ") + std::vector<uint8_t>{0, 0, 0, 2} + bytes("Period ") +
                        std::vector<uint8_t>{0x00, 0x00, 0x03, 0xE8};
  EXPECT_EQ(std::vector<uint8_t>(timer.begin(), timer.end()), expected);

  for (std::size_t row = 0; row < window::kControlCount; ++row) {
    if (window::controlClass(row) == ControlClass::Timer) continue;
    EXPECT_TRUE(
        contains(controlBlob(row), bytes("Index ") + std::vector<uint8_t>{0x80, 0x00, 0x00, 0x00}))
        << window::controlName(row);
  }
  EXPECT_TRUE(
      contains(controlBlob(controlIndex("PushButton1")),
               bytes("Caption ") + std::vector<uint8_t>{0, 0, 0, 10} + bytes("Randam Hit")));
}

// ---- Read back ----

TEST(PropertyBlobs, WindowBlobReadsBackAsTheLayout) {
  const ReadBack w = readBack(window::windowBlob());
  EXPECT_EQ(w.keys, kWindowKeys);
  EXPECT_EQ(w.i("Placement"), 0);
  EXPECT_EQ(w.i("Width"), 880);
  EXPECT_EQ(w.i("Height"), 495);
  EXPECT_EQ(w.i("MinWidth"), 64);
  EXPECT_EQ(w.i("MinHeight"), 64);
  EXPECT_EQ(w.i("MaxWidth"), 32000);
  EXPECT_EQ(w.i("MaxHeight"), 32000);
  EXPECT_EQ(w.i("Frame"), 9);
  EXPECT_FALSE(w.b("Composite"));
  EXPECT_TRUE(w.b("HasBackColor"));
  EXPECT_EQ(w.c("BackColor"), RGB(29, 32, 60));
  EXPECT_EQ(w.s("Title"), "VELMO TAVI Italian Edition");
  EXPECT_TRUE(w.b("Visible"));
  EXPECT_FALSE(w.b("FullScreen"));
  EXPECT_TRUE(w.b("MenuBarVisible"));
  EXPECT_TRUE(w.b("CloseButton"));
  for (const char* key : {"Resizeable", "LiveResize", "MaximizeButton", "MinimizeButton"})
    EXPECT_FALSE(w.b(key)) << key;
  EXPECT_EQ(w.i("MacProcID"), 0);
}

TEST(PropertyBlobs, EveryControlBlobReadsBackAsItsRow) {
  for (std::size_t row = 0; row < window::kControlCount; ++row) {
    const auto& r = window::controlRow(row);
    SCOPED_TRACE(std::string(r.name));
    const ReadBack blob = readBack(controlBlob(row));
    EXPECT_EQ(blob.keys, kClassKeys.at(r.controlClass));
    if (r.controlClass == ControlClass::Timer) {
      EXPECT_EQ(blob.i("Mode"), 2);
      EXPECT_EQ(blob.i("Period"), 1000);
      continue;
    }
    EXPECT_EQ(blob.s("Name"), r.name);
    EXPECT_EQ(blob.i("Index"), kLowest);
    EXPECT_EQ(blob.i("TabPanelIndex"), 0);
    if (r.controlClass == ControlClass::NotePlayer) {
      EXPECT_EQ(blob.i("Instrument"), 1);
      continue;
    }
    EXPECT_EQ(blob.i("Left"), r.left);
    EXPECT_EQ(blob.i("Top"), r.top);
    EXPECT_EQ(blob.i("Width"), r.width);
    EXPECT_EQ(blob.i("Height"), r.height);
    EXPECT_TRUE(blob.b("LockLeft"));
    EXPECT_TRUE(blob.b("LockTop"));
    EXPECT_FALSE(blob.b("LockRight"));
    EXPECT_FALSE(blob.b("LockBottom"));
    EXPECT_TRUE(blob.b("Enabled"));
    EXPECT_EQ(blob.b("Visible"), r.name != "textfield");
    EXPECT_EQ(blob.s("HelpTag"), "");
    EXPECT_TRUE(blob.b("AutoDeactivate"));
    EXPECT_EQ(blob.s("InitialParent"), "");
    if (r.controlClass == ControlClass::Oval) {
      const auto pad = pads::findPad(r.name);
      ASSERT_TRUE(pad.has_value());
      EXPECT_EQ(blob.c("FillColor"), pads::restingColour(pad->baseNote));
      EXPECT_EQ(blob.i("Width"), pad->diameter);
      EXPECT_EQ(blob.i("BorderWidth"), 1);
      EXPECT_EQ(blob.c("BorderColor"), RGB(0, 0, 0));
    } else {
      EXPECT_TRUE(blob.b("TabStop"));
    }
  }
}

TEST(PropertyBlobs, SlidersCarryTheirRanges) {
  const ReadBack pitch = readBack(controlBlob(controlIndex("PitchSlider")));
  EXPECT_EQ((std::vector<int32_t>{pitch.i("Minimum"), pitch.i("Value"), pitch.i("Maximum"),
                                  pitch.i("LineStep"), pitch.i("PageStep"), pitch.i("TabIndex")}),
            (std::vector<int32_t>{1, 5, 9, 1, 20, 1}));
  const ReadBack velocity = readBack(controlBlob(controlIndex("VelocitySlider")));
  EXPECT_EQ((std::vector<int32_t>{velocity.i("Minimum"), velocity.i("Value"), velocity.i("Maximum"),
                                  velocity.i("LineStep"), velocity.i("PageStep"),
                                  velocity.i("TabIndex")}),
            (std::vector<int32_t>{1, 8, 20, 1, 10, 2}));
  for (const ReadBack* s : {&pitch, &velocity}) {
    EXPECT_FALSE(s->b("LiveScroll"));
    EXPECT_EQ(s->i("TickStyle"), 0);
  }
}

TEST(PropertyBlobs, TextControlsCarryTheirTextValues) {
  const ReadBack field = readBack(controlBlob(controlIndex("textfield")));
  EXPECT_EQ(field.i("TabIndex"), 17);
  EXPECT_TRUE(field.b("Border"));
  EXPECT_FALSE(field.b("Password"));
  EXPECT_TRUE(field.b("UseFocusRing"));
  EXPECT_EQ(field.c("TextColor"), RGB(0, 0, 0));
  EXPECT_EQ(field.c("BackColor"), RGB(255, 255, 255));
  for (const char* key : {"Format", "CueText", "Text", "Mask", "DataSource", "DataField"})
    EXPECT_EQ(field.s(key), "") << key;
  EXPECT_FALSE(field.b("ReadOnly"));
  EXPECT_EQ(field.i("LimitText"), 0);
  EXPECT_FALSE(field.b("AcceptTabs"));
  EXPECT_EQ(field.i("Alignment"), 0);

  const ReadBack popup = readBack(controlBlob(controlIndex("MusicPopupMenu")));
  EXPECT_EQ(popup.i("TabIndex"), 16);
  EXPECT_EQ(popup.i("ListIndex"), 0);
  // The 128 items joined by carriage returns, every one as the popup must show it: the
  // FNV-1a hash of the whole list, taken of the list typed out from the instrument names,
  // so that a misspelt or misplaced item fails; some items spelled out besides.
  const std::string items = popup.s("InitialValue");
  EXPECT_EQ(fnv1a(items), 0xeed4a2670c1fd30aULL);
  std::vector<std::string> rows(1);
  for (char c : items) {
    if (c == '\r')
      rows.emplace_back();
    else
      rows.back().push_back(c);
  }
  ASSERT_EQ(rows.size(), 128u);
  EXPECT_EQ(rows[0], "@Acoustic Grand Piano");
  EXPECT_EQ(rows[2], "@Elactric Grand Piano");
  EXPECT_EQ(rows[40], "@Violin");
  EXPECT_EQ(rows[73], "@Flute");
  EXPECT_EQ(rows[127], "@Gunshot Table");
  EXPECT_EQ(rows[38], "@Synth Bass 1");
  EXPECT_EQ(rows[62], "@Synth Bass 1");
  EXPECT_EQ(rows[39], "@Synth Bass 2");
  EXPECT_EQ(rows[63], "@Synth Bass 2");

  const ReadBack button = readBack(controlBlob(controlIndex("PushButton1")));
  EXPECT_EQ(button.i("TabIndex"), 18);
  EXPECT_EQ(button.s("Caption"), "Randam Hit");
  EXPECT_FALSE(button.b("Default"));
  EXPECT_FALSE(button.b("Cancel"));

  for (const ReadBack* t : {&field, &popup, &button}) {
    EXPECT_EQ(t->s("TextFont"), "System");
    EXPECT_EQ(t->b("Bold"), t == &button);
    EXPECT_FALSE(t->b("Italic"));
    EXPECT_FALSE(t->b("Underline"));
  }
}

// ---- The writer ----

TEST(BlobWriter, EncodesEachTypeAtItsWidth) {
  constexpr window::BlobFields fields{{"Value", -2},
                                      {"Visible", true},
                                      {"FillColor", RGB(1, 2, 3)},
                                      {"HelpTag", ""},
                                      {"Text", "a b"}};
  constexpr auto blob = window::writeBlob<window::blobSize(fields)>(fields);
  const auto expected = bytes("Value ") + std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFE} +
                        bytes("Visible ") + std::vector<uint8_t>{1} + bytes("FillColor ") +
                        std::vector<uint8_t>{1, 2, 3} + bytes("HelpTag ") +
                        std::vector<uint8_t>{0, 0, 0, 0} + bytes("Text ") +
                        std::vector<uint8_t>{0, 0, 0, 3} + bytes("a b");
  EXPECT_EQ(std::vector<uint8_t>(blob.begin(), blob.end()), expected);
}

TEST(BlobWriter, RefusesAValueOfAnotherTypeThanItsKey) {
  EXPECT_THROW(window::blobSize({{"Visible", 1}}), std::invalid_argument);
  EXPECT_THROW(window::blobSize({{"Width", "880"}}), std::invalid_argument);
  EXPECT_THROW(window::blobSize({{"BackColor", true}}), std::invalid_argument);
  EXPECT_THROW(window::blobSize({{"NoSuchKey", 0}}), std::invalid_argument);
  // A size that is not the fields' own is refused before a byte is written.
  EXPECT_THROW(window::writeBlob<64>({{"Mode", 2}}), std::invalid_argument);
}

}  // namespace
