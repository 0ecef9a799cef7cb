#include "framework/sound/synthesiser.h"

#include "framework/sound/fluidsynth_synthesiser.h"

namespace fw {
namespace {

class Silent : public Synthesiser {
  void programChange(int) override {}
  void noteOn(int, int) override {}
  void noteOff(int) override {}
};

// Deleted with the other statics at exit, which shuts FluidSynth down cleanly.
std::unique_ptr<Synthesiser>& current() {
  static std::unique_ptr<Synthesiser> s;
  return s;
}

}  // namespace

Synthesiser& synthesiser() {
  if (!current()) current() = openSystemSynthesiser();
  return *current();
}

std::unique_ptr<Synthesiser> installSynthesiser(std::unique_ptr<Synthesiser> s) {
  auto old = std::move(current());
  current() = std::move(s);
  return old;
}

Synthesiser* installedSynthesiser() {
  return current().get();
}

std::unique_ptr<Synthesiser> makeSilentSynthesiser() {
  return std::make_unique<Silent>();
}

}  // namespace fw
