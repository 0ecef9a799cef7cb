#include "framework/sound/silence_watch.h"

namespace fw {
namespace {

// Silence before the stream stops asking for sound, and how it stops. Measured with the
// bench's probe over 10 s of silence, 3 s after a note, with parec recording the null
// sink's monitor throughout (which keeps the server busy on its own), % of one core, and
// key to sound for the first note after 6 s of silence, median of 3-6:
//                                 PulseAudio 16.1            PipeWire 0.3.65 (pulse)
//                           program  server  1st note    program  server  1st note
//   stream open, silence      1.6      5.6     8.5 ms      2.1      2.8    10.8 ms
//   stream corked             0.0      3.1     1.3 ms      0.1      1.8     9.7 ms
//   stream closed             0.0    2.2-3.0   0.9-2.3 ms  0.0-0.1  1.9-3.0  22 ms
// (PipeWire's server column is pipewire-pulse alone.) So on PulseAudio the stream is
// closed, and on PipeWire, where a new stream waits for the session manager to link it,
// it is corked. A new or flushed stream's sound replaces what a PulseAudio sink has
// mixed ahead, and the monitor is rewound with it, so a few readings there are <= 0.
constexpr int kIdleMs = 1000;
// Silence is what the renderer calls silent, or sound below one step of 16-bit audio
// (-90 dBFS), which a voice that FluidSynth keeps alive may render for a long time. A
// held piano middle C on the null sink, RMS of the recording over each 5 s from the key:
//   0-5 s    5-10 s   10-15 s   15-20 s   20-25 s
//   8e-4     5e-5     8e-6      0         0
// FluidSynth ended the voice only 25-30 s after the key: counting voices alone kept the
// stream open that long, the program at 2 % of a core and the server awake. Counting
// this level as silence too, the stream closed 15 s after the key.
constexpr float kSilentPeak = 1.0f / 32768;

// When everything queued on the server is quieter than this peak (-50 dBFS, the level
// below which the bench counts no sound), a note-on drops it so the note starts at once
// instead of behind a buffer of near-silence; what is dropped is masked by its attack.
constexpr float kInaudible = 0.00316f;
// "Everything queued": the stream's buffer and the sink's share of the latency.
constexpr int kQueuedBuffers = 2;

}  // namespace

void SilenceWatch::rendered(int frames, float peak, bool sounding) {
  quietFrames_ = peak < kInaudible ? quietFrames_ + frames : 0;
  silentFrames_ = sounding && peak >= kSilentPeak ? 0 : silentFrames_ + frames;
}

void SilenceWatch::streamOpened() {
  silentFrames_ = 0;
  quietFrames_ = 0;
}

bool SilenceWatch::idle() const {
  return silentFrames_ >= long{kIdleMs} * rate_ / 1000;
}

bool SilenceWatch::queueInaudible(int bufferFrames) const {
  return quietFrames_ >= long{kQueuedBuffers} * bufferFrames;
}

}  // namespace fw
