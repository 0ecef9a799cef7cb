#include "app/startup.h"

#include "app/app.h"
#include "framework/controls/application.h"
#include "framework/controls/controls.h"
#include "framework/controls/window.h"
#include "framework/runtime/delegate.h"
#include "window/mytimer.h"
#include "window/velmo.h"

namespace {
// The program has no plug-ins; the framework still gets its (empty) table.
void* pluginEntrypoints = nullptr;
}  // namespace

void initialize() {
  // The framework's classes first, the program's own last: each table is built once,
  // here or by its first lookup, whichever comes first.
  DragItem::__Lookup();
  Window::__Lookup();
  _WindowSupport::Windows::__Init();
  Application::__Lookup();
  for (ClassTable* (*lookup)() : {&Control::__Lookup, &RectControl::__Lookup, &Oval::__Lookup,
                                  &Slider::__Lookup, &PopupMenu::__Lookup, &PushButton::__Lookup,
                                  &TextField::__Lookup, &NotePlayer::__Lookup, &Timer::__Lookup,
                                  &actionSource__Lookup, &_PaneChild__Lookup})
    lookup();
  VELMO::__ctblinit();
  VELMO::Mytimer::__ctblinit();
  App::__ctblinit();
}

void _Main() {
  Ref<Delegate> startup;
  try {
    startup = RuntimeCreateDelegate(DelegateInvoker::Invoke,
                                    reinterpret_cast<AnyFunction>(&_Startup), nullptr, "(  )");
    _RunFrameworkInitialization(startup ? startup->method() : nullptr);
    startup = nullptr;
    _RuntimeRun();
  } catch (const std::exception& e) {
    _UnhandledException(e);
  } catch (...) {
    _UnhandledException();
  }
}

void _Startup() {
  _RuntimeInitExternalClasses();
  _InitPluginEntrypoints();
  _InitFileTypes();
  _NewAppInstance();
  _ApplicationAddMenuHandlers();
  _MakeDefaultView();
}

void _InitPluginEntrypoints() { pluginEntrypoints = RuntimeAllocatePluginEntrypointsTable(0); }

void _InitFileTypes() {}

void _ApplicationAddMenuHandlers() {}

void _MakeDefaultView() { VELMO(); }

void finalize() { _FinalizeFramework(); }
