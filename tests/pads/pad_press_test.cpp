// Pressing pads: what reaches the synthesiser, in which order against the painting, and
// the playing state it leaves, for each of the four variants and every pad.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include "framework/runtime/exceptions.h"
#include "pads/pad_press.h"
#include "tests/pads/pad_moments.h"
#include "tests/support/program_fixture.h"

// Colours in failure messages as the pad table writes them.
static void PrintTo(const Color& c, std::ostream* out) {
  *out << "RGB(" << int(c.red) << ", " << int(c.green) << ", " << int(c.blue) << ")";
}

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

  // App's properties take any Int32, and base note + MyPitch wraps as Int32 does.
  app().MyPitch = INT32_MAX;
  press("Oval1");  // 60 + 2147483647
  EXPECT_EQ(app().LastPitch, -2147483589);
  press("miniOval21");  // 75 + 2147483647
  EXPECT_EQ(app().LastPitch, -2147483574);
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

// Every pad as a person reads it off the pad table: its note and the colour it lights
// in (by pitch class; the five sharp classes share one).
enum class Kind { Natural, Sharp };
enum class Group { Low, Centre, High };
struct ExpectedPad {
  const char* name;
  int32_t note;
  Kind kind;
  Group group;
  Color lit;
};
constexpr Color kLitC = RGB(255, 0, 0), kLitD = RGB(255, 128, 192), kLitE = RGB(160, 32, 255),
                kLitF = RGB(0, 192, 192), kLitG = RGB(192, 192, 255), kLitA = RGB(0, 96, 160),
                kLitB = RGB(0, 0, 255), kLitSharp = RGB(255, 255, 64);
constexpr Color kRestingSharp = RGB(255, 255, 128);
using enum Kind;
using enum Group;

// pad            note  kind     group   lit
constexpr ExpectedPad kExpectedPads[] = {
    {"Oval19",       48, Natural, Low,    kLitC},
    {"miniOval111",  49, Sharp,   Low,    kLitSharp},
    {"Oval18",       50, Natural, Low,    kLitD},
    {"miniOval211",  51, Sharp,   Low,    kLitSharp},
    {"Oval17",       52, Natural, Low,    kLitE},
    {"Oval16",       53, Natural, Low,    kLitF},
    {"miniOval311",  54, Sharp,   Low,    kLitSharp},
    {"Oval14",       55, Natural, Low,    kLitG},
    {"miniOval411",  56, Sharp,   Low,    kLitSharp},
    {"Oval10",       57, Natural, Low,    kLitA},
    {"miniOval511",  58, Sharp,   Low,    kLitSharp},
    {"Oval9",        59, Natural, Low,    kLitB},
    {"Oval1",        60, Natural, Centre, kLitC},
    {"miniOval1",    61, Sharp,   Centre, kLitSharp},
    {"Oval2",        62, Natural, Centre, kLitD},
    {"miniOval2",    63, Sharp,   Centre, kLitSharp},
    {"Oval3",        64, Natural, Centre, kLitE},
    {"Oval4",        65, Natural, Centre, kLitF},
    {"miniOval3",    66, Sharp,   Centre, kLitSharp},
    {"Oval5",        67, Natural, Centre, kLitG},
    {"miniOval4",    68, Sharp,   Centre, kLitSharp},
    {"Oval6",        69, Natural, Centre, kLitA},
    {"miniOval5",    70, Sharp,   Centre, kLitSharp},
    {"Oval7",        71, Natural, Centre, kLitB},
    {"Oval8",        72, Natural, Centre, kLitC},
    {"miniOval11",   73, Sharp,   High,   kLitSharp},
    {"Oval11",       74, Natural, High,   kLitD},
    {"miniOval21",   75, Sharp,   High,   kLitSharp},
    {"Oval12",       76, Natural, High,   kLitE},
    {"Oval13",       77, Natural, High,   kLitF},
    {"miniOval31",   78, Sharp,   High,   kLitSharp},
    {"Oval15",       79, Natural, High,   kLitG},
    {"miniOval41",   80, Sharp,   High,   kLitSharp},
    {"Oval20",       81, Natural, High,   kLitA},
    {"miniOval51",   82, Sharp,   High,   kLitSharp},
    {"Oval21",       83, Natural, High,   kLitB},
    {"Oval22",       84, Natural, High,   kLitC},
};

