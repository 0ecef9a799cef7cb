#include "framework/sound/audio_outputs.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "framework/sound/fluid_log.h"
#include "framework/sound/listing.h"

namespace fw {

const char* const kPulseOutputName = "pulseaudio";

namespace {

struct DriverDeleter {
  void operator()(fluid_audio_driver_t* d) const { delete_fluid_audio_driver(d); }
};
using Driver = std::unique_ptr<fluid_audio_driver_t, DriverDeleter>;

}  // namespace

struct AudioOutputs::Impl {
  using Start = PulseOutput::Start;

  AudioOutputsSetup setup;
  std::thread opener;

  mutable std::mutex outputMutex;  // guards the three below; never held while opening
  // The program's own stream; it stays, waiting for a server, when none answered at
  // start and no other driver opened.
  std::unique_ptr<PulseOutput> pulse;
  Driver driver;
  std::string driverName;

  // The opener's state, apart from outputMutex: the stream's thread tells its first
  // outcome holding its own lock, which wake() takes inside outputMutex.
  std::mutex choiceMutex;
  std::condition_variable choiceChanged;
  std::optional<Start> pulseStart;
  bool choosing = true;  // the opener has not chosen yet
  bool stopping = false;
  std::atomic<bool> silent{false};

  void report(const std::string& line) const noexcept {
    try {
      if (setup.report) setup.report(line);
    } catch (...) {
    }
  }

  void makeStream() {
    const auto& drivers = setup.drivers;
    if (std::find(drivers.begin(), drivers.end(), kPulseOutputName) == drivers.end()) return;
    pulse = std::make_unique<PulseOutput>(setup.applicationName, setup.sampleRate, setup.render,
                                          setup.report, [this](Start outcome) {
                                            std::lock_guard lock(choiceMutex);
                                            pulseStart = outcome;
                                            choiceChanged.notify_all();
                                          });
    if (!pulse->started()) pulse.reset();
  }

  // On the opener thread.
  void choose() {
    bool stream = false;
    {
      std::lock_guard lock(outputMutex);
      stream = pulse != nullptr;
    }
    for (const std::string& name : setup.drivers) {
      if (name == kPulseOutputName) {
        if (!stream) continue;
        const std::optional<Start> outcome = awaitStreamStart();
        if (!outcome || *outcome == Start::Answered) return;
        if (*outcome == Start::NotAnswering) return sayNotAnswering();
        continue;
      }
      if (stoppingNow()) return;
      if (fluid_settings_setstr(setup.settings, "audio.driver", name.c_str()) != FLUID_OK) continue;
      Driver opened(new_fluid_audio_driver2(setup.settings, setup.driverRender, setup.driverData));
      if (opened) {
        std::unique_ptr<PulseOutput> unused;  // closed outside the lock
        std::lock_guard lock(outputMutex);
        unused = std::move(pulse);
        driver = std::move(opened);
        driverName = name;
        return;
      }
    }
    report(withFluidReason("no sound: could not open an audio output with " +
                           joined(setup.drivers, " or ")));
    if (!stream) silent = true;
  }

  void chooseGuarded() noexcept {
    try {
      choose();
    } catch (...) {
    }
    std::lock_guard lock(choiceMutex);
    choosing = false;
    choiceChanged.notify_all();
  }

  // The stream's first outcome; nothing when stopping.
  std::optional<Start> awaitStreamStart() {
    std::unique_lock lock(choiceMutex);
    choiceChanged.wait(lock, [this] { return pulseStart || stopping; });
    if (stopping) return std::nullopt;
    return pulseStart;
  }

  bool stoppingNow() {
    std::lock_guard lock(choiceMutex);
    return stopping;
  }

  void sayNotAnswering() {
    std::string server;
    {
      std::lock_guard lock(outputMutex);
      if (pulse) server = pulse->server();
    }
    report("no sound: the sound server " + (server.empty() ? "" : server + " ") +
           "does not answer: no sound until it does");
  }
};

AudioOutputs::AudioOutputs(AudioOutputsSetup setup) : impl_(std::make_unique<Impl>()) {
  Impl& d = *impl_;
  d.setup = std::move(setup);
  d.makeStream();
  d.opener = std::thread([&d] { d.chooseGuarded(); });
}

AudioOutputs::~AudioOutputs() {
  Impl& d = *impl_;
  {
    std::lock_guard lock(d.choiceMutex);
    d.stopping = true;
    d.choiceChanged.notify_all();
  }
  if (d.opener.joinable()) d.opener.join();
  std::lock_guard lock(d.outputMutex);
  d.pulse.reset();
  d.driver.reset();
}

void AudioOutputs::wake() {
  std::lock_guard lock(impl_->outputMutex);
  if (impl_->pulse) impl_->pulse->wake();
}

bool AudioOutputs::silent() const {
  return impl_->silent;
}

bool AudioOutputs::waitChosen(std::chrono::milliseconds wait) {
  std::unique_lock lock(impl_->choiceMutex);
  return impl_->choiceChanged.wait_for(lock, wait, [this] { return !impl_->choosing; });
}

bool AudioOutputs::sounding() const {
  std::lock_guard lock(impl_->outputMutex);
  return impl_->driver || (impl_->pulse && impl_->pulse->connected());
}

std::string AudioOutputs::name() const {
  std::lock_guard lock(impl_->outputMutex);
  if (impl_->pulse) return impl_->pulse->connected() ? kPulseOutputName : "";
  return impl_->driverName;
}

bool AudioOutputs::streaming() const {
  std::lock_guard lock(impl_->outputMutex);
  return impl_->pulse && impl_->pulse->streaming();
}

double AudioOutputs::bufferMs() const {
  std::lock_guard lock(impl_->outputMutex);
  if (impl_->pulse) return impl_->pulse->bufferMs();
  if (!impl_->driver) return 0.0;
  int periodSize = 0;
  int periods = 0;
  fluid_settings_t* settings = impl_->setup.settings;
  fluid_settings_getint(settings, "audio.period-size", &periodSize);
  fluid_settings_getint(settings, "audio.periods", &periods);
  return 1000.0 * periodSize * periods / impl_->setup.sampleRate;
}

}  // namespace fw
