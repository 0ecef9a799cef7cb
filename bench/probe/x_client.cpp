#include "bench/probe/x_client.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace probe {
namespace {

// A window that is gone or not yet viewable makes a request fail; the default handler
// would end the probe, so failures are only counted.
int ignoreError(Display*, XErrorEvent*) {
  return 0;
}

}  // namespace

XClient::XClient() {
  display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) {
    problem_ = "cannot open the X display";
    return;
  }
  XSetErrorHandler(ignoreError);
  int event = 0, error = 0, major = 0, minor = 0;
  xtest_ = XTestQueryExtension(display_, &event, &error, &major, &minor);
  if (!xtest_) problem_ = "the X server has no XTEST extension";
  XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
  // A key held for a long note must stay one press; the X server is the probe's own.
  XAutoRepeatOff(display_);
  XSync(display_, False);
}

XClient::~XClient() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

int XClient::fd() const {
  return display_ != nullptr ? ConnectionNumber(display_) : -1;
}

void XClient::forgetEvents() {
  XSync(display_, True);
  mapped_ = 0;
}

WindowId XClient::mappedWindow(const std::string& title) {
  while (mapped_ == 0 && XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == MapNotify && titled(event.xmap.window, title)) mapped_ = event.xmap.window;
  }
  return mapped_;
}

bool XClient::titled(WindowId window, const std::string& title) {
  char* name = nullptr;
  bool same = XFetchName(display_, window, &name) != 0 && name != nullptr && title == name;
  if (name != nullptr) XFree(name);
  if (same) return true;
  // Toolkits may set only the UTF-8 title.
  const Atom netName = XInternAtom(display_, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display_, window, netName, 0, 1024, False, utf8, &type, &format, &items,
                         &after, &data) == Success &&
      data != nullptr) {
    same = format == 8 && title == std::string(reinterpret_cast<char*>(data), items);
    XFree(data);
  }
  return same;
}

void XClient::focus(WindowId window) {
  XSetInputFocus(display_, window, RevertToParent, CurrentTime);
  XFlush(display_);
}

void XClient::tapKey(const char* keysym) {
  const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym));
  XTestFakeKeyEvent(display_, code, True, CurrentTime);
  XFlush(display_);
  XTestFakeKeyEvent(display_, code, False, CurrentTime);
  XFlush(display_);
}

void XClient::pressKey(const char* keysym) {
  XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, XStringToKeysym(keysym)), True,
                    CurrentTime);
  XFlush(display_);
}

void XClient::releaseKey(const char* keysym) {
  XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, XStringToKeysym(keysym)), False,
                    CurrentTime);
  XFlush(display_);
}

void XClient::click(WindowId window, int x, int y, int button) {
  int rootX = x, rootY = y;
  Window child = 0;
  XTranslateCoordinates(display_, window, DefaultRootWindow(display_), x, y, &rootX, &rootY,
                        &child);
  XTestFakeMotionEvent(display_, -1, rootX, rootY, CurrentTime);
  XTestFakeButtonEvent(display_, static_cast<unsigned>(button), True, CurrentTime);
  XTestFakeButtonEvent(display_, static_cast<unsigned>(button), False, CurrentTime);
  XFlush(display_);
}

}  // namespace probe
