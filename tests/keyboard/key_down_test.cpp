// Typing on the main window: every key of the table against the synthesiser and the pads,
// keys outside it, the space bar and the arrow codes.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <iterator>
#include <ostream>

#include "framework/runtime/globals.h"
#include "tests/pads/pad_moments.h"
#include "tests/support/input_method.h"
#include "tests/support/program_fixture.h"

namespace {

using testing_support::Call;
using testing_support::litPads;
using testing_support::Moment;
using testing_support::RecordMoments;
using Lit = std::vector<std::string>;

class KeyDown : public testing_support::ProgramTest {
 protected:
  // A key press as the platform delivers it: to the window's widget, not to a control.
  void keyClick(int qtKey, const QString& text, Qt::KeyboardModifiers modifiers = {}) {
    QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, text);
    QCoreApplication::sendEvent(window()->widget(), &event);
  }
  void inputMethod(const QString& commit, const QString& preedit = {}) {
    testing_support::inputMethod(*window()->widget(), commit, preedit);
  }
  Lit lit() const { return litPads(window()); }
  String shown() const { return control<TextField>("textfield")->Text(); }
  int32_t sliderValue(std::string_view name) const { return control<Slider>(name)->Value(); }
  void setSlider(std::string_view name, int32_t v) { control<Slider>(name)->setValue(v); }

  struct State {
    int32_t instrument, pitch, velocity, lastPitch;
    friend bool operator==(const State&, const State&) = default;
  };
  State state() const {
    return {app().MyInstrument, app().MyPitch, app().MyVelocity, app().LastPitch};
  }
};

// What each note key does, written out from the two manuals: the code shown, the note
// played at the opening state, the pad lit in its pitch class's lit colour, and whether
// the key first applies the instrument.
struct NoteKey {
  const char* key;
  int32_t code;
  int32_t note;
  const char* pad;
  uint32_t lit;  // 0xRRGGBB
  bool instrument;
};
void PrintTo(const NoteKey& k, std::ostream* out) { *out << "key " << k.key; }

// key       code  note  pad          lit       instrument
constexpr NoteKey kNoteKeys[] = {
    {"z",      122, 59, "Oval9",     0x0000ff, true},
    {"x",      120, 60, "Oval1",     0xff0000, true},
    {"c",      99,  62, "Oval2",     0xff80c0, true},
    {"v",      118, 64, "Oval3",     0xa020ff, false},
    {"b",      98,  65, "Oval4",     0x00c0c0, true},
    {"n",      110, 67, "Oval5",     0xc0c0ff, true},
    {"m",      109, 69, "Oval6",     0x0060a0, false},
    {",",      44,  71, "Oval7",     0x0000ff, true},
    {".",      46,  72, "Oval8",     0xff0000, true},
    {"/",      47,  74, "Oval11",    0xff80c0, true},
    {"\u00DB", 219, 76, "Oval12",    0xa020ff, true},
    {"d",      100, 61, "miniOval1", 0xffff40, false},
    {"f",      102, 63, "miniOval2", 0xffff40, false},
    {"h",      104, 66, "miniOval3", 0xffff40, false},
    {"j",      106, 68, "miniOval4", 0xffff40, false},
    {"k",      107, 70, "miniOval5", 0xffff40, false},
    {";",      59,  73, "miniOval1", 0xffff40, false},
    {"]",      93,  75, "miniOval2", 0xffff40, false},
    {"q",      113, 72, "Oval1",     0xff0000, true},
    {"w",      119, 74, "Oval2",     0xff80c0, true},
    {"e",      101, 76, "Oval3",     0xa020ff, false},
    {"r",      114, 77, "Oval4",     0x00c0c0, true},
    {"t",      116, 79, "Oval5",     0xc0c0ff, true},
    {"y",      121, 81, "Oval6",     0x0060a0, false},
    {"u",      117, 83, "Oval7",     0x0000ff, true},
    {"i",      105, 84, "Oval8",     0xff0000, true},
    {"o",      111, 86, "Oval2",     0xff80c0, true},
    {"p",      112, 88, "Oval3",     0xa020ff, true},
    {"2",      50,  73, "miniOval1", 0xffff40, false},
    {"3",      51,  75, "miniOval2", 0xffff40, false},
    {"5",      53,  78, "miniOval3", 0xffff40, false},
    {"6",      54,  80, "miniOval4", 0xffff40, false},
    {"7",      55,  82, "miniOval5", 0xffff40, false},
    {"9",      57,  85, "miniOval1", 0xffff40, false},
    {"0",      48,  87, "miniOval2", 0xffff40, false},
};
static_assert(std::size(kNoteKeys) == 35);

// Each note key on a freshly opened program (instrument 1, velocity 64), with one
// centre pad lit beforehand so the reset shows.
class EveryNoteKey : public KeyDown, public ::testing::WithParamInterface<NoteKey> {};

