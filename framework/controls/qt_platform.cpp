#include "framework/controls/qt_platform.h"

#include <QApplication>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fw::qt {
namespace {

constexpr const char* kNoDisplay =
    "velmo: cannot open a window: no display (DISPLAY is not set or cannot be reached)\n";
// Qt's X11 platform says this when the display named cannot be reached.
constexpr const char* kDisplayUnreachable = "could not connect to display";

QApplication* owned = nullptr;
QtMessageHandler previousHandler = nullptr;
// While the QApplication is being created, Qt's complaints about the display are held
// back: if creation fails the user gets one clear line, not Qt's several.
bool constructing = false;
std::vector<std::string> heldBack;

// The one line for a QApplication that could not start: no display, unless the display
// was reached and the platform that QT_QPA_PLATFORM names is what failed.
std::string whyNoWindow() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const bool displayFailed =
      std::any_of(heldBack.begin(), heldBack.end(), [](const std::string& line) {
        return line.find(kDisplayUnreachable) != std::string::npos;
      });
  if (displayFailed || platform == nullptr || *platform == '\0') return kNoDisplay;
  return std::string("velmo: cannot open a window: Qt's platform \"") + platform +
         "\" (named by QT_QPA_PLATFORM) is missing or could not start\n";
}

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (constructing) {
    if (type == QtFatalMsg) {
      std::fputs(whyNoWindow().c_str(), stderr);
      std::fflush(stderr);
      std::_Exit(1);
    }
    heldBack.push_back(text.toStdString());
    return;
  }
  if (previousHandler) {
    previousHandler(type, context, text);
  } else {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    if (type == QtFatalMsg) std::abort();
  }
}

bool displayReachable() {
  auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0';
  };
  return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

void ensureApplication() {
  if (QApplication::instance() != nullptr) return;
  if (!displayReachable()) {
    std::fputs(kNoDisplay, stderr);
    std::exit(1);
  }
  // QApplication keeps references to argc and argv for its whole life.
  static int argc = 1;
  static char name[] = "velmo";
  static char* argv[] = {name, nullptr};
  previousHandler = qInstallMessageHandler(messageHandler);
  constructing = true;
  owned = new QApplication(argc, argv);
  constructing = false;
  for (const auto& line : heldBack) std::fprintf(stderr, "%s\n", line.c_str());
  heldBack.clear();
  QApplication::setApplicationName("velmo");
  QApplication::setQuitOnLastWindowClosed(true);
}

bool ownsApplication() {
  return owned != nullptr;
}

void shutDown() {
  delete owned;
  owned = nullptr;
}

bool eventLoopRunning() {
  return QThread::currentThread()->loopLevel() > 0;
}

void disposeWidget(QWidget* widget) {
  if (widget == nullptr) return;
  widget->blockSignals(true);
  widget->hide();
  if (eventLoopRunning())
    widget->deleteLater();
  else
    delete widget;
}

}  // namespace fw::qt
