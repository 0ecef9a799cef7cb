#include "framework/controls/text_font.h"

#include <QFont>
#include <QString>

using fw::build::PropRow;

namespace fw::controls {
namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kMillimetresPerInch = 25.4;

template <bool TextFont::*Field>
Value getFlag(Object* o) {
  return fontOf(o).*Field;
}

template <bool TextFont::*Field>
void setFlag(Object* o, const Value& v) {
  fontOf(o).*Field = fw::unbox<bool>(v);
  applyFont(o);
}

// name          type  getter                      setter
constexpr PropRow kFontProps[] = {
    {"TextFont", "s", [](Object* o) -> Value { return fontOf(o).family; },
     [](Object* o, const Value& v) {
       fontOf(o).family = fw::unbox<String>(v);
       applyFont(o);
     }},
    {"Bold", "b", getFlag<&TextFont::bold>, setFlag<&TextFont::bold>},
    {"Italic", "b", getFlag<&TextFont::italic>, setFlag<&TextFont::italic>},
    {"Underline", "b", getFlag<&TextFont::underline>, setFlag<&TextFont::underline>},
    {"TextSize", "r4", [](Object* o) -> Value { return fontOf(o).size; },
     [](Object* o, const Value& v) {
       fontOf(o).size = fw::unbox<float>(v);
       applyFont(o);
     }},
    {"TextUnit", "u1", [](Object* o) -> Value { return fontOf(o).unit; },
     [](Object* o, const Value& v) {
       fontOf(o).unit = fw::unbox<uint8_t>(v);
       applyFont(o);
     }},
};

}  // namespace

TextFont& fontOf(Object* control) {
  auto& c = as<Control>(control);
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
