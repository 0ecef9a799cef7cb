#include "framework/runtime/exceptions.h"

#include <cstdio>
#include <string>

void RaiseNilObjectException() {
  throw NilObjectException();
}

void _UnhandledException(const std::exception& e) noexcept {
  const auto* framework = dynamic_cast<const RuntimeException*>(&e);
  const char* name = framework ? framework->exceptionName() : "std::exception";
  // One line per exception: control bytes in the message (a line break inside a class
  // name or a blob key) are shown as blanks. Building the text may itself fail for want
  // of memory; the report then carries the name alone.
  try {
    std::string message = e.what();
    for (char& c : message)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    std::fprintf(stderr, "velmo: unhandled %s: %s\n", name, message.c_str());
  } catch (...) {
    std::fprintf(stderr, "velmo: unhandled %s\n", name);
  }
}

void _UnhandledException() noexcept {
  std::fputs("velmo: unhandled exception of unknown type\n", stderr);
}

namespace fw {
void throw_nil_object() {
  RaiseNilObjectException();
}
}  // namespace fw
