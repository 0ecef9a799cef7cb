// The program's stream on a sound server that comes and goes (a private PulseAudio with
// a null sink): open only while something sounds, found again when a server starts on
// the socket after the last one went, or after the program started; and played with no
// system D-Bus to ask for real-time scheduling.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/sound/fluidsynth_synthesiser.h"
#include "framework/sound/pulse_output.h"
#include "tests/framework/private_pulse.h"
#include "tests/support/no_rtprio.h"
#include "tests/support/recording_sound.h"

namespace fw {
namespace {

constexpr int kChurchOrgan = 19;  // General MIDI program 20, zero-based: sounds while held
constexpr const char* kWentAway = "the sound server went away: no sound until it is back";

class SoundServer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!onPath("pulseaudio") || !onPath("pactl")) GTEST_SKIP() << "pulseaudio is not installed";
    bool font = false;
    for (const std::string& path : defaultSoundfonts())
      font = font || std::filesystem::exists(path);
    if (!font) GTEST_SKIP() << "no General MIDI soundfont installed";
  }

  // Only the server: no fallback to ALSA, whose device may exist or not.
  FluidSynthOptions serverOnly() {
    FluidSynthOptions options;
    options.drivers = {"pulseaudio"};
    options.report = reports_.sink();
    return options;
  }

  long linesWith(const std::string& text) const {
    const std::vector<std::string> lines = reports_.lines();
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.find(text) != std::string::npos;
    });
  }

  SoundReports reports_;
};

bool hasStream(const PrivatePulse& pulse) {
  return !output(pulse.pactl("list short sink-inputs")).empty();
}

// Neither the process's own limit nor RealtimeKit can grant real-time scheduling: the
// sound still plays, with a larger buffer, and that is said in one line.
TEST_F(SoundServer, WithNoSystemBusAtAllItPlaysAndSaysOnceThatItHasNoRealtime) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.answers()) << "the private pulseaudio did not start";
  ScopedEnv server("PULSE_SERVER", pulse.server());
  ScopedEnv noBus("DBUS_SYSTEM_BUS_ADDRESS",
                  "unix:path=" + (pulse.dir() / "no_system_bus").string());
  testing_support::NoRtprio noRtprio;
  FluidSynthSynthesiser synth(serverOnly());
  ASSERT_TRUE(synth.waitUntilReady());

  synth.noteOn(60, 100);
  EXPECT_TRUE(eventually(5, [&] { return synth.streaming() && hasStream(pulse); }))
      << "no stream on the server";
  EXPECT_TRUE(eventually(5, [&] { return !reports_.lines().empty(); })) << "nothing was said";
  synth.noteOff(60);
  synth.noteOn(62, 100);
  synth.noteOff(62);
  const std::vector<std::string> lines = reports_.lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("no real-time scheduling for the sound (no system D-Bus", 0), 0u)
      << lines[0];
  EXPECT_NE(lines[0].find("ms buffer keeps it steady"), std::string::npos) << lines[0];
}

TEST_F(SoundServer, TheStreamIsOpenWhileANoteSoundsAndClosesAboutASecondAfter) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.answers()) << "the private pulseaudio did not start";
  ScopedEnv server("PULSE_SERVER", pulse.server());
  FluidSynthSynthesiser synth(serverOnly());
  ASSERT_TRUE(synth.waitUntilReady());
  EXPECT_FALSE(synth.streaming()) << "no stream before the first note";

  synth.programChange(kChurchOrgan);
  synth.noteOn(60, 100);
  ASSERT_TRUE(eventually(5, [&] { return synth.streaming() && hasStream(pulse); }));
  // An idle null sink may take up to 2 s to start taking a new stream's sound, so the
  // note is held long enough for well over a second of it to be rendered.
  std::this_thread::sleep_for(std::chrono::milliseconds(4500));
  EXPECT_TRUE(synth.streaming() && hasStream(pulse)) << "a held note keeps its stream";

  synth.noteOff(60);
  EXPECT_TRUE(eventually(10, [&] { return !synth.streaming() && !hasStream(pulse); }))
      << "silence closes the stream";
  synth.noteOn(62, 100);
  EXPECT_TRUE(eventually(5, [&] { return synth.streaming() && hasStream(pulse); }))
      << "the next note opens it again";
  synth.noteOff(62);
  EXPECT_LE(linesWith("no real-time scheduling"), 1) << "said once, however many streams";
}

