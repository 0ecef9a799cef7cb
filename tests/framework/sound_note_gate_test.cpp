#include <gtest/gtest.h>

#include "framework/sound/note_gate.h"
#include "framework/sound/recording_synthesiser.h"

namespace fw {
namespace {

using Call = RecordingSynthesiser::Call;
using Calls = std::vector<Call>;

TEST(SoundNoteGate, InstrumentsCountFromOneAndOthersChangeNothing) {
  RecordingSynthesiser synth;
  selectInstrument(synth, 1);
  selectInstrument(synth, 128);
  selectInstrument(synth, 74);
  for (int32_t outside : {0, 129, -1, INT32_MIN, INT32_MAX}) selectInstrument(synth, outside);
  EXPECT_EQ(synth.calls(), (Calls{Call::program(0), Call::program(127), Call::program(73)}));
}

TEST(SoundNoteGate, VelocityIsClampedAndZeroEndsTheNote) {
  RecordingSynthesiser synth;
  playNote(synth, 60, 154);
  playNote(synth, 60, 0);
  playNote(synth, 0, 127);
  playNote(synth, 127, 1);
  playNote(synth, 61, -5);
  playNote(synth, 62, INT32_MAX);
  EXPECT_EQ(synth.calls(), (Calls{Call::on(60, 127), Call::off(60), Call::on(0, 127),
                                  Call::on(127, 1), Call::on(61, 1), Call::on(62, 127)}));
}

TEST(SoundNoteGate, NotesOutsideMidiAreIgnoredEvenTheirNoteOff) {
  RecordingSynthesiser synth;
  for (int32_t note : {128, 130, 136, -1, INT32_MIN}) {
    playNote(synth, note, 100);
    playNote(synth, note, 0);
  }
  EXPECT_TRUE(synth.calls().empty());
}

TEST(SoundNoteGate, KeepsTheOrderOfAPadPress) {
  RecordingSynthesiser synth;
  selectInstrument(synth, 20);
  playNote(synth, 72, 0);
  playNote(synth, 136, 0);
  playNote(synth, 64, 142);
  EXPECT_EQ(synth.calls(), (Calls{Call::program(19), Call::off(72), Call::on(64, 127)}));
  synth.clear();
  EXPECT_TRUE(synth.calls().empty());
}

TEST(SoundNoteGate, CallsPrintReadably) {
  EXPECT_EQ(toString(Call::program(73)), "program(73)");
  EXPECT_EQ(toString(Call::on(60, 100)), "on(60, 100)");
  EXPECT_EQ(toString(Call::off(60)), "off(60)");
  EXPECT_EQ(::testing::PrintToString(Call::on(1, 2)), "on(1, 2)");
}

}  // namespace
}  // namespace fw
