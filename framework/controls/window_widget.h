#pragma once
// The Qt widget of a Window: paints the background, hit tests presses on the ovals,
// turns typed keys and committed input-method text into the window's KeyDown and reports
// closing.

#include <QWidget>
#include <optional>
#include <string>
#include <vector>

class QInputMethodEvent;
class QKeyEvent;
class QString;
class Window;

class WindowWidget : public QWidget {
 public:
  explicit WindowWidget(Window* owner);
  // Cleared when the Window object goes, so late Qt events reach nothing.
  Window* owner;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Compose sequences and dead keys reach the window only as text committed by the
  // platform's input method; pre-edit text (a dead key waiting for its letter) is not a key.
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  // No control takes focus, so Tab is an ordinary key for KeyDown.
  bool focusNextPrevChild(bool) override { return false; }

 private:
  void keyDown(const std::string& key);
};

namespace fw::windows {
// The key string of a key press: the typed text (UTF-8), or for the arrow keys the one
// character 28 (left), 29 (right), 30 (up), 31 (down). Keys without text: nothing.
std::optional<std::string> keyString(const QKeyEvent& event);
// The key strings of committed input-method text: one per character (code point), each
// its UTF-8, as the same character typed on a key of its own gives.
std::vector<std::string> keyStrings(const QString& committed);
}  // namespace fw::windows
