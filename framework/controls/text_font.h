#pragma once
// The text font of the controls that show text (TextField, PopupMenu, PushButton): the
// properties TextFont, Bold, Italic, Underline, TextSize and TextUnit, shared by the three.

#include <cstdint>
#include <span>

#include "framework/controls/class_builder.h"
#include "framework/controls/control_impl.h"

struct TextFont {
  String family;  // "System" or empty: the platform's default font
  bool bold = false;
  bool italic = false;
  bool underline = false;
  float size = 0;    // 0: the default size
  uint8_t unit = 0;  // FontUnits: 0 default, 1 pixel, 2 point, 3 inch, 4 millimetre
};

// The state of a control with a text font; the three classes derive their state from it.
struct FontedState : ControlState {
  TextFont font;
};

namespace fw::controls {

// The control's font, from the state of whichever of the three classes it is.
TextFont& fontOf(Object* control);
// Shows the font on the control's widget.
void applyFont(Object* control);

// The six property rows, for each of the three classes' own property lists.
std::span<const fw::build::PropRow> fontProperties();

}  // namespace fw::controls
