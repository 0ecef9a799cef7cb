// The "Randam Hit" button through its "Action" event, with the six random draws chosen
// by the test: the notes the synthesiser hears, the offsets `pxx` is told, the periods
// written to the timer, and the octave shift left for later notes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <array>
#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "framework/controls/timer_impl.h"
#include "framework/runtime/globals.h"
#include "phrase/random_phrase.h"
#include "tests/pads/pad_moments.h"
#include "tests/support/program_fixture.h"

namespace {

using Call = fw::RecordingSynthesiser::Call;
using testing_support::ProgramTest;

struct Drawn {
  int32_t step, order, rhythm, choice, octave, factor;
};

// What `pxx` was told, with the timer's period at that moment: each note's period is
// written after its `pxx`, so the next note's `pxx` sees the period of the one before.
struct PxxCall {
  int32_t offset;
  int32_t periodBefore;
  friend bool operator==(const PxxCall&, const PxxCall&) = default;
  friend void PrintTo(const PxxCall& c, std::ostream* out) {
    *out << "pxx(" << c.offset << ") at period " << c.periodBefore;
  }
};
std::vector<PxxCall>* pxxLog = nullptr;
Object* pxxWindow = nullptr;

class RandomPhrase : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    MethodSlot& slot = window()->classTable()->methods[VELMO::methodSlot("pxx")];
    realPxx_ = slot.fn;
    slot.fn = reinterpret_cast<AnyFunction>(&spyPxx);
    pxxLog = &pxx_;
    pxxWindow = window();
  }
  void TearDown() override {
    window()->classTable()->methods[VELMO::methodSlot("pxx")].fn = realPxx_;
    pxxLog = nullptr;
    fw::setRandomSource({});
    ProgramTest::TearDown();
  }

  static void spyPxx(Object* self, int32_t offset) {
    EXPECT_EQ(self, pxxWindow);
    pxxLog->push_back({offset, timerPeriod(self)});
  }
  static int32_t timerPeriod(Object* window) {
    Ref<Object> t = RuntimeWindowControlByName(window, String("Mytimer"));
    return RuntimeCheckCast<Timer>(t.get(), Timer::__Lookup())->Period();
  }

  // The next press draws exactly these values (each Rnd lands in the middle of its value).
  void draws(Drawn d) {
    std::vector<double> seq = {(d.step + 0.5) / 7.0,   (d.order + 0.5) / 6.0,
                               (d.rhythm + 0.5) / 3.0, (d.choice + 0.5) / 12.0,
                               (d.octave + 0.5) / 5.0, d.factor ? 0.9 : 0.1};
    fw::setRandomSource([seq, i = std::size_t{0}]() mutable { return seq[i++ % seq.size()]; });
  }
  void pressButton() {
    auto button = control<Object>("PushButton1");
    ASSERT_TRUE(fw::eventHandler(button.get(), "Action")) << "the button has no handler";
    fw::raiseEvent<void>(button.get(), "Action");
  }
  int32_t period() { return timerPeriod(window()); }
  // The periods written by the last press of a three-note arpeggio, in order.
  std::vector<int32_t> arpeggioPeriods() {
    return {pxx_.at(1).periodBefore, pxx_.at(2).periodBefore, period()};
  }

  std::vector<PxxCall> pxx_;

 private:
  AnyFunction realPxx_ = nullptr;
};

TEST_F(RandomPhrase, OneSharpNoteAnOctaveUp) {
  app().LastPitch = 55;
  draws({.step = 0, .order = 0, .rhythm = 1, .choice = 2, .octave = 0, .factor = 1});
  pressButton();
  EXPECT_EQ(played(), (std::vector<Call>{Call::program(0), Call::off(55), Call::on(78, 64)}));
  EXPECT_EQ(app().LastPitch, 78);
  EXPECT_EQ(app().MyPitch, 12);
  EXPECT_EQ(pxx_, (std::vector<PxxCall>{{6, 1000}}));  // the blob's period, not yet written
  EXPECT_EQ(period(), 1000);
}

TEST_F(RandomPhrase, EachSharpChoicePlaysItsSharpAboveMiddleC) {
  // choice 0 to 4: C#, D#, F#, G#, A# of the octave from 60, at octave draw 2 (no shift).
  const std::pair<int32_t, int32_t> expected[] = {{0, 61}, {1, 63}, {2, 66}, {3, 68}, {4, 70}};
  for (auto [choice, note] : expected) {
    pxx_.clear();
    draws({.step = 3, .order = 1, .rhythm = 0, .choice = choice, .octave = 2, .factor = 1});
    pressButton();
    EXPECT_EQ(played().back(), Call::on(note, 64)) << "choice " << choice;
    EXPECT_EQ(pxx_.size(), 1u) << "choice " << choice;
  }
}

