// Pressing pads: what reaches the synthesiser, in which order against the painting, and
// the playing state it leaves, for each of the four variants and every pad.

#include <gtest/gtest.h>

#include <algorithm>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include "framework/runtime/exceptions.h"
#include "pads/pad_press.h"
#include "pads/pad_table.h"
#include "tests/pads/pad_moments.h"
#include "tests/support/program_fixture.h"

namespace {

using testing_support::Call;
using testing_support::litPads;
using testing_support::Moment;
using testing_support::RecordMoments;
using Lit = std::vector<std::string>;

class PadPress : public testing_support::ProgramTest {
 protected:
  // A press through the window widget, where the platform delivers it: at the pad's
  // centre, hit-tested on the circles.
  void click(std::string_view pad) {
    Ref<Oval> oval = control<Oval>(pad);
    const QPointF at(oval->Left() + oval->Width() / 2.0, oval->Top() + oval->Height() / 2.0);
    QMouseEvent event(QEvent::MouseButtonPress, at, window()->widget()->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window()->widget(), &event);
  }
  Lit lit() const { return litPads(window()); }
  void setPitchSlider(int32_t v) { control<Slider>("PitchSlider")->setValue(v); }
};

// Starting state of every test: instrument 1 (program 0) applied, velocity 64, no shift,
// nothing played.
TEST_F(PadPress, StartsFromTheOpenedProgram) {
  EXPECT_EQ(app().MyInstrument, 1);
  EXPECT_EQ(app().MyVelocity, 64);
  EXPECT_EQ(app().MyPitch, 0);
  EXPECT_EQ(app().LastPitch, 0);
  EXPECT_TRUE(lit().empty());
}

TEST_F(PadPress, CentreNaturalAppliesInstrumentResetsThenEndsTheLastNote) {
  press("Oval3");
  RecordMoments record(window());
  EXPECT_FALSE(press("Oval1"));
  EXPECT_EQ(record.moments(), (std::vector<Moment>{
                                  {Call::program(0), {"Oval3"}, 64},
                                  {Call::off(64), {}, 64},
                                  {Call::on(60, 64), {}, 64},
                              }));
  EXPECT_EQ(lit(), Lit{"Oval1"});
  EXPECT_EQ(app().LastPitch, 60);
}

TEST_F(PadPress, CentreSharpEndsTheLastNoteBeforeTheResetAndKeepsTheInstrument) {
  press("Oval3");
  RecordMoments record(window());
  EXPECT_FALSE(press("miniOval1"));
  EXPECT_EQ(record.moments(), (std::vector<Moment>{
                                  {Call::off(64), {"Oval3"}, 64},
                                  {Call::on(61, 64), {}, 64},
                              }));
  EXPECT_EQ(lit(), Lit{"miniOval1"});
  EXPECT_EQ(app().LastPitch, 61);
}

TEST_F(PadPress, WingNaturalEndsTheLastNoteBeforeTheResetAndStaysLit) {
  press("Oval3");
  RecordMoments record(window());
  EXPECT_FALSE(press("Oval9"));
  EXPECT_EQ(record.moments(), (std::vector<Moment>{
                                  {Call::program(0), {"Oval3"}, 64},
                                  {Call::off(64), {"Oval3"}, 64},
                                  {Call::on(59, 64), {}, 64},
                              }));
  EXPECT_EQ(lit(), Lit{"Oval9"});
  EXPECT_EQ(colourOf("Oval9"), RGB(0, 0, 255));
  EXPECT_EQ(app().LastPitch, 59);
}

TEST_F(PadPress, WingSharpIsLitWhileItsNoteStartsAndEndsAtRest) {
  press("Oval3");
  setPitchSlider(6);
  RecordMoments record(window());
  EXPECT_FALSE(press("miniOval21"));
  EXPECT_EQ(record.moments(), (std::vector<Moment>{
                                  {Call::off(64), {"Oval3"}, 64},
                                  {Call::on(87, 64), {"miniOval21"}, 64},
                              }));
  EXPECT_TRUE(lit().empty());
  EXPECT_EQ(colourOf("miniOval21"), RGB(255, 255, 128));
  EXPECT_EQ(app().LastPitch, 87);
}

class FirstPress : public PadPress, public ::testing::WithParamInterface<const char*> {};

TEST_P(FirstPress, EndsNote0) {
  press(GetParam());
  ASSERT_FALSE(played().empty());
  const auto calls = played();
  const auto off = std::find_if(calls.begin(), calls.end(),
                                [](const Call& c) { return c.kind == Call::Off; });
  ASSERT_NE(off, calls.end());
  EXPECT_EQ(*off, Call::off(0));
}

INSTANTIATE_TEST_SUITE_P(OneOfEachVariant, FirstPress,
                         ::testing::Values("Oval1", "miniOval1", "Oval9", "miniOval21"));

TEST_F(PadPress, SamePadTwiceRestartsItsNote) {
  press("Oval1");
  sound().clear();
  press("Oval1");
  EXPECT_EQ(played(), (std::vector<Call>{Call::program(0), Call::off(60), Call::on(60, 64)}));
  EXPECT_EQ(lit(), Lit{"Oval1"});

  press("Oval20");
  sound().clear();
  press("Oval20");
  EXPECT_EQ(played(), (std::vector<Call>{Call::program(0), Call::off(81), Call::on(81, 64)}));
  EXPECT_EQ(lit(), Lit{"Oval20"});
}

TEST_F(PadPress, LightingFollowsThePadNotTheSoundingNote) {
  setPitchSlider(6);
  press("Oval1");
  EXPECT_EQ(played().back(), Call::on(72, 64));
  EXPECT_EQ(lit(), Lit{"Oval1"});
}

TEST_F(PadPress, ShiftsAtTheEdgesPassUnclampedAndAreRecorded) {
  setPitchSlider(1);
  ASSERT_EQ(app().MyPitch, -48);
  press("Oval1");
  EXPECT_EQ(played().back(), Call::on(12, 64));
  press("Oval19");
  EXPECT_EQ(played().back(), Call::on(0, 64));
  EXPECT_EQ(app().LastPitch, 0);

  setPitchSlider(9);
  ASSERT_EQ(app().MyPitch, 48);
  press("Oval8");
  EXPECT_EQ(played().back(), Call::on(120, 64));
  // Notes above 127 reach no synthesiser, yet are the note the next note-off is for.
  int32_t expected = 128;
  for (const char* pad : {"miniOval41", "Oval20", "miniOval51", "Oval21", "Oval22"}) {
    sound().clear();
    press(pad);
    EXPECT_EQ(app().LastPitch, expected) << pad;
    for (const Call& c : played()) EXPECT_NE(c.kind, Call::On) << pad;
    ++expected;
  }
  setPitchSlider(5);
  sound().clear();
  press("Oval1");
  EXPECT_EQ(played(), (std::vector<Call>{Call::program(0), Call::on(60, 64)}));
}

TEST_F(PadPress, LoudestVelocityReachesTheSynthesiserClamped) {
  control<Slider>("VelocitySlider")->setValue(1);
  ASSERT_EQ(app().MyVelocity, 154);
  press("Oval1");
  EXPECT_EQ(played().back(), Call::on(60, 127));
  press("miniOval111");
  EXPECT_EQ(played().back(), Call::on(49, 127));
}

TEST_F(PadPress, SharpPadsPlayTheInstrumentAppliedLast) {
  control<PopupMenu>("MusicPopupMenu")->setListIndex(40);
  ASSERT_EQ(app().MyInstrument, 41);
  sound().clear();
  press("miniOval1");
  press("miniOval411");
  EXPECT_EQ(played(), (std::vector<Call>{Call::off(0), Call::on(61, 64), Call::off(61),
                                         Call::on(56, 64)}));
  sound().clear();
  press("Oval1");
  press("miniOval1");
  EXPECT_EQ(played(), (std::vector<Call>{Call::program(40), Call::off(56), Call::on(60, 64),
                                         Call::off(60), Call::on(61, 64)}));
  sound().clear();
  control<PopupMenu>("MusicPopupMenu")->setListIndex(0);
  press("Oval19");
  EXPECT_EQ(played().at(1), Call::program(0));
}

TEST_F(PadPress, EveryPadPlaysItsOwnNoteAndPaintsItself) {
  for (const pads::Pad& pad : pads::kPads) {
    SCOPED_TRACE(std::string(pad.name));
    const int32_t before = app().LastPitch;
    sound().clear();
    EXPECT_FALSE(press(pad.name));
    const auto calls = played();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), Call::on(pad.baseNote, 64));
    EXPECT_EQ(calls.size(), pad.kind == pads::Natural ? 3u : 2u);
    EXPECT_EQ(calls.at(calls.size() - 2), Call::off(before));
    EXPECT_EQ(app().LastPitch, pad.baseNote);

