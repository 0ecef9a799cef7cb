#include "window/property_blobs.h"

#include <array>
#include <limits>
#include <stdexcept>
#include <utility>

#include "window/blob_writer.h"
#include "window/control_table.h"
#include "window/instruments.h"

namespace window {
namespace {

// Every control but the timer carries this index: no control has an index of its own.
constexpr int32_t kNoIndex = std::numeric_limits<int32_t>::min();
constexpr Color kBlack = RGB(0, 0, 0);
constexpr Color kWhite = RGB(255, 255, 255);
constexpr std::string_view kNone = "";

// The window's blob, in the order the window's keys are applied.
constexpr BlobFields windowFields() {
  // clang-format off
  // key                value
  return {
      {"Placement",      0},
      {"Width",          880},
      {"Height",         495},
      {"MinWidth",       64},
      {"MinHeight",      64},
      {"MaxWidth",       32000},
      {"MaxHeight",      32000},
      {"Frame",          9},
      {"Composite",      false},
      {"HasBackColor",   true},
      {"BackColor",      RGB(0x1d, 0x20, 0x3c)},
      {"Title",          "VELMO TAVI Italian Edition"},
      {"Visible",        true},
      {"FullScreen",     false},
      {"MenuBarVisible", true},
      {"CloseButton",    true},
      {"Resizeable",     false},
      {"LiveResize",     false},
      {"MaximizeButton", false},
      {"MinimizeButton", false},
      {"MacProcID",      0},
  };
  // clang-format on
}

// The keys every control with a place begins with, up to TabPanelIndex.
constexpr void addPlace(BlobFields& f, const ControlRow& r) {
  f.add("Name", r.name)
      .add("Index", kNoIndex)
      .add("Left", r.left)
      .add("Top", r.top)
      .add("Width", r.width)
      .add("Height", r.height)
      .add("LockLeft", true)
      .add("LockTop", true)
      .add("LockRight", false)
      .add("LockBottom", false)
      .add("TabPanelIndex", 0);
}

constexpr void addTabbing(BlobFields& f, const ControlRow& r) {
  f.add("TabIndex", r.telling.tabIndex).add("TabStop", true);
}

// Visible, HelpTag and AutoDeactivate stand together in every class, only at another place.
constexpr void addVisibility(BlobFields& f, const ControlRow& r) {
  f.add("Visible", r.telling.visible).add("HelpTag", kNone).add("AutoDeactivate", true);
}

constexpr void addFont(BlobFields& f, const ControlRow& r) {
  f.add("TextFont", "System")
      .add("Bold", r.telling.bold)
      .add("Italic", false)
      .add("Underline", false);
}

// One writer per class, each holding exactly its class's keys in its class's order.

constexpr BlobFields sliderFields(const ControlRow& r) {
  BlobFields f;
  addPlace(f, r);
  addTabbing(f, r);
  f.add("Enabled", true);
  addVisibility(f, r);
  f.add("Minimum", r.telling.minimum)
      .add("Value", r.telling.value)
      .add("Maximum", r.telling.maximum)
      .add("LineStep", r.telling.lineStep)
      .add("PageStep", r.telling.pageStep)
      .add("LiveScroll", false)
      .add("TickStyle", 0)
      .add("InitialParent", kNone);
  return f;
}

constexpr BlobFields ovalFields(const ControlRow& r, Color fill) {
  BlobFields f;
  addPlace(f, r);
  addVisibility(f, r);  // before Enabled in Oval blobs
  f.add("Enabled", true)
      .add("FillColor", fill)
      .add("BorderWidth", 1)
      .add("BorderColor", kBlack)
      .add("InitialParent", kNone);
  return f;
}

constexpr BlobFields textFieldFields(const ControlRow& r) {
  BlobFields f;
  addPlace(f, r);
  addTabbing(f, r);
  f.add("Border", true)
      .add("Password", false)
      .add("UseFocusRing", true)
      .add("TextColor", kBlack)
      .add("BackColor", kWhite)
      .add("Enabled", true)
      .add("Format", kNone);
  addVisibility(f, r);
  addFont(f, r);
  f.add("CueText", kNone)
      .add("Text", kNone)
      .add("Mask", kNone)
      .add("ReadOnly", false)
      .add("LimitText", 0)
      .add("AcceptTabs", false)
      .add("Alignment", 0)
      .add("DataSource", kNone)
      .add("DataField", kNone)
      .add("InitialParent", kNone);
  return f;
}

constexpr BlobFields popupFields(const ControlRow& r) {
  BlobFields f;
  addPlace(f, r);
  addTabbing(f, r);
  f.add("Enabled", true)
      .add("InitialValue", instrumentList())
      .add("ListIndex", r.telling.listIndex);
  addVisibility(f, r);
  addFont(f, r);
  f.add("DataSource", kNone).add("DataField", kNone).add("InitialParent", kNone);
  return f;
}

constexpr BlobFields notePlayerFields(const ControlRow& r) {
  BlobFields f;
  f.add("Name", r.name)
      .add("Index", kNoIndex)
      .add("TabPanelIndex", 0)
      .add("Instrument", r.telling.instrument);
  return f;
}

constexpr BlobFields pushButtonFields(const ControlRow& r) {
  BlobFields f;
  addPlace(f, r);
  addTabbing(f, r);
  f.add("Caption", r.telling.caption)
      .add("Default", false)
      .add("Cancel", false)
      .add("Enabled", true);
  addVisibility(f, r);
  addFont(f, r);
  f.add("InitialParent", kNone);
  return f;
}

// The timer's blob has neither Name nor Index: its name comes from the registration alone.
constexpr BlobFields timerFields(const ControlRow& r) {
  BlobFields f;
  f.add("Mode", r.telling.mode).add("Period", r.telling.period);
  return f;
}

constexpr BlobFields controlFields(std::size_t row) {
  const ControlRow& r = controlRow(row);
  switch (r.controlClass) {
    case ControlClass::Slider:
      return sliderFields(r);
    case ControlClass::Oval:
      return ovalFields(r, padColour(row));
    case ControlClass::TextField:
      return textFieldFields(r);
    case ControlClass::PopupMenu:
      return popupFields(r);
    case ControlClass::NotePlayer:
      return notePlayerFields(r);
    case ControlClass::PushButton:
      return pushButtonFields(r);
    case ControlClass::Timer:
      return timerFields(r);
  }
  throw std::invalid_argument("control table: a row of no known class");
}

constexpr auto kWindowBlob = writeBlob<blobSize(windowFields())>(windowFields());

template <std::size_t Row>
constexpr auto kControlBlob = writeBlob<blobSize(controlFields(Row))>(controlFields(Row));

template <std::size_t... Rows>
constexpr std::array<std::span<const uint8_t>, sizeof...(Rows)> controlBlobs(
    std::index_sequence<Rows...>) {
  return {std::span<const uint8_t>(kControlBlob<Rows>)...};
}

constexpr auto kControlBlobs = controlBlobs(std::make_index_sequence<kControlCount>{});

static_assert(kWindowBlob.size() > 0);
static_assert(kControlBlob<controlIndex("Mytimer")>.size() == 20);
static_assert(kControlBlob<controlIndex("MusicPopupMenu")>.size() == 1994);

}  // namespace

std::span<const uint8_t> windowBlob() {
  return kWindowBlob;
}

std::span<const uint8_t> controlBlob(std::size_t row) {
  if (row >= kControlBlobs.size()) return {};
  return kControlBlobs[row];
}

}  // namespace window
