// Window's class table: its 50 methods, 33 events and 47 properties.

#include <QCursor>
#include <QString>

#include "framework/controls/control_impl.h"
#include "framework/controls/window_impl.h"

using fw::build::PropRow;
using fw::build::StoredKey;

namespace {

Window& window(Object* o) {
  return fw::controls::as<Window>(o);
}
Window::Impl& data(Object* o) {
  return window(o).impl();
}

template <int32_t Window::Impl::*Field>
Value getInt(Object* o) {
  return data(o).*Field;
}

// A size or a size limit: the window takes it at once.
template <int32_t Window::Impl::*Field>
void setSize(Object* o, const Value& v) {
  data(o).*Field = fw::unbox<int32_t>(v);
  data(o).applySize();
}

template <bool Window::Impl::*Field>
Value getFlag(Object* o) {
  return data(o).*Field;
}

// A title bar button or the resizing switch.
template <bool Window::Impl::*Field>
void setFrameFlag(Object* o, const Value& v) {
  data(o).*Field = fw::unbox<bool>(v);
  data(o).applySize();
}

void setPosition(Object* o) {
  if (QWidget* w = data(o).widget) w->move(data(o).left, data(o).top);
}

// Visible takes effect once the window is built; until then it only says whether the
// window will be shown.
void setVisible(Object* o, const Value& v) {
  Window::Impl& d = data(o);
  const bool visible = fw::unbox<bool>(v);
  d.visible = visible;
  if (!d.constructed) return;
  if (visible)
    d.show();
  else
    d.hide();
}

Value mouse(Object* o, bool x) {
  QWidget* w = data(o).widget;
  if (w == nullptr) return int32_t{0};
  const QPoint p = w->mapFromGlobal(QCursor::pos());
  return static_cast<int32_t>(x ? p.x() : p.y());
}

using W = Window::Impl;

// name              type  getter                 setter
constexpr PropRow kWindowProps[] = {
    {"Left", "i4", getInt<&W::left>,
     [](Object* o, const Value& v) {
       data(o).left = fw::unbox<int32_t>(v);
       setPosition(o);
     }},
    {"Top", "i4", getInt<&W::top>,
     [](Object* o, const Value& v) {
       data(o).top = fw::unbox<int32_t>(v);
       setPosition(o);
     }},
    {"Width", "i4", getInt<&W::width>, setSize<&W::width>},
    {"Height", "i4", getInt<&W::height>, setSize<&W::height>},
    {"MinWidth", "i4", getInt<&W::minWidth>, setSize<&W::minWidth>},
    {"MinHeight", "i4", getInt<&W::minHeight>, setSize<&W::minHeight>},
    {"MaxWidth", "i4", getInt<&W::maxWidth>, setSize<&W::maxWidth>},
    {"MaxHeight", "i4", getInt<&W::maxHeight>, setSize<&W::maxHeight>},
    {"HasBackColor", "b", getFlag<&W::hasBackColor>,
     [](Object* o, const Value& v) {
       data(o).hasBackColor = fw::unbox<bool>(v);
       if (QWidget* w = data(o).widget) w->update();
     }},
    {"BackColor", "c", [](Object* o) -> Value { return data(o).backColor; },
     [](Object* o, const Value& v) {
       data(o).backColor = fw::unbox<Color>(v);
       if (QWidget* w = data(o).widget) w->update();
     }},
    {"Title", "s", [](Object* o) -> Value { return data(o).title; },
     [](Object* o, const Value& v) {
       data(o).title = fw::unbox<String>(v);
       if (QWidget* w = data(o).widget) w->setWindowTitle(fw::controls::toQString(data(o).title));
     }},
    {"Visible", "b", getFlag<&W::visible>, setVisible},
    {"FullScreen", "b", getFlag<&W::fullScreen>,
     [](Object* o, const Value& v) { data(o).fullScreen = fw::unbox<bool>(v); }},
    {"CloseButton", "b", getFlag<&W::closeButton>, setFrameFlag<&W::closeButton>},
    {"Resizeable", "b", getFlag<&W::resizeable>, setFrameFlag<&W::resizeable>},
    {"MaximizeButton", "b", getFlag<&W::maximizeButton>, setFrameFlag<&W::maximizeButton>},
    {"MinimizeButton", "b", getFlag<&W::minimizeButton>, setFrameFlag<&W::minimizeButton>},
    {"MouseX", "i4", [](Object* o) { return mouse(o, true); }, nullptr},
    {"MouseY", "i4", [](Object* o) { return mouse(o, false); }, nullptr},
    {"ControlCount", "i4",
     [](Object* o) -> Value { return static_cast<int32_t>(data(o).controls.size()); }, nullptr},
    {"Handle", "i4",
     [](Object* o) -> Value {
       QWidget* w = data(o).widget;
       return static_cast<int32_t>(w ? w->internalWinId() : 0);
     },
     nullptr},
    // No control ever holds the keyboard focus.
    {"Focus", "o<RectControl>", [](Object*) -> Value { return Ref<Object>(); }, nullptr},
};

// Kept only: placement, frame kinds, menus, drawing surfaces and document state mean
// nothing for this platform's windows.
// name                  type
constexpr StoredKey kWindowStored[] = {
    {"Placement", "i4"},
    {"Frame", "i4"},
    {"Composite", "b"},
    {"MenuBarVisible", "b"},
    {"LiveResize", "b"},
    {"MouseCursor", "o<MouseCursor>"},
    {"Backdrop", "o<Picture>"},
    {"MenuBar", "o<MenuBar>"},
    {"Graphics", "o<Graphics>"},
    {"ImplicitInstance", "b"},
    {"BalloonHelp", "s"},
    {"DockItem", "o<DockItem>"},
    {"Modified", "b"},
    {"MacWindowPtr", "i4"},
    {"HasFullScreenButton", "b"},
    {"AcceptFocus", "b"},
    {"Bounds", "o<Rect>"},
    {"EraseBackground", "b"},
    {"Metal", "b"},
    {"Toolbar", "o<Toolbar>"},
    {"Document", "o<FolderItem>"},
    {"WindowNumber", "i4"},
    {"ShowsResizeGrip", "b"},
    {"StatusBarText", "s"},
    {"Transparency", "i4"},
};
constexpr auto kWindowStoredRows = fw::build::storedRows<kWindowStored>();

static_assert(std::size(kWindowProps) + std::size(kWindowStored) == 47,
              "Window declares 47 properties");

}  // namespace

ClassTable* Window::__Lookup() {
  static ClassTable* table =
      fw::build::makeClass({.name = "Window",
                            .parent = fw::objectClass(),
                            .methods = fw::windows::windowSlots(),
                            .events = Window::kEvents,
                            .properties = kWindowProps,
                            .stored = kWindowStoredRows,
                            .factory = [](ClassTable* cls) -> Object* { return new Window(cls); }});
  return table;
}
