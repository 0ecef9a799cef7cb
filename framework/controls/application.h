#pragma once
// The application object's framework class and the start-up / event-loop calls.

#include <cstdint>

#include "framework/runtime/class_table.h"
#include "framework/runtime/delegate.h"

// The 17 methods of Application's method table, in its order (slot index = enumerator).
struct ApplicationSlot {
  enum : std::size_t {
    NewDocument, OpenDocument, DoEvents, _AddMenuHandler, _AddPollableObject,
    _RemovePollableObject, AddTrayItem, RemoveTrayItem, YieldToNextThread, SleepCurrentThread,
    _DoSingleEvent, _EnableMenuItems, _CallOpen, _HandleMenuCommand, _LoadPictureFromBundle,
    _LoadBundleSound, __DependencyList, kCount
  };
};


class Application : public Object {
 public:
  explicit Application(ClassTable* cls);
  static ClassTable* __Lookup();

  // Raises the application's "Open" through its event table (no handler: nothing).
  static void CallOpen(Object* self);
};

// Start-up and shut-down of the runtime, in the order the program calls them.
void RuntimeInit();
// Ends the runtime; its result is the process's exit status: the event loop's, or
// kUnhandledExceptionStatus once an exception has reached _UnhandledException.
int32_t RuntimeExit();
// Initialises the framework (the Qt application) and calls the start-up routine back
// once, through the delegate's entry. No display: one clear message on standard error
// and the process exits non-zero.
void _RunFrameworkInitialization(AnyFunction startup);
// The event loop: raises the start-up "Open" events, then runs until the application
// quits or a handler fails; the first exception that escaped a handler is thrown from
// here once the loop has returned (see fw::guarded).
void _RuntimeRun();
void _RuntimeInitExternalClasses();
// The plug-in entry-point table; the framework keeps it for the life of the process.
void* RuntimeAllocatePluginEntrypointsTable(int32_t count);

void _RuntimeRegisterAppObject(Object* app);
// The registered application object as a new reference, or nil.
Ref<Object> _GetAppObject();
// Releases the framework's module-level objects (windows, the application).
void _FinalizeFramework();
