#pragma once
// The Qt side of the platform layer: the one QApplication of the process and the rules
// for handing widgets back to Qt. Included only by framework/controls sources.

class QWidget;

namespace fw::qt {

// The process's QApplication, created on first use (program name "velmo"). Without a
// display it prints one line on standard error and ends the process with status 1.
// A QApplication that someone else created first (a test's main) is used as it is.
void ensureApplication();
// True when this layer created the QApplication (and so deletes it in shutDown).
bool ownsApplication();
// Deletes the QApplication if this layer created it; later calls do nothing.
void shutDown();

// True while a Qt event loop runs on this thread.
bool eventLoopRunning();

// Hands a widget whose owner is going away back to Qt: no more signals, hidden, and
// deleted now or, inside a running event loop, once control returns to the loop (it may
// be the widget whose event is being handled right now). Null does nothing.
void disposeWidget(QWidget* widget);

}  // namespace fw::qt
