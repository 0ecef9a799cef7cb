#include "framework/controls/window_widget.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "framework/controls/control_impl.h"
#include "framework/controls/window_impl.h"

namespace {

// key              code of the key string
constexpr struct {
  int key;
  char code;
} kArrows[] = {
    {Qt::Key_Left, 28},
    {Qt::Key_Right, 29},
    {Qt::Key_Up, 30},
    {Qt::Key_Down, 31},
};

// The oval on top (registered last) whose circle holds the point, or none.
Oval* ovalAt(Window& window, int32_t x, int32_t y) {
  const auto& controls = window.impl().controls;
  for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
    auto* oval = dynamic_cast<Oval*>(it->second.get());
    if (oval && oval->Visible() && oval->Enabled() && fw::controls::ovalContains(*oval, x, y))
      return oval;
  }
  return nullptr;
}

}  // namespace

namespace fw::windows {

std::optional<std::string> keyString(const QKeyEvent& event) {
  for (const auto& arrow : kArrows)
    if (event.key() == arrow.key) return std::string(1, arrow.code);
  const QString text = event.text();
  if (text.isEmpty()) return std::nullopt;
  return text.toUtf8().toStdString();
}

std::vector<std::string> keyStrings(const QString& committed) {
  std::vector<std::string> keys;
  for (qsizetype i = 0; i < committed.size();) {
    const bool pair = committed[i].isHighSurrogate() && i + 1 < committed.size() &&
                      committed[i + 1].isLowSurrogate();
    const qsizetype units = pair ? 2 : 1;
    keys.push_back(committed.mid(i, units).toUtf8().toStdString());
    i += units;
  }
  return keys;
}

}  // namespace fw::windows

WindowWidget::WindowWidget(Window* window) : owner(window) {
  setFocusPolicy(Qt::StrongFocus);
  // Without it Qt's input method (the compose key, dead keys) never runs for this window.
  setAttribute(Qt::WA_InputMethodEnabled);
}

void WindowWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (owner && owner->impl().hasBackColor) {
    const Color c = owner->impl().backColor;
    p.fillRect(rect(), QColor(c.red, c.green, c.blue));
  } else {
    p.fillRect(rect(), palette().window());
  }
}

// One KeyDown per press: auto-repeats are dropped. Ctrl+Q quits before the program sees it.
void WindowWidget::keyPressEvent(QKeyEvent* event) {
  event->accept();
  if (event->key() == Qt::Key_Q && (event->modifiers() & Qt::ControlModifier)) {
    QCoreApplication::quit();
    return;
  }
  if (event->isAutoRepeat() || owner == nullptr) return;
  fw::guarded([&] {
    if (const auto key = fw::windows::keyString(*event)) keyDown(*key);
  });
}

void WindowWidget::inputMethodEvent(QInputMethodEvent* event) {
  event->accept();
  if (owner == nullptr) return;
  fw::guarded([&] {
    for (const std::string& key : fw::windows::keyStrings(event->commitString())) keyDown(key);
  });
}

// The window takes input-method text anywhere; it shows no text, so an input method that
// would predict or correct words is asked not to.
QVariant WindowWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled:
      return true;
    case Qt::ImHints:
      return int(Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);
    default:
      return QWidget::inputMethodQuery(query);
  }
}

// Runs inside fw::guarded, with the window there.
void WindowWidget::keyDown(const std::string& key) {
  Ref<Object> keep = Ref<Object>::retain(owner);
  fw::callMethod<bool, const String&>(keep.get(), WindowSlot::_KeyDown, String(key));
}

// Ovals let presses through to the window (Qt would deliver by rectangle); here the press
// goes to the oval whose circle holds it, else to the window's own MouseDown.
void WindowWidget::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (owner == nullptr || event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  fw::guarded([&] {
    Ref<Object> keep = Ref<Object>::retain(owner);
    if (Oval* oval = ovalAt(*owner, at.x(), at.y())) {
      Ref<Object> hit = Ref<Object>::retain(oval);
      fw::raiseEvent<bool, int32_t, int32_t>(oval, "MouseDown", at.x() - oval->Left(),
                                             at.y() - oval->Top());
    } else {
      fw::callMethod<bool, int32_t, int32_t>(keep.get(), WindowSlot::_CallMouseDown, at.x(),
                                             at.y());
    }
  });
}

void WindowWidget::closeEvent(QCloseEvent* event) {
  if (owner == nullptr) {
    event->accept();
    return;
  }
  bool closed = true;
  fw::guarded([&] {
    Ref<Object> keep = Ref<Object>::retain(owner);
    if (fw::raiseEvent<bool, bool>(owner, "CancelClose", false).value_or(false)) {
      closed = false;
      return;
    }
    fw::raiseEvent<void>(owner, "Close");
  });
  if (!closed) {
    event->ignore();
    return;
  }
  if (owner) owner->impl().markClosed();
  event->accept();
}

void WindowWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange || owner == nullptr) return;
  if (!owner->impl().constructed) return;
  const bool active = isActiveWindow();
  fw::guarded([&] {
    Ref<Object> keep = Ref<Object>::retain(owner);
    fw::callMethod<void>(keep.get(),
                         active ? WindowSlot::_CallActivated : WindowSlot::_CallDeactivated);
  });
}

void WindowWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (owner == nullptr) return;
  Window::Impl& d = owner->impl();
  if (d.width == width() && d.height == height()) return;
  d.width = width();
  d.height = height();
  if (!d.constructed) return;
  fw::guarded([&] {
    Ref<Object> keep = Ref<Object>::retain(owner);
    fw::callMethod<void>(keep.get(), WindowSlot::_CallResized);
  });
}

void WindowWidget::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (owner == nullptr || !owner->impl().constructed) return;
  owner->impl().left = x();
  owner->impl().top = y();
  fw::guarded([&] {
    Ref<Object> keep = Ref<Object>::retain(owner);
    fw::callMethod<void>(keep.get(), WindowSlot::_CallMoved);
  });
}
