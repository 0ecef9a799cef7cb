#include "pads/playing.h"

#include "pads/centre_reset.h"
#include "pads/pad_table.h"
#include "window/lookup.h"

namespace pads {

using note_steps::applyInstrument;
using note_steps::noteOff;
using note_steps::noteOn;
using note_steps::recordLastPitch;

void paintPad(Object* pad, Color colour) {
  fw::nonNil(RuntimeCheckCast<Oval>(pad, Oval::__Lookup()))->setFillColor(colour);
}

void lightPad(Object* window, std::string_view padName) {
  const auto pad = findPad(padName);
  if (!pad) RaiseNilObjectException();
  findControl<Oval>(window, padName)->setFillColor(litColour(pad->baseNote));
}

void playNatural(Object* window, int32_t baseNote, std::string_view padName, bool withInstrument) {
  if (withInstrument) applyInstrument(window);
  centreReset(window);
  noteOff(window);
  const int32_t note = noteOn(window, baseNote);
  lightPad(window, padName);
  recordLastPitch(note);
}

void playSharp(Object* window, int32_t baseNote, std::string_view padName) {
  noteOff(window);
  centreReset(window);
  const int32_t note = noteOn(window, baseNote);
  lightPad(window, padName);
  recordLastPitch(note);
}

}  // namespace pads
