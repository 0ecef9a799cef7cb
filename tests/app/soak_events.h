#pragma once
// Random input for the soak test: what a person can do to the main window with mouse and
// keyboard, and what code can do to its controls, including values past every limit.
// All of it is drawn from one seeded generator, so a run can be repeated event by event.

#include <QString>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace soak {

struct Event {
  enum class Kind : uint8_t {
    Click,         // press at (x, y) of the window, release at (toX, toY), by Qt
    Wheel,         // the mouse wheel turned by `value` eighths of a degree at (x, y)
    Key,           // a key press and release on the window, delivered by Qt
    KeyDownBytes,  // any bytes, handed to the window's key-down path as the key string
    SliderValue,   // a slider's Value set from code
    PopupRow,      // the popup's ListIndex set from code
    Action,        // "Action" raised on the "Randam Hit" button, as its click raises it
  };
  Kind kind = Kind::Click;
  int32_t x = 0, y = 0;      // Click, Wheel: in window coordinates
  int32_t toX = 0, toY = 0;  // Click: where the button is released (a drag when it moved)
  bool doubleClick = false;  // Click: a second press follows at once, as a double click
  int qtKey = 0;             // Key
  QString text;              // Key: the typed text, which may be empty
  int modifiers = 0;         // Key: Qt::KeyboardModifiers as an int; never Ctrl+Q, which quits
  bool autoRepeat = false;
  std::string bytes;         // KeyDownBytes
  std::string_view control;  // SliderValue, PopupRow
  int32_t value = 0;         // SliderValue, PopupRow, Wheel
};

// One line for a failure message: "click 412,300", "key 0x1000012 text [] mods 0x0" ...
std::string describe(const Event& event);

class EventSource {
 public:
  explicit EventSource(uint64_t seed);
  Event next();

 private:
  int32_t uniform(int32_t low, int32_t high);  // both ends included
  Event clickIn(std::string_view kindOfControl);
  Event pressed(int32_t x, int32_t y);  // a click, a double click or a drag from there
  Event tableKey();
  Event otherKey();
  Event keyDownBytes();
  Event sliderValue();
  Event popupRow();

  std::mt19937_64 random_;
};

}  // namespace soak
