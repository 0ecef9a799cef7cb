// The 50 methods of Window's method table. Those the program calls do what the program
// relies on; the rest do the least that is sound for one fixed window without documents,
// menus or drags.

#include <QApplication>

#include "framework/controls/application.h"
#include "framework/controls/control_impl.h"
#include "framework/controls/window_impl.h"

namespace {

Window& window(Object* self) {
  return fw::controls::as<Window>(self);
}
Window::Impl& data(Object* self) {
  return window(self).impl();
}

void raise(Object* self, std::string_view event) {
  fw::raiseEvent<void>(self, event);
}

// ---- showing and painting --------------------------------------------------------------
void show(Object* self) {
  data(self).show();
}
void showWithin(Object* self, Object*) {
  data(self).show();
}
void hide(Object* self) {
  data(self).hide();
}
// Closes as the close box does: "CancelClose" may refuse, then "Close" is raised.
void close(Object* self) {
  if (QWidget* w = data(self).widget) w->close();
}
void refresh(Object* self) {
  if (QWidget* w = data(self).widget) w->update();
}
void refreshRect(Object* self, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (QWidget* w = data(self).widget) w->update(x, y, width, height);
}
void updateNow(Object* self) {
  if (QWidget* w = data(self).widget) w->repaint();
}
void drawInto(Object*, Object*, int32_t, int32_t) {}
void paint(Object*, Object*) {}

// ---- drags: none on this platform ------------------------------------------------------
Object* newDragItem(Object*, int32_t, int32_t, int32_t, int32_t) {
  return RuntimeNewObject(DragItem::__Lookup()).release();
}
void acceptDrop(Object*) {}
void acceptTypedDrop(Object*, const String&) {}

// ---- controls ------------------------------------------------------------------------
// The control registered n-th (from 0), as a new reference; nil when there is none.
Object* controlAt(Object* self, int32_t n) {
  const auto& controls = data(self).controls;
  if (n < 0 || n >= static_cast<int32_t>(controls.size())) return nullptr;
  return Ref<Object>(controls[static_cast<std::size_t>(n)].second).release();
}

void addControl(Object* self, const String& name, Object* control) {
  data(self).add(name, control);
}

void removeControl(Object* self, Object* control) {
  data(self).remove(control);
}

// A new instance of the class, belonging to this window, as a new reference. A Control
// knows its window from here on; a _PaneChild is given it when registered.
Object* newControl(Object* self, ClassTable* cls) {
  Window& w = window(self);
  Ref<Object> made = RuntimeNewObject(cls);
  if (auto* c = dynamic_cast<Control*>(made.get())) w.impl().adopt(*c);
  return made.release();
}

void setFocus(Object* self) {
  if (QWidget* w = data(self).widget) w->setFocus();
}
void focusNothing(Object*) {}
void addMenuHandler(Object*, const String&, Object*) {}
bool handleMenuCommand(Object*, const String&) {
  return false;
}

Object* sameWindow(Object* self) {
  return Ref<Object>::retain(self).release();
}

// ---- moving and sizing ---------------------------------------------------------------
void move(Object* self, int32_t left, int32_t top) {
  data(self).left = left;
  data(self).top = top;
  if (QWidget* w = data(self).widget) w->move(left, top);
}
void maximize(Object* self) {
  if (QWidget* w = data(self).widget; w && data(self).resizeable) w->showMaximized();
}
void minimize(Object* self) {
  if (QWidget* w = data(self).widget) w->showMinimized();
}
void restore(Object* self) {
  if (QWidget* w = data(self).widget) w->showNormal();
}

// ---- window events -------------------------------------------------------------------
void callMoved(Object* self) {
  raise(self, "Moved");
}
void enableMenuItems(Object* self) {
  raise(self, "EnableMenuItems");
}
void callActivated(Object* self) {
  raise(self, "Activate");
}
void callDeactivated(Object* self) {
  raise(self, "Deactivate");
}
void callResized(Object* self) {
  raise(self, "Resized");
}
void callResizing(Object* self) {
  raise(self, "Resizing");
}
void mouseEnter(Object* self) {
  raise(self, "MouseEnter");
}
void mouseExit(Object* self) {
  raise(self, "MouseExit");
}
void mouseMove(Object* self, int32_t x, int32_t y) {
  fw::raiseEvent<void, int32_t, int32_t>(self, "MouseMove", x, y);
}

// True when the window closed; False when "CancelClose" kept it open.
bool unifiedClose(Object* self, bool appQuitting) {
  if (fw::raiseEvent<bool, bool>(self, "CancelClose", appQuitting).value_or(false)) return false;
  raise(self, "Close");
  data(self).markClosed();
  if (QWidget* w = data(self).widget) w->hide();
  return true;
}

bool callMouseDown(Object* self, int32_t x, int32_t y) {
  return fw::raiseEvent<bool, int32_t, int32_t>(self, "MouseDown", x, y).value_or(false);
}

bool mouseWheel(Object* self, int32_t x, int32_t y, int32_t dx, int32_t dy) {
  return fw::raiseEvent<bool, int32_t, int32_t, int32_t, int32_t>(self, "MouseWheel", x, y, dx, dy)
      .value_or(false);
}

bool keyDown(Object* self, const String& key) {
  return fw::raiseEvent<bool, const String&>(self, "KeyDown", key).value_or(false);
}

void dependencyList(Object*) {}

// Builds the window: "Layout" applies its properties, "CreateControls" makes its
// controls; then the window shows if Visible. After the event loop has begun, its
// "Open" events follow at once (before it, the loop's start raises them).
void constructor(Object* self) {
  Window& w = window(self);
  if (w.impl().constructed) return;
  fw::windows::registerWindow(w);
  raise(self, "Layout");
  raise(self, "CreateControls");
  w.impl().constructed = true;
  if (w.impl().visible) w.impl().show();
  if (fw::windows::loopStarted()) fw::windows::raiseOpens(w);
}

}  // namespace

