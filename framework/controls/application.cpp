#include "framework/controls/application.h"

#include <QApplication>
#include <QThread>
#include <cstdio>
#include <memory>
#include <vector>

#include "framework/controls/qt_platform.h"
#include "framework/controls/window_impl.h"

namespace {

Ref<Object>& appObject() {
  static Ref<Object> app;
  return app;
}

int32_t exitStatus = 0;

// Ends every event loop of the thread at once. QCoreApplication::quit would first offer
// each window a close, which raises the program's events after a handler has failed.
void stopLoop() {
  QCoreApplication::exit(kUnhandledExceptionStatus);
}

// ---- Application's methods: none of them has work to do for a program without
// documents, menus, tray items or threads, except the event pump and the Open call.
void nothing(Object*) {}
void openDocument(Object*, Object*) {}
void doEvents(Object*, int32_t) {
  QCoreApplication::processEvents();
}
void addMenuHandler(Object*, const String&, Object*) {}
void pollable(Object*, Object*) {}
int32_t addTrayItem(Object*, Object*) {
  return 0;
}
void sleepThread(Object*, int32_t milliseconds) {
  if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
}
bool handleMenuCommand(Object*, const String&) {
  return false;
}
Object* loadFromBundle(Object*, const String&) {
  return nullptr;
}

constexpr const char* kApplicationEvents[] = {"Open",        "Close",        "EnableMenuItems",
                                              "NewDocument", "OpenDocument", "HandleAppleEvent",
                                              "Activate",    "Deactivate",   "UnhandledException",
                                              "CancelClose"};

}  // namespace

Application::Application(ClassTable* cls) : Object(cls) {}

ClassTable* Application::__Lookup() {
  // function                                   signature         ApplicationSlot
  static const MethodSlot kSlots[] = {
      fw::slot(&nothing, "%%"),                     // NewDocument
      fw::slot(&openDocument, "%%o<FolderItem>"),   // OpenDocument
      fw::slot(&doEvents, "%%i4"),                  // DoEvents
      fw::slot(&addMenuHandler, "%%so<Delegate>"),  // _AddMenuHandler
      fw::slot(&pollable, "%%o<Object>"),           // _AddPollableObject
      fw::slot(&pollable, "%%o<Object>"),           // _RemovePollableObject
      fw::slot(&addTrayItem, "%i4%o<TrayItem>"),    // AddTrayItem
      fw::slot(&pollable, "%%o<TrayItem>"),         // RemoveTrayItem
      fw::slot(&nothing, "%%"),                     // YieldToNextThread
      fw::slot(&sleepThread, "%%i4"),               // SleepCurrentThread
      fw::slot(&doEvents, "%%i4"),                  // _DoSingleEvent
      fw::slot(&nothing, "%%"),                     // _EnableMenuItems
      fw::slot(&Application::CallOpen, "%%"),       // _CallOpen
      fw::slot(&handleMenuCommand, "%b%s"),         // _HandleMenuCommand
      fw::slot(&loadFromBundle, "%o<Picture>%s"),   // _LoadPictureFromBundle
      fw::slot(&loadFromBundle, "%o<Sound>%s"),     // _LoadBundleSound
      fw::slot(&nothing, "%%"),                     // __DependencyList
  };
  static_assert(std::size(kSlots) == ApplicationSlot::kCount, "one function per slot");
  static ClassTable* table = fw::build::makeClass({.name = "Application",
                                                   .parent = fw::objectClass(),
                                                   .methods = kSlots,
                                                   .events = kApplicationEvents,
                                                   .factory = fw::build::newObject<Application>});
  return table;
}

void Application::CallOpen(Object* self) {
  if (self == nullptr) RaiseNilObjectException();
  fw::raiseEvent<void>(self, "Open");
}

void RuntimeInit() {
  exitStatus = 0;
  fw::resetExceptionState();
}

int32_t RuntimeExit() {
  // An exception kept after the loop had ended (by a handler run while shutting down)
  // never reached _Main; it is reported here so that it is not lost.
  fw::reportEscaped();
  fw::qt::shutDown();
  return fw::unhandledExceptionReported() ? kUnhandledExceptionStatus : exitStatus;
}

void _RunFrameworkInitialization(AnyFunction startup) {
  fw::qt::ensureApplication();
  if (startup) startup();
}

// The start-up "Open" events come just before the loop: each window's controls in
// registration order, then the window, then the application. Windows built later raise
// theirs when built. With no window on screen there is nothing to wait for. An
// exception that escaped a handler, here or in the loop, ends the loop and comes out
// of this call, for the program's last-resort catch.
void _RuntimeRun() {
  if (QApplication::instance() == nullptr) {
    std::fputs("velmo: the event loop was started before the framework was initialised\n", stderr);
    exitStatus = 1;
    return;
  }
  // A handler that failed during start-up (one Qt called while the window was shown)
  // ends the run before any "Open".
  fw::rethrowEscaped();
  fw::windows::openAll();
  if (Ref<Object> app = _GetAppObject()) fw::guarded([&] { Application::CallOpen(app.get()); });
  if (!fw::handlerFailed() && fw::windows::anyWindowShown()) {
    fw::setLoopStop(&stopLoop);
    exitStatus = QApplication::exec();
    fw::setLoopStop(nullptr);
  }
  fw::rethrowEscaped();
}

void _RuntimeInitExternalClasses() {}

void* RuntimeAllocatePluginEntrypointsTable(int32_t count) {
  // Kept for the life of the process; released with the other statics at exit.
  static std::vector<std::unique_ptr<void*[]>> tables;
  const std::size_t n = static_cast<std::size_t>(count > 0 ? count : 0) + 1;
  tables.push_back(std::make_unique<void*[]>(n));
  return tables.back().get();
}

void _RuntimeRegisterAppObject(Object* app) {
  appObject() = Ref<Object>::retain(app);
}

Ref<Object> _GetAppObject() {
  return appObject();
}

void _FinalizeFramework() {
  fw::windows::releaseAll();
  appObject() = nullptr;
}