// A voice that is still alive but renders below hearing (a held piano note long after
// it died away) is silence: the stream closes as after the last voice ended. Quiet sound
// that is heard keeps it open.
TEST_F(SoundServer, SoundBelowHearingLetsTheStreamCloseWhileAVoiceLives) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.answers()) << "the private pulseaudio did not start";
  ScopedEnv server("PULSE_SERVER", pulse.server());
  std::atomic<float> level{0.01f};  // -40 dBFS
  PulseOutput out(
      "test", 48000,
      [&](float* left, float* right, int frames) {
        const float now = level;
        for (int i = 0; i < frames; ++i) left[i] = right[i] = i % 2 ? now : -now;
        return true;  // a voice sounds throughout
      },
      [](const std::string&) {});
  ASSERT_TRUE(eventually(5, [&] { return out.connected(); }));
  out.wake();
  ASSERT_TRUE(eventually(5, [&] { return out.streaming() && hasStream(pulse); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(3000));
  EXPECT_TRUE(out.streaming()) << "quiet sound that is heard keeps the stream";

  level = 1e-6f;  // -120 dBFS
  EXPECT_TRUE(eventually(10, [&] { return !out.streaming() && !hasStream(pulse); }))
      << "sound below hearing lets the stream close";
}

TEST_F(SoundServer, WhenTheServerGoesItSaysSoOnceAndPlaysOnTheNextOne) {
  ScopedEnv server("PULSE_SERVER", PrivatePulse::address());
  auto pulse = std::make_unique<PrivatePulse>();
  ASSERT_TRUE(pulse->answers()) << "the private pulseaudio did not start";
  FluidSynthSynthesiser synth(serverOnly());
  ASSERT_TRUE(synth.waitUntilReady());
  synth.noteOn(60, 100);
  ASSERT_TRUE(eventually(5, [&] { return hasStream(*pulse); }));

  pulse.reset();
  EXPECT_TRUE(eventually(10, [&] { return synth.driver().empty() && linesWith(kWentAway) > 0; }));
  synth.noteOff(60);
  synth.noteOn(62, 100);  // no server: nothing to play on, and nothing more said
  synth.noteOff(62);

  pulse = std::make_unique<PrivatePulse>();
  ASSERT_TRUE(pulse->answers()) << "the second pulseaudio did not start";
  EXPECT_TRUE(eventually(10, [&] { return synth.driver() == "pulseaudio"; }));
  EXPECT_TRUE(synth.waitUntilReady());
  synth.noteOn(64, 100);
  EXPECT_TRUE(eventually(5, [&] { return hasStream(*pulse); })) << "the next note plays there";
  synth.noteOff(64);
  EXPECT_EQ(linesWith(kWentAway), 1);
}

// A held organ note is still sounding when the server goes: it is heard again on the
// next server without another key, as a note played while no server answered is.
TEST_F(SoundServer, ANoteHeldWhileTheServerRestartsSoundsOnTheNextOne) {
  ScopedEnv server("PULSE_SERVER", PrivatePulse::address());
  auto pulse = std::make_unique<PrivatePulse>();
  ASSERT_TRUE(pulse->answers()) << "the private pulseaudio did not start";
  FluidSynthSynthesiser synth(serverOnly());
  ASSERT_TRUE(synth.waitUntilReady());
  synth.programChange(kChurchOrgan);
  synth.noteOn(60, 100);
  ASSERT_TRUE(eventually(5, [&] { return hasStream(*pulse); }));

  pulse.reset();
  ASSERT_TRUE(eventually(10, [&] { return synth.driver().empty(); }));
  pulse = std::make_unique<PrivatePulse>();
  ASSERT_TRUE(pulse->answers()) << "the second pulseaudio did not start";
  EXPECT_TRUE(eventually(10, [&] { return synth.streaming() && hasStream(*pulse); }))
      << "the held note has a stream on the new server";
  synth.noteOff(60);
}

TEST_F(SoundServer, StartedBeforeAnyServerItPlaysOnceOneStarts) {
  ScopedEnv server("PULSE_SERVER", PrivatePulse::address());
  FluidSynthSynthesiser synth(serverOnly());
  EXPECT_FALSE(synth.waitUntilReady());
  EXPECT_EQ(synth.driver(), "");
  EXPECT_EQ(linesWith("no sound: could not open an audio output with pulseaudio"), 1);

  // A note held while no server is there sounds as soon as one answers.
  synth.programChange(kChurchOrgan);
  synth.noteOn(60, 100);
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.answers()) << "the private pulseaudio did not start";
  EXPECT_TRUE(eventually(10, [&] { return synth.driver() == "pulseaudio" && hasStream(pulse); }));
  EXPECT_TRUE(synth.waitUntilReady());
  synth.noteOff(60);
  EXPECT_EQ(linesWith("no sound:"), 1) << "nothing more is said";
  EXPECT_EQ(linesWith(kWentAway), 0);
}

