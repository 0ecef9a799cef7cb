#include "tests/app/soak_events.h"

#include <QChar>
#include <Qt>
#include <array>
#include <cstdio>
#include <limits>

#include "keyboard/key_table.h"
#include "window/control_table.h"

namespace soak {
namespace {

constexpr int32_t kWindowWidth = 880;
constexpr int32_t kWindowHeight = 495;
constexpr int32_t kLowest = std::numeric_limits<int32_t>::min();
constexpr int32_t kHighest = std::numeric_limits<int32_t>::max();

enum class Pick : uint8_t {
  ClickAnywhere,
  ClickPad,
  ClickControl,
  ClickButton,
  Wheel,
  TableKey,
  OtherKey,
  KeyBytes,
  SliderValue,
  PopupRow,
  Action
};

// Pads get most of the clicks and note keys most of the keys, so that notes are played
// all the time; the rest is spread over everything else the window takes.
// clang-format off
// pick                 weight
constexpr struct {
  Pick pick;
  int weight;
} kMix[] = {
    {Pick::ClickAnywhere, 20},
    {Pick::ClickPad,      22},
    {Pick::ClickControl,   8},
    {Pick::ClickButton,    5},
    {Pick::Wheel,          3},
    {Pick::TableKey,      17},
    {Pick::OtherKey,      14},
    {Pick::KeyBytes,       4},
    {Pick::SliderValue,    5},
    {Pick::PopupRow,       3},
    {Pick::Action,         2},
};
// clang-format on
constexpr int kMixTotal = [] {
  int total = 0;
  for (const auto& row : kMix) total += row.weight;
  return total;
}();

// Texts of keys beyond ASCII, in UTF-16 as Qt hands them over: accented letters (two of
// them in the key table), a CJK character, a character outside the BMP, surrogates that
// stand alone, the replacement character, a byte-order mark, a lone combining accent,
// two characters at once.
constexpr std::array<std::u16string_view, 15> kWideTexts = {
    u"\u00E9", u"\u00DC", u"\u00DB", u"\u00DF", u"\u65E5",  u"\U0001F600", u"\xD800",    u"\xDC00",
    u"\xDBFF", u"\uFFFD", u"\uFEFF", u"\u0301", u"e\u0301", u"ab",         u"\U0010FFFF"};

// Key strings no keyboard gives: empty, malformed UTF-8 (stray continuation, truncated,
// overlong, an encoded surrogate, past U+10FFFF, bytes never used), a zero byte first.
constexpr std::array<std::string_view, 10> kOddBytes = {"",
                                                        "\x80",
                                                        "\xC3",
                                                        "\xC0\xAF",
                                                        "\xED\xA0\x80",
                                                        "\xF4\x90\x80\x80",
                                                        "\xFF\xFE",
                                                        std::string_view("\0z", 2),
                                                        "\xE6\x97",
                                                        "zz"};

// Keys that type no text: modifiers alone, function and editing keys.
constexpr std::array<int, 8> kSilentKeys = {Qt::Key_Shift,  Qt::Key_Control,  Qt::Key_Alt,
                                            Qt::Key_F5,     Qt::Key_CapsLock, Qt::Key_Home,
                                            Qt::Key_PageUp, Qt::Key_Meta};

constexpr std::array<int, 4> kArrowKeys = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};

constexpr std::array<int, 6> kModifierSets = {Qt::NoModifier,  Qt::NoModifier,
                                              Qt::NoModifier,  Qt::ShiftModifier,
                                              Qt::AltModifier, Qt::ControlModifier};

// The Qt key code a keyboard gives with this text: Latin-1 letters by their upper case,
// other Latin-1 characters by their code, anything else unknown.
int qtKeyFor(const QString& text) {
  if (text.isEmpty()) return Qt::Key_unknown;
  const QChar first = text.at(0).toUpper();
  if (first.unicode() > 0x20 && first.unicode() <= 0xFF) return first.unicode();
  return Qt::Key_unknown;
}

std::string hexBytes(std::string_view bytes) {
  std::string out;
  char part[4];
  for (unsigned char b : bytes) {
    std::snprintf(part, sizeof part, "%s%02X", out.empty() ? "" : " ", b);
    out += part;
  }
  return out;
}

}  // namespace

