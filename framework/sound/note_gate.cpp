#include "framework/sound/note_gate.h"

#include <algorithm>

#include "framework/sound/synthesiser.h"

namespace fw {
namespace {
constexpr int32_t kInstruments = 128;
constexpr int32_t kHighestNote = 127;
constexpr int32_t kLowestVelocity = 1;
constexpr int32_t kHighestVelocity = 127;
}  // namespace

void selectInstrument(Synthesiser& synth, int32_t instrument) {
  if (instrument < 1 || instrument > kInstruments) return;
  synth.programChange(static_cast<int>(instrument - 1));
}

void playNote(Synthesiser& synth, int32_t note, int32_t velocity) {
  if (note < 0 || note > kHighestNote) return;
  if (velocity == 0) {
    synth.noteOff(static_cast<int>(note));
    return;
  }
  synth.noteOn(static_cast<int>(note),
               static_cast<int>(std::clamp(velocity, kLowestVelocity, kHighestVelocity)));
}

}  // namespace fw
