// The handlers that keep App's playing state in step with the octave slider, the
// velocity slider and the instrument popup, and give state and note player their first
// values when the window and its controls open.

#include "app/app.h"
#include "framework/runtime/int32.h"
#include "window/lookup.h"
#include "window/note_steps.h"
#include "window/velmo.h"

namespace {

// (Value - 5) x 12 for the slider's nine positions; no entry for any other value.
constexpr int32_t kLowestOctavePosition = 1;
constexpr int32_t kHighestOctavePosition = 9;
constexpr int32_t kCentreOctavePosition = 5;

constexpr int32_t kOpeningVelocity = 64;
// A higher velocity-slider value gives a softer note: 160 - 6 x Value.
constexpr int32_t velocityOf(int32_t sliderValue) {
  return fw::int32Sub(160, fw::int32Mul(6, sliderValue));
}
// Popup row r names General MIDI instrument r + 1.
constexpr int32_t instrumentOf(int32_t listIndex) { return fw::int32Add(listIndex, 1); }

}  // namespace

void VELMO::PitchSlider_ValueChanged(Object* control) {
  auto [self, me] = RuntimeSwapSelfAndMe(control);
  auto slider = RuntimeCheckCast<Slider>(me.get(), Slider::__Lookup());
  const int32_t value = fw::nonNil(slider)->Value();
  if (value < kLowestOctavePosition || value > kHighestOctavePosition) return;
  fw::nonNil(App())->MyPitch = (value - kCentreOctavePosition) * 12;
}

void VELMO::VelocitySlider_Open(Object* control) {
  auto [self, me] = RuntimeSwapSelfAndMe(control);
  fw::nonNil(App())->MyVelocity = kOpeningVelocity;
}

void VELMO::VelocitySlider_ValueChanged(Object* control) {
  auto [self, me] = RuntimeSwapSelfAndMe(control);
  const int32_t value = findControl<Slider>(self.get(), "VelocitySlider")->Value();
  fw::nonNil(App())->MyVelocity = velocityOf(value);
}

void VELMO::MusicPopupMenu_Change(Object* control) {
  auto [self, me] = RuntimeSwapSelfAndMe(control);
  note_steps::noteOff(self.get());
  Ref<Window> window = ::VELMO();
  const int32_t row = findControl<PopupMenu>(window.get(), "MusicPopupMenu")->ListIndex();
  fw::nonNil(App())->MyInstrument = instrumentOf(row);
}

void VELMO::MusicPopupMenu_Open(Object* control) {
  auto [self, me] = RuntimeSwapSelfAndMe(control);
  note_steps::noteOff(self.get());
  auto popup = RuntimeCheckCast<PopupMenu>(me.get(), PopupMenu::__Lookup());
  fw::nonNil(App())->MyInstrument = instrumentOf(fw::nonNil(popup)->ListIndex());
}

void VELMO::NotePlayer1_Open(Object* control) {
  auto [self, me] = RuntimeSwapSelfAndMe(control);
  findControl<NotePlayer>(self.get(), "NotePlayer1")->setInstrument(fw::nonNil(App())->MyInstrument);
}

void VELMO::Event_Open(Object* self) {
  {
    auto player = findControl<NotePlayer>(self, "NotePlayer1");
    Ref<Window> window = ::VELMO();
    const int32_t row = findControl<PopupMenu>(window.get(), "MusicPopupMenu")->ListIndex();
    player->setInstrument(instrumentOf(row));
  }
  const int32_t row = findControl<PopupMenu>(self, "MusicPopupMenu")->ListIndex();
  fw::nonNil(App())->MyInstrument = instrumentOf(row);
}
