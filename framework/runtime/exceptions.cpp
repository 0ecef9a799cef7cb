#include "framework/runtime/exceptions.h"

#include <cstdio>
#include <string>
#include <utility>

namespace {

// The state of one run of the runtime, on its one thread.
std::exception_ptr escaped;
bool reported = false;
void (*loopStop)() = nullptr;

}  // namespace

void RaiseNilObjectException() {
  throw NilObjectException();
}

void _UnhandledException(const std::exception& e) noexcept {
  reported = true;
  const auto* framework = dynamic_cast<const RuntimeException*>(&e);
  const char* name = framework ? framework->exceptionName() : "std::exception";
  // One line per exception: control bytes in the message (a line break inside a class
  // name or a blob key) are shown as blanks. Building the text may itself fail for want
  // of memory; the report then carries the name alone.
  try {
    std::string message = e.what();
    for (char& c : message)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    std::fprintf(stderr, "velmo: unhandled exception: %s: %s\n", name, message.c_str());
  } catch (...) {
    std::fprintf(stderr, "velmo: unhandled exception: %s\n", name);
  }
}

void _UnhandledException() noexcept {
  reported = true;
  std::fputs("velmo: unhandled exception of unknown type\n", stderr);
}

namespace fw {

void throw_nil_object() {
  RaiseNilObjectException();
}

bool handlerFailed() noexcept {
  return escaped != nullptr;
}

void keepEscaped(std::exception_ptr e) noexcept {
  if (e == nullptr || escaped != nullptr) return;
  escaped = std::move(e);
  if (loopStop != nullptr) loopStop();
}

std::exception_ptr takeEscaped() noexcept {
  return std::exchange(escaped, nullptr);
}

void rethrowEscaped() {
  if (std::exception_ptr e = takeEscaped()) std::rethrow_exception(e);
}

void reportEscaped() noexcept {
  reportingFailure([] { rethrowEscaped(); });
}

void setLoopStop(void (*stop)()) noexcept {
  loopStop = stop;
}

bool unhandledExceptionReported() noexcept {
  return reported;
}

void resetExceptionState() noexcept {
  escaped = nullptr;
  reported = false;
  loopStop = nullptr;
}

}  // namespace fw
