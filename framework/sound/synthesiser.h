#pragma once
// The sound interface between the note player and a synthesiser. Calls arrive already
// validated by the note player (see note_gate.h): programs 0-127, notes 0-127,
// velocities 1-127.

#include <memory>

namespace fw {

class Synthesiser {
 public:
  virtual ~Synthesiser() = default;
  virtual void programChange(int program) = 0;  // General MIDI program, counted from 0
  virtual void noteOn(int note, int velocity) = 0;
  virtual void noteOff(int note) = 0;
};

// The synthesiser every note player of the process plays on. Until one is installed,
// the first use opens the system's synthesiser (FluidSynth on the desktop's sound
// server); that never throws: without sound it is a silent one.
Synthesiser& synthesiser();
// Replaces the process's synthesiser (tests install a recording one); returns the old.
std::unique_ptr<Synthesiser> installSynthesiser(std::unique_ptr<Synthesiser> s);
// The installed synthesiser, or nullptr when none is installed or opened yet; opens
// nothing.
Synthesiser* installedSynthesiser();

// A synthesiser that accepts every call and plays nothing.
std::unique_ptr<Synthesiser> makeSilentSynthesiser();

}  // namespace fw
