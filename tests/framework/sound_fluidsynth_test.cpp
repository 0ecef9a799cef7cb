// FluidSynth rendered offline: the same synthesiser as on the desktop, without an audio
// device, its samples pulled with render().

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "framework/sound/fluidsynth_synthesiser.h"
#include "framework/sound/note_gate.h"
#include "tests/e2e/pitch.h"
#include "tests/support/recording_sound.h"
#include "tests/support/stderr_watch.h"

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

double pitchOf(const std::vector<float>& samples) {
  return sound_check::fundamental(samples, kRate);
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

// Program 83 (Calliope Lead) rings on after its note-off, so quick notes at full velocity
// pile up to more than twice full scale before the limiter.
TEST_F(SoundFluidSynth, QuickLoudNotesStayBelowFullScale) {
  FluidSynthSynthesiser synth(offline());
  synth.programChange(82);
  std::vector<float> left(static_cast<size_t>(kRate / 8)), right(left.size());
  float peak = 0.0f;
  for (int i = 0, last = 0; i < 24; ++i) {
    const int note = 48 + (i * 7) % 36;
    playNote(synth, last, 0);
    playNote(synth, note, 127);
    last = note;
    synth.render(left, right);
    for (size_t k = 0; k < left.size(); ++k)
      peak = std::max({peak, std::fabs(left[k]), std::fabs(right[k])});
  }
  EXPECT_LE(peak, 0.8911f);
  EXPECT_GT(peak, 0.5f) << "still loud";
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

// What loading the one font at `path` in the background said: its lines, and what
// reached standard error meanwhile. The synthesiser must stay silent and working.
struct FailedLoad {
  std::vector<std::string> lines;
  std::string written;
};
FailedLoad loadSilently(const std::filesystem::path& path) {
  SoundReports reports;
  FluidSynthOptions options = offline(/*background=*/true);
  options.soundfonts = {path.string()};
  options.report = reports.sink();
  FailedLoad result;
  {
    testing_support::StderrWatch watch;
    {
      FluidSynthSynthesiser synth(options);
      expectSilentAndWorking(synth);
    }
    result.written = watch.takeNew();
  }
  result.lines = reports.lines();
  return result;
}

TEST(SoundFluidSynthFailures, NoSoundfontSaysSoOnceAndPlaysSilently) {
  SoundReports reports;
  FluidSynthOptions options;  // with a device: none may be opened for nothing
  options.soundfonts = {"/nonexistent/one/a.sf2", "/nonexistent/two/a.sf2",
                        "/nonexistent/one/b.sf2"};
  options.report = reports.sink();
  FluidSynthSynthesiser synth(options);
  expectSilentAndWorking(synth);
  EXPECT_EQ(synth.driver(), "");
  const std::vector<std::string> lines = reports.lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0],
            "no sound: no General MIDI soundfont found in /nonexistent/one or /nonexistent/two "
            "(install the Debian package fluid-soundfont-gm)");
}

TEST(SoundFluidSynthFailures, SoundfontsAreLookedForInTheDataDirectories) {
  const std::vector<std::string> standard = {
      "/usr/local/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/default-GM.sf2",
      "/usr/local/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2",
      "/usr/local/share/sounds/sf2/TimGM6mb.sf2",   "/usr/share/sounds/sf2/TimGM6mb.sf2"};
  EXPECT_EQ(soundfontsIn(nullptr), standard) << "unset";
  EXPECT_EQ(soundfontsIn(""), standard) << "empty";
  EXPECT_EQ(soundfontsIn(":relative/share:"), standard) << "no usable entry";

  // Preferred file first, then the directories in order; empty, relative and repeated
  // entries are skipped.
  const std::vector<std::string> two = {
      "/opt/b/sounds/sf2/default-GM.sf2", "/a/sounds/sf2/default-GM.sf2",
      "/opt/b/sounds/sf2/FluidR3_GM.sf2", "/a/sounds/sf2/FluidR3_GM.sf2",
      "/opt/b/sounds/sf2/TimGM6mb.sf2",   "/a/sounds/sf2/TimGM6mb.sf2"};
  EXPECT_EQ(soundfontsIn("::/opt/b/:share:/a::/opt/b"), two);
}

