#pragma once
// A synthesiser for tests of the playing order: each call it receives is kept with the
// pads that are lit at that moment and App.LastPitch, so a test can tell whether the
// centre reset came before or after the note-off, and when a pad was painted.

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "framework/controls/controls.h"
#include "framework/controls/window.h"
#include "framework/sound/recording_synthesiser.h"
#include "framework/sound/synthesiser.h"
#include "pads/pad_table.h"

namespace testing_support {

using Call = fw::RecordingSynthesiser::Call;

// The pads that do not show their resting colour, in pad-table order. A pad showing a
// colour other than its lit one is listed as "<name>?", so a wrong colour never passes.
inline std::vector<std::string> litPads(Object* window) {
  std::vector<std::string> lit;
  for (const pads::Pad& pad : pads::kPads) {
    Ref<Object> found = RuntimeWindowControlByName(window, String(pad.name));
    Ref<Oval> oval = RuntimeCheckCast<Oval>(found.get(), Oval::__Lookup());
    if (!oval) {
      lit.push_back(std::string(pad.name) + " missing");
      continue;
    }
    const Color colour = oval->FillColor();
    if (colour == pads::restingColour(pad.baseNote)) continue;
    lit.push_back(std::string(pad.name) + (colour == pads::litColour(pad.baseNote) ? "" : "?"));
  }
  return lit;
}

struct Moment {
  Call call;
  std::vector<std::string> lit;  // lit pads when the call arrived
  int32_t lastPitch;             // App.LastPitch when the call arrived
  friend bool operator==(const Moment&, const Moment&) = default;
};

inline void PrintTo(const Moment& m, std::ostream* out) {
  *out << fw::toString(m.call) << " lit {";
  for (std::size_t i = 0; i < m.lit.size(); ++i) *out << (i ? ", " : "") << m.lit[i];
  *out << "} LastPitch " << m.lastPitch;
}

class MomentSynthesiser : public fw::Synthesiser {
 public:
  explicit MomentSynthesiser(Object* window) : window_(window) {}
  void programChange(int program) override { take(Call::program(program)); }
  void noteOn(int note, int velocity) override { take(Call::on(note, velocity)); }
  void noteOff(int note) override { take(Call::off(note)); }
  const std::vector<Moment>& moments() const { return moments_; }

 private:
  void take(Call call) {
    Ref<struct App> app = App();
    moments_.push_back({call, litPads(window_), app ? app->LastPitch : -1});
  }
  Object* window_;
  std::vector<Moment> moments_;
};

// Installs a MomentSynthesiser for its lifetime and puts the previous one back after.
class RecordMoments {
 public:
  explicit RecordMoments(Object* window) {
    auto owned = std::make_unique<MomentSynthesiser>(window);
    synth_ = owned.get();
    previous_ = fw::installSynthesiser(std::move(owned));
  }
  ~RecordMoments() { fw::installSynthesiser(std::move(previous_)); }
  RecordMoments(const RecordMoments&) = delete;
  RecordMoments& operator=(const RecordMoments&) = delete;

  const std::vector<Moment>& moments() const { return synth_->moments(); }

 private:
  MomentSynthesiser* synth_;
  std::unique_ptr<fw::Synthesiser> previous_;
};

}  // namespace testing_support
