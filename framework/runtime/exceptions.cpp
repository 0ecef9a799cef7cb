#include "framework/runtime/exceptions.h"

#include <cstdio>

void RaiseNilObjectException() { throw NilObjectException(); }

void _UnhandledException(const std::exception& e) noexcept {
  const auto* framework = dynamic_cast<const RuntimeException*>(&e);
  const char* name = framework ? framework->exceptionName() : "std::exception";
  std::fprintf(stderr, "velmo: unhandled %s: %s\n", name, e.what());
}

void _UnhandledException() noexcept {
  std::fputs("velmo: unhandled exception of unknown type\n", stderr);
}

namespace fw {
void throw_nil_object() { RaiseNilObjectException(); }
}  // namespace fw
