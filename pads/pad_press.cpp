#include "pads/pad_press.h"

#include <array>
#include <utility>

#include "framework/controls/window.h"
#include "framework/runtime/exceptions.h"
#include "pads/centre_reset.h"
#include "pads/pad_table.h"
#include "pads/playing.h"

namespace pads {

namespace {

using note_steps::applyInstrument;
using note_steps::noteOff;
using note_steps::noteOn;
using note_steps::recordLastPitch;

// The wing variants; the centre ones are the sequences note keys share (playing.h).
// `self` is the window; `me` the pressed pad, which only the wing variants use (paintPad
// tests it for nil at the step that paints it): the centre ones find every control, the
// pressed pad too, by name.

void wingNatural(Object* self, Object* me, const Pad& pad) {
  applyInstrument(self);
  noteOff(self);
  centreReset(self);
  const int32_t note = noteOn(self, pad.baseNote);
  paintPad(me, litColour(pad.baseNote));
  recordLastPitch(note);
}

// The pad carries its lit colour only while its note starts and ends at rest.
void wingSharp(Object* self, Object* me, const Pad& pad) {
  noteOff(self);
  centreReset(self);
  paintPad(me, litColour(pad.baseNote));
  const int32_t note = noteOn(self, pad.baseNote);
  paintPad(me, restingColour(pad.baseNote));
  recordLastPitch(note);
}

// The handler of the pad in row `Row` of the pad table.
template <std::size_t Row>
bool mouseDown(Object* padControl, int32_t /*x*/, int32_t /*y*/) {
  static constexpr const Pad& pad = kPads[Row];
  auto [self, me] = RuntimeSwapSelfAndMe(padControl);
  Object* window = fw::nonNil(self).get();
  if constexpr (pad.group == Centre) {
    if constexpr (pad.kind == Natural)
      playNatural(window, pad.baseNote, pad.name, true);
    else
      playSharp(window, pad.baseNote, pad.name);
  } else {
    if constexpr (pad.kind == Natural)
      wingNatural(window, me.get(), pad);
    else
      wingSharp(window, me.get(), pad);
  }
  return false;
}

// One handler per row, in pad-table order.
constexpr auto kHandlers = []<std::size_t... Row>(std::index_sequence<Row...>) {
  return std::array<MouseDownHandler, sizeof...(Row)>{&mouseDown<Row>...};
}(std::make_index_sequence<kPadCount>{});

}  // namespace

MouseDownHandler mouseDownHandler(std::string_view padName) {
  for (std::size_t row = 0; row < kPadCount; ++row)
    if (kPads[row].name == padName) return kHandlers[row];
  return nullptr;
}

}  // namespace pads
