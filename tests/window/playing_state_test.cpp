// The playing state after start-up in every order of the five "Open" events, and the
// slider and popup handlers at and beyond the ends of their ranges.

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

#include "framework/runtime/delegate.h"
#include "tests/support/program_fixture.h"

namespace {

using Call = fw::RecordingSynthesiser::Call;
using testing_support::Opening;
using testing_support::ProgramTest;

class OpeningOrder : public ProgramTest {
  void SetUp() override { startWithoutOpening(); }
};

TEST_F(OpeningOrder, StateBeforeAnyOpenIsAllZero) {
  EXPECT_EQ(app().MyInstrument, 0);
  EXPECT_EQ(app().MyPitch, 0);
  EXPECT_EQ(app().MyVelocity, 0);
  EXPECT_EQ(app().LastPitch, 0);
  EXPECT_EQ(control<NotePlayer>("NotePlayer1")->Instrument(), 1);  // from its blob
}

// Each permutation needs a fresh program, so one test walks all 120 and restarts. The
// popup stands at row 40 (General MIDI 41, Violin), so a handler that writes a constant
// instead of the popup's row + 1 shows in every order where it runs last.
TEST(OpeningOrders, EveryOrderTakesTheInstrumentFromThePopupsRow) {
  std::array<Opening, 5> order{};
  std::copy(std::begin(testing_support::kAllOpenings), std::end(testing_support::kAllOpenings),
            order.begin());
  std::sort(order.begin(), order.end());
  int orders = 0;
  do {
    struct Run : ProgramTest {
      void TestBody() override {}
      using ProgramTest::app;
      using ProgramTest::control;
      using ProgramTest::open;
      using ProgramTest::startWithoutOpening;
      using ProgramTest::TearDown;
    } run;
    run.startWithoutOpening();
    run.control<PopupMenu>("MusicPopupMenu")->setListIndex(40);
    run.app().MyInstrument = 0;  // as before any "Open"; the row alone carries the choice
    for (Opening o : order) run.open(o);
    EXPECT_EQ(run.app().MyInstrument, 41) << "order #" << orders;
    EXPECT_EQ(run.control<NotePlayer>("NotePlayer1")->Instrument(), 41) << "order #" << orders;
    EXPECT_EQ(run.app().MyVelocity, 64) << "order #" << orders;
    EXPECT_EQ(run.app().MyPitch, 0) << "order #" << orders;
    EXPECT_EQ(run.app().LastPitch, 0) << "order #" << orders;
    run.TearDown();
    ++orders;
  } while (std::next_permutation(order.begin(), order.end()));
  EXPECT_EQ(orders, 120);
}

// Each "Open" that reads the popup, alone, on a row other than the first.
TEST_F(OpeningOrder, EachOpenThatReadsThePopupTakesItsRowPlusOne) {
  auto popup = control<PopupMenu>("MusicPopupMenu");
  auto player = control<NotePlayer>("NotePlayer1");
  popup->setListIndex(72);  // General MIDI 73, Piccolo
  for (Opening o : {Opening::Application, Opening::Window, Opening::MusicPopupMenu}) {
    app().MyInstrument = 0;
    player->setInstrument(0);
    open(o);
    EXPECT_EQ(app().MyInstrument, 73) << static_cast<int>(o);
    if (o == Opening::Window) {
      EXPECT_EQ(player->Instrument(), 73);
    }
  }
}

TEST_F(OpeningOrder, NotePlayerOpeningFirstIsRepairedByTheWindowsOpen) {
  open(Opening::NotePlayer1);
  EXPECT_EQ(control<NotePlayer>("NotePlayer1")->Instrument(), 0);
  open(Opening::Window);
  EXPECT_EQ(control<NotePlayer>("NotePlayer1")->Instrument(), 1);
}

TEST_F(OpeningOrder, ApplicationAndPopupOpensSendANoteOffForNoteZero) {
  open(Opening::Application);
  open(Opening::MusicPopupMenu);
  EXPECT_EQ(played(), (std::vector<Call>{Call::off(0), Call::off(0)}));
}

using PlayingState = ProgramTest;

TEST_F(PlayingState, OctaveSliderGivesTwelveSemitonesPerStep) {
  auto slider = control<Slider>("PitchSlider");
  const std::pair<int32_t, int32_t> expected[] = {{1, -48}, {2, -36}, {4, -12}, {5, 0},
                                                  {6, 12},  {8, 36},  {9, 48}};
  for (auto [value, pitch] : expected) {
    slider->setValue(value);
    EXPECT_EQ(app().MyPitch, pitch) << "slider at " << value;
  }
}

TEST_F(PlayingState, OctaveSliderPastItsEndsChangesNothing) {
  auto slider = control<Slider>("PitchSlider");
  slider->setValue(9);
  ASSERT_EQ(app().MyPitch, 48);
  app().MyPitch = 12;  // as the random phrase may leave it
  slider->setValue(10);
  EXPECT_EQ(slider->Value(), 9);
  EXPECT_EQ(app().MyPitch, 12) << "a set that changes nothing raises nothing";
  slider->setValue(0);
  EXPECT_EQ(slider->Value(), 1);
  EXPECT_EQ(app().MyPitch, -48);

  // Widened, the slider reaches values the handler has no shift for: they change nothing.
  slider->setMinimum(-3);
  slider->setMaximum(12);
  app().MyPitch = 12;
  for (int32_t value : {10, 12, 0, -3}) {
    slider->setValue(value);
    ASSERT_EQ(slider->Value(), value);
    EXPECT_EQ(app().MyPitch, 12) << "slider at " << value;
  }
  slider->setValue(1);
  EXPECT_EQ(app().MyPitch, -48);
}

TEST_F(PlayingState, VelocityIsSixtyFourUntilTheSliderMoves) {
  EXPECT_EQ(app().MyVelocity, 64);
  EXPECT_EQ(control<Slider>("VelocitySlider")->Value(), 8);
  auto slider = control<Slider>("VelocitySlider");
  const std::pair<int32_t, int32_t> expected[] = {{1, 154}, {5, 130}, {6, 124}, {7, 118},
                                                  {20, 40}};
  for (auto [value, velocity] : expected) {
    slider->setValue(value);
    EXPECT_EQ(app().MyVelocity, velocity) << "slider at " << value;
  }
}

TEST_F(PlayingState, VelocityFormulaAppliesBeyondTheRangeToo) {
  auto slider = control<Slider>("VelocitySlider");
  slider->setValue(0);  // clamped to the slider's minimum, 1
  EXPECT_EQ(app().MyVelocity, 154);
  slider->setValue(21);  // clamped to 20
  EXPECT_EQ(app().MyVelocity, 40);
  // Widened, the slider's value goes into the formula as it is, in Int32 arithmetic that
  // wraps rather than overflows.
  slider->setMinimum(INT32_MIN);
  slider->setMaximum(INT32_MAX);
  const std::pair<int32_t, int32_t> expected[] = {
      {27, -2}, {-1, 166}, {1'000'000'000, -1'705'032'544}, {INT32_MAX, 166}, {INT32_MIN, 160}};
  for (auto [value, velocity] : expected) {
    slider->setValue(value);
    EXPECT_EQ(app().MyVelocity, velocity) << "slider at " << value;
  }
}

TEST_F(PlayingState, PopupRowGivesTheInstrumentAndEndsTheSoundingNote) {
  app().LastPitch = 67;
  auto popup = control<PopupMenu>("MusicPopupMenu");
  popup->setListIndex(127);
  EXPECT_EQ(app().MyInstrument, 128);
  EXPECT_EQ(app().LastPitch, 67);
  // Only the state changes: the note player keeps its instrument until a note applies it.
  EXPECT_EQ(control<NotePlayer>("NotePlayer1")->Instrument(), 1);
  EXPECT_EQ(played(), (std::vector<Call>{Call::off(67)}));
  popup->setListIndex(0);
  EXPECT_EQ(app().MyInstrument, 1);
}

TEST_F(PlayingState, RandomPhraseShiftIsReplacedByTheNextSliderMove) {
  app().MyPitch = 12;  // what the random phrase may leave, with the slider still at 5
  auto slider = control<Slider>("PitchSlider");
  slider->setValue(6);
  EXPECT_EQ(app().MyPitch, 12);
  slider->setValue(5);
  EXPECT_EQ(app().MyPitch, 0);
}

TEST_F(PlayingState, HandlersReleaseEveryReferenceTheyTake) {
  auto velocity = control<Slider>("VelocitySlider");
  auto popup = control<PopupMenu>("MusicPopupMenu");
  const int32_t windowRefs = window()->referenceCount();
  const int32_t popupRefs = popup->referenceCount();
  const std::size_t live = fw::liveObjectCount();
  velocity->setValue(3);
  popup->setListIndex(5);
  for (Opening o : testing_support::kAllOpenings) open(o);
  EXPECT_EQ(window()->referenceCount(), windowRefs);
  EXPECT_EQ(popup->referenceCount(), popupRefs);
  EXPECT_EQ(fw::liveObjectCount(), live);
}

}  // namespace