TEST_P(EveryNoteKey, ShowsItsCodePlaysItsNoteAndLightsItsPad) {
  const NoteKey& k = GetParam();
  press("Oval5");
  app().LastPitch = 50;
  sound().clear();

  EXPECT_FALSE(type(String(k.key)));
  EXPECT_EQ(shown(), Str(k.code));
  std::vector<Call> expected;
  if (k.instrument) expected.push_back(Call::program(0));
  expected.push_back(Call::off(50));
  expected.push_back(Call::on(k.note, 64));
  EXPECT_EQ(played(), expected);
  EXPECT_EQ(lit(), Lit{k.pad});
  EXPECT_EQ(colourOf(k.pad), RGB((k.lit >> 16) & 0xff, (k.lit >> 8) & 0xff, k.lit & 0xff));
  EXPECT_EQ(app().LastPitch, k.note);
}

INSTANTIATE_TEST_SUITE_P(Manuals, EveryNoteKey, ::testing::ValuesIn(kNoteKeys),
                         [](const ::testing::TestParamInfo<NoteKey>& info) {
                           return "code" + std::to_string(info.param.code);
                         });

TEST_F(KeyDown, NaturalKeyResetsBeforeTheNoteOffSharpKeyAfter) {
  type("n");
  {
    RecordMoments record(window());
    type("c");
    EXPECT_EQ(record.moments(), (std::vector<Moment>{
                                    {Call::program(0), {"Oval5"}, 67},
                                    {Call::off(67), {}, 67},
                                    {Call::on(62, 64), {}, 67},
                                }));
  }
  {
    RecordMoments record(window());
    type("j");
    EXPECT_EQ(record.moments(), (std::vector<Moment>{
                                    {Call::off(62), {"Oval2"}, 62},
                                    {Call::on(68, 64), {}, 62},
                                }));
  }
  {
    RecordMoments record(window());
    type("m");  // a natural key without the instrument step
    EXPECT_EQ(record.moments(), (std::vector<Moment>{
                                    {Call::off(68), {}, 68},
                                    {Call::on(69, 64), {}, 68},
                                }));
  }
  EXPECT_EQ(lit(), Lit{"Oval6"});
}

TEST_F(KeyDown, KeysOutsideTheTableOnlyShowTheirCode) {
  type("z");
  type("x");
  sound().clear();
  const State before = state();
  const Lit litBefore = lit();
  for (auto [key, code] : {std::pair{"Z", "90"}, {"1", "49"}, {"?", "63"}, {"8", "56"},
                           {":", "58"}, {"\u00DC", "220"}}) {
    EXPECT_FALSE(type(key)) << key;
    EXPECT_EQ(shown(), code) << key;
  }
  EXPECT_TRUE(played().empty());
  EXPECT_EQ(state(), before);
  EXPECT_EQ(lit(), litBefore);
  EXPECT_EQ(litBefore, (Lit{"Oval9", "Oval1"}));
}

TEST_F(KeyDown, OverlappingManualsPlayTheSameNoteOnDifferentPads) {
  type(".");
  EXPECT_EQ(played().back(), Call::on(72, 64));
  EXPECT_EQ(lit(), Lit{"Oval8"});
  type("q");
  EXPECT_EQ(played().back(), Call::on(72, 64));
  EXPECT_EQ(lit(), Lit{"Oval1"});
  type("o");
  EXPECT_EQ(played().back(), Call::on(86, 64));
  EXPECT_EQ(lit(), Lit{"Oval2"});
  type("p");
  EXPECT_EQ(played().back(), Call::on(88, 64));
  EXPECT_EQ(lit(), Lit{"Oval3"});
  type("\u00DB");
  EXPECT_EQ(played().back(), Call::on(76, 64));
  EXPECT_EQ(lit(), (Lit{"Oval12"}));
}

TEST_F(KeyDown, KeysWithoutTheInstrumentStepPlayTheInstrumentAppliedBefore) {
  control<PopupMenu>("MusicPopupMenu")->setListIndex(10);
  ASSERT_EQ(app().MyInstrument, 11);
  sound().clear();
  type("v");
  type("e");
  type("2");
  EXPECT_EQ(played(), (std::vector<Call>{Call::off(0), Call::on(64, 64), Call::off(64),
                                         Call::on(76, 64), Call::off(76), Call::on(73, 64)}));
  sound().clear();
  type("x");
  type("v");
  EXPECT_EQ(played(), (std::vector<Call>{Call::program(10), Call::off(73), Call::on(60, 64),
                                         Call::off(60), Call::on(64, 64)}));
}

