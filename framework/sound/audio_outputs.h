#pragma once
// Where the synthesiser's sound goes: the program's own stream on the sound server
// (pulse_output.h), else one of FluidSynth's audio drivers (ALSA), chosen on a thread
// of its own so that the UI thread never waits on a sound server or device.
//
// - The stream is made at once and connects in the background: notes played before a
//   server answers are kept by it and heard once one does, as after a server restart.
// - The opener thread waits for the stream's first outcome. A server that answered is
//   used; with none at all the other drivers are tried in order. A server that took the
//   connection and does not answer is said as such and waited for, and the other
//   drivers are not tried: ALSA's default device usually is that same server, and
//   opening it would hang as long.
// - With nothing open, one line says so; the server is still waited for when the stream
//   could be made, else nothing will ever play (silent()).

#include <fluidsynth.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/sound/pulse_output.h"

namespace fw {

// The name of the program's own stream among the outputs: "pulseaudio".
extern const char* const kPulseOutputName;

struct AudioOutputsSetup {
  std::string applicationName;
  int sampleRate = 48000;
  // Tried in order: kPulseOutputName is the program's own stream, the others are
  // FluidSynth's audio drivers, opened with `settings` (which must outlive the outputs).
  std::vector<std::string> drivers;
  fluid_settings_t* settings = nullptr;
  // What the stream renders, and what a FluidSynth driver calls back with `driverData`.
  PulseOutput::Render render;
  fluid_audio_func_t driverRender = nullptr;
  void* driverData = nullptr;
  // One line for the user; called from the opener's and the stream's threads.
  PulseOutput::Report report;
};

class AudioOutputs {
 public:
  // Makes the stream (when listed) and starts the opener; returns at once.
  explicit AudioOutputs(AudioOutputsSetup setup);
  // Stops the opener (a server is no longer waited for) and closes the outputs.
  ~AudioOutputs();
  AudioOutputs(const AudioOutputs&) = delete;
  AudioOutputs& operator=(const AudioOutputs&) = delete;

  // Right after a note-on: lets the stream open (or keep the note for the server).
  void wake();
  // True once the opener found nothing to play on and nothing to wait for.
  bool silent() const;
  // Waits up to `wait` for the opener to choose; true when it has.
  bool waitChosen(std::chrono::milliseconds wait);
  // True when notes sound now: a driver is open or a server answers.
  bool sounding() const;
  // The output in use now: "pulseaudio" only while a server answers; "" when none.
  std::string name() const;
  // True while the stream asks for sound.
  bool streaming() const;
  // The buffering the output in use (or the stream, while it is waited for) plays with.
  double bufferMs() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace fw
