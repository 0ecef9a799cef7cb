#pragma once
// The probe's own X client: it sees the program's window being mapped, gives it the
// input focus, and types and clicks into it through the XTEST extension, as xdotool
// does, but without starting a process for every input.

#include <string>

struct _XDisplay;  // Xlib's Display

namespace probe {

using WindowId = unsigned long;

class XClient {
 public:
  XClient();  // connects to $DISPLAY; ok() tells whether that worked
  ~XClient();
  XClient(const XClient&) = delete;
  XClient& operator=(const XClient&) = delete;

  bool ok() const { return display_ != nullptr && xtest_; }
  const std::string& problem() const { return problem_; }
  int fd() const;

  // Forgets the events seen so far: a window mapped from now on counts.
  void forgetEvents();
  // Handles the events that have arrived; the first top-level window titled `title`
  // mapped since forgetEvents(), or 0.
  WindowId mappedWindow(const std::string& title);

  void focus(WindowId window);
  // Presses and releases the key of an X keysym name ("x", "space").
  void tapKey(const char* keysym);
  // Presses or releases the key alone, for a note that lasts while its key is held.
  void pressKey(const char* keysym);
  void releaseKey(const char* keysym);
  // Moves the pointer to a point of the window and presses and releases a button
  // (1: left, 4 and 5: the wheel up and down).
  void click(WindowId window, int x, int y, int button = 1);

 private:
  bool titled(WindowId window, const std::string& title);

  _XDisplay* display_ = nullptr;
  bool xtest_ = false;
  std::string problem_;
  WindowId mapped_ = 0;
};

}  // namespace probe
