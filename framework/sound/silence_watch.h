#pragma once
// Watches the sound the output renders, to tell when the stream may stop asking for
// more (a second of silence, or of sound below hearing) and when what is queued on the
// server is quiet enough that a new note may drop it and start at once. Used on the
// output's own thread, under its lock.

namespace fw {

class SilenceWatch {
 public:
  explicit SilenceWatch(int sampleRate) : rate_(sampleRate) {}

  // A block of `frames` was rendered with this peak; `sounding` is what the renderer
  // said of it (false once no voice is left).
  void rendered(int frames, float peak, bool sounding);
  // A new stream: nothing is queued and nothing has been silent yet.
  void streamOpened();
  // A note-on: the count towards idle starts again.
  void noteOn() { silentFrames_ = 0; }
  // Silent for long enough that the stream may stop asking for sound.
  bool idle() const;
  // Everything queued (bufferFrames on the stream, as much again at the sink) is
  // quieter than anyone would hear under a new note's attack.
  bool queueInaudible(int bufferFrames) const;
  // The queue was dropped.
  void queueDropped() { quietFrames_ = 0; }

 private:
  int rate_;
  long silentFrames_ = 0;
  long quietFrames_ = 0;  // frames rendered since the last one loud enough to keep
};

}  // namespace fw
