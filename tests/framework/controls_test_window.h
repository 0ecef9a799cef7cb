#pragma once
// Shared by the window and control tests: a blob writer, a test window class built the
// way the program builds its window (Layout applies a blob, CreateControls makes one
// control of each class from blobs and binds their events by name), a timer class that
// is a _PaneChild, and input sent through the window's own Qt window handle.

#include <QPoint>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/controls/application.h"
#include "framework/controls/controls.h"
#include "framework/controls/window.h"
#include "framework/runtime/blob_reader.h"
#include "framework/runtime/delegate.h"

namespace controls_test {

// Writes property blobs: each entry is the key, a blank and the value at its width.
class Blob {
 public:
  Blob& i4(std::string_view key, int32_t v);
  Blob& b(std::string_view key, bool v);
  Blob& c(std::string_view key, Color v);
  Blob& s(std::string_view key, std::string_view v);
  String str() const { return String(bytes_); }

 private:
  Blob& key(std::string_view k);
  std::string bytes_;
};

// Everything the test handlers saw, in order: "Open Oval1", "MouseDown Oval1 36 36",
// "KeyDown 122", "ValueChanged PitchSlider" ...
std::vector<std::string>& eventLog();
// Entries of the log that start with the prefix.
std::vector<std::string> logged(std::string_view prefix);

// Window geometry and the controls of the test window (window coordinates).
inline constexpr int32_t kWidth = 400;
inline constexpr int32_t kHeight = 300;
inline constexpr Color kBack{29, 32, 60};
// Two ovals whose circles overlap: Big (registered first) and Small, on top of it.
// Big's circle: centre (70, 70), radius 50; Small's: centre (110, 110), radius 30.
inline constexpr int32_t kBigLeft = 20, kBigTop = 20, kBigSize = 100;
inline constexpr int32_t kSmallLeft = 80, kSmallTop = 80, kSmallSize = 60;
inline constexpr Color kBigFill{255, 128, 128};
inline constexpr Color kSmallFill{255, 255, 128};

// The class "TestWindow": parent Window, handles Layout, CreateControls, Open, KeyDown.
ClassTable* testWindowClass();
// The class "TestTimer": a Timer with its own window reference, a _PaneChild.
ClassTable* testTimerClass();
// A test application class whose "Open" is logged as "Open App".
ClassTable* testAppClass();

// A new TestWindow, built through its Constructor (so registered, built and shown).
Ref<Window> makeWindow();
template <class T>
Ref<T> control(Window& w, std::string_view name) {
  Ref<Object> found = RuntimeWindowControlByName(&w, String(name));
  return RuntimeCheckCast<T>(found.get(), T::__Lookup());
}

// Input as a person gives it: delivered to the window's Qt window, which passes it on
// to the widget under the pointer or with the focus.
void click(Window& w, QPoint at);
void key(Window& w, int qtKey, const QString& text, bool autoRepeat = false,
         Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Runs the event loop until the condition holds or a generous limit passes (the limit
// only keeps a broken test from hanging; results are asserted, never times).
template <class F>
bool processUntil(F condition);

}  // namespace controls_test

#include <QCoreApplication>
#include <QDeadlineTimer>

template <class F>
bool controls_test::processUntil(F condition) {
  QDeadlineTimer limit(10000);
  while (!condition()) {
    if (limit.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}
