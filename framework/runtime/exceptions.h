#pragma once
// The framework's exceptions. Every exception the framework raises derives from
// RuntimeException and names itself, so that _UnhandledException can report it.

#include <exception>
#include <stdexcept>
#include <string>

class RuntimeException : public std::runtime_error {
 public:
  explicit RuntimeException(const std::string& message) : std::runtime_error(message) {}
  virtual const char* exceptionName() const noexcept { return "RuntimeException"; }
};

// A name that finds no object, or an object used where none is.
class NilObjectException : public RuntimeException {
 public:
  NilObjectException() : RuntimeException("an object was used that does not exist") {}
  const char* exceptionName() const noexcept override { return "NilObjectException"; }
};

// An object cast to a class it does not belong to.
class IllegalCastException : public RuntimeException {
 public:
  using RuntimeException::RuntimeException;
  const char* exceptionName() const noexcept override { return "IllegalCastException"; }
};

// Malformed input handed to the framework, such as a bad property blob.
class UnsupportedFormatException : public RuntimeException {
 public:
  using RuntimeException::RuntimeException;
  const char* exceptionName() const noexcept override { return "UnsupportedFormatException"; }
};

[[noreturn]] void RaiseNilObjectException();

// The one place where an exception that escapes the program is reported: one line on
// standard error naming the exception. It never throws. From then on the runtime's exit
// status is kUnhandledExceptionStatus.
void _UnhandledException(const std::exception& e) noexcept;
void _UnhandledException() noexcept;  // for an exception of no known type

// The exit status of a run in which an exception reached _UnhandledException.
inline constexpr int kUnhandledExceptionStatus = 1;

namespace fw {

// The dispatch point between the platform (Qt) and the program: runs a handler called
// from a Qt event or signal, and no exception crosses it. The first exception that
// escapes a handler is kept, the event loop is asked to stop, and the loop's caller
// rethrows it once the loop has returned (rethrowEscaped), so that it travels on to the
// program's last-resort catch as if no Qt frame had been in its way.
//
// From the first failure on, no further handler runs (f is skipped) until the kept
// exception has been taken. The loop may still hand out events it already held before it
// returns; an exception unwinding the loop itself would have left them unhandled, and
// handling them would act on whatever the failed handler left half updated and could
// bury the first failure under later ones.
template <class F>
void guarded(F&& f) noexcept;

// True while an escaped exception is kept: handlers are being skipped.
bool handlerFailed() noexcept;
// Keeps the exception if it is the first one and asks the event loop to stop; a later
// one is dropped, since the first is the one that tells what went wrong.
void keepEscaped(std::exception_ptr e) noexcept;
// Hands over the kept exception (null when there is none); handlers run again.
std::exception_ptr takeEscaped() noexcept;
// Throws the kept exception, if any, after taking it.
void rethrowEscaped();
// Takes the kept exception, if any, and passes it to _UnhandledException.
void reportEscaped() noexcept;
// How the running event loop is stopped; the platform sets it while its loop runs and
// clears it (null) after. keepEscaped calls it, if set, with the first exception.
void setLoopStop(void (*stop)()) noexcept;

// True once an exception has reached _UnhandledException in this run of the runtime.
bool unhandledExceptionReported() noexcept;
// A new run of the runtime: nothing kept, nothing reported.
void resetExceptionState() noexcept;

// Runs a clean-up step that cannot pass an exception on (an object's clean-up hook, the
// release of a window at shut-down): an exception is reported at once and the clean-up
// goes on. Unlike guarded, it runs after a handler has failed, so that nothing leaks.
template <class F>
void reportingFailure(F&& f) noexcept {
  try {
    f();
  } catch (const std::exception& e) {
    _UnhandledException(e);
  } catch (...) {
    _UnhandledException();
  }
}

template <class F>
void guarded(F&& f) noexcept {
  if (handlerFailed()) return;
  try {
    f();
  } catch (...) {
    keepEscaped(std::current_exception());
  }
}

}  // namespace fw
