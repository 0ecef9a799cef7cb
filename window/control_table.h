#pragma once
// The main window's 44 controls in creation order: the one list that control creation,
// the property blobs and the member table follow. A row gives the values in which the
// control differs from the others of its class; the values common to a class live in
// the blob writers (window/property_blobs.cpp). Pads take their colour and size from the
// pad table, which stays the one source of notes and colours.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>

#include "framework/runtime/color.h"
#include "pads/pad_table.h"
#include "window/velmo_methods.h"

namespace window {

// The framework class a control is created as. The timer is created as VELMO.Mytimer,
// a Timer subclass, but cast to Timer for its blob, which is Timer's.
enum class ControlClass : uint8_t {
  Slider,
  Oval,
  TextField,
  PopupMenu,
  NotePlayer,
  PushButton,
  Timer
};

// An event of the control instance and the VELMO method bound to it, by name.
struct EventBinding {
  std::string_view event;
  std::string_view handler;
};

// The blob values that tell a control apart from the rest of its class. A class reads
// only the fields it has.
struct Telling {
  int32_t minimum = 0, value = 0, maximum = 0, lineStep = 0, pageStep = 0;  // Slider
  int32_t tabIndex = 0;  // Slider, TextField, PopupMenu, PushButton
  bool visible = true;
  int32_t listIndex = 0;         // PopupMenu
  std::string_view caption;      // PushButton
  bool bold = false;             // TextField, PopupMenu, PushButton
  int32_t instrument = 0;        // NotePlayer
  int32_t mode = 0, period = 0;  // Timer
};

struct ControlRow {
  int32_t number;         // creation order, from 1
  std::string_view name;  // registration name, and the blob's Name
  ControlClass controlClass;
  int32_t left, top, width, height;  // none for NotePlayer and Timer (all 0)
  Telling telling;
  int32_t textSize;        // 0 for none
  EventBinding events[2];  // in binding order; unused slots empty
};

namespace control_rows {

using enum ControlClass;

constexpr Telling slider(int32_t minimum, int32_t value, int32_t maximum, int32_t lineStep,
                         int32_t pageStep, int32_t tabIndex) {
  Telling t;
  t.minimum = minimum;
  t.value = value;
  t.maximum = maximum;
  t.lineStep = lineStep;
  t.pageStep = pageStep;
  t.tabIndex = tabIndex;
  return t;
}
// A pad's colour and diameter come from the pad table by its name.
constexpr Telling pad() {
  return {};
}
constexpr Telling field(bool visible, int32_t tabIndex) {
  Telling t;
  t.visible = visible;
  t.tabIndex = tabIndex;
  return t;
}
constexpr Telling popup(int32_t listIndex, int32_t tabIndex) {
  Telling t;
  t.listIndex = listIndex;
  t.tabIndex = tabIndex;
  return t;
}
constexpr Telling button(std::string_view caption, bool bold, int32_t tabIndex) {
  Telling t;
  t.caption = caption;
  t.bold = bold;
  t.tabIndex = tabIndex;
  return t;
}
constexpr Telling player(int32_t instrument) {
  Telling t;
  t.instrument = instrument;
  return t;
}
constexpr Telling timer(int32_t mode, int32_t period) {
  Telling t;
  t.mode = mode;
  t.period = period;
  return t;
}

inline constexpr int32_t kNoText = 0;

// clang-format off
// #  name              class       left top  width height  telling                    text     events: handler
inline constexpr ControlRow kRows[] = {
  { 1, "PitchSlider",    Slider,     765, 391, 100, 16, slider(1, 5, 9, 1, 20, 1),  kNoText, {{"ValueChanged", "PitchSlider_ValueChanged"}}},
  { 2, "VelocitySlider", Slider,      15, 299,  16, 100, slider(1, 8, 20, 1, 10, 2), kNoText, {{"Open", "VelocitySlider_Open"}, {"ValueChanged", "VelocitySlider_ValueChanged"}}},
  { 3, "Oval1",          Oval,       189, 299,  72, 72, pad(),                      kNoText, {{"MouseDown", "Oval1_MouseDown"}}},
  { 4, "Oval3",          Oval,       314, 323,  72, 72, pad(),                      kNoText, {{"MouseDown", "Oval3_MouseDown"}}},
  { 5, "Oval4",          Oval,       378, 276,  72, 72, pad(),                      kNoText, {{"MouseDown", "Oval4_MouseDown"}}},
  { 6, "Oval5",          Oval,       436, 323,  72, 72, pad(),                      kNoText, {{"MouseDown", "Oval5_MouseDown"}}},
  { 7, "Oval6",          Oval,       498, 270,  72, 72, pad(),                      kNoText, {{"MouseDown", "Oval6_MouseDown"}}},
  { 8, "Oval7",          Oval,       551, 323,  72, 72, pad(),                      kNoText, {{"MouseDown", "Oval7_MouseDown"}}},
  { 9, "Oval8",          Oval,       622, 299,  72, 72, pad(),                      kNoText, {{"MouseDown", "Oval8_MouseDown"}}},
  {10, "miniOval1",      Oval,       219, 257,  42, 42, pad(),                      kNoText, {{"MouseDown", "miniOval1_MouseDown"}}},
  {11, "miniOval2",      Oval,       332, 257,  42, 42, pad(),                      kNoText, {{"MouseDown", "miniOval2_MouseDown"}}},
  {12, "miniOval3",      Oval,       425, 239,  42, 42, pad(),                      kNoText, {{"MouseDown", "miniOval3_MouseDown"}}},
  {13, "miniOval4",      Oval,       472, 239,  42, 42, pad(),                      kNoText, {{"MouseDown", "miniOval4_MouseDown"}}},
  {14, "miniOval5",      Oval,       569, 271,  42, 42, pad(),                      kNoText, {{"MouseDown", "miniOval5_MouseDown"}}},
  {15, "Oval2",          Oval,       259, 270,  72, 72, pad(),                      kNoText, {{"MouseDown", "Oval2_MouseDown"}}},
  {16, "textfield",      TextField,  493,  19,  80, 22, field(false, 17),           12,      {}},
  {17, "MusicPopupMenu", PopupMenu,  635,  11, 152, 34, popup(0, 16),               12,      {{"Change", "MusicPopupMenu_Change"}, {"Open", "MusicPopupMenu_Open"}}},
  {18, "Oval9",          Oval,       144, 283,  48, 48, pad(),                      kNoText, {{"MouseDown", "Oval9_MouseDown"}}},
  {19, "Oval10",         Oval,       108, 239,  48, 48, pad(),                      kNoText, {{"MouseDown", "Oval10_MouseDown"}}},
  {20, "Oval11",         Oval,       666, 259,  48, 48, pad(),                      kNoText, {{"MouseDown", "Oval11_MouseDown"}}},
  {21, "Oval12",         Oval,       715, 276,  48, 48, pad(),                      kNoText, {{"MouseDown", "Oval12_MouseDown"}}},
  {22, "Oval13",         Oval,       757, 248,  48, 48, pad(),                      kNoText, {{"MouseDown", "Oval13_MouseDown"}}},
  {23, "Oval14",         Oval,        57, 223,  48, 48, pad(),                      kNoText, {{"MouseDown", "Oval14_MouseDown"}}},
  {24, "Oval15",         Oval,       776, 199,  48, 48, pad(),                      kNoText, {{"MouseDown", "Oval15_MouseDown"}}},
  {25, "Oval16",         Oval,        25, 179,  48, 48, pad(),                      kNoText, {{"MouseDown", "Oval16_MouseDown"}}},
  {26, "Oval17",         Oval,        25, 129,  48, 48, pad(),                      kNoText, {{"MouseDown", "Oval17_MouseDown"}}},
  {27, "Oval18",         Oval,        15,  79,  48, 48, pad(),                      kNoText, {{"MouseDown", "Oval18_MouseDown"}}},
  {28, "Oval19",         Oval,         9,  28,  48, 48, pad(),                      kNoText, {{"MouseDown", "Oval19_MouseDown"}}},
  {29, "Oval20",         Oval,       786, 146,  48, 48, pad(),                      kNoText, {{"MouseDown", "Oval20_MouseDown"}}},
  {30, "Oval21",         Oval,       817, 104,  48, 48, pad(),                      kNoText, {{"MouseDown", "Oval21_MouseDown"}}},
  {31, "Oval22",         Oval,       817,  53,  48, 48, pad(),                      kNoText, {{"MouseDown", "Oval22_MouseDown"}}},
  {32, "miniOval111",    Oval,        57,  57,  30, 30, pad(),                      kNoText, {{"MouseDown", "miniOval111_MouseDown"}}},
  {33, "miniOval21",     Oval,       715, 248,  30, 30, pad(),                      kNoText, {{"MouseDown", "miniOval21_MouseDown"}}},
  {34, "miniOval11",     Oval,       635, 265,  30, 30, pad(),                      kNoText, {{"MouseDown", "miniOval11_MouseDown"}}},
  {35, "miniOval211",    Oval,        66,  97,  30, 30, pad(),                      kNoText, {{"MouseDown", "miniOval211_MouseDown"}}},
  {36, "miniOval31",     Oval,       742, 223,  30, 30, pad(),                      kNoText, {{"MouseDown", "miniOval31_MouseDown"}}},
  {37, "miniOval311",    Oval,        75, 155,  30, 30, pad(),                      kNoText, {{"MouseDown", "miniOval311_MouseDown"}}},
  {38, "miniOval41",     Oval,       757, 172,  30, 30, pad(),                      kNoText, {{"MouseDown", "miniOval41_MouseDown"}}},
  {39, "miniOval411",    Oval,       108, 199,  30, 30, pad(),                      kNoText, {{"MouseDown", "miniOval411_MouseDown"}}},
  {40, "miniOval51",     Oval,       786, 113,  30, 30, pad(),                      kNoText, {{"MouseDown", "miniOval51_MouseDown"}}},
  {41, "miniOval511",    Oval,       162, 239,  30, 30, pad(),                      kNoText, {{"MouseDown", "miniOval511_MouseDown"}}},
  {42, "NotePlayer1",    NotePlayer,   0,   0,   0,  0, player(1),                  kNoText, {{"Open", "NotePlayer1_Open"}}},
  {43, "PushButton1",    PushButton, 348, 419, 119, 33, button("Randam Hit", true, 18), 10,  {{"Action", "PushButton1_Action"}}},
  {44, "Mytimer",        Timer,        0,   0,   0,  0, timer(2, 1000),             kNoText, {}},
};
// clang-format on

}  // namespace control_rows

inline constexpr std::span<const ControlRow> kControls{control_rows::kRows};
inline constexpr std::size_t kControlCount = std::size(control_rows::kRows);

// ---- Accessors (row index 0..43 in creation order) ----

constexpr const ControlRow& controlRow(std::size_t row) {
  return kControls[row];
}
constexpr std::string_view controlName(std::size_t row) {
  return kControls[row].name;
}
constexpr ControlClass controlClass(std::size_t row) {
  return kControls[row].controlClass;
}

// Whether the control has a place on the window; the note player and the timer have none.
constexpr bool hasGeometry(ControlClass c) {
  return c != ControlClass::NotePlayer && c != ControlClass::Timer;
}

// The text size set before the blob (with text unit 0), for the three controls that have one.
constexpr std::optional<float> textSize(std::size_t row) {
  const int32_t size = kControls[row].textSize;
  if (size == control_rows::kNoText) return std::nullopt;
  return static_cast<float>(size);
}

// The row's event bindings, in the order they are installed.
constexpr std::span<const EventBinding> controlEvents(std::size_t row) {
  const ControlRow& r = kControls[row];
  std::size_t count = 0;
  while (count < std::size(r.events) && !r.events[count].event.empty()) ++count;
  return {r.events, count};
}

// Row index of the control of that name; kControlCount when there is none.
constexpr std::size_t controlIndex(std::string_view name) {
  for (std::size_t i = 0; i < kControlCount; ++i)
    if (kControls[i].name == name) return i;
  return kControlCount;
}

// A pad's FillColor: the resting colour of its base note's pitch class. Only for Oval rows,
// each of which is a pad of the pad table.
constexpr Color padColour(std::size_t row) {
  const auto pad = pads::findPad(kControls[row].name);
  if (!pad) throw std::invalid_argument("control table: an Oval row that is no pad");
  return pads::restingColour(pad->baseNote);
}

// ---- What the table must satisfy ----

namespace control_rows {

constexpr bool rowsNumberedInOrder() {
  for (std::size_t i = 0; i < kControlCount; ++i)
    if (kRows[i].number != static_cast<int32_t>(i + 1)) return false;
  return true;
}

constexpr bool namesUnique() {
  for (std::size_t i = 0; i < kControlCount; ++i)
    if (controlIndex(kRows[i].name) != i) return false;
  return true;
}

constexpr bool handlersAreOwnMethods() {
  for (std::size_t i = 0; i < kControlCount; ++i)
    for (const EventBinding& e : controlEvents(i))
      if (ownMethodIndex(e.handler) >= kOwnMethodCount) return false;
  return true;
}

// Every Oval is a pad of the pad table, sized by its diameter, bound by MouseDown to
// "<name>_MouseDown"; every pad has a row.
constexpr bool padsMatchPadTable() {
  std::size_t ovals = 0;
  for (const ControlRow& r : kRows) {
    if (r.controlClass != Oval) continue;
    ++ovals;
    const auto pad = pads::findPad(r.name);
    if (!pad || r.width != pad->diameter || r.height != pad->diameter) return false;
    const EventBinding& e = r.events[0];
    if (e.event != "MouseDown" || !e.handler.starts_with(r.name) ||
        e.handler.substr(r.name.size()) != "_MouseDown" || !r.events[1].event.empty())
      return false;
  }
  for (const pads::Pad& p : pads::kPads)
    if (controlIndex(p.name) == kControlCount) return false;
  return ovals == pads::kPadCount;
}

// Text sizes belong to the text field, the popup and the button only; the note player and
// the timer have no place.
constexpr bool classColumnsConsistent() {
  for (const ControlRow& r : kRows) {
    const bool hasText =
        r.controlClass == TextField || r.controlClass == PopupMenu || r.controlClass == PushButton;
    if (hasText != (r.textSize != kNoText)) return false;
    if (!hasGeometry(r.controlClass) && (r.left | r.top | r.width | r.height) != 0) return false;
  }
  return true;
}

static_assert(kControlCount == 44);
static_assert(rowsNumberedInOrder());
static_assert(namesUnique());
static_assert(handlersAreOwnMethods(), "every handler is one of VELMO's own methods");
static_assert(padsMatchPadTable());
static_assert(classColumnsConsistent());

}  // namespace control_rows

}  // namespace window
