#pragma once
// A synthesiser in front of another: every call is passed on unchanged, and the notes
// started and not yet ended are kept, which is what a listener hears as sounding. A
// note-on of a note that already sounds restarts it, so it still counts once; a note-off
// of a note that does not sound changes nothing.

#include <cstddef>
#include <memory>
#include <set>

#include "framework/sound/synthesiser.h"

namespace testing_support {

class CountingSynthesiser : public fw::Synthesiser {
 public:
  explicit CountingSynthesiser(std::unique_ptr<fw::Synthesiser> inner);

  void programChange(int program) override;
  void noteOn(int note, int velocity) override;
  void noteOff(int note) override;

  std::size_t sounding() const { return sounding_.size(); }
  // The most notes that sounded at once since the last resetPeak(): a moment within one
  // event, not only its end.
  std::size_t peak() const { return peak_; }
  void resetPeak() { peak_ = sounding_.size(); }
  std::size_t notesStarted() const { return started_; }
  std::size_t programChanges() const { return programChanges_; }

 private:
  std::unique_ptr<fw::Synthesiser> inner_;
  std::set<int> sounding_;
  std::size_t peak_ = 0;
  std::size_t started_ = 0;
  std::size_t programChanges_ = 0;
};

}  // namespace testing_support
