// FluidSynth rendered offline: the same synthesiser as on the desktop, without an audio
// device, its samples pulled with render().

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "framework/sound/fluidsynth_synthesiser.h"
#include "framework/sound/note_gate.h"
#include "tests/support/recording_sound.h"

namespace fw {
namespace {

constexpr double kRate = 48000.0;
constexpr double kMiddleC = 261.63;
// FluidSynth's effects leave noise far below anything audible.
constexpr double kSilence = 1e-6;
constexpr int kPiano = 0;
constexpr int kChurchOrgan = 19;
constexpr int kFlute = 73;

std::vector<float> renderSeconds(FluidSynthSynthesiser& synth, double seconds) {
  std::vector<float> left(static_cast<size_t>(seconds * kRate));
  std::vector<float> right(left.size());
  synth.render(left, right);
  for (size_t i = 0; i < left.size(); ++i) left[i] = 0.5f * (left[i] + right[i]);
  return left;
}

double rms(const std::vector<float>& samples, size_t from = 0) {
  double sum = 0.0;
  for (size_t i = from; i < samples.size(); ++i) sum += double(samples[i]) * samples[i];
  return samples.size() > from ? std::sqrt(sum / double(samples.size() - from)) : 0.0;
}

// The pitch by autocorrelation: the first lag whose correlation comes within 10 % of
// the best one, so a period of two cycles is not taken for the fundamental.
double pitchOf(const std::vector<float>& samples) {
  const size_t minLag = static_cast<size_t>(kRate / 2000.0);
  const size_t maxLag = static_cast<size_t>(kRate / 50.0);
  const size_t window = samples.size() - maxLag;
  std::vector<double> correlation(maxLag + 1, 0.0);
  double best = 0.0;
  for (size_t lag = minLag; lag <= maxLag; ++lag) {
    for (size_t i = 0; i < window; ++i) correlation[lag] += double(samples[i]) * samples[i + lag];
    best = std::max(best, correlation[lag]);
  }
  for (size_t lag = minLag + 1; lag < maxLag; ++lag) {
    const double c = correlation[lag];
    if (c >= 0.9 * best && c >= correlation[lag - 1] && c >= correlation[lag + 1]) {
      // Parabolic interpolation between the neighbouring lags.
      const double a = correlation[lag - 1], b = c, d = correlation[lag + 1];
      const double shift = (a - d) / (2.0 * (a - 2.0 * b + d));
      return kRate / (double(lag) + (std::isfinite(shift) ? shift : 0.0));
    }
  }
  return 0.0;
}

// Strengths of the first eight harmonics of f0, normalised to a unit vector.
std::vector<double> harmonicProfile(const std::vector<float>& samples, double f0) {
  std::vector<double> profile;
  double norm = 0.0;
  for (int k = 1; k <= 8; ++k) {
    double re = 0.0, im = 0.0;
    const double w = 2.0 * M_PI * k * f0 / kRate;
    for (size_t i = 0; i < samples.size(); ++i) {
      re += samples[i] * std::cos(w * double(i));
      im += samples[i] * std::sin(w * double(i));
    }
    profile.push_back(std::hypot(re, im));
    norm += profile.back() * profile.back();
  }
  for (double& p : profile) p /= std::sqrt(norm);
  return profile;
}

double distance(const std::vector<double>& a, const std::vector<double>& b) {
  double sum = 0.0;
  for (size_t i = 0; i < a.size(); ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
  return std::sqrt(sum);
}

FluidSynthOptions offline(bool background = false) {
  FluidSynthOptions options;
  options.audioOutput = false;
  options.loadInBackground = background;
  return options;
}

class SoundFluidSynth : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& path : defaultSoundfonts())
      if (std::filesystem::exists(path)) return;
    GTEST_SKIP() << "no General MIDI soundfont installed";
  }

  // 0.4 s of the note on `program` after the attack.
  std::vector<float> sustainOf(int program, int note = 60) {
    FluidSynthSynthesiser synth(offline());
    synth.programChange(program);
    synth.noteOn(note, 100);
    renderSeconds(synth, 0.1);
    return renderSeconds(synth, 0.4);
  }
};

