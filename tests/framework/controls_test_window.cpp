#include "tests/framework/controls_test_window.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include "framework/runtime/blob_reader.h"
#include "framework/runtime/delegate.h"

namespace controls_test {
namespace {

void log(std::string entry) {
  eventLog().push_back(std::move(entry));
}

std::string nameOf(Object* o) {
  if (auto* c = dynamic_cast<Control*>(o)) return c->Name().str();
  return o->classTable()->name.str();
}

// ---- handlers, bound by event name as the program binds its own ----------------------
bool padDown(Object* control, int32_t x, int32_t y) {
  auto [self, me] = RuntimeSwapSelfAndMe(control);
  log("MouseDown " + nameOf(me.get()) + " " + std::to_string(x) + " " + std::to_string(y));
  return false;
}
void opened(Object* control) {
  auto [self, me] = RuntimeSwapSelfAndMe(control);
  log("Open " + nameOf(me.get()));
}
void valueChanged(Object* control) {
  auto [self, me] = RuntimeSwapSelfAndMe(control);
  auto* s = dynamic_cast<Slider*>(me.get());
  log("ValueChanged " + nameOf(me.get()) + " " + std::to_string(s->Value()));
}
void changed(Object* control) {
  auto [self, me] = RuntimeSwapSelfAndMe(control);
  auto* p = dynamic_cast<PopupMenu*>(me.get());
  log("Change " + nameOf(me.get()) + " " + std::to_string(p->ListIndex()));
}
void action(Object* control) {
  auto [self, me] = RuntimeSwapSelfAndMe(control);
  log("Action " + nameOf(me.get()));
}

void windowOpen(Object*) {
  log("Open Window");
}
bool windowKeyDown(Object*, const String& key) {
  std::string codes;
  for (uint8_t b : key.bytes()) {
    if (!codes.empty()) codes += ' ';
    codes += std::to_string(b);
  }
  log("KeyDown " + codes);
  return false;
}
void appOpen(Object*) {
  log("Open App");
}

void layout(Object* self) {
  _SetProperties(self, Blob()
                           .i4("Placement", 0)
                           .i4("Width", kWidth)
                           .i4("Height", kHeight)
                           .i4("MinWidth", 64)
                           .i4("MinHeight", 64)
                           .i4("MaxWidth", 32000)
                           .i4("MaxHeight", 32000)
                           .i4("Frame", 9)
                           .b("Composite", false)
                           .b("HasBackColor", true)
                           .c("BackColor", kBack)
                           .s("Title", "Test Window")
                           .b("Visible", true)
                           .b("FullScreen", false)
                           .b("MenuBarVisible", true)
                           .b("CloseButton", true)
                           .b("Resizeable", false)
                           .b("LiveResize", false)
                           .b("MaximizeButton", false)
                           .b("MinimizeButton", false)
                           .i4("MacProcID", 0)
                           .str());
}

Blob rectBlob(std::string_view name, int32_t left, int32_t top, int32_t width, int32_t height) {
  Blob b;
  b.s("Name", name).i4("Index", INT32_MIN).i4("Left", left).i4("Top", top);
  b.i4("Width", width).i4("Height", height).b("LockLeft", true).b("LockTop", true);
  b.b("LockRight", false).b("LockBottom", false).i4("TabPanelIndex", 0);
  return b;
}

// Makes, constructs and registers one control the way the program does: through the
// window's method table, then its blob, then its handlers by event name.
Object* create(Object* window, ClassTable* cls, std::string_view name, bool construct) {
  Ref<Object> made =
      Ref<Object>::adopt(fw::callMethod<Object*, ClassTable*>(window, WindowSlot::__New, cls));
  if (construct) fw::callMethod<void>(made.get(), RectControlSlot::Constructor);
  fw::callMethod<void, const String&, Object*>(window, WindowSlot::_AddControl, String(name),
                                               made.get());
  return made.get();  // the window holds it now
}

void bind(Object* control, const char* event, AnyFunction fn) {
  _InstallInstanceEventHandler(control, event, fn);
}

Blob ovalBlob(std::string_view name, int32_t left, int32_t top, int32_t size, Color fill) {
  Blob b = rectBlob(name, left, top, size, size);
  b.b("Visible", true).s("HelpTag", "").b("AutoDeactivate", true).b("Enabled", true);
  b.c("FillColor", fill).i4("BorderWidth", 1).c("BorderColor", Color{0, 0, 0});
  b.s("InitialParent", "");
  return b;
}

void createControls(Object* self) {
  Object* slider = create(self, Slider::__Lookup(), "Slider", true);
  Blob sb = rectBlob("Slider", 10, 270, 100, 16);
  sb.i4("TabIndex", 1).b("TabStop", true).b("Enabled", true).b("Visible", true);
  sb.s("HelpTag", "").b("AutoDeactivate", true);
  sb.i4("Minimum", 1).i4("Value", 8).i4("Maximum", 20).i4("LineStep", 1).i4("PageStep", 10);
  sb.b("LiveScroll", false).i4("TickStyle", 0).s("InitialParent", "");
  _SetProperties(slider, sb.str());
  bind(slider, "ValueChanged", reinterpret_cast<AnyFunction>(&valueChanged));

  for (auto [name, left, top, size, fill] :
       {std::tuple{"Big", kBigLeft, kBigTop, kBigSize, kBigFill},
        std::tuple{"Small", kSmallLeft, kSmallTop, kSmallSize, kSmallFill}}) {
    Object* oval = create(self, Oval::__Lookup(), name, true);
    _SetProperties(oval, ovalBlob(name, left, top, size, fill).str());
    bind(oval, "MouseDown", reinterpret_cast<AnyFunction>(&padDown));
  }

  auto* field = dynamic_cast<TextField*>(create(self, TextField::__Lookup(), "textfield", true));
  field->setTextSize(12);
  field->setTextUnit(0);
  Blob fb = rectBlob("textfield", 300, 10, 80, 22);
  fb.i4("TabIndex", 17).b("TabStop", true).b("Border", true).b("Password", false);
  fb.b("UseFocusRing", true).c("TextColor", Color{0, 0, 0}).c("BackColor", Color{255, 255, 255});
  fb.b("Enabled", true).s("Format", "").b("Visible", false).s("HelpTag", "");
  fb.b("AutoDeactivate", true).s("TextFont", "System").b("Bold", false).b("Italic", false);
  fb.b("Underline", false).s("CueText", "").s("Text", "").s("Mask", "").b("ReadOnly", false);
  fb.i4("LimitText", 0).b("AcceptTabs", false).i4("Alignment", 0).s("DataSource", "");
  fb.s("DataField", "").s("InitialParent", "");
  _SetProperties(field, fb.str());

  auto* popup = dynamic_cast<PopupMenu*>(create(self, PopupMenu::__Lookup(), "Popup", true));
  popup->setTextSize(12);
  Blob pb = rectBlob("Popup", 200, 10, 152, 34);
  pb.i4("TabIndex", 16).b("TabStop", true).b("Enabled", true);
  pb.s("InitialValue", "@One\r@Two\r@Three").i4("ListIndex", 0).b("Visible", true);
  pb.s("HelpTag", "").b("AutoDeactivate", true).s("TextFont", "System").b("Bold", false);
  pb.b("Italic", false).b("Underline", false).s("DataSource", "").s("DataField", "");
  pb.s("InitialParent", "");
  _SetProperties(popup, pb.str());
  bind(popup, "Change", reinterpret_cast<AnyFunction>(&changed));
  bind(popup, "Open", reinterpret_cast<AnyFunction>(&opened));

  Object* player = create(self, NotePlayer::__Lookup(), "NotePlayer1", false);
  _SetProperties(player, Blob()
                             .s("Name", "NotePlayer1")
                             .i4("Index", INT32_MIN)
                             .i4("TabPanelIndex", 0)
                             .i4("Instrument", 1)
                             .str());
  bind(player, "Open", reinterpret_cast<AnyFunction>(&opened));

  auto* button = dynamic_cast<PushButton*>(create(self, PushButton::__Lookup(), "Button", true));
  button->setTextSize(10);
  Blob bb = rectBlob("Button", 200, 250, 119, 33);
  bb.i4("TabIndex", 18).b("TabStop", true).s("Caption", "Randam Hit").b("Default", false);
  bb.b("Cancel", false).b("Enabled", true).b("Visible", true).s("HelpTag", "");
  bb.b("AutoDeactivate", true).s("TextFont", "System").b("Bold", true).b("Italic", false);
  bb.b("Underline", false).s("InitialParent", "");
  _SetProperties(button, bb.str());
  bind(button, "Action", reinterpret_cast<AnyFunction>(&action));

  Ref<Object> made = Ref<Object>::adopt(
      fw::callMethod<Object*, ClassTable*>(self, WindowSlot::__New, testTimerClass()));
  fw::callMethod<void, const String&, Object*>(self, WindowSlot::_AddControl, "Mytimer",
                                               made.get());
  _SetProperties(made.get(), Blob().i4("Mode", 2).i4("Period", 1000).str());
}

// ---- the _PaneChild timer ---------------------------------------------------------------
class PaneTimer : public Timer {
 public:
  using Timer::Timer;
  Ref<Object> owner;
  int32_t index = 0;
};

PaneTimer& paneTimer(Object* o) {
  if (o == nullptr) RaiseNilObjectException();
  return dynamic_cast<PaneTimer&>(*o);
}
void setWindow(Object* self, Object* w) {
  paneTimer(self).owner = Ref<Object>::retain(w);
}
Object* getWindow(Object* self) {
  return Ref<Object>(paneTimer(self).owner).release();
}
int32_t getIndex(Object* self) {
  return paneTimer(self).index;
}
void setIndex(Object* self, int32_t i) {
  paneTimer(self).index = i;
}
void timerConstructor(Object*) {}

}  // namespace

Blob& Blob::key(std::string_view k) {
  bytes_ += k;
  bytes_ += ' ';
  return *this;
}

Blob& Blob::i4(std::string_view k, int32_t v) {
  key(k);
  const auto u = static_cast<uint32_t>(v);
  for (int shift = 24; shift >= 0; shift -= 8) bytes_ += static_cast<char>((u >> shift) & 0xFF);
  return *this;
}

Blob& Blob::b(std::string_view k, bool v) {
  key(k);
  bytes_ += static_cast<char>(v ? 1 : 0);
  return *this;
}

Blob& Blob::c(std::string_view k, Color v) {
  key(k);
  bytes_ += static_cast<char>(v.red);
  bytes_ += static_cast<char>(v.green);
  bytes_ += static_cast<char>(v.blue);
  return *this;
}

Blob& Blob::s(std::string_view k, std::string_view v) {
  i4(k, static_cast<int32_t>(v.size()));
  bytes_ += v;
  return *this;
}

std::vector<std::string>& eventLog() {
  static std::vector<std::string> entries;
  return entries;
}

std::vector<std::string> logged(std::string_view prefix) {
  std::vector<std::string> out;
  for (const auto& e : eventLog())
    if (e.starts_with(prefix)) out.push_back(e);
  return out;
}

namespace {

// A subclass made the way the program makes its own: the parent's methods, and beyond the
// parent's entries only the given own interfaces and class attributes.
ClassTable* subclass(ClassTable* parent, const char* name, std::size_t ownInterfaces,
                     int32_t attributes) {
  auto n = [](std::size_t size) { return static_cast<int32_t>(size); };
  ClassTable* t = RuntimeNewClass(
      parent, n(parent->members.size()), n(parent->interfaces.size() + ownInterfaces),
      n(parent->events.size()), 0, n(parent->properties.size()), attributes);
  t->name = name;
  t->methods = parent->methods;
  return t;
}

void handle(ClassTable* t, std::string_view event, AnyFunction fn) {
  t->events[static_cast<std::size_t>(fw::findEvent(t, event))].handler = fn;
}

}  // namespace

ClassTable* testWindowClass() {
  static ClassTable* table = [] {
    ClassTable* t = subclass(Window::__Lookup(), "TestWindow", 0, 1);
    handle(t, "Layout", reinterpret_cast<AnyFunction>(&layout));
    handle(t, "CreateControls", reinterpret_cast<AnyFunction>(&createControls));
    handle(t, "Open", reinterpret_cast<AnyFunction>(&windowOpen));
    handle(t, "KeyDown", reinterpret_cast<AnyFunction>(&windowKeyDown));
    return t;
  }();
  return table;
}

ClassTable* testTimerClass() {
  static ClassTable* table = [] {
    ClassTable* t = subclass(Timer::__Lookup(), "TestTimer", 1, 1);
    t->methods.push_back(fw::slot(&timerConstructor, "%%"));
    InterfaceRecord& pane = t->interfaces.back();
    pane.interface = _PaneChild__Lookup();
    pane.methodCount = PaneChildSlot::kCount;
    pane.methods = {fw::slot(&setWindow, "%%o<Window>"), fw::slot(&getWindow, "%o<Window>%"),
                    fw::slot(&getIndex, "%i4%"), fw::slot(&setIndex, "%%i4")};
    t->factory = [](ClassTable* cls) -> Object* { return new PaneTimer(cls); };
    t->exitHook = [](Object* o) { paneTimer(o).owner = nullptr; };
    return t;
  }();
  return table;
}

ClassTable* testAppClass() {
  static ClassTable* table = [] {
    ClassTable* t = subclass(Application::__Lookup(), "TestApp", 0, 0);
    handle(t, "Open", reinterpret_cast<AnyFunction>(&appOpen));
    return t;
  }();
  return table;
}

Ref<Window> makeWindow() {
  Ref<Object> w = RuntimeNewObject(testWindowClass());
  fw::callMethod<void>(w.get(), WindowSlot::Constructor);
  return RuntimeCheckCast<Window>(w.get(), Window::__Lookup());
}

void click(Window& w, QPoint at) {
  QWidget* widget = w.widget();
  QWindow* handle = widget->windowHandle();
  const QPointF local(at);
  const QPointF global(widget->mapToGlobal(at));
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QGuiApplication::sendEvent(handle, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QGuiApplication::sendEvent(handle, &release);
}

void key(Window& w, int qtKey, const QString& text, bool autoRepeat,
         Qt::KeyboardModifiers modifiers) {
  QWindow* handle = w.widget()->windowHandle();
  QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text, autoRepeat);
  QGuiApplication::sendEvent(handle, &press);
  QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers, text, autoRepeat);
  QGuiApplication::sendEvent(handle, &release);
}

}  // namespace controls_test
