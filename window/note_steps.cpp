#include "window/note_steps.h"

#include "app/app.h"
#include "window/lookup.h"

namespace note_steps {

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

void recordLastPitch(int32_t note) {
  fw::nonNil(App())->LastPitch = note;
}

}  // namespace note_steps
