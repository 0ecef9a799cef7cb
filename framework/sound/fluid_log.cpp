#include "framework/sound/fluid_log.h"

#include <dlfcn.h>
#include <fluidsynth.h>

#include <mutex>

namespace fw {
namespace {

// Never destroyed: FluidSynth may still log while static objects are torn down at exit
// (the process's synthesiser is deleted then).
struct LastError {
  std::mutex mutex;
  std::string text;
};
LastError& lastError() {
  static auto* const error = new LastError;
  return *error;
}

// Called from FluidSynth's C code, where nothing may be thrown: a message that cannot be
// kept (no memory for it) is lost, as FluidSynth's own would be.
void keepError(int, const char* message, void*) noexcept {
  if (message == nullptr) return;
  try {
    LastError& error = lastError();
    std::lock_guard lock(error.mutex);
    error.text = message;
  } catch (...) {
  }
}

void dropMessage(int, const char*, void*) noexcept {}

// ALSA's library prints every failed step of opening a device ("cannot find card '0'"
// and seven more lines) unless given a handler. FluidSynth links it, so it is looked up
// rather than linked; without it there is nothing to quieten.
using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
void dropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

void quietAlsaLog() {
  using SetHandler = int (*)(AlsaErrorHandler);
  void* symbol = dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler");
  if (symbol != nullptr) reinterpret_cast<SetHandler>(symbol)(dropAlsaMessage);
}

}  // namespace

void quietFluidLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    lastError();
    fluid_set_log_function(FLUID_PANIC, keepError, nullptr);
    fluid_set_log_function(FLUID_ERR, keepError, nullptr);
    fluid_set_log_function(FLUID_WARN, dropMessage, nullptr);
    fluid_set_log_function(FLUID_INFO, dropMessage, nullptr);
    fluid_set_log_function(FLUID_DBG, dropMessage, nullptr);
    quietAlsaLog();
  });
}

std::string lastFluidError() {
  LastError& error = lastError();
  std::lock_guard lock(error.mutex);
  return error.text;
}

void clearFluidError() {
  LastError& error = lastError();
  std::lock_guard lock(error.mutex);
  error.text.clear();
}

std::string withFluidReason(std::string line) {
  std::string reason = lastFluidError();
  if (!reason.empty()) line += " (" + reason + ")";
  return line;
}

}  // namespace fw
