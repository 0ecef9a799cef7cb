#pragma once
// The synthesiser of the desktop: FluidSynth playing a General MIDI soundfont on the
// desktop's sound server (PulseAudio, or PipeWire through its PulseAudio interface)
// through the program's own stream (pulse_output.h), else on ALSA. It plays on MIDI
// channel 0, one program at a time. The stream is open only while something sounds.
// When neither opened at start, one line says so and the sound server is waited for;
// a server that takes the connection and does not answer is said as such and waited
// for, without trying ALSA, whose default device is usually that same server.
//
// Opening never throws and never blocks, neither on the soundfont nor on the sound
// output: the font loads on a thread of its own (see the .cpp for the measurements
// behind that), and the output is chosen on another. Notes played before it is chosen
// are kept by the program's stream and heard once the server answers. When no
// soundfont or no sound device is found, one line says so and the synthesiser plays
// nothing.
//
// Apart from those two threads, every call must come from one thread (the UI thread).

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "framework/sound/soundfonts.h"
#include "framework/sound/synthesiser.h"

namespace fw {

struct FluidSynthOptions {
  std::vector<std::string> soundfonts = defaultSoundfonts();
  // Audio outputs tried in order: "pulseaudio" is the program's own stream on the sound
  // server, the others FluidSynth's drivers. JACK is never among them: trying it may
  // start a JACK server of its own.
  std::vector<std::string> drivers = {"pulseaudio", "alsa"};
  // False: no audio device at all; samples are pulled with render() (offline).
  bool audioOutput = true;
  bool loadInBackground = true;
  // FluidSynth's dynamic sample loading: only the samples of selected presets in memory.
  bool dynamicSampleLoading = true;
  // Where the lines about a missing soundfont, device or server go (called from the
  // loader and sound threads too). Empty: standard error, prefixed with the program's name.
  std::function<void(const std::string&)> report;
};

class FluidSynthSynthesiser : public Synthesiser {
 public:
  explicit FluidSynthSynthesiser(FluidSynthOptions options = {});
  ~FluidSynthSynthesiser() override;
  FluidSynthSynthesiser(const FluidSynthSynthesiser&) = delete;
  FluidSynthSynthesiser& operator=(const FluidSynthSynthesiser&) = delete;

  // Program changes made before the soundfont is loaded are kept and applied once it
  // is. A note-on waits for the load (bounded), so the first note is not lost.
  void programChange(int program) override;
  void noteOn(int note, int velocity) override;
  void noteOff(int note) override;

  // Waits for the soundfont and the choice of output (each bounded); true when notes
  // will sound (a font is loaded and, unless offline, a device is open or a sound
  // server answers). For tests and measurements: the program itself never waits.
  bool waitUntilReady();
  // The soundfont in use, the audio output in use now ("" when none: "pulseaudio" only
  // while a server answers) and the output buffering it is configured with, in
  // milliseconds (0 when silent).
  std::string soundfont() const;
  std::string driver() const;
  double configuredBufferMs() const;
  // True while the stream on the sound server is open: from a note-on until about a
  // second after the last voice ended.
  bool streaming() const;

  // Offline only (audioOutput false): synthesises left.size() frames of stereo into the
  // two buffers, which must be the same size. Silence when nothing can sound.
  void render(std::span<float> left, std::span<float> right);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The synthesiser that fw::synthesiser() opens on first use: FluidSynth with the
// default options, or a silent one (after one line on stderr) if even that fails.
std::unique_ptr<Synthesiser> openSystemSynthesiser() noexcept;

}  // namespace fw
