#pragma once
// The instrument popup's 128 items: row r names General MIDI program r + 1. The texts are
// the ones the popup has always shown, misspellings included, and rows 38/62 and 39/63 are
// the same text on purpose: they stay distinct rows, told apart only by their index.

#include <array>
#include <cstddef>
#include <string_view>

namespace window {

// The popup's InitialValue joins the items with one carriage return between each two
// and none after the last.
inline constexpr char kItemSeparator = '\r';

// row   item
inline constexpr std::string_view kInstruments[] = {
    /*   0 */ "@Acoustic Grand Piano",
    /*   1 */ "@Bright Acoustic Piano",
    /*   2 */ "@Elactric Grand Piano",
    /*   3 */ "@Honky-tonk Piano",
    /*   4 */ "@Rhodes Piano",
    /*   5 */ "@Chorused Piano",
    /*   6 */ "@Harpsichord",
    /*   7 */ "@Clavinet",
    /*   8 */ "@Celesta",
    /*   9 */ "@Glockenspiel",
    /*  10 */ "@Music Box",
    /*  11 */ "@Vibraphone",
    /*  12 */ "@Marimba",
    /*  13 */ "@Xylophone",
    /*  14 */ "@Tubular bells",
    /*  15 */ "@Dulcimer",
    /*  16 */ "@Draw Oragan",
    /*  17 */ "@Persussive Organ",
    /*  18 */ "@Rock Organ",
    /*  19 */ "@Church Organ",
    /*  20 */ "@Reed Organ",
    /*  21 */ "@Accordion",
    /*  22 */ "@Harmonica",
    /*  23 */ "@Tango Accordion",
    /*  24 */ "@Acoustic Nylon Guitar",
    /*  25 */ "@Acoustic Steel Guitar",
    /*  26 */ "@Electric Jazz Guitar",
    /*  27 */ "@Electric clean Guitar",
    /*  28 */ "@Electric Guitar Muted",
    /*  29 */ "@Overdriven Guitar",
    /*  30 */ "@Distortion Guitar",
    /*  31 */ "@Guitar Harmonics",
    /*  32 */ "@Wood Bass",
    /*  33 */ "@Electric Bass Fingered",
    /*  34 */ "@Electric Bass Picked",
    /*  35 */ "@Fretless Bass",
    /*  36 */ "@Slap Bass 1",
    /*  37 */ "@Slap Bass 2",
    /*  38 */ "@Synth Bass 1",
    /*  39 */ "@Synth Bass 2",
    /*  40 */ "@Violin",
    /*  41 */ "@Viola",
    /*  42 */ "@Cello",
    /*  43 */ "@Contrabass",
    /*  44 */ "@Tremolo Strings",
    /*  45 */ "@Pizzicato Strings",
    /*  46 */ "@Orchestral Harp",
    /*  47 */ "@Timpani",
    /*  48 */ "@Acoustic String Ensemble 1",
    /*  49 */ "@Acoustic String Ensemble 2",
    /*  50 */ "@Synth Strings 1",
    /*  51 */ "@Synth Strings 2",
    /*  52 */ "@Aah Choir",
    /*  53 */ "@Ooh Choir",
    /*  54 */ "@Synvox",
    /*  55 */ "@Orchestra Hit",
    /*  56 */ "@Trumpet",
    /*  57 */ "@Trombone",
    /*  58 */ "@Tuba",
    /*  59 */ "@Muted Trumpet",
    /*  60 */ "@French Horn",
    /*  61 */ "@Brass Section",
    /*  62 */ "@Synth Bass 1",
    /*  63 */ "@Synth Bass 2",
    /*  64 */ "@Soprano Sax",
    /*  65 */ "@Alto Sax",
    /*  66 */ "@Tenor Sax",
    /*  67 */ "@Baritone Sax",
    /*  68 */ "@Oboe",
    /*  69 */ "@English Horn",
    /*  70 */ "@Bassoon",
    /*  71 */ "@Clarinet",
    /*  72 */ "@Piccolo",
    /*  73 */ "@Flute",
    /*  74 */ "@Recorder",
    /*  75 */ "@Pan Fluete",
    /*  76 */ "@Bottle blow",
    /*  77 */ "@Shakuhati",
    /*  78 */ "@Whistle",
    /*  79 */ "@Ocarina",
    /*  80 */ "@Square Lead",
    /*  81 */ "@Saw Lead",
    /*  82 */ "@Calliope",
    /*  83 */ "@Chiffer",
    /*  84 */ "@Synth Lead 5",
    /*  85 */ "@Synth Lead 6",
    /*  86 */ "@Synth Lead 7",
    /*  87 */ "@Synth Lead 8",
    /*  88 */ "@Synth Pad 1",
    /*  89 */ "@Synth Pad 2",
    /*  90 */ "@Synth Pad 3",
    /*  91 */ "@Synth Pad 4",
    /*  92 */ "@Synth Pad 5",
    /*  93 */ "@Synth Pad 6",
    /*  94 */ "@Synth Pad 7",
    /*  95 */ "@Synth Pad 8",
    /*  96 */ "@Ice Rain",
    /*  97 */ "@Sound Tracks",
    /*  98 */ "@Crystal",
    /*  99 */ "@Atmosphere",
    /* 100 */ "@Bright",
    /* 101 */ "@Goblin",
    /* 102 */ "@Echoes",
    /* 103 */ "@Space",
    /* 104 */ "@Sitar",
    /* 105 */ "@Banjo",
    /* 106 */ "@Shamisen",
    /* 107 */ "@Koto",
    /* 108 */ "@Kalimba",
    /* 109 */ "@Bagpipe",
    /* 110 */ "@Fiddle",
    /* 111 */ "@Shannai",
    /* 112 */ "@Tinkle Bell",
    /* 113 */ "@Agogo",
    /* 114 */ "@Steel Drums",
    /* 115 */ "@WoodBlock",
    /* 116 */ "@Taiko Drum",
    /* 117 */ "@Melodic Tom",
    /* 118 */ "@Synth Tom",
    /* 119 */ "@Reverse Symbal",
    /* 120 */ "@Guitar Fret Noise",
    /* 121 */ "@Breath Noise",
    /* 122 */ "@Seashore",
    /* 123 */ "@Bird Tweet",
    /* 124 */ "@Telephone Ring",
    /* 125 */ "@Helicopter",
    /* 126 */ "@Applause",
    /* 127 */ "@Gunshot Table",
};
inline constexpr std::size_t kInstrumentCount = std::size(kInstruments);
static_assert(kInstrumentCount == 128, "one item per General MIDI program");
static_assert(
    [] {
      for (std::string_view item : kInstruments)
        if (!item.starts_with('@') || item.find(kItemSeparator) != item.npos) return false;
      return true;
    }(),
    "every item begins with '@' and holds no separator");

constexpr std::size_t joinedInstrumentsSize() {
  std::size_t size = kInstrumentCount - 1;
  for (std::string_view item : kInstruments) size += item.size();
  return size;
}

inline constexpr auto kJoinedInstruments = [] {
  std::array<char, joinedInstrumentsSize()> joined{};
  std::size_t at = 0;
  for (std::size_t i = 0; i < kInstrumentCount; ++i) {
    if (i > 0) joined[at++] = kItemSeparator;
    for (char c : kInstruments[i]) joined[at++] = c;
  }
  return joined;
}();
static_assert(kJoinedInstruments.size() == 1673);

// The popup's InitialValue text.
constexpr std::string_view instrumentList() {
  return {kJoinedInstruments.data(), kJoinedInstruments.size()};
}

}  // namespace window