// A font whose download was cut off: said in the program's words, with nothing from the
// libraries underneath on standard error.
TEST_F(SoundFluidSynth, ASoundfontCutShortSaysSoOnceAndNothingElse) {
  std::string whole;
  for (const std::string& path : defaultSoundfonts())
    if (std::filesystem::exists(path)) {
      whole = path;
      break;
    }
  const auto path = std::filesystem::temp_directory_path() / "sound_test_cut_short.sf2";
  std::filesystem::copy_file(whole, path, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::resize_file(path, 100000);
  const auto [lines, written] = loadSilently(path);
  std::filesystem::remove(path);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("no sound: could not load the soundfont " + path.string() +
                               " (it is cut short: 100000 of its ",
                           0),
            0u)
      << lines[0];
  EXPECT_EQ(written, "");
}

TEST(SoundFluidSynthFailures, ACorruptSoundfontSaysSoOnceAndPlaysSilently) {
  const auto path = std::filesystem::temp_directory_path() / "sound_test_corrupt.sf2";
  std::ofstream(path) << "RIFF but not a soundfont";
  const std::vector<std::string> lines = loadSilently(path).lines;
  std::filesystem::remove(path);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "no sound: could not load the soundfont " + path.string() +
                          " (it is not a SoundFont 2 file)");
}

// A RIFF header that promises a whole font, with the right size, over a damaged body:
// it passes the cheap checks and reaches the loaders, FluidSynth's own and then
// libinstpatch's, which reports assertion failures of its own through GLib. Whatever the
// damage, one line of the program's says so and nothing else reaches standard error.
TEST(SoundFluidSynthFailures, ADamagedSoundfontSaysSoInOneLineAndNothingElse) {
  auto riff = [](const std::string& body) {
    std::string size(4, '\0');
    for (int i = 0; i < 4; ++i) size[i] = static_cast<char>((body.size() >> (8 * i)) & 0xff);
    return "RIFF" + size + body;
  };
  auto chunk = [&](const std::string& id, const std::string& data) {
    return riff(data).replace(0, 4, id);
  };
  const std::vector<std::string> damaged = {
      riff("sfbk" + std::string(4000, '\x5a')),  // nothing but noise after the form type
      // Sound lists, but the preset headers' chunk is not a whole number of records.
      riff("sfbk" + chunk("LIST", "INFO" + chunk("ifil", std::string("\2\0\1\0", 4))) +
           chunk("LIST", "sdta" + chunk("smpl", std::string(64, '\0'))) +
           chunk("LIST", "pdta" + chunk("phdr", std::string(37, '\1')))),
  };
  const auto path = std::filesystem::temp_directory_path() / "sound_test_damaged.sf2";
  for (const std::string& bytes : damaged) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    const auto [lines, written] = loadSilently(path);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("no sound: could not load the soundfont " + path.string() +
                                 " (it is damaged: ",
                             0),
              0u)
        << lines[0];
    EXPECT_EQ(written, "");
  }
  std::filesystem::remove(path);
}

// A folder where the font should be is named as such, not taken for a missing font.
TEST(SoundFluidSynthFailures, AFolderWhereTheSoundfontShouldBeIsNamedAsSuch) {
  const auto folder = std::filesystem::temp_directory_path() / "sound_test_folder.sf2";
  std::filesystem::create_directories(folder);
  SoundReports reports;
  FluidSynthOptions options = offline();
  options.soundfonts = {"/nonexistent/a.sf2", folder.string()};
  options.report = reports.sink();
  {
    FluidSynthSynthesiser synth(options);
    expectSilentAndWorking(synth);
  }
  std::filesystem::remove(folder);
  EXPECT_EQ(reports.lines(), std::vector<std::string>{"no sound: the soundfont " +
                                                      folder.string() +
                                                      " is a directory, not a file"});
}

}  // namespace
}  // namespace fw