TEST_F(RandomPhrase, ArpeggioPastBGivesTheCBelowAndLeavesOnlyItSounding) {
  app().LastPitch = 50;
  draws({.step = 4, .order = 0, .rhythm = 0, .choice = 7, .octave = 2, .factor = 0});
  pressButton();
  EXPECT_EQ(played(), (std::vector<Call>{Call::program(0), Call::off(50), Call::on(67, 64),
                                         Call::off(67), Call::on(71, 64), Call::off(71),
                                         Call::on(60, 64)}));
  EXPECT_EQ(app().LastPitch, 60);
  EXPECT_EQ(app().MyPitch, 0);
  EXPECT_EQ(pxx_, (std::vector<PxxCall>{{7, 1000}, {11, 0}, {0, 0}}));
  EXPECT_EQ(period(), 0);
}

int32_t farOnpu(Object*, int32_t, int32_t, int32_t) { return INT32_MAX; }

// The phrase asks the window's method table for each offset and adds it to 60 in Int32
// arithmetic, which wraps, whatever the method there returns.
TEST_F(RandomPhrase, AnArpeggioNoteWrapsAroundTheInt32Range) {
  struct StandIn {
    MethodSlot& slot;
    AnyFunction real;
    ~StandIn() { slot.fn = real; }
  } onpu{window()->classTable()->methods[VELMO::methodSlot("Onpu")], nullptr};
  onpu.real = std::exchange(onpu.slot.fn, reinterpret_cast<AnyFunction>(&farOnpu));
  draws({.step = 0, .order = 0, .rhythm = 0, .choice = 7, .octave = 2, .factor = 1});
  pressButton();
  EXPECT_EQ(app().LastPitch, -2147483589);  // 60 + 2147483647
  EXPECT_EQ(pxx_.size(), 3u);
}

TEST_F(RandomPhrase, EachRhythmWritesItsPeriodsAfterEachNote) {
  const std::array<std::vector<int32_t>, 3> expected = {{{500, 500, 1000},
                                                         {1000, 500, 500},
                                                         {500, 1000, 500}}};
  for (int32_t rhythm = 0; rhythm < 3; ++rhythm) {
    pxx_.clear();
    draws({.step = 0, .order = 0, .rhythm = rhythm, .choice = 11, .octave = 2, .factor = 1});
    pressButton();
    EXPECT_EQ(arpeggioPeriods(), expected[rhythm]) << "rhythm " << rhythm;
    draws({.step = 0, .order = 0, .rhythm = rhythm, .choice = 0, .octave = 2, .factor = 1});
    pressButton();
    EXPECT_EQ(period(), expected[rhythm][0]) << "one note, rhythm " << rhythm;
  }
}

TEST_F(RandomPhrase, PeriodsOfZeroLeaveTheTimerIdle) {
  draws({.step = 1, .order = 2, .rhythm = 2, .choice = 9, .octave = 3, .factor = 0});
  pressButton();
  auto timer = control<Timer>("Mytimer");
  EXPECT_EQ(timer->Period(), 0);
  EXPECT_FALSE(fw::controls::timerScheduled(*timer)) << "a timer at period 0 would spin";
  draws({.step = 1, .order = 2, .rhythm = 2, .choice = 9, .octave = 3, .factor = 1});
  pressButton();
  EXPECT_EQ(timer->Period(), 500);
  EXPECT_FALSE(fw::controls::timerScheduled(*timer)) << "nothing listens to the timer";
}

TEST_F(RandomPhrase, OctaveShiftStaysForPadsUntilTheSliderMoves) {
  auto slider = control<Slider>("PitchSlider");
  const int32_t before = slider->Value();
  draws({.step = 0, .order = 0, .rhythm = 0, .choice = 4, .octave = 1, .factor = 1});
  pressButton();
  EXPECT_EQ(app().MyPitch, -12);
  EXPECT_EQ(slider->Value(), before) << "the slider is neither moved nor read";
  sound().clear();
  press("Oval1");
  EXPECT_EQ(played().back(), Call::on(48, 64));
  slider->setValue(before + 1);
  sound().clear();
  press("Oval1");
  EXPECT_EQ(played().back(), Call::on(72, 64));
}

TEST_F(RandomPhrase, PlaysInTheInstrumentAndVelocityOfTheMoment) {
  auto popup = control<PopupMenu>("MusicPopupMenu");
  popup->setListIndex(40);  // its handler writes App.MyInstrument only
  app().MyVelocity = 154;
  sound().clear();
  draws({.step = 0, .order = 0, .rhythm = 0, .choice = 3, .octave = 2, .factor = 1});
  pressButton();
  // The note player passes 154 on and the synthesiser hears it at full loudness.
  EXPECT_EQ(played(), (std::vector<Call>{Call::program(40), Call::off(0), Call::on(68, 127)}));
  EXPECT_EQ(control<NotePlayer>("NotePlayer1")->Instrument(), 41);
}

