#include "framework/sound/fluidsynth_synthesiser.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "framework/sound/audio_outputs.h"
#include "framework/sound/fluid_log.h"
#include "framework/sound/limiter.h"
#include "framework/sound/listing.h"

// How the soundfont is loaded, measured by velmo_bench ("sound: soundfont loading") on
// FluidR3_GM (148 MB) from a warm page cache; start-up is what the constructor costs:
//                                     start-up   first note possible   resident memory
//   full load, caller's thread         ~115 ms          ~115 ms             +161 MB
//   dynamic samples, caller's thread    ~24 ms           ~24 ms              +25 MB
//   full load, loader thread             ~8 ms          ~115 ms             +161 MB
//   dynamic samples, loader thread       ~4 ms           ~30 ms              +25 MB
// So the font loads on a loader thread with dynamic sample loading: start-up waits only
// for FluidSynth itself, memory holds the samples of the programs in use, and a note-on
// that comes before the load ends waits the few ms left instead of being lost. A
// program change then reads that program's samples on the calling thread the first
// time (1-2 ms), holding FluidSynth's lock; the audio thread, which takes that lock to
// count the voices after each block, may wait as long, which the stream's buffer of
// 13-20 ms covers.

namespace fw {
namespace {

// The output at 48 kHz, the rate sound servers usually run at, which spares them a
// resampler. The sound server's stream and its buffer are pulse_output's. On ALSA, when
// no server answers, FluidSynth's driver plays with two periods; the period size was
// chosen on PulseAudio through FluidSynth's own driver (one period per buffer there):
//   frames   buffer   key to sound   gaps of silence, idle / with all cores busy
//     128    2.7 ms      4.9 ms         4 / 93
//     256    5.3 ms      6.7 ms         3 / 37
//     320    6.7 ms    7.5-9.9 ms       0 / 5
//     384    8.0 ms     12.2 ms         0 / 1
//     512   10.7 ms     15.8 ms         0 / 2
constexpr double kSampleRate = 48000.0;
constexpr int kPeriodSize = 320;
constexpr int kPeriods = 2;
// One note sounds at a time, so the gain can be above FluidSynth's 0.2 for polyphony.
constexpr double kGain = 0.5;
// The limiter behind it (limiter.h): 1 dB below full scale, recovering over 100 ms, fast
// enough to follow a phrase and slow enough not to be heard pumping within one note.
constexpr float kCeiling = 0.891f;
constexpr double kLimiterReleaseMs = 100.0;
constexpr int kChannel = 0;
// The name the sound server shows for the program's stream (pavucontrol, pactl).
constexpr const char* kApplicationName = "VELMO TAVI Italian Edition";
// Longest a note-on waits for the soundfont before it is dropped: the UI must not
// freeze on a disk that hangs.
constexpr auto kLoadWait = std::chrono::seconds(5);
// Longest waitUntilReady() waits for an output to be chosen: the sound server's few
// seconds to answer, then the fallback's opening.
constexpr auto kOutputWait = std::chrono::seconds(10);

constexpr const char* kSoundfontPackage = "fluid-soundfont-gm";

struct SettingsDeleter {
  void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct SynthDeleter {
  void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};

void reportOnStderr(const std::string& line) {
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, line.c_str());
  std::fflush(stderr);
}

}  // namespace

struct FluidSynthSynthesiser::Impl {
  enum class Load { Pending, Loaded, Failed };

  FluidSynthOptions options;
  std::unique_ptr<fluid_settings_t, SettingsDeleter> settings;
  std::unique_ptr<fluid_synth_t, SynthDeleter> synth;
  std::unique_ptr<AudioOutputs> outputs;  // none offline, or once silent
  std::thread loader;

  std::mutex mutex;  // guards load and soundfont, shared with the loader
  std::condition_variable loadEnded;
  Load load = Load::Pending;
  std::string soundfont;

  // Touched only by whoever renders: the audio driver's thread, or render()'s caller.
  PeakLimiter limiter{kCeiling, kLimiterReleaseMs, kSampleRate};

  // The UI thread's own state.
  bool silent = false;      // nothing will ever sound: calls are ignored
  bool ready = false;       // the font is loaded and pendingProgram applied
  int pendingProgram = -1;  // the last program change made before the load ended

  ~Impl() { shutDown(); }

  void report(const std::string& line) const {
    if (options.report)
      options.report(line);
    else
      reportOnStderr(line);
  }

