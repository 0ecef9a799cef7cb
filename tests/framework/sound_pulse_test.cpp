// The synthesiser on a real sound server: a private PulseAudio with a null sink, so the
// test hears nothing and needs no sound card. Skipped where pulseaudio is missing.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "framework/sound/fluidsynth_synthesiser.h"
#include "tests/support/recording_sound.h"

extern char** environ;

namespace fw {
namespace {

namespace fs = std::filesystem;

std::string output(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    std::array<char, 512> buffer;
    while (fgets(buffer.data(), buffer.size(), pipe)) text += buffer.data();
    pclose(pipe);
  }
  return text;
}

bool onPath(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// A PulseAudio server of the test's own, in a temporary folder, stopped by its pid.
class PrivatePulse {
 public:
  PrivatePulse() : dir_(fs::temp_directory_path() / ("sound_pulse_" + std::to_string(getpid()))) {
    fs::create_directories(dir_ / "home");
    fs::create_directories(dir_ / "run");
    server_ = "unix:" + (dir_ / "native").string();
    const std::string home = "HOME=" + (dir_ / "home").string();
    const std::string runtime = "XDG_RUNTIME_DIR=" + (dir_ / "run").string();
    const std::string socket = "module-native-protocol-unix socket=" + (dir_ / "native").string();
    const std::string log = (dir_ / "pulseaudio.log").string();
    std::vector<std::string> args = {"pulseaudio", "--daemonize=no",          "--exit-idle-time=-1",
                                     "-n",         "--load=module-null-sink", "--load=" + socket};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {home, runtime, "PATH=/usr/bin:/bin"};
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (posix_spawnp(&pid_, "pulseaudio", &actions, nullptr, argv.data(), envp.data()) != 0)
      pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    for (int i = 0; i < 100 && pid_ != 0 && !answers(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ~PrivatePulse() {
    if (pid_ != 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  bool answers() const { return std::system(pactl("info >/dev/null 2>&1").c_str()) == 0; }
  std::string pactl(const std::string& args) const {
    return "PULSE_SERVER=" + server_ + " pactl " + args;
  }
  const std::string& server() const { return server_; }

 private:
  fs::path dir_;
  std::string server_;
  pid_t pid_ = 0;
};

class SoundPulse : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!onPath("pulseaudio") || !onPath("pactl")) GTEST_SKIP() << "pulseaudio is not installed";
    bool font = false;
    for (const std::string& path : defaultSoundfonts()) font = font || fs::exists(path);
    if (!font) GTEST_SKIP() << "no General MIDI soundfont installed";
  }
};

TEST_F(SoundPulse, PlaysAsAStreamOnTheSoundServer) {
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
  EXPECT_LE(synth.configuredBufferMs(), 7.0);
  synth.programChange(73);
  synth.noteOn(60, 100);
  EXPECT_NE(output(pulse.pactl("list short sink-inputs")), "");
  synth.noteOff(60);
  EXPECT_EQ(reports.lines(), std::vector<std::string>{});
}

TEST_F(SoundPulse, TheProcessSynthesiserOpensOnFirstUseAndShutsDownWhenReplaced) {
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.answers()) << "the private pulseaudio did not start";
  ScopedEnv server("PULSE_SERVER", pulse.server());
  std::unique_ptr<Synthesiser> before = installSynthesiser(nullptr);
  ASSERT_EQ(installedSynthesiser(), nullptr);
  auto* opened = dynamic_cast<FluidSynthSynthesiser*>(&synthesiser());
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->driver(), "pulseaudio");
  opened->noteOn(60, 100);
  EXPECT_NE(output(pulse.pactl("list short sink-inputs")), "");
  installSynthesiser(std::move(before));
  // The server notices the closed stream on its own time.
  std::string streams = output(pulse.pactl("list short sink-inputs"));
  for (int i = 0; i < 50 && !streams.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    streams = output(pulse.pactl("list short sink-inputs"));
  }
  EXPECT_EQ(streams, "") << "the stream is closed";
}

TEST_F(SoundPulse, WithoutAServerItRunsSilentWithOneLine) {
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

TEST_F(SoundPulse, WithoutAServerItFallsBackToAlsaOrSilence) {
  ScopedEnv server("PULSE_SERVER", "unix:/nonexistent/native");
  SoundReports reports;
  FluidSynthOptions options;
  options.report = reports.sink();
  ::testing::internal::CaptureStderr();
  {
    FluidSynthSynthesiser synth(options);
    if (synth.driver() == "alsa") {
      EXPECT_TRUE(synth.waitUntilReady());
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
