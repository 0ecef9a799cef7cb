// Typing on the main window: every key of the table against the synthesiser and the pads,
// keys outside it, the space bar and the arrow codes.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>
#include <ostream>

#include "framework/runtime/globals.h"
#include "keyboard/key_table.h"
#include "tests/pads/pad_moments.h"
#include "tests/support/input_method.h"
#include "tests/support/program_fixture.h"

namespace keyboard {
// Failure messages name the key, not the row's bytes.
void PrintTo(const KeyRow& row, std::ostream* out) { *out << "code " << row.code; }
}  // namespace keyboard

namespace {

using keyboard::KeyRow;
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

// Each row of the table on a freshly opened program (instrument 1, velocity 64, nothing
// played yet), with one centre pad lit beforehand so the reset shows.
class EveryKey : public KeyDown, public ::testing::WithParamInterface<KeyRow> {};

TEST_P(EveryKey, ShowsItsCodeThenRunsItsAction) {
  const KeyRow& row = GetParam();
  press("Oval5");
  app().LastPitch = 50;
  sound().clear();
  const State before = state();

  EXPECT_FALSE(type(String(row.key)));
  EXPECT_EQ(shown(), Str(row.code));

  switch (row.kind) {
    case keyboard::NaturalKey:
    case keyboard::SharpKey: {
      std::vector<Call> expected;
      if (row.instrumentStep) expected.push_back(Call::program(0));
      expected.push_back(Call::off(50));
      expected.push_back(Call::on(row.baseNote, 64));
      EXPECT_EQ(played(), expected);
      EXPECT_EQ(lit(), Lit{std::string(row.pad)});
      EXPECT_EQ(colourOf(row.pad), keyboard::litColour(row));
      EXPECT_EQ(app().LastPitch, row.baseNote);
      break;
    }
    case keyboard::Space:
      EXPECT_EQ(played(), (std::vector<Call>{Call::program(0), Call::off(50)}));
      EXPECT_TRUE(lit().empty());
      EXPECT_EQ(state(), before);
      break;
    case keyboard::SliderStep: {
      EXPECT_TRUE(played().empty());
      EXPECT_EQ(lit(), Lit{"Oval5"});
      const int32_t start = row.slider == "PitchSlider" ? 5 : 8;
      EXPECT_EQ(sliderValue(row.slider), start + row.step);
      break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Table, EveryKey, ::testing::ValuesIn(keyboard::kKeys),
                         [](const ::testing::TestParamInfo<KeyRow>& info) {
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

TEST_F(KeyDown, SpaceBarEndsTheLastNoteAgainAndAgain) {
  type("z");
  type("b");
  sound().clear();
  type(" ");
  type(" ");
  EXPECT_EQ(played(), (std::vector<Call>{Call::program(0), Call::off(65), Call::program(0),
                                         Call::off(65)}));
  EXPECT_EQ(app().LastPitch, 65);
  EXPECT_EQ(lit(), Lit{"Oval9"});  // a wing pad is never reset
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
