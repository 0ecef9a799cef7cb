#pragma once
// The note player's validation in one place: values from the program arrive as any
// 32-bit integer and are turned into calls the synthesiser accepts, or into nothing.

#include <cstdint>

namespace fw {

class Synthesiser;

// Instruments are counted from 1 (1..128 -> General MIDI program 0..127); any other
// number changes nothing.
void selectInstrument(Synthesiser& synth, int32_t instrument);

// Velocity 0 releases the note, any other velocity strikes it with the velocity clamped
// to 1..127. A note outside 0..127 is ignored entirely (its release too), without error.
void playNote(Synthesiser& synth, int32_t note, int32_t velocity);

}  // namespace fw
