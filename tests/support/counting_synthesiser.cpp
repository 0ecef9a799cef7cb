#include "tests/support/counting_synthesiser.h"

#include <algorithm>
#include <utility>

namespace testing_support {

CountingSynthesiser::CountingSynthesiser(std::unique_ptr<fw::Synthesiser> inner)
    : inner_(std::move(inner)) {}

void CountingSynthesiser::programChange(int program) {
  ++programChanges_;
  inner_->programChange(program);
}

void CountingSynthesiser::noteOn(int note, int velocity) {
  ++started_;
  sounding_.insert(note);
  peak_ = std::max(peak_, sounding_.size());
  inner_->noteOn(note, velocity);
}

void CountingSynthesiser::noteOff(int note) {
  sounding_.erase(note);
  inner_->noteOff(note);
}

}  // namespace testing_support