TEST_F(SoundFluidSynth, MiddleCSoundsAtItsPitchAndDiesAwayAfterNoteOff) {
  FluidSynthSynthesiser synth(offline());
  ASSERT_TRUE(synth.waitUntilReady());
  EXPECT_FALSE(synth.soundfont().empty());
  EXPECT_EQ(synth.driver(), "");
  EXPECT_LT(rms(renderSeconds(synth, 0.1)), kSilence) << "silence before any note";

  synth.noteOn(60, 100);
  renderSeconds(synth, 0.05);
  const std::vector<float> sounding = renderSeconds(synth, 0.3);
  const double loud = rms(sounding);
  EXPECT_GT(loud, 0.01);
  EXPECT_NEAR(pitchOf(sounding), kMiddleC, 0.03 * kMiddleC);

  synth.noteOff(60);
  const std::vector<float> after = renderSeconds(synth, 2.0);
  EXPECT_LT(rms(after, after.size() - size_t(0.25 * kRate)), 0.05 * loud);
}

TEST_F(SoundFluidSynth, PlayNoteClampsAnOverloudVelocityAndIgnoresNotesOutsideMidi) {
  FluidSynthSynthesiser synth(offline());
  playNote(synth, 130, 100);
  playNote(synth, 130, 0);
  EXPECT_LT(rms(renderSeconds(synth, 0.3)), kSilence);

  playNote(synth, 60, 154);
  const std::vector<float> sounding = renderSeconds(synth, 0.3);
  EXPECT_GT(rms(sounding), 0.01);
  EXPECT_NEAR(pitchOf(sounding), kMiddleC, 0.03 * kMiddleC);
}

TEST_F(SoundFluidSynth, InstrumentsSoundDifferent) {
  const auto piano = harmonicProfile(sustainOf(kPiano), kMiddleC);
  const auto flute = harmonicProfile(sustainOf(kFlute), kMiddleC);
  const auto organ = harmonicProfile(sustainOf(kChurchOrgan), kMiddleC);
  EXPECT_GT(distance(piano, organ), 0.5);
  EXPECT_GT(distance(flute, organ), 0.5);
  EXPECT_GT(distance(piano, flute), 0.15);
  EXPECT_LT(distance(flute, harmonicProfile(sustainOf(kFlute), kMiddleC)), 0.02)
      << "the same instrument twice sounds alike";
}

TEST_F(SoundFluidSynth, AProgramChangedWhileTheFontLoadsIsKept) {
  const auto flute = harmonicProfile(sustainOf(kFlute), kMiddleC);
  FluidSynthSynthesiser synth(offline(/*background=*/true));
  synth.programChange(kFlute);
  synth.noteOn(60, 100);
  renderSeconds(synth, 0.1);
  EXPECT_LT(distance(harmonicProfile(renderSeconds(synth, 0.4), kMiddleC), flute), 0.05);
}

void expectSilentAndWorking(FluidSynthSynthesiser& synth) {
  EXPECT_FALSE(synth.waitUntilReady());
  synth.programChange(40);
  playNote(synth, 60, 100);
  playNote(synth, 60, 0);
  EXPECT_LT(rms(renderSeconds(synth, 0.1)), kSilence);
}

TEST(SoundFluidSynthFailures, NoSoundfontSaysSoOnceAndPlaysSilently) {
  SoundReports reports;
  FluidSynthOptions options;  // with a device: none may be opened for nothing
  options.soundfonts = {"/nonexistent/one.sf2", "/nonexistent/two.sf2"};
  options.report = reports.sink();
  FluidSynthSynthesiser synth(options);
  expectSilentAndWorking(synth);
  EXPECT_EQ(synth.driver(), "");
  const std::vector<std::string> lines = reports.lines();
  ASSERT_EQ(lines.size(), 1u);
  for (const char* part : {"/nonexistent/one.sf2", "/nonexistent/two.sf2", "fluid-soundfont-gm"})
    EXPECT_NE(lines[0].find(part), std::string::npos) << lines[0];
}

TEST(SoundFluidSynthFailures, ACorruptSoundfontSaysSoOnceAndPlaysSilently) {
  const auto path = std::filesystem::temp_directory_path() / "sound_test_corrupt.sf2";
  std::ofstream(path) << "RIFF but not a soundfont";
  SoundReports reports;
  FluidSynthOptions options = offline(/*background=*/true);
  options.soundfonts = {path.string()};
  options.report = reports.sink();
  {
    FluidSynthSynthesiser synth(options);
    expectSilentAndWorking(synth);
  }
  std::filesystem::remove(path);
  const std::vector<std::string> lines = reports.lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(path.string()), std::string::npos) << lines[0];
}

}  // namespace
}  // namespace fw
