#pragma once
// The private part of a Window and the framework's list of windows. Included only by
// framework/controls sources.

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "framework/controls/class_builder.h"
#include "framework/controls/window.h"

class Control;

struct Window::Impl {
  explicit Impl(Window* owner) : self(owner) {}

  Window* self;
  QPointer<QWidget> widget;  // a WindowWidget
  fw::build::PropertyBag bag;

  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 300;
  int32_t height = 300;
  int32_t minWidth = 64;
  int32_t minHeight = 64;
  int32_t maxWidth = 32000;
  int32_t maxHeight = 32000;
  String title;
  Color backColor{255, 255, 255};
  bool hasBackColor = false;
  bool visible = true;
  bool fullScreen = false;
  bool closeButton = true;
  bool resizeable = true;
  bool maximizeButton = true;
  bool minimizeButton = true;

  bool constructed = false;  // Layout and CreateControls have run
  bool closed = false;       // closed by the user or by Close; Show opens it again

  // The registered controls in registration order; the window holds a reference to each.
  std::vector<std::pair<String, Ref<Object>>> controls;
  // Every Control whose ownerWindow is this window (made by __New or registered here),
  // so that neither side is left pointing at the other when one goes.
  std::vector<Control*> members;

  // The title bar buttons, as the properties say.
  void applyFrame();
  // The size and, for a window the user may resize, its limits.
  void applySize();
  void show();
  void hide();
  // The window was closed: it is no longer the implicit instance, and children that hold
  // it (_PaneChild objects) let it go, which breaks their reference cycle.
  void markClosed();
  // Registers the control under the name (an earlier control of that name is removed).
  void add(const String& name, Object* control);
  void remove(Object* control);
  // Makes the window the control's ownerWindow, or stops being it.
  void adopt(Control& control);
  void forget(Control& control);
};

namespace fw::windows {

// The 50 slots of Window's method table, in WindowSlot order.
std::span<const MethodSlot> windowSlots();

// The _PaneChild record's _SetWindow (nil lets go) and Window; objects that do not
// implement _PaneChild are left alone and have no window this way.
void paneSetWindow(Object* child, Object* window);
Ref<Object> paneWindow(Object* child);

// The framework's list of windows: each constructed window, held until _FinalizeFramework.
void registerWindow(Window& window);
// Raises the start-up "Open" of each control in registration order, then of the window.
// Called from the framework's own frames only (the loop's start, or a window's
// constructor run by a handler), never from Qt: an exception out of a handler passes to
// the caller, so that a handler that built the window stops there too.
void raiseOpens(Window& window);
// Marks the event loop as begun and raises the "Open" events of every open window; an
// exception out of a handler passes to the caller, and the windows after it stay unopened.
void openAll();
bool loopStarted();
bool anyWindowShown();
// The window on which the object is registered, as a new reference, or nil.
Ref<Object> windowHolding(const Object* control);
// Lets go of every window (closing them first); later windows start a new list.
void releaseAll();

}  // namespace fw::windows
