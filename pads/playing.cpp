#include "pads/playing.h"

#include "app/app.h"
#include "pads/centre_reset.h"
#include "pads/pad_table.h"
#include "window/lookup.h"

namespace pads {

namespace {
constexpr std::string_view kNotePlayer = "NotePlayer1";
}

void applyInstrument(Object* window) {
  Ref<NotePlayer> player = findControl<NotePlayer>(window, kNotePlayer);
  player->setInstrument(fw::nonNil(App())->MyInstrument);
}

void noteOff(Object* window) {
  Ref<NotePlayer> player = findControl<NotePlayer>(window, kNotePlayer);
  player->PlayNote(fw::nonNil(App())->LastPitch, 0);
}

int32_t noteOn(Object* window, int32_t baseNote) {
  Ref<NotePlayer> player = findControl<NotePlayer>(window, kNotePlayer);
  const int32_t note = shifted(baseNote, fw::nonNil(App())->MyPitch);
  player->PlayNote(note, fw::nonNil(App())->MyVelocity);
  return note;
}

void recordLastPitch(int32_t note) { fw::nonNil(App())->LastPitch = note; }

void paintPad(Object* pad, Color colour) {
  fw::nonNil(RuntimeCheckCast<Oval>(pad, Oval::__Lookup()))->setFillColor(colour);
}

void lightPad(Object* window, std::string_view padName) {
  const auto pad = findPad(padName);
  if (!pad) RaiseNilObjectException();
  findControl<Oval>(window, padName)->setFillColor(litColour(pad->baseNote));
}

void playNatural(Object* window, int32_t baseNote, std::string_view padName,
                 bool withInstrument) {
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
