#include "framework/controls/text_font.h"

#include <QFont>
#include <QString>

using fw::build::PropRow;

namespace fw::controls {
namespace {

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
    switch (f.unit) {
      case 1:
        font.setPixelSize(static_cast<int>(f.size + 0.5f));
        break;
      case 3:
        font.setPointSizeF(f.size * kPointsPerInch);
        break;
      case 4:
        font.setPointSizeF(f.size * kPointsPerInch / kMillimetresPerInch);
        break;
      default:
        font.setPointSizeF(f.size);
        break;
    }
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
