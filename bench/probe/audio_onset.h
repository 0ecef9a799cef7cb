#pragma once
// Reading sound out of a recording that arrives in chunks: which frame is the first
// audible one, and when that frame was available. Pure functions, no I/O.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace probe {

using Clock = std::chrono::steady_clock;

// Signed 16-bit frames, interleaved, as the recorder delivers them.
struct AudioFormat {
  int rate = 44100;
  int channels = 2;
};

// A sample whose magnitude exceeds this is sound (about -50 dBFS): far above the dither
// and reverb tails that linger after a note-off, far below a note's first milliseconds.
inline constexpr int kAudibleLevel = 100;

// The index of the first frame with a sample louder than `level` on any channel; nullopt
// when every frame is quieter. A trailing part frame is ignored.
std::optional<std::size_t> firstAudibleFrame(std::span<const int16_t> samples, int channels,
                                             int level = kAudibleLevel);

// How many frames at the end are all quieter than `level`: every frame when none is
// louder, 0 when the last one is loud.
std::size_t trailingQuietFrames(std::span<const int16_t> samples, int channels,
                                int level = kAudibleLevel);

// When frame `index` of a chunk of `frames` frames that arrived at `arrived` was
// available: a chunk cannot arrive before its last frame exists, so frame i is taken to
// be (frames - 1 - i) frame periods older than the arrival. This still includes the
// delay from the frame's rendering to its delivery to the recorder.
Clock::time_point frameTime(Clock::time_point arrived, std::size_t frames, std::size_t index,
                            int rate);

}  // namespace probe
