// The synthesiser on a real sound server: a private PulseAudio with a null sink, so the
// test hears nothing and needs no sound card. Skipped where pulseaudio is missing.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/sound/fluidsynth_synthesiser.h"
#include "tests/framework/private_pulse.h"
#include "tests/support/recording_sound.h"

namespace fw {
namespace {

namespace fs = std::filesystem;

class SoundPulse : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!onPath("pulseaudio") || !onPath("pactl")) GTEST_SKIP() << "pulseaudio is not installed";
    bool font = false;
    for (const std::string& path : defaultSoundfonts()) font = font || fs::exists(path);
    if (!font) GTEST_SKIP() << "no General MIDI soundfont installed";
  }
};

// Without any server: needs the soundfont alone.
class SoundNoServer : public ::testing::Test {
 protected:
  void SetUp() override {
    bool font = false;
    for (const std::string& path : defaultSoundfonts()) font = font || fs::exists(path);
    if (!font) GTEST_SKIP() << "no General MIDI soundfont installed";
  }
};

// Only the line about real-time scheduling may come, when the system refuses it.
void expectAtMostTheRealtimeLine(const std::vector<std::string>& lines) {
  EXPECT_LE(lines.size(), 1u);
  for (const std::string& line : lines)
    EXPECT_EQ(line.rfind("no real-time scheduling for the sound (", 0), 0u) << line;
}

TEST_F(SoundPulse, PlaysAsAStreamOnTheSoundServerUnderTheProgramsName) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.answers()) << "the private pulseaudio did not start";
  ScopedEnv server("PULSE_SERVER", pulse.server());
  SoundReports reports;
  FluidSynthOptions options;
  options.report = reports.sink();
  FluidSynthSynthesiser synth(options);
  EXPECT_TRUE(synth.waitUntilReady());
  EXPECT_EQ(synth.driver(), "pulseaudio");
  EXPECT_GT(synth.configuredBufferMs(), 0.0);
  EXPECT_LE(synth.configuredBufferMs(), 25.0);
  EXPECT_EQ(output(pulse.pactl("list short sink-inputs")), "") << "no stream before a note";
  synth.programChange(73);
  synth.noteOn(60, 100);
  std::string streams;
  EXPECT_TRUE(eventually(5, [&] {
    streams = output(pulse.pactl("list sink-inputs"));
    return !streams.empty();
  }));
  EXPECT_NE(streams.find("application.name = \"VELMO TAVI Italian Edition\""), std::string::npos)
      << streams;
  EXPECT_NE(streams.find("media.role = \"music\""), std::string::npos) << streams;
  EXPECT_NE(streams.find(": float32le 2ch 48000Hz"), std::string::npos)
      << streams;
  synth.noteOff(60);
  expectAtMostTheRealtimeLine(reports.lines());
}

TEST_F(SoundPulse, TheProcessSynthesiserOpensOnFirstUseAndShutsDownWhenReplaced) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.answers()) << "the private pulseaudio did not start";
  ScopedEnv server("PULSE_SERVER", pulse.server());
  std::unique_ptr<Synthesiser> before = installSynthesiser(nullptr);
  ASSERT_EQ(installedSynthesiser(), nullptr);
  auto* opened = dynamic_cast<FluidSynthSynthesiser*>(&synthesiser());
  ASSERT_NE(opened, nullptr);
  EXPECT_TRUE(opened->waitUntilReady());
  EXPECT_EQ(opened->driver(), "pulseaudio");
  opened->noteOn(60, 100);
  EXPECT_TRUE(
      eventually(5, [&] { return !output(pulse.pactl("list short sink-inputs")).empty(); }));
  installSynthesiser(std::move(before));
  // The server notices the closed stream on its own time.
  EXPECT_TRUE(eventually(5, [&] { return output(pulse.pactl("list short sink-inputs")).empty(); }))
      << "the stream is closed";
}

TEST_F(SoundNoServer, ItRunsSilentWithOneLine) {
  ScopedEnv server("PULSE_SERVER", "unix:/nonexistent/native");
  SoundReports reports;
  FluidSynthOptions options;
  options.drivers = {"pulseaudio"};
  options.report = reports.sink();
  ::testing::internal::CaptureStderr();
  {
    FluidSynthSynthesiser synth(options);
    EXPECT_FALSE(synth.waitUntilReady());
    EXPECT_EQ(synth.driver(), "");
    synth.programChange(1);
    synth.noteOn(60, 100);
    synth.noteOff(60);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  const std::vector<std::string> lines = reports.lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("pulseaudio"), std::string::npos) << lines[0];
}

TEST_F(SoundNoServer, ItFallsBackToAlsaOrSilence) {
  ScopedEnv server("PULSE_SERVER", "unix:/nonexistent/native");
  SoundReports reports;
  FluidSynthOptions options;
  options.report = reports.sink();
  ::testing::internal::CaptureStderr();
  {
    FluidSynthSynthesiser synth(options);
    const bool ready = synth.waitUntilReady();
    if (synth.driver() == "alsa") {
      EXPECT_TRUE(ready);
      EXPECT_EQ(reports.lines(), std::vector<std::string>{});
    } else {
      EXPECT_EQ(synth.driver(), "");
      EXPECT_EQ(reports.lines().size(), 1u);
    }
    synth.noteOn(60, 100);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "only our own line, through report";
}

}  // namespace
}  // namespace fw
