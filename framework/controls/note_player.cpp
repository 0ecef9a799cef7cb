#include "framework/controls/control_impl.h"
#include "framework/sound/note_gate.h"
#include "framework/sound/synthesiser.h"

using fw::build::getter;
using fw::build::PropRow;
using fw::build::setter;
using fw::controls::as;

namespace {

struct PlayerState : ControlState {
  int32_t instrument = 0;
};

NotePlayer& player(Object* o) {
  return as<NotePlayer>(o);
}
PlayerState& state(const NotePlayer& p) {
  return fw::controls::stateOf<PlayerState>(p);
}

// name              type  getter                                      setter
constexpr PropRow kPlayerProps[] = {
    {"Instrument", "i4", getter<&player, &NotePlayer::Instrument>,
     setter<&player, &NotePlayer::setInstrument>},
};

void playNote(Object* self, int32_t note, int32_t velocity) {
  player(self).PlayNote(note, velocity);
}

}  // namespace

NotePlayer::NotePlayer(ClassTable* cls) : Control(cls) {}

ClassTable* NotePlayer::__Lookup() {
  // Slots after Control's (none): PlayNote "%%i4i4".
  static const MethodSlot kSlots[] = {fw::slot(&playNote, "%%i4i4")};
  static ClassTable* table = fw::build::makeClass({.name = "NotePlayer",
                                                   .parent = Control::__Lookup(),
                                                   .methods = kSlots,
                                                   .properties = kPlayerProps,
                                                   .factory = fw::build::newObject<NotePlayer>});
  return table;
}

int32_t NotePlayer::Instrument() const {
  return state(*this).instrument;
}

void NotePlayer::setInstrument(int32_t instrument) {
  state(*this).instrument = instrument;
  fw::selectInstrument(fw::synthesiser(), instrument);
}

void NotePlayer::PlayNote(int32_t note, int32_t velocity) {
  fw::playNote(fw::synthesiser(), note, velocity);
}