// The instrument, then the centre reset, then the note-off; a wing pad is never reset.
TEST_F(KeyDown, SpaceBarResetsTheCentreThenEndsTheLastNoteAgainAndAgain) {
  type("z");
  type("b");
  {
    RecordMoments record(window());
    type(" ");
    type(" ");
    EXPECT_EQ(record.moments(), (std::vector<Moment>{
                                    {Call::program(0), {"Oval9", "Oval4"}, 65},
                                    {Call::off(65), {"Oval9"}, 65},
                                    {Call::program(0), {"Oval9"}, 65},
                                    {Call::off(65), {"Oval9"}, 65},
                                }));
  }
  EXPECT_EQ(app().LastPitch, 65);
  EXPECT_EQ(lit(), Lit{"Oval9"});
}

TEST_F(KeyDown, ShiftedNotesAreNotClamped) {
  setSlider("PitchSlider", 9);
  type("p");
  EXPECT_EQ(app().LastPitch, 136);
  setSlider("PitchSlider", 1);
  sound().clear();
  type("z");
  EXPECT_EQ(played(), (std::vector<Call>{Call::program(0), Call::on(11, 64)}));
  EXPECT_EQ(lit(), Lit{"Oval9"});
}

// Notes and slider steps are Int32 arithmetic, which wraps: App's properties take any
// Int32, and a slider widened to the whole range is stepped past its end.
TEST_F(KeyDown, NotesAndSliderStepsWrapAroundTheInt32Range) {
  app().MyPitch = INT32_MAX;
  type("p");  // 88 + 2147483647
  EXPECT_EQ(app().LastPitch, -2147483561);
  type("d");  // 61 + 2147483647
  EXPECT_EQ(app().LastPitch, -2147483588);

  auto slider = control<Slider>("PitchSlider");
  slider->setMinimum(INT32_MIN);
  slider->setMaximum(INT32_MAX);
  setSlider("PitchSlider", INT32_MAX);
  type("\x1d");
  EXPECT_EQ(sliderValue("PitchSlider"), INT32_MIN);
  type("\x1c");
  EXPECT_EQ(sliderValue("PitchSlider"), INT32_MAX);
}

TEST_F(KeyDown, ArrowsStepTheSlidersAndThroughThemThePlayingState) {
  ASSERT_EQ(sliderValue("PitchSlider"), 5);
  type("\x1c");
  EXPECT_EQ(sliderValue("PitchSlider"), 4);
  EXPECT_EQ(app().MyPitch, -12);
  type("\x1d");
  type("\x1d");
  EXPECT_EQ(app().MyPitch, 12);

  ASSERT_EQ(sliderValue("VelocitySlider"), 8);
  ASSERT_EQ(app().MyVelocity, 64);
  type("\x1e");
  EXPECT_EQ(sliderValue("VelocitySlider"), 7);
  EXPECT_EQ(app().MyVelocity, 118);
  type("\x1f");
  type("\x1f");
  EXPECT_EQ(app().MyVelocity, 106);
  EXPECT_TRUE(played().empty());
}

TEST_F(KeyDown, ArrowsAtASlidersLimitChangeNothing) {
  struct Limit {
    const char* slider;
    int32_t value;
    const char* key;
  };
  for (const Limit& l : {Limit{"PitchSlider", 1, "\x1c"}, Limit{"PitchSlider", 9, "\x1d"},
                         Limit{"VelocitySlider", 1, "\x1e"}, Limit{"VelocitySlider", 20, "\x1f"}}) {
    SCOPED_TRACE(l.key[0] + 0);
    setSlider(l.slider, l.value);
    const State before = state();
    EXPECT_FALSE(type(l.key));
    EXPECT_EQ(sliderValue(l.slider), l.value);
    EXPECT_EQ(state(), before);
  }
}

TEST_F(KeyDown, KeysAndInputMethodTextTypedOnTheWindow) {
  keyClick(Qt::Key_Z, "z");
  EXPECT_EQ(shown(), "122");
  EXPECT_EQ(played().back(), Call::on(59, 64));
  EXPECT_EQ(lit(), Lit{"Oval9"});

  sound().clear();
  inputMethod({}, "^");  // a dead circumflex waiting for its letter
  EXPECT_EQ(shown(), "122");
  EXPECT_TRUE(played().empty());
  inputMethod(QString(QChar(0x00DB)));  // then Shift+U
  EXPECT_EQ(shown(), "219");
  EXPECT_EQ(played().back(), Call::on(76, 64));
  EXPECT_EQ(lit(), (Lit{"Oval9", "Oval12"}));

  keyClick(Qt::Key_Left, QString());
  EXPECT_EQ(shown(), "28");
  EXPECT_EQ(app().MyPitch, -12);

  keyClick(Qt::Key_Z, "Z", Qt::ShiftModifier);
  EXPECT_EQ(shown(), "90");
  EXPECT_EQ(app().LastPitch, 76);
}

}  // namespace
