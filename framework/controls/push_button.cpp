#include <QPushButton>

#include "framework/controls/text_font.h"

using fw::build::getter;
using fw::build::PropRow;
using fw::build::setter;
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

ButtonState& buttonState(Object* o) {
  return state(button(o));
}
void showDefault(Object* o) {
  if (QPushButton* w = qbutton(button(o))) w->setDefault(buttonState(o).isDefault);
}

using S = ButtonState;

// name        type  getter                                   setter
constexpr PropRow kButtonProps[] = {
    {"Caption", "s", getter<&button, &PushButton::Caption>,
     setter<&button, &PushButton::setCaption>},
    {"Default", "b", getter<&buttonState, &S::isDefault>,
     setter<&buttonState, &S::isDefault, &showDefault>},
    // Kept: with no keyboard focus on controls, Escape is not turned into a click.
    {"Cancel", "b", getter<&buttonState, &S::cancel>, setter<&buttonState, &S::cancel>},
};

constexpr const char* kButtonEvents[] = {"Action"};

// Clicks the button from code: raises "Action" as a click does.
void push(Object* self) {
  fw::raiseEvent<void>(&button(self), "Action");
}

}  // namespace

PushButton::PushButton(ClassTable* cls) : TextControl(cls) {
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
                                                   .factory = fw::build::newObject<PushButton>});
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