// Keeps the calls it receives and the colour of one watched pad when a note starts, for
// a wing sharp pad, which is lit only then; puts the previous synthesiser back after.
class ColourAtNoteOn : public fw::Synthesiser {
 public:
  explicit ColourAtNoteOn(Window* window) : window_(window) {}
  void programChange(int program) override { calls_.push_back(Call::program(program)); }
  void noteOn(int note, int velocity) override {
    calls_.push_back(Call::on(note, velocity));
    Ref<Object> pad = RuntimeWindowControlByName(window_, String(watched_));
    if (Ref<Oval> oval = RuntimeCheckCast<Oval>(pad.get(), Oval::__Lookup()))
      atNoteOn_ = oval->FillColor();
  }
  void noteOff(int note) override { calls_.push_back(Call::off(note)); }

  void watch(const char* pad) {
    watched_ = pad;
    calls_.clear();
    atNoteOn_.reset();
  }
  const std::vector<Call>& calls() const { return calls_; }
  std::optional<Color> atNoteOn() const { return atNoteOn_; }

 private:
  Window* window_;
  const char* watched_ = "";
  std::vector<Call> calls_;
  std::optional<Color> atNoteOn_;
};

TEST_F(PadPress, EveryPadPlaysItsOwnNoteAndPaintsItself) {
  auto owned = std::make_unique<ColourAtNoteOn>(window());
  ColourAtNoteOn& synth = *owned;
  std::unique_ptr<fw::Synthesiser> previous = fw::installSynthesiser(std::move(owned));
  for (std::size_t row = 0; row < std::size(kExpectedPads); ++row) {
    const ExpectedPad& pad = kExpectedPads[row];
    SCOPED_TRACE(pad.name);
    const int32_t before = app().LastPitch;
    synth.watch(pad.name);
    EXPECT_FALSE(press(pad.name));
    const std::vector<Call> calls = synth.calls();
    if (pad.kind == Natural) {
      EXPECT_EQ(calls, (std::vector<Call>{Call::program(0), Call::off(before),
                                          Call::on(pad.note, 64)}));
    } else {
      EXPECT_EQ(calls, (std::vector<Call>{Call::off(before), Call::on(pad.note, 64)}));
    }
    EXPECT_EQ(app().LastPitch, pad.note);

    if (pad.kind == Sharp && pad.group != Centre) {
      EXPECT_EQ(synth.atNoteOn(), pad.lit) << "lit while its note starts";
      EXPECT_EQ(colourOf(pad.name), kRestingSharp) << "and back at rest after";
    } else {
      EXPECT_EQ(colourOf(pad.name), pad.lit);
    }
    // Lit now: every wing natural pressed so far (the rows up to this one), and the pad
    // itself if it is a centre one (the centre shows one pad at most), in table order.
    Lit expected;
    for (std::size_t earlier = 0; earlier <= row; ++earlier) {
      const ExpectedPad& other = kExpectedPads[earlier];
      if ((other.group != Centre && other.kind == Natural) ||
          (other.group == Centre && earlier == row))
        expected.emplace_back(other.name);
    }
    EXPECT_EQ(lit(), expected);
  }
  fw::installSynthesiser(std::move(previous));
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
  for (const ExpectedPad& pad : kExpectedPads) {
    SCOPED_TRACE(pad.name);
    sound().clear();
    click(pad.name);
    ASSERT_FALSE(played().empty());
    EXPECT_EQ(played().back(), Call::on(pad.note, 64));
    EXPECT_EQ(app().LastPitch, pad.note);
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
