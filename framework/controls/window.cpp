#include "framework/controls/window.h"

#include <QGuiApplication>
#include <algorithm>

#include "framework/controls/control_impl.h"
#include "framework/controls/qt_platform.h"
#include "framework/controls/window_impl.h"
#include "framework/controls/window_widget.h"

Window::Window(ClassTable* cls) : Object(cls), impl_(std::make_unique<Impl>(this)) {
  fw::qt::ensureApplication();
  auto* w = new WindowWidget(this);
  impl_->widget = w;
  impl_->applyFrame();
  impl_->applySize();
}

Window::~Window() {
  // Children first: they may still point at this window.
  for (Control* c : impl_->members) c->impl().owner = nullptr;
  impl_->members.clear();
  auto controls = std::move(impl_->controls);
  for (auto& [name, control] : controls) fw::windows::paneSetWindow(control.get(), nullptr);
  controls.clear();
  if (auto* w = static_cast<WindowWidget*>(impl_->widget.data())) w->owner = nullptr;
  fw::qt::disposeWidget(impl_->widget.data());
}

int32_t Window::Width() const {
  return impl_->width;
}
int32_t Window::Height() const {
  return impl_->height;
}
String Window::Title() const {
  return impl_->title;
}
Color Window::BackColor() const {
  return impl_->backColor;
}
bool Window::Visible() const {
  return impl_->visible;
}
QWidget* Window::widget() const {
  return impl_->widget.data();
}

void Window::Impl::applyFrame() {
  if (!widget) return;
  Qt::WindowFlags flags =
      Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
  if (closeButton) flags |= Qt::WindowCloseButtonHint;
  if (minimizeButton) flags |= Qt::WindowMinimizeButtonHint;
  if (maximizeButton && resizeable) flags |= Qt::WindowMaximizeButtonHint;
  if (widget->windowFlags() == flags) return;
  // Qt hides a window whose flags change; show it again if it was shown.
  const bool shown = widget->isVisible();
  widget->setWindowFlags(flags);
  if (shown) widget->show();
}

void Window::Impl::applySize() {
  if (!widget) return;
  const int w = std::max(width, 0);
  const int h = std::max(height, 0);
  if (resizeable) {
    widget->setMinimumSize(std::max(minWidth, 0), std::max(minHeight, 0));
    widget->setMaximumSize(std::max(maxWidth, minWidth), std::max(maxHeight, minHeight));
    widget->resize(w, h);
  } else {
    widget->setFixedSize(w, h);
  }
  applyFrame();
}

void Window::Impl::show() {
  if (closed) {
    closed = false;
    for (auto& [name, control] : controls) fw::windows::paneSetWindow(control.get(), self);
  }
  visible = true;
  if (!widget) return;
  if (fullScreen)
    widget->showFullScreen();
  else
    widget->show();
  // The offscreen platform (tests) has no stacking and says so on every raise.
  if (QGuiApplication::platformName() != "offscreen") widget->raise();
  widget->activateWindow();
}

void Window::Impl::hide() {
  visible = false;
  if (widget) widget->hide();
}

void Window::Impl::markClosed() {
  closed = true;
  visible = false;
  auto snapshot = controls;  // _SetWindow may run code of the program
  for (auto& [name, control] : snapshot) fw::windows::paneSetWindow(control.get(), nullptr);
}

void Window::Impl::add(const String& name, Object* control) {
  if (control == nullptr) RaiseNilObjectException();
  Ref<Object> keep = Ref<Object>::retain(control);
  auto same = std::find_if(controls.begin(), controls.end(),
                           [&](const auto& entry) { return entry.first == name; });
  if (same != controls.end()) remove(same->second.get());
  controls.emplace_back(name, keep);
  if (auto* c = dynamic_cast<Control*>(control)) {
    adopt(*c);
    c->impl().name = name;
  }
  if (auto* r = dynamic_cast<RectControl*>(control)) fw::controls::attachToWindow(*r, widget);
  if (!closed) fw::windows::paneSetWindow(control, self);
}

void Window::Impl::remove(Object* control) {
  Ref<Object> keep = Ref<Object>::retain(control);
  auto gone = std::remove_if(controls.begin(), controls.end(),
                             [&](const auto& entry) { return entry.second.get() == control; });
  if (gone == controls.end()) return;
  controls.erase(gone, controls.end());
  if (auto* c = dynamic_cast<Control*>(control)) forget(*c);
  if (auto* r = dynamic_cast<RectControl*>(control)) fw::controls::detachFromWindow(*r);
  fw::windows::paneSetWindow(control, nullptr);
}

void Window::Impl::adopt(Control& control) {
  Window*& owner = control.impl().owner;
  if (owner == self) return;
  if (owner) owner->impl().forget(control);
  owner = self;
  members.push_back(&control);
}

void Window::Impl::forget(Control& control) {
  if (control.impl().owner != self) return;
  control.impl().owner = nullptr;
  members.erase(std::remove(members.begin(), members.end(), &control), members.end());
}
