#include "framework/sound/synthesiser.h"

namespace fw {
namespace {
class Silent : public Synthesiser {
  void programChange(int) override {}
  void noteOn(int, int) override {}
  void noteOff(int) override {}
};
std::unique_ptr<Synthesiser>& current() {
  static std::unique_ptr<Synthesiser> s;
  return s;
}
}  // namespace

Synthesiser& synthesiser() {
  if (!current()) current() = std::make_unique<Silent>();
  return *current();
}

std::unique_ptr<Synthesiser> installSynthesiser(std::unique_ptr<Synthesiser> s) {
  auto old = std::move(current());
  current() = std::move(s);
  return old;
}
}  // namespace fw
