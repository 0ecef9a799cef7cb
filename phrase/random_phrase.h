#pragma once
// The "Randam Hit" button's phrase: six random draws choose an octave shift and either
// one sharp note or a triad arpeggio of three notes, played back to back; after each note
// a period is written to the window's timer, which has no handler.

#include <cstddef>
#include <cstdint>
#include <iterator>

namespace phrase {

// Every note of a phrase is this note plus an offset, plus App.MyPitch.
inline constexpr int32_t kBaseNote = 60;

// The five sharps above the base note, by `choice` 0 to 4; a larger choice plays the
// triad arpeggio.
inline constexpr int32_t kSharpOffsets[] = {
    // C# D# F# G# A#
    1, 3, 6, 8, 10,
};
inline constexpr int32_t kSharpChoiceCount = static_cast<int32_t>(std::size(kSharpOffsets));

// The period written to the timer after each note, before `factor`, by row (the sharp
// note and the first arpeggio note; the second; the third) and by `rhythm`.
inline constexpr int32_t kNotePeriodTables[][3] = {
    // rhythm 0  rhythm 1  rhythm 2
    {500, 1000, 500},
    {500, 500, 1000},
    {1000, 500, 500},
};
inline constexpr std::size_t kRhythmCount = std::size(kNotePeriodTables[0]);

// The six numbers one press draws, in the order they are drawn.
struct Draws {
  int32_t step;    // Rnd x 7: the arpeggio's root scale step
  int32_t order;   // Rnd x 6: the arpeggio's order
  int32_t rhythm;  // Rnd x 3: the column of kNotePeriodTables
  int32_t choice;  // Rnd x 12: 0 to 4 one sharp, 5 to 11 the arpeggio
  int32_t octave;  // Rnd x 5: 0 one octave up, 1 one down, else none
  int32_t factor;  // (Rnd x 3 + 1) / 3: 0 or 1, the multiplier of every period
};

// Six calls of Rnd, each turned into an Int32 by the framework's conversion.
Draws draw();

// The octave shift an `octave` draw sets: 12, -12, or 0 for any other value.
constexpr int32_t octaveShift(int32_t octave) {
  return octave == 0 ? 12 : octave == 1 ? -12 : 0;
}

// The offset of the one-note phrase: the sharp of the choice, 0 for a negative choice.
constexpr int32_t sharpOffset(int32_t choice) {
  return choice >= 0 && choice < kSharpChoiceCount ? kSharpOffsets[choice] : 0;
}

// Whether a choice plays the one-note phrase (any choice up to 4, negatives included).
constexpr bool isOneNote(int32_t choice) { return choice < kSharpChoiceCount; }

}  // namespace phrase
