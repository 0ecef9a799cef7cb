#pragma once
// FluidSynth's own log, kept off the terminal. FluidSynth reports every failed driver,
// font and setting on stderr; the synthesiser prints one line of its own instead and
// quotes the last error FluidSynth gave, when that helps.

#include <string>

namespace fw {

// Routes FluidSynth's messages of every level into a quiet buffer and silences the
// ALSA library under it. Idempotent and thread-safe; call before any other FluidSynth
// function.
void quietFluidLog();

// The last error or panic FluidSynth reported since clearFluidError(), or "".
std::string lastFluidError();
void clearFluidError();

// The line with FluidSynth's last error after it in brackets, when there is one.
std::string withFluidReason(std::string line);

}  // namespace fw
