// The "Randam Hit" button's handler. It keeps nothing between presses: every press
// re-applies the instrument, draws anew and leaves only its last note sounding.

#include "phrase/random_phrase.h"

#include "app/app.h"
#include "framework/runtime/globals.h"
#include "framework/runtime/int32.h"
#include "phrase/triad_steps.h"
#include "window/lookup.h"
#include "window/note_steps.h"
#include "window/velmo.h"

namespace phrase {

namespace {

static_assert(std::size(kNotePeriodTables) == kNotesPerArpeggio,
              "one period row for each note of the arpeggio");

int32_t drawBelow(double k) { return RuntimeCvtReal64ToSInt32(Rnd() * k); }

// Ends the last note, starts base + offset + App.MyPitch, records it as App.LastPitch and
// tells the window's `pxx` the offset, through the window's method table.
void playOffset(Object* window, int32_t offset) {
  note_steps::noteOff(window);
  note_steps::recordLastPitch(note_steps::noteOn(window, note_steps::shifted(kBaseNote, offset)));
  static const std::size_t pxx = VELMO::methodSlot("pxx");
  fw::callMethod<void, int32_t>(window, pxx, offset);
}

// Mytimer's period := the row's value for the rhythm times the factor. A rhythm outside
// the table writes nothing. No handler listens, so this changes no sound and no picture.
void writePeriod(Object* window, std::size_t row, const Draws& d) {
  if (d.rhythm < 0 || static_cast<std::size_t>(d.rhythm) >= kRhythmCount) return;
  findControl<Timer>(window, "Mytimer")
      ->setPeriod(fw::int32Mul(kNotePeriodTables[row][d.rhythm], d.factor));
}

}  // namespace

Draws draw() {
  Draws d{};
  d.step = drawBelow(7.0);
  d.order = drawBelow(6.0);
  d.rhythm = drawBelow(3.0);
  d.choice = drawBelow(12.0);
  d.octave = drawBelow(5.0);
  // Formed as a Double by multiplying, adding and dividing in this order, the rounding of
  // each step included: 1 for draws from about 2/3 up, else 0.
  d.factor = RuntimeCvtReal64ToSInt32((Rnd() * 3.0 + 1.0) / 3.0);
  return d;
}

}  // namespace phrase

void VELMO::PushButton1_Action(Object* control) {
  auto [self, me] = RuntimeSwapSelfAndMe(control);
  Object* window = fw::nonNil(self).get();

  note_steps::applyInstrument(window);
  const phrase::Draws d = phrase::draw();
  // The shift stands for later pads and keys too, while PitchSlider keeps its place,
  // until the slider's handler or the next press writes it again.
  fw::nonNil(App())->MyPitch = phrase::octaveShift(d.octave);

  if (phrase::isOneNote(d.choice)) {
    phrase::playOffset(window, phrase::sharpOffset(d.choice));
    phrase::writePeriod(window, 0, d);
    return;
  }
  static const std::size_t onpu = VELMO::methodSlot("Onpu");
  for (int32_t k = 0; k < static_cast<int32_t>(phrase::kNotesPerArpeggio); ++k) {
    const int32_t offset =
        fw::callMethod<int32_t, int32_t, int32_t, int32_t>(window, onpu, d.step, d.order, k);
    phrase::playOffset(window, offset);
    phrase::writePeriod(window, static_cast<std::size_t>(k), d);
  }
}
