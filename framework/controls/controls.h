#pragma once
// The framework's control classes. Each is a runtime class with its own class table
// (__Lookup); a property set from code takes effect at once (a FillColor repaints, a
// Value moves the slider and raises "ValueChanged"), exactly as a set from a blob does.

#include <cstdint>
#include <memory>

#include "framework/runtime/class_table.h"
#include "framework/runtime/color.h"
#include "framework/runtime/string.h"

class QWidget;
class Window;

// A control of a window: has a name, an index and its window.
class Control : public Object {
 public:
  explicit Control(ClassTable* cls);
  ~Control() override;
  static ClassTable* __Lookup();

  String Name() const;
  int32_t Index() const;
  // The window that made or registered the control (not counted; nil before either).
  Window* ownerWindow() const;

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

// A control with a rectangle on the window.
class RectControl : public Control {
 public:
  explicit RectControl(ClassTable* cls);
  static ClassTable* __Lookup();
  static void Constructor(Object* self);  // method-table slot; signature "%%"

  int32_t Left() const;
  int32_t Top() const;
  int32_t Width() const;
  int32_t Height() const;
  bool Visible() const;
  bool Enabled() const;
  // The setters move, resize, show or enable the widget at once.
  void setLeft(int32_t left);
  void setTop(int32_t top);
  void setWidth(int32_t width);
  void setHeight(int32_t height);
  void setVisible(bool visible);
  void setEnabled(bool enabled);
  // The Qt widget behind the control, for the platform layer and widget tests only.
  QWidget* widget() const;

 protected:
  // Called after Width or Height changed (a Slider takes its orientation from its shape).
  virtual void geometryChanged() {}
};

// Slots of RectControl's method table (Control has no methods of its own), in its order.
// Every class derived from RectControl starts its own method table with these.
struct RectControlSlot {
  enum : std::size_t { Constructor, Refresh, kCount };
};

class Oval : public RectControl {
 public:
  explicit Oval(ClassTable* cls);
  static ClassTable* __Lookup();
  Color FillColor() const;
  void setFillColor(Color c);
  int32_t BorderWidth() const;
  Color BorderColor() const;
};

class Slider : public RectControl {
 public:
  explicit Slider(ClassTable* cls);
  static ClassTable* __Lookup();
  int32_t Value() const;
  // Clamped to Minimum..Maximum; raises "ValueChanged" when the value changes.
  void setValue(int32_t v);
  int32_t Minimum() const;
  int32_t Maximum() const;
  // A range change re-clamps the value the code asked for last, so a Value set before
  // the Maximum that admits it survives (Minimum 1, Value 8, Maximum 20 ends at 8).
  void setMinimum(int32_t v);
  void setMaximum(int32_t v);

 protected:
  void geometryChanged() override;
};

// A control that shows text in a font of its own: PopupMenu, PushButton and TextField.
// A C++ base only; their runtime classes derive from RectControl's directly.
class TextControl : public RectControl {
 public:
  using RectControl::RectControl;
  // The setters show the new size or unit on the widget at once.
  float TextSize() const;
  void setTextSize(float size);
  uint8_t TextUnit() const;
  void setTextUnit(uint8_t unit);
};

class PopupMenu : public TextControl {
 public:
  explicit PopupMenu(ClassTable* cls);
  static ClassTable* __Lookup();
  int32_t ListIndex() const;  // selected row from 0; -1 when none
  void setListIndex(int32_t row);
  int32_t ListCount() const;
  String List(int32_t row) const;
};

class PushButton : public TextControl {
 public:
  explicit PushButton(ClassTable* cls);
  static ClassTable* __Lookup();
  String Caption() const;
  void setCaption(const String& caption);
  bool Bold() const;
};

class TextField : public TextControl {
 public:
  explicit TextField(ClassTable* cls);
  static ClassTable* __Lookup();
  String Text() const;
  void setText(const String& text);
};

// Plays notes on the process's synthesiser. Not on screen.
class NotePlayer : public Control {
 public:
  explicit NotePlayer(ClassTable* cls);
  static ClassTable* __Lookup();
  int32_t Instrument() const;
  // 1..128 selects that General MIDI program; any other value is stored and changes none.
  void setInstrument(int32_t instrument);
  // Velocity 0 ends the note; any other starts it (clamped to 1..127). Notes outside
  // 0..127 are ignored.
  void PlayNote(int32_t note, int32_t velocity);
};

// The 4 methods of Timer's method table, in its order.
struct TimerSlot {
  enum : std::size_t {
    Reset, addActionNotificationReceiver, removeActionNotificationReceiver, _CallAction, kCount
  };
};

// A timer: not a Control (no place on the window). Mode 0 off, 1 single, 2 multiple;
// Period in milliseconds. Raises "Action" when it fires.
class Timer : public Object {
 public:
  explicit Timer(ClassTable* cls);
  ~Timer() override;
  static ClassTable* __Lookup();
  int32_t Mode() const;
  void setMode(int32_t mode);
  int32_t Period() const;
  void setPeriod(int32_t period);
  bool Enabled() const;

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

// What Window.NewDragItem hands out; drags are not carried out on this platform.
class DragItem : public Object {
 public:
  explicit DragItem(ClassTable* cls);
  static ClassTable* __Lookup();
};

// The interfaces: actionSource (objects that raise "Action") and _PaneChild (children of
// a window that are not Controls; the framework finds their window through them).
ClassTable* actionSource__Lookup();
ClassTable* _PaneChild__Lookup();
// Slots of the _PaneChild interface record, in its order.
struct PaneChildSlot {
  enum : std::size_t { _SetWindow, Window, _Index, _SetIndex, kCount };
};
