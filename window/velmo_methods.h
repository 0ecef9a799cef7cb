#pragma once
// VELMO's own methods, in method-table order (after Window's 50), with their signatures.
// The one list of that order: the class table, the member table and control creation
// (which binds handlers by reading the method table) all follow it.

#include <cstddef>
#include <string_view>

namespace window {

struct OwnMethod {
  std::string_view name;
  std::string_view signature;
};

inline constexpr std::string_view kNoArgs = "%%";
inline constexpr std::string_view kMouseDown = "%b%i4i4";

// name                              signature
inline constexpr OwnMethod kOwnMethods[] = {
    {"Layout", kNoArgs},
    {"CreateControls", kNoArgs},
    {"_CreateControls0", kNoArgs},
    {"_CreateControls1", kNoArgs},
    {"PitchSlider_ValueChanged", kNoArgs},
    {"VelocitySlider_Open", kNoArgs},
    {"VelocitySlider_ValueChanged", kNoArgs},
    {"Oval1_MouseDown", kMouseDown},
    {"Oval3_MouseDown", kMouseDown},
    {"Oval4_MouseDown", kMouseDown},
    {"Oval5_MouseDown", kMouseDown},
    {"Oval6_MouseDown", kMouseDown},
    {"Oval7_MouseDown", kMouseDown},
    {"Oval8_MouseDown", kMouseDown},
    {"miniOval1_MouseDown", kMouseDown},
    {"miniOval2_MouseDown", kMouseDown},
    {"miniOval3_MouseDown", kMouseDown},
    {"miniOval4_MouseDown", kMouseDown},
    {"miniOval5_MouseDown", kMouseDown},
    {"Oval2_MouseDown", kMouseDown},
    {"MusicPopupMenu_Change", kNoArgs},
    {"MusicPopupMenu_Open", kNoArgs},
    {"Oval9_MouseDown", kMouseDown},
    {"Oval10_MouseDown", kMouseDown},
    {"Oval11_MouseDown", kMouseDown},
    {"Oval12_MouseDown", kMouseDown},
    {"Oval13_MouseDown", kMouseDown},
    {"Oval14_MouseDown", kMouseDown},
    {"Oval15_MouseDown", kMouseDown},
    {"Oval16_MouseDown", kMouseDown},
    {"Oval17_MouseDown", kMouseDown},
    {"Oval18_MouseDown", kMouseDown},
    {"Oval19_MouseDown", kMouseDown},
    {"Oval20_MouseDown", kMouseDown},
    {"Oval21_MouseDown", kMouseDown},
    {"Oval22_MouseDown", kMouseDown},
    {"miniOval111_MouseDown", kMouseDown},
    {"miniOval21_MouseDown", kMouseDown},
    {"miniOval11_MouseDown", kMouseDown},
    {"miniOval211_MouseDown", kMouseDown},
    {"miniOval31_MouseDown", kMouseDown},
    {"miniOval311_MouseDown", kMouseDown},
    {"miniOval41_MouseDown", kMouseDown},
    {"miniOval411_MouseDown", kMouseDown},
    {"miniOval51_MouseDown", kMouseDown},
    {"miniOval511_MouseDown", kMouseDown},
    {"NotePlayer1_Open", kNoArgs},
    {"PushButton1_Action", kNoArgs},
    {"Event_KeyDown", "%b%s"},
    {"Event_Open", kNoArgs},
    {"pxx", "%%i4"},
    {"Onpu", "%i4%i4i4i4"},
};
inline constexpr std::size_t kOwnMethodCount = std::size(kOwnMethods);
static_assert(kOwnMethodCount == 52);

// Index of the method in kOwnMethods; kOwnMethodCount when there is none.
constexpr std::size_t ownMethodIndex(std::string_view name) {
  for (std::size_t i = 0; i < kOwnMethodCount; ++i)
    if (kOwnMethods[i].name == name) return i;
  return kOwnMethodCount;
}

}  // namespace window
