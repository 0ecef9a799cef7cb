// The main window's "KeyDown": the computer keyboard plays the pads. Every key first shows
// its decimal code in the hidden text field; a key of the table then runs its one action.
// The result is False for every key.

#include "framework/runtime/globals.h"
#include "keyboard/key_table.h"
#include "pads/centre_reset.h"
#include "pads/playing.h"
#include "window/lookup.h"
#include "window/note_steps.h"
#include "window/velmo.h"

namespace {

using keyboard::KeyRow;

// The space bar ends the last note without starting one; App.LastPitch keeps its value.
void spaceBar(Object* self) {
  note_steps::applyInstrument(self);
  pads::centreReset(self);
  note_steps::noteOff(self);
}

// Moves the slider's Value by the step. The slider keeps its own range, and its
// "ValueChanged" handler carries the new Value into the playing state.
void sliderStep(Object* self, const KeyRow& row) {
  const int32_t value = findControl<Slider>(self, row.slider)->Value();
  findControl<Slider>(self, row.slider)->setValue(note_steps::shifted(value, row.step));
}

}  // namespace

bool VELMO::Event_KeyDown(Object* self, const String& key) {
  findControl<TextField>(self, "textfield")->setText(Str(Asc(key)));

  const KeyRow* row = keyboard::findKey(Asc(key));
  if (row == nullptr) return false;
  switch (row->kind) {
    case keyboard::NaturalKey:
      pads::playNatural(self, row->baseNote, row->pad, row->instrumentStep);
      break;
    case keyboard::SharpKey: pads::playSharp(self, row->baseNote, row->pad); break;
    case keyboard::Space: spaceBar(self); break;
    case keyboard::SliderStep: sliderStep(self, *row); break;
  }
  return false;
}