    const Lit now = lit();
    const bool isLit = std::find(now.begin(), now.end(), pad.name) != now.end();
    EXPECT_EQ(isLit, pad.kind == pads::Natural || pad.group == pads::Centre);
    for (const std::string& name : now) {
      const auto other = pads::findPad(name);
      ASSERT_TRUE(other) << name;  // not "name?": every painted colour is the pad's own
      if (other->group == pads::Centre) {
        EXPECT_EQ(name, pad.name);
      }
    }
  }
  // The wing naturals stay lit, whatever was played after them.
  Lit expected;
  for (const pads::Pad& pad : pads::kPads)
    if (pad.kind == pads::Natural && pad.group != pads::Centre) expected.emplace_back(pad.name);
  EXPECT_EQ(lit(), expected);
}

TEST_F(PadPress, WingNaturalsStayLitBesideOneCentrePad) {
  press("Oval19");
  press("Oval22");
  press("Oval5");
  EXPECT_EQ(lit(), (Lit{"Oval19", "Oval5", "Oval22"}));
  press("miniOval3");
  EXPECT_EQ(lit(), (Lit{"Oval19", "miniOval3", "Oval22"}));
  press("miniOval31");
  EXPECT_EQ(lit(), (Lit{"Oval19", "Oval22"}));
}

TEST_F(PadPress, ClicksOnTheWindowReachEachPadsHandler) {
  for (const pads::Pad& pad : pads::kPads) {
    SCOPED_TRACE(std::string(pad.name));
    sound().clear();
    click(pad.name);
    ASSERT_FALSE(played().empty());
    EXPECT_EQ(played().back(), Call::on(pad.baseNote, 64));
    EXPECT_EQ(app().LastPitch, pad.baseNote);
  }
}

// A handler entered with a pad that belongs to no window finds nothing: the nil-object
// exception ends it before anything is played or painted.
TEST_F(PadPress, PadOfNoWindowRaisesNilObject) {
  press("Oval3");
  sound().clear();
  Ref<Object> orphan = RuntimeNewObject(Oval::__Lookup());
  for (const char* pad : {"Oval1", "miniOval1", "Oval9", "miniOval21"}) {
    EXPECT_THROW(pads::mouseDownHandler(pad)(orphan.get(), 0, 0), NilObjectException) << pad;
  }
  EXPECT_TRUE(played().empty());
  EXPECT_EQ(lit(), Lit{"Oval3"});
  EXPECT_EQ(app().LastPitch, 64);
}

}  // namespace
