#include "framework/controls/control_impl.h"
#include "framework/sound/note_gate.h"
#include "framework/sound/synthesiser.h"

using fw::build::PropRow;
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

// name           type  getter                                          setter
constexpr PropRow kPlayerProps[] = {
    {"Instrument", "i4", [](Object* o) -> Value { return player(o).Instrument(); },
     [](Object* o, const Value& v) { player(o).setInstrument(fw::unbox<int32_t>(v)); }},
};

void playNote(Object* self, int32_t note, int32_t velocity) {
  player(self).PlayNote(note, velocity);
}

Object* newPlayer(ClassTable* cls) {
  return new NotePlayer(cls);
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
                                                   .factory = newPlayer});
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
