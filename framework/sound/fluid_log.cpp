#include "framework/sound/fluid_log.h"

#include <dlfcn.h>
#include <fluidsynth.h>

#include <atomic>
#include <cstdio>
#include <mutex>

namespace fw {
namespace {

// FluidSynth's errors, per thread: the loader's and the opener's run side by side, and
// each line quotes its own thread's. Plain arrays, never destroyed: FluidSynth may still
// log while the process exits, after a thread's C++ objects are gone.
constexpr size_t kErrorLength = 512;
thread_local char firstError[kErrorLength];
thread_local char lastError[kErrorLength];

// Called from FluidSynth's C code, where nothing may be thrown.
void keepError(int, const char* message, void*) noexcept {
  if (message == nullptr) return;
  if (firstError[0] == '\0') std::snprintf(firstError, kErrorLength, "%s", message);
  std::snprintf(lastError, kErrorLength, "%s", message);
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

// GLib's messages: FluidSynth hands a font its own loader rejects to libinstpatch, which
// on a damaged font prints assertion failures ("** CRITICAL **: ipatch_...") through
// GLib's default handler. On a thread inside QuietLibraries they are dropped; on any
// other they go to the handler that was there before, as if nothing had changed. GLib
// comes with FluidSynth, so it is looked up rather than linked, like ALSA.
using GLogFunc = void (*)(const char* domain, int level, const char* message, void* data);
thread_local int quietDepth = 0;
std::atomic<GLogFunc> glibBefore{nullptr};

void glibMessage(const char* domain, int level, const char* message, void* data) {
  if (quietDepth > 0) return;
  if (GLogFunc before = glibBefore.load()) before(domain, level, message, data);
}

void takeGlibLog() {
  using SetDefault = GLogFunc (*)(GLogFunc, void*);
  void* symbol = dlsym(RTLD_DEFAULT, "g_log_set_default_handler");
  if (symbol != nullptr) glibBefore = reinterpret_cast<SetDefault>(symbol)(glibMessage, nullptr);
}

}  // namespace

void quietFluidLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    fluid_set_log_function(FLUID_PANIC, keepError, nullptr);
    fluid_set_log_function(FLUID_ERR, keepError, nullptr);
    fluid_set_log_function(FLUID_WARN, dropMessage, nullptr);
    fluid_set_log_function(FLUID_INFO, dropMessage, nullptr);
    fluid_set_log_function(FLUID_DBG, dropMessage, nullptr);
    quietAlsaLog();
    takeGlibLog();
  });
}

std::string firstFluidError() {
  return firstError;
}

std::string lastFluidError() {
  return lastError;
}

void clearFluidError() {
  firstError[0] = '\0';
  lastError[0] = '\0';
}

std::string withFluidReason(std::string line) {
  std::string reason = lastFluidError();
  if (!reason.empty()) line += " (" + reason + ")";
  return line;
}

QuietLibraries::QuietLibraries() noexcept {
  ++quietDepth;
}

QuietLibraries::~QuietLibraries() {
  --quietDepth;
}

}  // namespace fw
