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
// standard error naming the exception. It never throws.
void _UnhandledException(const std::exception& e) noexcept;
void _UnhandledException() noexcept;  // for an exception of no known type

namespace fw {

// Runs f and passes any exception it throws to _UnhandledException: the guard around
// every call from the platform (Qt) into the program, so no exception crosses it.
template <class F>
void guarded(F&& f) noexcept {
  try {
    f();
  } catch (const std::exception& e) {
    _UnhandledException(e);
  } catch (...) {
    _UnhandledException();
  }
}

}  // namespace fw
