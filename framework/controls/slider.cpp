#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>

#include "framework/controls/control_impl.h"
#include "framework/runtime/delegate.h"

using fw::build::PropRow;
using fw::build::setter;
using fw::controls::as;

namespace {

// The value the code asked for last is kept apart from the value shown: the shown value
// is the asked one clamped to the range, so a range change can bring an earlier request
// back into effect. A move by the user sets both.
struct SliderState : ControlState {
  int32_t minimum = 0;
  int32_t maximum = 100;
  int32_t requested = 0;
  int32_t value = 0;
  int32_t lineStep = 1;
  int32_t pageStep = 20;
  bool liveScroll = true;
  int32_t tickStyle = 0;
};

Slider& slider(Object* o) {
  return as<Slider>(o);
}
SliderState& state(const Slider& s) {
  return fw::controls::stateOf<SliderState>(s);
}
QSlider* qslider(const Slider& s) {
  return static_cast<QSlider*>(s.widget());
}

// Shows the state on the widget without the widget reporting it back as a user move.
void sync(const Slider& s) {
  QSlider* w = qslider(s);
  if (w == nullptr) return;
  const SliderState& st = state(s);
  QSignalBlocker block(w);
  w->setRange(st.minimum, std::max(st.minimum, st.maximum));
  w->setValue(st.value);
  w->setSingleStep(st.lineStep);
  w->setPageStep(st.pageStep);
  w->setTracking(st.liveScroll);
  // TickStyle: 0 none, 1 above or left, 2 below or right, 3 both sides.
  static constexpr QSlider::TickPosition kTicks[] = {QSlider::NoTicks, QSlider::TicksAbove,
                                                     QSlider::TicksBelow, QSlider::TicksBothSides};
  const bool known = st.tickStyle >= 0 && st.tickStyle < static_cast<int32_t>(std::size(kTicks));
  w->setTickPosition(known ? kTicks[st.tickStyle] : QSlider::NoTicks);
}

// Re-clamps the requested value to the range; raises "ValueChanged" when the shown value
// moves. An empty range (Minimum above Maximum) holds at Minimum.
void settle(Slider& s) {
  SliderState& st = state(s);
  const int32_t clamped = std::max(st.minimum, std::min(st.requested, st.maximum));
  const bool changed = clamped != st.value;
  st.value = clamped;
  sync(s);
  if (changed) fw::raiseEvent<void>(&s, "ValueChanged");
}

SliderState& sliderState(Object* o) {
  return state(slider(o));
}
void show(Object* o) {
  sync(slider(o));
}

// A field of the state; a new value shows at once.
template <auto Member>
constexpr PropertyGetter get = fw::build::getter<&sliderState, Member>;
template <auto Member>
constexpr PropertySetter set = fw::build::setter<&sliderState, Member, &show>;

using S = SliderState;

// The range and the value through the slider's setters, which re-clamp the value.
// name           type  getter              setter
constexpr PropRow kSliderProps[] = {
    {"Minimum", "i4", get<&S::minimum>, setter<&slider, &Slider::setMinimum>},
    {"Value", "i4", get<&S::value>, setter<&slider, &Slider::setValue>},
    {"Maximum", "i4", get<&S::maximum>, setter<&slider, &Slider::setMaximum>},
    {"LineStep", "i4", get<&S::lineStep>, set<&S::lineStep>},
    {"PageStep", "i4", get<&S::pageStep>, set<&S::pageStep>},
    {"TickStyle", "i4", get<&S::tickStyle>, set<&S::tickStyle>},
    {"LiveScroll", "b", get<&S::liveScroll>, set<&S::liveScroll>},
};

constexpr const char* kSliderEvents[] = {"ValueChanged"};

}  // namespace

Slider::Slider(ClassTable* cls) : RectControl(cls) {
  auto* w = new QSlider(Qt::Horizontal);
  fw::controls::adoptWidget(*this, w);
  sync(*this);
  // With LiveScroll False Qt reports a drag once, on release (tracking off).
  QObject::connect(w, &QSlider::valueChanged, w, [this](int v) {
    fw::guarded([&] {
      Ref<Object> keep = Ref<Object>::retain(this);
      SliderState& st = state(*this);
      st.requested = v;
      if (v == st.value) return;
      st.value = v;
      fw::raiseEvent<void>(this, "ValueChanged");
    });
  });
}

ClassTable* Slider::__Lookup() {
  static ClassTable* table = fw::build::makeClass({.name = "Slider",
                                                   .parent = RectControl::__Lookup(),
                                                   .events = kSliderEvents,
                                                   .properties = kSliderProps,
                                                   .factory = fw::build::newObject<Slider>});
  return table;
}

int32_t Slider::Value() const {
  return state(*this).value;
}
int32_t Slider::Minimum() const {
  return state(*this).minimum;
}
int32_t Slider::Maximum() const {
  return state(*this).maximum;
}

void Slider::setValue(int32_t v) {
  state(*this).requested = v;
  settle(*this);
}

void Slider::setMinimum(int32_t v) {
  state(*this).minimum = v;
  settle(*this);
}

void Slider::setMaximum(int32_t v) {
  state(*this).maximum = v;
  settle(*this);
}

// Wider than high: horizontal. A vertical slider has its Minimum at the top, so the up
// arrow's step to a lower Value moves the thumb up.
void Slider::geometryChanged() {
  QSlider* w = qslider(*this);
  if (w == nullptr) return;
  const bool horizontal = Width() > Height();
  w->setOrientation(horizontal ? Qt::Horizontal : Qt::Vertical);
  w->setInvertedAppearance(!horizontal);
}
