#pragma once
// The Qt widget of a Window: paints the background, hit tests presses on the ovals,
// turns typed keys into the window's KeyDown and reports closing.

#include <QWidget>
#include <optional>
#include <string>

class QKeyEvent;
class Window;

class WindowWidget : public QWidget {
 public:
  explicit WindowWidget(Window* owner);
  // Cleared when the Window object goes, so late Qt events reach nothing.
  Window* owner;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  // No control takes focus, so Tab is an ordinary key for KeyDown.
  bool focusNextPrevChild(bool) override { return false; }
};

namespace fw::windows {
// The key string of a key press: the typed text (UTF-8), or for the arrow keys the one
// character 28 (left), 29 (right), 30 (up), 31 (down). Keys without text: nothing.
std::optional<std::string> keyString(const QKeyEvent& event);
}  // namespace fw::windows
