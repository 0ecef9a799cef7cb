#include <QPainter>
#include <QPen>
#include <QWidget>

#include "framework/controls/control_impl.h"

using fw::build::getter;
using fw::build::PropRow;
using fw::build::setter;
using fw::controls::as;

namespace {

QColor toQColor(Color c) {
  return QColor(c.red, c.green, c.blue);
}

// Paints the oval: a filled ellipse inscribed in the widget, with its border inside the
// rectangle. It takes no mouse events: presses fall through to the window, which hit
// tests the circles (Qt would deliver by rectangle).
class OvalWidget : public QWidget {
 public:
  OvalWidget() { setAttribute(Qt::WA_TransparentForMouseEvents); }

  Color fill{255, 255, 255};
  Color border{0, 0, 0};
  int32_t borderWidth = 1;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(toQColor(fill));
    const double pen = borderWidth > 0 ? borderWidth : 0;
    if (pen > 0)
      p.setPen(QPen(toQColor(border), pen));
    else
      p.setPen(Qt::NoPen);
    const double inset = pen / 2;
    p.drawEllipse(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
  }
};

struct OvalState : ControlState {
  Color fill{255, 255, 255};
  Color border{0, 0, 0};
  int32_t borderWidth = 1;
};

Oval& oval(Object* o) {
  return as<Oval>(o);
}
OvalState& state(const Oval& o) {
  return fw::controls::stateOf<OvalState>(o);
}

void repaint(const Oval& o) {
  auto* w = static_cast<OvalWidget*>(o.widget());
  if (w == nullptr) return;
  const OvalState& s = state(o);
  w->fill = s.fill;
  w->border = s.border;
  w->borderWidth = s.borderWidth;
  w->update();
}

// name            type  getter                             setter
constexpr PropRow kOvalProps[] = {
    {"FillColor", "c", getter<&oval, &Oval::FillColor>, setter<&oval, &Oval::setFillColor>},
    {"BorderWidth", "i4", getter<&oval, &Oval::BorderWidth>,
     [](Object* o, const Value& v) {
       int32_t width = fw::unbox<int32_t>(v);
       state(oval(o)).borderWidth = width < 0 ? 0 : width;
       repaint(oval(o));
     }},
    {"BorderColor", "c", getter<&oval, &Oval::BorderColor>,
     [](Object* o, const Value& v) {
       state(oval(o)).border = fw::unbox<Color>(v);
       repaint(oval(o));
     }},
};

constexpr const char* kOvalEvents[] = {"MouseDown", "MouseUp", "MouseDrag"};

}  // namespace

Oval::Oval(ClassTable* cls) : RectControl(cls) {
  fw::controls::adoptWidget(*this, new OvalWidget);
  repaint(*this);
}

ClassTable* Oval::__Lookup() {
  static ClassTable* table = fw::build::makeClass({.name = "Oval",
                                                   .parent = RectControl::__Lookup(),
                                                   .events = kOvalEvents,
                                                   .properties = kOvalProps,
                                                   .factory = fw::build::newObject<Oval>});
  return table;
}

Color Oval::FillColor() const {
  return state(*this).fill;
}

void Oval::setFillColor(Color c) {
  state(*this).fill = c;
  repaint(*this);
}

int32_t Oval::BorderWidth() const {
  return state(*this).borderWidth;
}
Color Oval::BorderColor() const {
  return state(*this).border;
}

namespace fw::controls {

// True when the point (window coordinates) lies in the ellipse inscribed in the oval's
// rectangle; pixel centres are tested, so the edge pixels go to the side that holds
// their middle.
bool ovalContains(const Oval& o, int32_t x, int32_t y) {
  if (o.Width() <= 0 || o.Height() <= 0) return false;
  const double rx = o.Width() / 2.0;
  const double ry = o.Height() / 2.0;
  const double dx = (x - o.Left() + 0.5 - rx) / rx;
  const double dy = (y - o.Top() + 0.5 - ry) / ry;
  return dx * dx + dy * dy <= 1.0;
}

}  // namespace fw::controls
