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

// A size, a size limit, a title bar button or the resizing switch: the window takes it
// at once.
void applySize(Object* o) {
  data(o).applySize();
}
void setPosition(Object* o) {
  if (QWidget* w = data(o).widget) w->move(data(o).left, data(o).top);
}
void repaint(Object* o) {
  if (QWidget* w = data(o).widget) w->update();
}
void showTitle(Object* o) {
  if (QWidget* w = data(o).widget) w->setWindowTitle(fw::controls::toQString(data(o).title));
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

// A field of the window's state; Then(o) makes a new value take effect.
template <auto Member>
constexpr PropertyGetter get = fw::build::getter<&data, Member>;
template <auto Member, auto... Then>
constexpr PropertySetter set = fw::build::setter<&data, Member, Then...>;

// name                  type  getter                 setter
constexpr PropRow kWindowProps[] = {
    {"Left", "i4", get<&W::left>, set<&W::left, &setPosition>},
    {"Top", "i4", get<&W::top>, set<&W::top, &setPosition>},
    {"Width", "i4", get<&W::width>, set<&W::width, &applySize>},
    {"Height", "i4", get<&W::height>, set<&W::height, &applySize>},
    {"MinWidth", "i4", get<&W::minWidth>, set<&W::minWidth, &applySize>},
    {"MinHeight", "i4", get<&W::minHeight>, set<&W::minHeight, &applySize>},
    {"MaxWidth", "i4", get<&W::maxWidth>, set<&W::maxWidth, &applySize>},
    {"MaxHeight", "i4", get<&W::maxHeight>, set<&W::maxHeight, &applySize>},
    {"HasBackColor", "b", get<&W::hasBackColor>, set<&W::hasBackColor, &repaint>},
    {"BackColor", "c", get<&W::backColor>, set<&W::backColor, &repaint>},
    {"Title", "s", get<&W::title>, set<&W::title, &showTitle>},
    {"Visible", "b", get<&W::visible>, setVisible},
    {"FullScreen", "b", get<&W::fullScreen>, set<&W::fullScreen>},
    {"CloseButton", "b", get<&W::closeButton>, set<&W::closeButton, &applySize>},
    {"Resizeable", "b", get<&W::resizeable>, set<&W::resizeable, &applySize>},
    {"MaximizeButton", "b", get<&W::maximizeButton>, set<&W::maximizeButton, &applySize>},
    {"MinimizeButton", "b", get<&W::minimizeButton>, set<&W::minimizeButton, &applySize>},
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
  static ClassTable* table = fw::build::makeClass({.name = "Window",
                                                   .parent = fw::objectClass(),
                                                   .methods = fw::windows::windowSlots(),
                                                   .events = Window::kEvents,
                                                   .properties = kWindowProps,
                                                   .stored = kWindowStoredRows,
                                                   .factory = fw::build::newObject<Window>});
  return table;
}