TEST(RandomPhraseDraws, ValuesOutsideTheirRangesFallBackToDefaults) {
  // The conversion keeps every draw in range; these are the defaults should it not.
  EXPECT_TRUE(phrase::isOneNote(-1));
  EXPECT_EQ(phrase::sharpOffset(-1), 0);  // note 60 + App.MyPitch
  EXPECT_FALSE(phrase::isOneNote(12));    // the arpeggio
  EXPECT_EQ(phrase::octaveShift(4), 0);
  EXPECT_EQ(phrase::octaveShift(-1), 0);
  EXPECT_EQ(phrase::octaveShift(9), 0);
}

TEST_F(RandomPhrase, SecondPressEndsTheLastNoteOfTheFirstAndPaintsNothing) {
  draws({.step = 2, .order = 4, .rhythm = 0, .choice = 6, .octave = 0, .factor = 1});
  pressButton();
  const int32_t last = app().LastPitch;
  EXPECT_EQ(last, 60 + 4 + 12);  // order 4 ends on the root, E
  sound().clear();
  draws({.step = 0, .order = 0, .rhythm = 0, .choice = 1, .octave = 2, .factor = 1});
  pressButton();
  EXPECT_EQ(played().at(1), Call::off(last));
  EXPECT_TRUE(testing_support::litPads(window()).empty());
  EXPECT_EQ(control<TextField>("textfield")->Text(), "");
}

// Many presses with the real random numbers: every note lies in 48..83, one note is
// sounding after each press, and every arpeggio is a triad of the C major scale within one
// octave, in one of the six orders.
TEST_F(RandomPhrase, RealDrawsPlayOnlySharpsOrScaleTriads) {
  constexpr int32_t kScale[] = {0, 2, 4, 5, 7, 9, 11};
  auto semitone = [&](int32_t s) { return s < 7 ? kScale[s] : 0; };
  std::set<std::vector<int32_t>> triads;  // sorted offsets of each root's triad
  for (int32_t root = 0; root < 7; ++root) {
    std::vector<int32_t> t = {semitone(root), semitone(root + 2), semitone(root + 4)};
    std::sort(t.begin(), t.end());
    triads.insert(t);
  }
  int arpeggios = 0, sharps = 0;
  for (int press = 0; press < 2000; ++press) {
    sound().clear();
    pxx_.clear();
    pressButton();
    std::vector<int32_t> offsets;
    for (const Call& c : played()) {
      if (c.kind != Call::On) continue;
      ASSERT_GE(c.a, 48);
      ASSERT_LE(c.a, 83);
      offsets.push_back(c.a - 60 - app().MyPitch);
    }
    ASSERT_EQ(offsets.size(), pxx_.size());
    ASSERT_TRUE(offsets.size() == 1 || offsets.size() == 3) << offsets.size();
    ASSERT_EQ(app().LastPitch, 60 + offsets.back() + app().MyPitch);
    if (offsets.size() == 1) {
      ++sharps;
      EXPECT_TRUE(std::set<int32_t>({1, 3, 6, 8, 10}).count(offsets[0])) << offsets[0];
      continue;
    }
    ++arpeggios;
    std::sort(offsets.begin(), offsets.end());
    EXPECT_TRUE(triads.count(offsets)) << offsets[0] << " " << offsets[1] << " " << offsets[2];
  }
  EXPECT_GT(sharps, 0);
  EXPECT_GT(arpeggios, sharps) << "7 of 12 choices play the arpeggio";
}

}  // namespace

namespace {

TEST(RandomPhraseDraws, SixDrawsInTheirOrderEachTurnedIntoAnInt32) {
  std::vector<double> seq = {0.99, 0.5, 0.0, 0.41, 0.2, 0.5};
  fw::setRandomSource([&seq, i = std::size_t{0}]() mutable { return seq[i++ % seq.size()]; });
  const phrase::Draws d = phrase::draw();
  EXPECT_EQ(d.step, 6);
  EXPECT_EQ(d.order, 3);
  EXPECT_EQ(d.rhythm, 0);
  EXPECT_EQ(d.choice, 4);
  EXPECT_EQ(d.octave, 1);
  EXPECT_EQ(d.factor, 0);  // (1.5 + 1) / 3
  // Draws just below 1 give K - 1 for Rnd x K, and so tell each K from its neighbours.
  seq = {0.99, 0.99, 0.99, 0.99, 0.99, 0.99};
  const phrase::Draws top = phrase::draw();
  EXPECT_EQ((std::array{top.step, top.order, top.rhythm, top.choice, top.octave, top.factor}),
            (std::array{6, 5, 2, 11, 4, 1}));
  // The factor turns 1 where Rnd x 3.0 + 1.0 reaches 3.0: at the Double nearest 2/3, and
  // not one step below it.
  for (auto [rnd, factor] : {std::pair{2.0 / 3.0, 1}, {std::nextafter(2.0 / 3.0, 0.0), 0},
                             {0.0, 0}, {std::nextafter(1.0, 0.0), 1}}) {
    seq = {0, 0, 0, 0, 0, rnd};
    EXPECT_EQ(phrase::draw().factor, factor) << rnd;
  }
  fw::setRandomSource({});
}

}  // namespace
