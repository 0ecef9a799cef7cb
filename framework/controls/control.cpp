#include <QString>
#include <array>

#include "framework/controls/control_impl.h"
#include "framework/controls/qt_platform.h"
#include "framework/controls/window_impl.h"
#include "framework/runtime/delegate.h"

using fw::build::getter;
using fw::build::PropRow;
using fw::build::setter;
using fw::build::StoredKey;
using fw::controls::as;

namespace {

// ---- Control -------------------------------------------------------------------------

Control::Impl& parts(Object* o) {
  return as<Control>(o).impl();
}

using I = Control::Impl;

// name                 type  getter                         setter
constexpr PropRow kControlProps[] = {
    {"Name", "s", getter<&parts, &I::name>, setter<&parts, &I::name>},
    {"Index", "i4", getter<&parts, &I::index>, setter<&parts, &I::index>},
    {"TabPanelIndex", "i4", getter<&parts, &I::tabPanelIndex>, setter<&parts, &I::tabPanelIndex>},
};

constexpr const char* kControlEvents[] = {"Open", "Close"};

// ---- RectControl ---------------------------------------------------------------------

RectControl& rect(Object* o) {
  return as<RectControl>(o);
}

using R = RectControl;

// name           type  getter                     setter
constexpr PropRow kRectProps[] = {
    {"Left", "i4", getter<&rect, &R::Left>, setter<&rect, &R::setLeft>},
    {"Top", "i4", getter<&rect, &R::Top>, setter<&rect, &R::setTop>},
    {"Width", "i4", getter<&rect, &R::Width>, setter<&rect, &R::setWidth>},
    {"Height", "i4", getter<&rect, &R::Height>, setter<&rect, &R::setHeight>},
    {"Visible", "b", getter<&rect, &R::Visible>, setter<&rect, &R::setVisible>},
    {"Enabled", "b", getter<&rect, &R::Enabled>, setter<&rect, &R::setEnabled>},
    {"HelpTag", "s", [](Object* o) -> Value { return fw::build::bagOf(o).get("HelpTag", "s"); },
     [](Object* o, const Value& v) {
       fw::build::bagOf(o).set("HelpTag", "s", v);
       if (QWidget* w = rect(o).widget())
         w->setToolTip(QString::fromStdString(fw::unbox<String>(v).str()));
     }},
};

// Kept only: the layout engine and tab order of this platform do not use them.
// name               type
constexpr StoredKey kRectStored[] = {
    {"LockLeft", "b"},  {"LockTop", "b"}, {"LockRight", "b"},      {"LockBottom", "b"},
    {"TabIndex", "i4"}, {"TabStop", "b"}, {"AutoDeactivate", "b"}, {"InitialParent", "s"},
};
constexpr auto kRectStoredRows = fw::build::storedRows<kRectStored>();

constexpr const char* kRectEvents[] = {"MouseEnter", "MouseExit", "MouseMove", "DropObject"};

void refresh(Object* self) {
  if (QWidget* w = rect(self).widget()) w->update();
}

}  // namespace

Control::Control(ClassTable* cls) : Object(cls), impl_(std::make_unique<Impl>()) {}

Control::~Control() {
  if (Window* w = impl_->owner) w->impl().forget(*this);
  // The window is gone or lets the control go: either way the widget goes with it.
  fw::qt::disposeWidget(impl_->widget.data());
}

ClassTable* Control::__Lookup() {
  static ClassTable* table = fw::build::makeClass({.name = "Control",
                                                   .parent = fw::objectClass(),
                                                   .events = kControlEvents,
                                                   .properties = kControlProps,
                                                   .factory = fw::build::newObject<Control>});
  return table;
}

String Control::Name() const {
  return impl_->name;
}
int32_t Control::Index() const {
  return impl_->index;
}
Window* Control::ownerWindow() const {
  return impl_->owner;
}

RectControl::RectControl(ClassTable* cls) : Control(cls) {}

ClassTable* RectControl::__Lookup() {
  static const MethodSlot kSlots[RectControlSlot::kCount] = {
      fw::slot(&RectControl::Constructor, "%%"),
      fw::slot(&refresh, "%%"),
  };
  static ClassTable* table = fw::build::makeClass({.name = "RectControl",
                                                   .parent = Control::__Lookup(),
                                                   .methods = kSlots,
                                                   .events = kRectEvents,
                                                   .properties = kRectProps,
                                                   .stored = kRectStoredRows,
                                                   .factory = fw::build::newObject<RectControl>});
  return table;
}

// The C++ constructor has already made the widget; the method-table constructor only
// checks that it is called on a RectControl.
void RectControl::Constructor(Object* self) {
  rect(self);
}

int32_t RectControl::Left() const {
  return impl().left;
}
int32_t RectControl::Top() const {
  return impl().top;
}
int32_t RectControl::Width() const {
  return impl().width;
}
int32_t RectControl::Height() const {
  return impl().height;
}
bool RectControl::Visible() const {
  return impl().visible;
}
bool RectControl::Enabled() const {
  return impl().enabled;
}
QWidget* RectControl::widget() const {
  return impl().widget.data();
}

void RectControl::setLeft(int32_t left) {
  impl().left = left;
  if (QWidget* w = widget()) w->move(impl().left, impl().top);
}

void RectControl::setTop(int32_t top) {
  impl().top = top;
  if (QWidget* w = widget()) w->move(impl().left, impl().top);
}

void RectControl::setWidth(int32_t width) {
  impl().width = width < 0 ? 0 : width;
  if (QWidget* w = widget()) w->resize(impl().width, impl().height);
  geometryChanged();
}

void RectControl::setHeight(int32_t height) {
  impl().height = height < 0 ? 0 : height;
  if (QWidget* w = widget()) w->resize(impl().width, impl().height);
  geometryChanged();
}

void RectControl::setVisible(bool visible) {
  impl().visible = visible;
  QWidget* w = widget();
  if (w && w->parentWidget()) w->setVisible(visible);
}

void RectControl::setEnabled(bool enabled) {
  impl().enabled = enabled;
  if (QWidget* w = widget()) w->setEnabled(enabled);
}

namespace fw::controls {

void adoptWidget(RectControl& control, QWidget* widget) {
  fw::qt::ensureApplication();
  widget->setFocusPolicy(Qt::NoFocus);
  widget->hide();
  control.impl().widget = widget;
  widget->setGeometry(control.Left(), control.Top(), control.Width(), control.Height());
  widget->setEnabled(control.Enabled());
}

void attachToWindow(RectControl& control, QWidget* windowWidget) {
  QWidget* w = control.widget();
  if (w == nullptr || windowWidget == nullptr) return;
  w->setParent(windowWidget);  // on top of the controls registered before it
  w->setGeometry(control.Left(), control.Top(), control.Width(), control.Height());
  w->setVisible(control.Visible());
}

void detachFromWindow(RectControl& control) {
  QWidget* w = control.widget();
  if (w == nullptr) return;
  w->hide();
  w->setParent(nullptr);
}

void raiseFromQt(Object* source, std::string_view event) {
  fw::guarded([&] {
    Ref<Object> keep = Ref<Object>::retain(source);
    fw::raiseEvent<void>(source, event);
  });
}

}  // namespace fw::controls
