#pragma once
// The private part of every Control: its name and window, its widget (RectControls) and
// the state of its own class. Included only by framework/controls sources.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "framework/controls/class_builder.h"
#include "framework/controls/controls.h"
#include "framework/controls/qt_platform.h"
#include "framework/runtime/delegate.h"

// The class-specific state of a control (a Slider's range, an Oval's colours ...).
struct ControlState {
  virtual ~ControlState() = default;
};

struct Control::Impl {
  String name;
  int32_t index = 0;
  int32_t tabPanelIndex = 0;
  Window* owner = nullptr;  // not counted: the window keeps the control, not the reverse
  fw::build::PropertyBag bag;

  // RectControl only: the widget and the rectangle in window coordinates.
  QPointer<QWidget> widget;
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool visible = true;
  bool enabled = true;

  std::unique_ptr<ControlState> state;
};

namespace fw::controls {

// The state of the control's own class, made on first use.
template <class S>
S& stateOf(const Control& c) {
  auto& slot = c.impl().state;
  if (!slot) slot = std::make_unique<S>();
  return static_cast<S&>(*slot);
}

// The object as C++ type T, for property accessors and methods; otherwise an
// IllegalCastException that says what is wrong with the object.
template <class T>
T& as(Object* o, std::string_view wrong = "does not have this property") {
  if (o == nullptr) RaiseNilObjectException();
  T* t = dynamic_cast<T*>(o);
  if (t == nullptr)
    throw IllegalCastException("an object of class " + o->classTable()->name.str() + " " +
                               std::string(wrong));
  return *t;
}

inline QString toQString(const String& s) {
  return QString::fromUtf8(s.view().data(), static_cast<qsizetype>(s.size()));
}

inline String fromQString(const QString& s) {
  const QByteArray utf8 = s.toUtf8();
  return String(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

// Gives a RectControl its widget: it never takes keyboard focus and stays hidden until
// the control is registered on a window.
void adoptWidget(RectControl& control, QWidget* widget);
// Puts the control's widget on the window's widget, at the control's rectangle.
void attachToWindow(RectControl& control, QWidget* windowWidget);
void detachFromWindow(RectControl& control);

// Raises a void event of the source from a Qt callback: the source stays alive for the
// call and an exception is kept for the event loop's caller (fw::guarded), not let into Qt.
void raiseFromQt(Object* source, std::string_view event);

}  // namespace fw::controls

namespace fw::controls {
// Hit test of a press in window coordinates against the oval's inscribed ellipse.
bool ovalContains(const Oval& oval, int32_t x, int32_t y);
// The chosen row as the closed popup shows it: whole when it fits, else cut short with
// an ellipsis, as a Mac popup does, rather than clipped mid-letter.
QString popupLabel(const PopupMenu& popup);
}  // namespace fw::controls