  bool configure() {
    settings.reset(new_fluid_settings());
    if (!settings) return false;
    fluid_settings_t* s = settings.get();
    fluid_settings_setnum(s, "synth.sample-rate", kSampleRate);
    fluid_settings_setnum(s, "synth.gain", kGain);
    // Pinning 150 MB of samples fails without privileges and only warns.
    fluid_settings_setint(s, "synth.lock-memory", 0);
    fluid_settings_setint(s, "synth.dynamic-sample-loading", options.dynamicSampleLoading ? 1 : 0);
    fluid_settings_setint(s, "audio.period-size", kPeriodSize);
    fluid_settings_setint(s, "audio.periods", kPeriods);
    synth.reset(new_fluid_synth(s));
    return synth != nullptr;
  }

  // Returns at once: the output is chosen in the background (audio_outputs.h).
  void startOutputs() {
    AudioOutputsSetup setup;
    setup.applicationName = kApplicationName;
    setup.sampleRate = static_cast<int>(kSampleRate);
    setup.drivers = options.drivers;
    setup.settings = settings.get();
    setup.render = [this](float* left, float* right, int frames) {
      return renderLimited(left, right, frames);
    };
    setup.driverRender = &Impl::renderForDriver;
    setup.driverData = this;
    setup.report = [this](const std::string& line) { report(line); };
    outputs = std::make_unique<AudioOutputs>(std::move(setup));
  }

  // A buffer of sound, limited; true while a voice sounds. On the sound server's thread,
  // or render()'s caller when offline.
  bool renderLimited(float* left, float* right, int frames) noexcept {
    fluid_synth_t* s = synth.get();
    fluid_synth_write_float(s, frames, left, 0, 1, right, 0, 1);
    limiter.process(left, right, static_cast<size_t>(frames));
    return fluid_synth_get_active_voice_count(s) > 0;
  }

  // On the audio driver's thread: a period of sound, effects mixed into the dry output
  // as in render(), then limited. A C callback: it must not throw, and nothing in it does.
  static int renderForDriver(void* data, int len, int nfx, float* fx[], int nout,
                             float* out[]) noexcept {
    Impl& self = *static_cast<Impl*>(data);
    int result = FLUID_OK;
    if (nfx == 0 && nout >= 2) {
      float* mixed[] = {out[0], out[1], out[0], out[1]};  // reverb, chorus: both into out
      result = fluid_synth_process(self.synth.get(), len, 4, mixed, nout, out);
    } else {
      result = fluid_synth_process(self.synth.get(), len, nfx, fx, nout, out);
    }
    if (nout >= 2 && len > 0) self.limiter.process(out[0], out[1], static_cast<size_t>(len));
    return result;
  }

  // On the loader thread (or the constructor's): the first candidate that loads wins.
  void loadSoundfont(const std::vector<std::string>& candidates) {
    // What was wrong with the first font that could not be loaded.
    std::string damage;
    auto noteDamage = [&](const std::string& path, const std::string& what) {
      if (damage.empty()) damage = (candidates.size() == 1 ? "it" : path) + " is " + what;
    };
    for (const std::string& path : candidates) {
      // The cheap checks first, for their clearer words: a file that is no SoundFont 2
      // at all, or one cut short.
      clearFluidError();
      if (!fluid_is_soundfont(path.c_str())) {
        const std::string why = lastFluidError();
        noteDamage(path, why.empty() ? "not a SoundFont 2 file" : "unreadable: " + why);
        continue;
      }
      if (std::string why = cutShort(path); !why.empty()) {
        noteDamage(path, why);
        continue;
      }
      // Presets are not reset on all 16 channels: with dynamic sample loading that would
      // read the drum kit of channel 9 too. Only channel 0 plays, and it starts on the
      // piano like every General MIDI channel. A font FluidSynth's own loader rejects
      // goes on to libinstpatch's, whose complaints are kept off the terminal: the line
      // below quotes the first loader's reason, which names the damage.
      int id = FLUID_FAILED;
      {
        QuietLibraries quiet;
        id = fluid_synth_sfload(synth.get(), path.c_str(), 0);
      }
      if (id != FLUID_FAILED) {
        fluid_synth_program_select(synth.get(), kChannel, id, 0, 0);
        {
          std::lock_guard lock(mutex);
          soundfont = path;
        }
        endLoad(Load::Loaded);
        return;
      }
      const std::string why = firstFluidError();
      noteDamage(path, why.empty() ? "damaged" : "damaged: " + why);
    }
    report("no sound: could not load the soundfont " + joined(candidates, " or ") + " (" +
           damage + ")");
    endLoad(Load::Failed);
  }

  // The loader thread's body: nothing may escape a thread.
  void loadSoundfontGuarded(const std::vector<std::string>& candidates) noexcept {
    try {
      loadSoundfont(candidates);
    } catch (...) {
      endLoad(Load::Failed);
    }
  }

  void endLoad(Load result) noexcept {
    std::lock_guard lock(mutex);
    if (load == Load::Pending) load = result;
    loadEnded.notify_all();
  }

