#pragma once
// FluidSynth's own log, kept off the terminal. FluidSynth reports every failed driver,
// font and setting on stderr; the synthesiser prints one line of its own instead and
// quotes the last error FluidSynth gave, when that helps.

#include <string>

namespace fw {

// Routes FluidSynth's messages of every level into a quiet buffer, silences the ALSA
// library under it and takes GLib's default message handler (see QuietLibraries).
// Idempotent and thread-safe; call before any other FluidSynth function.
void quietFluidLog();

// The first and the last error or panic FluidSynth reported on the calling thread since
// it last called clearFluidError(), or "".
std::string firstFluidError();
std::string lastFluidError();
void clearFluidError();

// The line with FluidSynth's last error after it in brackets, when there is one.
std::string withFluidReason(std::string line);

// While one lives, GLib's messages on its thread (libraries under FluidSynth print
// theirs through it) are dropped: the caller says what went wrong in its own line.
// Messages of other threads are printed as before. Needs quietFluidLog() first.
class QuietLibraries {
 public:
  QuietLibraries() noexcept;
  ~QuietLibraries();
  QuietLibraries(const QuietLibraries&) = delete;
  QuietLibraries& operator=(const QuietLibraries&) = delete;
};

}  // namespace fw