std::string describe(const Event& e) {
  char line[160];
  switch (e.kind) {
    case Event::Kind::Click:
      if (e.x != e.toX || e.y != e.toY)
        std::snprintf(line, sizeof line, "drag %d,%d -> %d,%d", e.x, e.y, e.toX, e.toY);
      else
        std::snprintf(line, sizeof line, "%s %d,%d", e.doubleClick ? "double-click" : "click", e.x,
                      e.y);
      return line;
    case Event::Kind::Wheel:
      std::snprintf(line, sizeof line, "wheel %d,%d by %d", e.x, e.y, e.value);
      return line;
    case Event::Kind::Key: {
      std::string units;
      for (QChar c : e.text) {
        std::snprintf(line, sizeof line, "%sU+%04X", units.empty() ? "" : " ", c.unicode());
        units += line;
      }
      std::snprintf(line, sizeof line, "key 0x%X text [%s] mods 0x%X%s", e.qtKey, units.c_str(),
                    static_cast<unsigned>(e.modifiers), e.autoRepeat ? " auto-repeat" : "");
      return line;
    }
    case Event::Kind::KeyDownBytes:
      return "key-down string [" + hexBytes(e.bytes) + "]";
    case Event::Kind::SliderValue:
      return std::string(e.control) + ".Value = " + std::to_string(e.value);
    case Event::Kind::PopupRow:
      return std::string(e.control) + ".ListIndex = " + std::to_string(e.value);
    case Event::Kind::Action:
      return "PushButton1 Action";
  }
  return "?";
}

EventSource::EventSource(uint64_t seed) : random_(seed) {}

int32_t EventSource::uniform(int32_t low, int32_t high) {
  return std::uniform_int_distribution<int32_t>(low, high)(random_);
}

Event EventSource::next() {
  int roll = uniform(0, kMixTotal - 1);
  Pick pick = kMix[0].pick;
  for (const auto& row : kMix) {
    if (roll < row.weight) {
      pick = row.pick;
      break;
    }
    roll -= row.weight;
  }
  switch (pick) {
    case Pick::ClickAnywhere:
      return pressed(uniform(0, kWindowWidth - 1), uniform(0, kWindowHeight - 1));
    case Pick::ClickPad:
      return clickIn("pad");
    case Pick::ClickControl:
      return clickIn("control");
    case Pick::ClickButton:
      return clickIn("button");
    case Pick::Wheel: {  // over a slider or the popup half the time (only x, y are kept)
      Event e = uniform(0, 1) == 0
                    ? clickIn("control")
                    : pressed(uniform(0, kWindowWidth - 1), uniform(0, kWindowHeight - 1));
      e.kind = Event::Kind::Wheel;
      e.value = (uniform(0, 1) == 0 ? -1 : 1) * 120 * uniform(1, 3);
      return e;
    }
    case Pick::TableKey:
      return tableKey();
    case Pick::OtherKey:
      return otherKey();
    case Pick::KeyBytes:
      return keyDownBytes();
    case Pick::SliderValue:
      return sliderValue();
    case Pick::PopupRow:
      return popupRow();
    case Pick::Action: {
      Event e;
      e.kind = Event::Kind::Action;
      return e;
    }
  }
  return {};
}

// A point inside the bounding square of a pad, of a slider, the popup or the hidden text
// field, or of the button: presses on a pad's corners miss its circle on purpose.
Event EventSource::clickIn(std::string_view kindOfControl) {
  using window::ControlClass;
  const auto fits = [&](const window::ControlRow& row) {
    if (kindOfControl == "pad") return row.controlClass == ControlClass::Oval;
    if (kindOfControl == "button") return row.controlClass == ControlClass::PushButton;
    return row.controlClass == ControlClass::Slider ||
           row.controlClass == ControlClass::PopupMenu ||
           row.controlClass == ControlClass::TextField;
  };
  int32_t candidates = 0;
  for (const auto& row : window::kControls) candidates += fits(row) ? 1 : 0;
  int32_t chosen = uniform(0, candidates - 1);
  for (const auto& row : window::kControls) {
    if (!fits(row) || chosen-- > 0) continue;
    return pressed(row.left + uniform(0, row.width - 1), row.top + uniform(0, row.height - 1));
  }
  return {};
}

// Mostly a click; now and then a double click, or a drag to anywhere in the window, which
// moves a slider's thumb when it starts on one.
Event EventSource::pressed(int32_t x, int32_t y) {
  Event e;
  e.x = e.toX = x;
  e.y = e.toY = y;
  switch (uniform(0, 9)) {
    case 0:
      e.doubleClick = true;
      break;
    case 1:
      e.toX = uniform(0, kWindowWidth - 1);
      e.toY = uniform(0, kWindowHeight - 1);
      break;
    default:
      break;
  }
  return e;
}

Event EventSource::tableKey() {
  const auto& row = keyboard::kKeys[static_cast<std::size_t>(
      uniform(0, static_cast<int32_t>(std::size(keyboard::kKeys)) - 1))];
  Event e;
  e.kind = Event::Kind::Key;
  if (row.code >= 28 && row.code <= 31) {
    // Arrow keys type no text: the window turns the key itself into codes 28 to 31.
    e.qtKey = kArrowKeys[static_cast<std::size_t>(row.code - 28)];
  } else {
    e.text = QString::fromUtf8(row.key.data(), static_cast<qsizetype>(row.key.size()));
    e.qtKey = qtKeyFor(e.text);
  }
  return e;
}