  // True when calls may go to FluidSynth; applies the kept program change on the
  // first such call. Waits for the load only when asked to.
  bool readyToPlay(bool wait) {
    if (!silent && outputs && outputs->silent()) becomeSilent();
    if (ready) return true;
    if (silent) return false;
    std::unique_lock lock(mutex);
    if (wait) loadEnded.wait_for(lock, kLoadWait, [this] { return load != Load::Pending; });
    const Load now = load;
    lock.unlock();
    if (now == Load::Pending) return false;
    if (now == Load::Failed) {
      becomeSilent();
      return false;
    }
    ready = true;
    if (pendingProgram >= 0) fluid_synth_program_change(synth.get(), kChannel, pendingProgram);
    return true;
  }

  void becomeSilent() {
    silent = true;
    shutDown();
  }

  // Loader first (it uses the synth), then the outputs (their threads render the synth).
  void shutDown() {
    if (loader.joinable()) loader.join();
    outputs.reset();
    synth.reset();
    settings.reset();
  }
};

FluidSynthSynthesiser::FluidSynthSynthesiser(FluidSynthOptions options)
    : impl_(std::make_unique<Impl>()) {
  Impl& d = *impl_;
  d.options = std::move(options);
  quietFluidLog();
  clearFluidError();

  std::vector<std::string> candidates;
  for (const std::string& path : d.options.soundfonts)
    if (isSoundfontFile(path)) candidates.push_back(path);
  if (candidates.empty()) {
    const std::string folder = directoryAmong(d.options.soundfonts);
    if (!folder.empty())
      d.report("no sound: the soundfont " + folder + " is a directory, not a file");
    else
      d.report("no sound: no General MIDI soundfont found in " +
               joined(soundfontFolders(d.options.soundfonts), " or ") +
               " (install the Debian package " + kSoundfontPackage + ")");
    d.becomeSilent();
    return;
  }
  if (!d.configure()) {
    d.report(withFluidReason("no sound: FluidSynth could not be started"));
    d.becomeSilent();
    return;
  }
  if (d.options.audioOutput) d.startOutputs();
  if (d.options.loadInBackground) {
    d.loader = std::thread([&d, candidates] { d.loadSoundfontGuarded(candidates); });
  } else {
    d.loadSoundfont(candidates);
  }
}

FluidSynthSynthesiser::~FluidSynthSynthesiser() = default;

void FluidSynthSynthesiser::programChange(int program) {
  if (impl_->readyToPlay(false))
    fluid_synth_program_change(impl_->synth.get(), kChannel, program);
  else
    impl_->pendingProgram = program;
}

void FluidSynthSynthesiser::noteOn(int note, int velocity) {
  if (!impl_->readyToPlay(true)) return;
  fluid_synth_noteon(impl_->synth.get(), kChannel, note, velocity);
  // After the note-on, so that the stream it opens has the voice to render.
  if (impl_->outputs) impl_->outputs->wake();
}

void FluidSynthSynthesiser::noteOff(int note) {
  // Before the load ends no note can be sounding, so there is nothing to end.
  if (impl_->readyToPlay(false)) fluid_synth_noteoff(impl_->synth.get(), kChannel, note);
}

bool FluidSynthSynthesiser::waitUntilReady() {
  if (!impl_->readyToPlay(true)) return false;
  if (!impl_->options.audioOutput) return true;
  if (!impl_->outputs) return false;
  impl_->outputs->waitChosen(kOutputWait);
  return impl_->outputs->sounding();
}

std::string FluidSynthSynthesiser::soundfont() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->soundfont;
}

std::string FluidSynthSynthesiser::driver() const {
  return impl_->outputs ? impl_->outputs->name() : "";
}

bool FluidSynthSynthesiser::streaming() const {
  return impl_->outputs && impl_->outputs->streaming();
}

double FluidSynthSynthesiser::configuredBufferMs() const {
  return impl_->outputs ? impl_->outputs->bufferMs() : 0.0;
}

void FluidSynthSynthesiser::render(std::span<float> left, std::span<float> right) {
  const size_t frames = std::min(left.size(), right.size());
  if (impl_->options.audioOutput || !impl_->readyToPlay(true)) {
    std::fill(left.begin(), left.end(), 0.0f);
    std::fill(right.begin(), right.end(), 0.0f);
    return;
  }
  impl_->renderLimited(left.data(), right.data(), static_cast<int>(frames));
}

std::unique_ptr<Synthesiser> openSystemSynthesiser() noexcept {
  try {
    return std::make_unique<FluidSynthSynthesiser>();
  } catch (const std::exception& e) {
    reportOnStderr(std::string("no sound: the synthesiser could not be opened: ") + e.what());
  } catch (...) {
    reportOnStderr("no sound: the synthesiser could not be opened");
  }
  return makeSilentSynthesiser();
}

}  // namespace fw