namespace fw::windows {

std::span<const MethodSlot> windowSlots() {
  // Built on first use, so a class table built during static initialisation finds it.
  // function                                  signature            WindowSlot
  static const MethodSlot kSlots[] = {
      fw::slot(&show, "%%"),                            // Show
      fw::slot(&showWithin, "%%o<Window>"),             // ShowWithin
      fw::slot(&showWithin, "%%o<Window>"),             // ShowModalWithin
      fw::slot(&hide, "%%"),                            // Hide
      fw::slot(&close, "%%"),                           // Close
      fw::slot(&refresh, "%%"),                         // Refresh
      fw::slot(&refreshRect, "%%i4i4i4i4"),             // RefreshRect
      fw::slot(&show, "%%"),                            // ShowModal
      fw::slot(&newDragItem, "%o<DragItem>%i4i4i4i4"),  // NewDragItem
      fw::slot(&acceptDrop, "%%"),                      // AcceptTextDrop
      fw::slot(&acceptDrop, "%%"),                      // AcceptPictureDrop
      fw::slot(&acceptTypedDrop, "%%s"),                // AcceptFileDrop
      fw::slot(&acceptTypedDrop, "%%s"),                // AcceptMacDataDrop
      fw::slot(&acceptTypedDrop, "%%s"),                // AcceptRawDataDrop
      fw::slot(&controlAt, "%o<Control>%i4"),           // Control
      fw::slot(&setFocus, "%%"),                        // SetFocus
      fw::slot(&drawInto, "%%o<Graphics>i4i4"),         // DrawInto
      fw::slot(&refresh, "%%"),                         // _DrawBackground
      fw::slot(&updateNow, "%%"),                       // UpdateNow
      fw::slot(&addControl, "%%so<Control>"),           // _AddControl
      fw::slot(&addMenuHandler, "%%so<Delegate>"),      // _AddMenuHandler
      fw::slot(&sameWindow, "%o<Window>%"),             // Window
      fw::slot(&sameWindow, "%o<Window>%"),             // Operator_Convert
      fw::slot(&newControl, "%o<Control>%t"),           // __New
      fw::slot(&move, "%%i4i4"),                        // _Move
      fw::slot(&maximize, "%%"),                        // Maximize
      fw::slot(&minimize, "%%"),                        // Minimize
      fw::slot(&restore, "%%"),                         // Restore
      fw::slot(&refresh, "%%"),                         // _Update
      fw::slot(&callMoved, "%%"),                       // _CallMoved
      fw::slot(&enableMenuItems, "%%"),                 // _EnableMenuItems
      fw::slot(&callActivated, "%%"),                   // _CallActivated
      fw::slot(&callDeactivated, "%%"),                 // _CallDeactivated
      fw::slot(&handleMenuCommand, "%b%s"),             // _HandleMenuCommand
      fw::slot(&unifiedClose, "%b%b"),                  // _UnifiedClose
      fw::slot(&callMouseDown, "%b%i4i4"),              // _CallMouseDown
      fw::slot(&callResized, "%%"),                     // _CallResized
      fw::slot(&callResizing, "%%"),                    // _CallResizing
      fw::slot(&removeControl, "%%o<Control>"),         // _RemoveControl
      fw::slot(&mouseEnter, "%%"),                      // _MouseEnter
      fw::slot(&mouseExit, "%%"),                       // _MouseExit
      fw::slot(&mouseMove, "%%i4i4"),                   // _MouseMove
      fw::slot(&paint, "%%o<Graphics>"),                // _Paint
      fw::slot(&mouseWheel, "%b%i4i4i4i4"),             // _MouseWheel
      fw::slot(&keyDown, "%b%s"),                       // _KeyDown
      fw::slot(&dependencyList, "%%"),                  // __DependencyList
      fw::slot(&constructor, "%%"),                     // Constructor
      fw::slot(&sameWindow, "%o<Window>%"),             // TrueWindow
      fw::slot(&focusNothing, "%%"),                    // FocusNext
      fw::slot(&focusNothing, "%%"),                    // FocusPrevious
  };
  static_assert(std::size(kSlots) == WindowSlot::kCount, "one function per slot of Window");
  return kSlots;
}

}  // namespace fw::windows