Event EventSource::otherKey() {
  Event e;
  e.kind = Event::Kind::Key;
  switch (uniform(0, 5)) {
    case 0: {  // a control character, typed as Ctrl with a letter where there is one
      const int32_t c = uniform(0, 32);
      const char16_t unit = c == 32 ? char16_t{0x7F} : static_cast<char16_t>(c);
      e.text = QString(QChar(unit));
      e.qtKey = unit >= 1 && unit <= 26 ? Qt::Key_A + unit - 1 : Qt::Key_unknown;
      if (e.qtKey != Qt::Key_unknown) e.modifiers = Qt::ControlModifier;
      break;
    }
    case 1: {  // printable ASCII, in the table or not
      e.text = QString(QChar(static_cast<char16_t>(uniform(0x21, 0x7E))));
      e.qtKey = qtKeyFor(e.text);
      break;
    }
    case 2: {
      const auto wide = kWideTexts[static_cast<std::size_t>(
          uniform(0, static_cast<int32_t>(kWideTexts.size()) - 1))];
      e.text = QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
      e.qtKey = qtKeyFor(e.text);
      break;
    }
    case 3: {  // any code point; a surrogate stands alone
      const auto point = static_cast<char32_t>(uniform(0, 0x10FFFF));
      e.text = point >= 0xD800 && point <= 0xDFFF ? QString(QChar(static_cast<char16_t>(point)))
                                                  : QString::fromUcs4(&point, 1);
      e.qtKey = qtKeyFor(e.text);
      break;
    }
    case 4:
      e.qtKey = kSilentKeys[static_cast<std::size_t>(
          uniform(0, static_cast<int32_t>(kSilentKeys.size()) - 1))];
      break;
    default:  // an arrow that types text after all
      e.qtKey = kArrowKeys[static_cast<std::size_t>(uniform(0, 3))];
      e.text = QString(QChar(static_cast<char16_t>(uniform(0x20, 0x7E))));
      break;
  }
  if (e.modifiers == 0)
    e.modifiers = kModifierSets[static_cast<std::size_t>(
        uniform(0, static_cast<int32_t>(kModifierSets.size()) - 1))];
  // Ctrl+Q quits the application: that ends the run, it does not test it.
  if (e.qtKey == Qt::Key_Q && (e.modifiers & Qt::ControlModifier) != 0) e.modifiers = 0;
  e.autoRepeat = uniform(0, 19) == 0;
  return e;
}

Event EventSource::keyDownBytes() {
  Event e;
  e.kind = Event::Kind::KeyDownBytes;
  if (uniform(0, 1) == 0) {
    e.bytes =
        kOddBytes[static_cast<std::size_t>(uniform(0, static_cast<int32_t>(kOddBytes.size()) - 1))];
  } else {
    const int32_t length = uniform(1, 8);
    for (int32_t i = 0; i < length; ++i) e.bytes += static_cast<char>(uniform(0, 255));
  }
  return e;
}

// At the limits, one past them, a little around the range, and the ends of Int32.
Event EventSource::sliderValue() {
  Event e;
  e.kind = Event::Kind::SliderValue;
  const bool pitch = uniform(0, 1) == 0;
  e.control = pitch ? "PitchSlider" : "VelocitySlider";
  const int32_t minimum = 1, maximum = pitch ? 9 : 20;
  switch (uniform(0, 7)) {
    case 0:
      e.value = minimum - 1;
      break;
    case 1:
      e.value = minimum;
      break;
    case 2:
      e.value = maximum;
      break;
    case 3:
      e.value = maximum + 1;
      break;
    case 4:
      e.value = kLowest;
      break;
    case 5:
      e.value = kHighest;
      break;
    case 6:
      e.value = uniform(kLowest, kHighest);
      break;
    default:
      e.value = uniform(minimum - 3, maximum + 3);
      break;
  }
  return e;
}

// No selection, every row, one past the last, far past it, and the ends of Int32.
Event EventSource::popupRow() {
  Event e;
  e.kind = Event::Kind::PopupRow;
  e.control = "MusicPopupMenu";
  switch (uniform(0, 7)) {
    case 0:
      e.value = -1;
      break;
    case 1:
      e.value = -2;
      break;
    case 2:
      e.value = 128;
      break;
    case 3:
      e.value = uniform(129, 1 << 20);
      break;
    case 4:
      e.value = uniform(0, 1) == 0 ? kLowest : kHighest;
      break;
    default:
      e.value = uniform(0, 127);
      break;
  }
  return e;
}

}  // namespace soak
