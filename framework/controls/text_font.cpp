#include "framework/controls/text_font.h"

#include <QFont>
#include <QString>
#include <algorithm>

using fw::build::PropRow;

namespace fw::controls {
namespace {

// The window and its controls are laid out in points, one point to a pixel, as on the
// screens the layout was drawn for; text in points follows the same scale, or a 12-point
// instrument name would be a third larger than its 152-wide popup allows (Qt's point is
// 96/72 of a pixel on an X11 screen). Inches and millimetres convert through the point.
constexpr double kPixelsPerPoint = 1.0;
constexpr double kPointsPerInch = 72.0;
constexpr double kMillimetresPerInch = 25.4;

// A field of the control's font; a new value shows at once.
template <auto Field>
constexpr PropertyGetter get = fw::build::getter<&fontOf, Field>;
template <auto Field>
constexpr PropertySetter set = fw::build::setter<&fontOf, Field, &applyFont>;

using F = TextFont;

// name           type  getter              setter
constexpr PropRow kFontProps[] = {
    {"TextFont", "s", get<&F::family>, set<&F::family>},
    {"Bold", "b", get<&F::bold>, set<&F::bold>},
    {"Italic", "b", get<&F::italic>, set<&F::italic>},
    {"Underline", "b", get<&F::underline>, set<&F::underline>},
    {"TextSize", "r4", get<&F::size>, set<&F::size>},
    {"TextUnit", "u1", get<&F::unit>, set<&F::unit>},
};

TextFont& fontIn(const Control& c) {
  if (!c.impl().state) {
    // Each of the three classes makes its state in its constructor; a control without one
    // has no text font.
    throw IllegalCastException("the control " + c.Name().str() + " has no text font");
  }
  auto* s = dynamic_cast<FontedState*>(c.impl().state.get());
  if (s == nullptr)
    throw IllegalCastException("an object of class " + c.classTable()->name.str() +
                               " has no text font");
  return s->font;
}

}  // namespace

TextFont& fontOf(Object* control) {
  return fontIn(as<Control>(control));
}

void applyFont(Object* control) {
  auto& c = as<RectControl>(control);
  QWidget* w = c.widget();
  if (w == nullptr) return;
  const TextFont& f = fontOf(control);
  QFont font;
  if (!f.family.empty() && f.family != "System")
    font.setFamily(QString::fromStdString(f.family.str()));
  font.setBold(f.bold);
  font.setItalic(f.italic);
  font.setUnderline(f.underline);
  if (f.size > 0) {
    double points = f.size;  // 0 (default) and 2 (point)
    if (f.unit == 3) points = f.size * kPointsPerInch;
    if (f.unit == 4) points = f.size * kPointsPerInch / kMillimetresPerInch;
    const double pixels = f.unit == 1 ? f.size : points * kPixelsPerPoint;
    font.setPixelSize(std::max(1, static_cast<int>(pixels + 0.5)));
  }
  w->setFont(font);
}

std::span<const PropRow> fontProperties() {
  return kFontProps;
}

}  // namespace fw::controls

// TextControl's accessors: with the font they belong to, for all three text controls.
float TextControl::TextSize() const {
  return fw::controls::fontIn(*this).size;
}
uint8_t TextControl::TextUnit() const {
  return fw::controls::fontIn(*this).unit;
}

void TextControl::setTextSize(float size) {
  fw::controls::fontIn(*this).size = size;
  fw::controls::applyFont(this);
}

void TextControl::setTextUnit(uint8_t unit) {
  fw::controls::fontIn(*this).unit = unit;
  fw::controls::applyFont(this);
}
