#pragma once
// The framework's Window: a top-level window that owns its controls by name.

#include <cstdint>
#include <memory>
#include <utility>

#include "framework/runtime/class_table.h"
#include "framework/runtime/color.h"
#include "framework/runtime/string.h"

class QWidget;

// The 50 methods of Window's method table, in its order (slot index = enumerator).
struct WindowSlot {
  enum : std::size_t {
    Show, ShowWithin, ShowModalWithin, Hide, Close, Refresh, RefreshRect, ShowModal,
    NewDragItem, AcceptTextDrop, AcceptPictureDrop, AcceptFileDrop, AcceptMacDataDrop,
    AcceptRawDataDrop, Control, SetFocus, DrawInto, _DrawBackground, UpdateNow, _AddControl,
    _AddMenuHandler, Window, Operator_Convert, __New, _Move, Maximize, Minimize, Restore,
    _Update, _CallMoved, _EnableMenuItems, _CallActivated, _CallDeactivated,
    _HandleMenuCommand, _UnifiedClose, _CallMouseDown, _CallResized, _CallResizing,
    _RemoveControl, _MouseEnter, _MouseExit, _MouseMove, _Paint, _MouseWheel, _KeyDown,
    __DependencyList, Constructor, TrueWindow, FocusNext, FocusPrevious, kCount
  };
};


class Window : public Object {
 public:
  explicit Window(ClassTable* cls);
  ~Window() override;
  static ClassTable* __Lookup();

  // The 33 events of the event table, in its order.
  static constexpr const char* kEvents[] = {
      "Layout", "CreateControls", "AddMenuHandlers", "SetupBindings", "Open", "Close",
      "CancelClose", "KeyDown", "KeyUp", "MouseMove", "MouseEnter", "MouseExit", "Paint",
      "MouseDown", "MouseDrag", "MouseUp", "EnableMenuItems", "Resized", "Resizing", "Moved",
      "DropObject", "Activate", "Deactivate", "Minimize", "Maximize", "Restore", "MouseWheel",
      "ConstructContextualMenu", "ContextualMenuAction", "DragEnter", "DragExit", "DragOver",
      "ContentsChanged"};

  // Properties the program and its tests read.
  int32_t Width() const;
  int32_t Height() const;
  String Title() const;
  Color BackColor() const;
  bool Visible() const;

  // The Qt widget behind the window, for the platform layer and widget tests only.
  QWidget* widget() const;

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

// Makes the framework's list of windows, empty, before any window registers; start-up
// runs it right after the window classes' tables. Running it again changes nothing.
namespace _WindowSupport::Windows {
void __Init();
}  // namespace _WindowSupport::Windows

// The control registered on the window under the name, as a new reference; nil if none.
Ref<Object> RuntimeWindowControlByName(Object* window, const String& name);
// The implicit instance of the window class registered under the class name, or nil.
Ref<Object> _GetImplicitWindow(const String& className);
// Entry of a control event handler: {self = the control's window, me = the control}.
// For a _PaneChild object, self is the window its Window method returns.
std::pair<Ref<Object>, Ref<Object>> RuntimeSwapSelfAndMe(Object* control);
