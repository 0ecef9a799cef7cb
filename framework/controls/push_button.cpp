#include <QPushButton>

#include "framework/controls/text_font.h"

using fw::build::PropRow;
using fw::controls::as;

namespace {

struct ButtonState : FontedState {
  String caption;
  bool isDefault = false;
  bool cancel = false;
};

PushButton& button(Object* o) {
  return as<PushButton>(o);
}
ButtonState& state(const PushButton& b) {
  return fw::controls::stateOf<ButtonState>(b);
}
QPushButton* qbutton(const PushButton& b) {
  return static_cast<QPushButton*>(b.widget());
}

// name        type  getter                                          setter
constexpr PropRow kButtonProps[] = {
    {"Caption", "s", [](Object* o) -> Value { return button(o).Caption(); },
     [](Object* o, const Value& v) { button(o).setCaption(fw::unbox<String>(v)); }},
    {"Default", "b", [](Object* o) -> Value { return state(button(o)).isDefault; },
     [](Object* o, const Value& v) {
       state(button(o)).isDefault = fw::unbox<bool>(v);
       if (QPushButton* w = qbutton(button(o))) w->setDefault(state(button(o)).isDefault);
     }},
    // Kept: with no keyboard focus on controls, Escape is not turned into a click.
    {"Cancel", "b", [](Object* o) -> Value { return state(button(o)).cancel; },
     [](Object* o, const Value& v) { state(button(o)).cancel = fw::unbox<bool>(v); }},
};

constexpr const char* kButtonEvents[] = {"Action"};

// Clicks the button from code: raises "Action" as a click does.
void push(Object* self) {
  fw::raiseEvent<void>(&button(self), "Action");
}

Object* newButton(ClassTable* cls) {
  return new PushButton(cls);
}

}  // namespace

PushButton::PushButton(ClassTable* cls) : RectControl(cls) {
  state(*this);
  auto* w = new QPushButton;
  w->setAutoDefault(false);
  fw::controls::adoptWidget(*this, w);
  QObject::connect(w, &QPushButton::clicked, w,
                   [this] { fw::controls::raiseFromQt(this, "Action"); });
}

ClassTable* PushButton::__Lookup() {
  // Slots after RectControl's: Push "%%".
  static const MethodSlot kSlots[] = {fw::slot(&push, "%%")};
  static ClassTable* table = fw::build::makeClass({.name = "PushButton",
                                                   .parent = RectControl::__Lookup(),
                                                   .methods = kSlots,
                                                   .events = kButtonEvents,
                                                   .properties = kButtonProps,
                                                   .shared = fw::controls::fontProperties(),
                                                   .factory = newButton});
  return table;
}

String PushButton::Caption() const {
  return state(*this).caption;
}

void PushButton::setCaption(const String& caption) {
  state(*this).caption = caption;
  if (QPushButton* w = qbutton(*this)) w->setText(fw::controls::toQString(caption));
}

bool PushButton::Bold() const {
  return state(*this).font.bold;
}
float PushButton::TextSize() const {
  return state(*this).font.size;
}
uint8_t PushButton::TextUnit() const {
  return state(*this).font.unit;
}

void PushButton::setTextSize(float size) {
  state(*this).font.size = size;
  fw::controls::applyFont(this);
}

void PushButton::setTextUnit(uint8_t unit) {
  state(*this).font.unit = unit;
  fw::controls::applyFont(this);
}