// A note-on never waits for the output's thread, which may hold its lock for long (in
// libpulse, starting a server on the first attempt): here it renders and waits until
// the second wake() has returned, or gives up after 10 s, which wake() would wait for
// if it took the lock.
TEST_F(SoundServer, WakeReturnsWhileTheOutputsThreadHoldsItsLock) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.answers()) << "the private pulseaudio did not start";
  ScopedEnv server("PULSE_SERVER", pulse.server());
  std::mutex mutex;
  std::condition_variable changed;
  bool rendering = false;
  bool woken = false;
  bool gaveUp = false;
  PulseOutput out(
      "test", 48000,
      [&](float* left, float* right, int frames) {
        std::fill_n(left, frames, 0.0f);
        std::fill_n(right, frames, 0.0f);
        std::unique_lock lock(mutex);
        if (!rendering) {
          rendering = true;
          changed.notify_all();
          gaveUp = !changed.wait_for(lock, std::chrono::seconds(10), [&] { return woken; });
        }
        return true;
      },
      [](const std::string&) {});
  ASSERT_TRUE(eventually(5, [&] { return out.connected(); }));
  out.wake();
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(5), [&] { return rendering; }));
  }
  out.wake();
  {
    std::lock_guard lock(mutex);
    woken = true;
    changed.notify_all();
  }
  std::lock_guard lock(mutex);
  EXPECT_FALSE(gaveUp) << "wake() waited for the output's thread";
}

// The first attempt's outcome tells a live server, none at all, and one that took the
// connection and does not answer; the last is still waited for and found once it does.
TEST_F(SoundServer, TheFirstAttemptTellsALiveServerFromNoneAndFromOneThatDoesNotAnswer) {
  using Start = PulseOutput::Start;
  // What the callback told: how many times, and the last outcome.
  struct Outcomes {
    std::atomic<int> told{0};
    std::atomic<Start> last{Start::Answered};
    PulseOutput::Started sink() {
      return [this](Start outcome) {
        last = outcome;
        ++told;
      };
    }
    bool onlyEver(Start outcome) const { return told == 1 && last == outcome; }
  };
  auto silence = [](float* left, float* right, int frames) {
    std::fill_n(left, frames, 0.0f);
    std::fill_n(right, frames, 0.0f);
    return false;
  };
  auto quiet = [](const std::string&) {};

  PrivatePulse pulse;
  ASSERT_TRUE(pulse.answers()) << "the private pulseaudio did not start";
  {
    ScopedEnv server("PULSE_SERVER", pulse.server());
    Outcomes live;
    PulseOutput out("test", 48000, silence, quiet, live.sink());
    EXPECT_TRUE(eventually(5, [&] { return live.onlyEver(Start::Answered); }));
    EXPECT_TRUE(out.connected());
    EXPECT_EQ(out.server(), pulse.server());
  }
  {
    ScopedEnv server("PULSE_SERVER", "unix:" + (pulse.dir() / "nobody-here").string());
    Outcomes none;
    PulseOutput out("test", 48000, silence, quiet, none.sink());
    EXPECT_TRUE(eventually(5, [&] { return none.onlyEver(Start::NoServer); }));
    EXPECT_FALSE(out.connected());
  }
  {
    ScopedEnv server("PULSE_SERVER", pulse.server());
    pulse.pause();
    Outcomes hung;
    PulseOutput out("test", 48000, silence, quiet, hung.sink());
    EXPECT_EQ(hung.told, 0) << "nothing is waited for before the constructor returns";
    EXPECT_TRUE(eventually(10, [&] { return hung.onlyEver(Start::NotAnswering); }));
    EXPECT_FALSE(out.connected());
    pulse.resume();
    EXPECT_TRUE(eventually(10, [&] { return out.connected(); })) << "found once it answers";
    EXPECT_TRUE(hung.onlyEver(Start::NotAnswering)) << "told once";
  }
}

// A server that hangs holds nothing back: the synthesiser opens at once, says in one
// line that the server does not answer (not that no output could be opened: ALSA's
// default device, usually that same server, is not tried), and a note held meanwhile is
// heard once the server goes on.
TEST_F(SoundServer, AServerThatDoesNotAnswerIsSaidOnceAndHeardOnceItGoesOn) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.answers()) << "the private pulseaudio did not start";
  ScopedEnv server("PULSE_SERVER", pulse.server());
  pulse.pause();
  FluidSynthOptions options;  // the default outputs: the server, then ALSA
  options.report = reports_.sink();
  FluidSynthSynthesiser synth(options);
  EXPECT_EQ(reports_.lines(), std::vector<std::string>{}) << "the server was not waited for";

  synth.programChange(kChurchOrgan);
  synth.noteOn(60, 100);
  EXPECT_TRUE(eventually(10, [&] { return linesWith("no sound:") > 0; }));
  EXPECT_EQ(linesWith("no sound: the sound server " + pulse.server() +
                      " does not answer: no sound until it does"),
            1);
  EXPECT_EQ(synth.driver(), "");

  pulse.resume();
  EXPECT_TRUE(eventually(10, [&] { return synth.driver() == "pulseaudio" && hasStream(pulse); }))
      << "the held note plays once the server answers";
  synth.noteOff(60);
  EXPECT_EQ(linesWith("no sound:"), 1) << "nothing more is said";
}

}  // namespace
}  // namespace fw
