// pitch_of: measures a raw recording for the end-to-end scripts, which have no other
// way to tell what the program played (no python, no sox on a fresh machine).
//
//   pitch_of [--rate=HZ] [--channels=N] note FILE FROM_MS LENGTH_MS
//     Finds the first sound at or after FROM_MS, skips its attack and prints
//     "ONSET_MS HZ RMS" for three windows of LENGTH_MS that follow: HZ is the median of
//     their pitches (0 for one with no clear pitch), so that a dropout in one window (an
//     overloaded machine) does not decide the pitch; RMS is theirs together.
//     Status 1 when nothing sounds there or the recording ends too soon.
//   pitch_of [--rate=HZ] [--channels=N] rms FILE FROM_MS LENGTH_MS
//     Prints the RMS of LENGTH_MS from FROM_MS. Status 1 when the recording is shorter.
//
// FILE holds signed 16-bit little-endian samples (parec --raw --format=s16le), by
// default 44100 Hz stereo. RMS is a fraction of full scale.

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "tests/e2e/pitch.h"

namespace {

// Below this magnitude a sample counts as silence (about -50 dB of full scale).
constexpr double kSoundFloor = 0.003;
// The part of a note skipped before measuring it: the hammer's noise, not the pitch.
constexpr double kAttackMs = 60.0;
constexpr size_t kWindows = 3;

int usage() {
  std::fputs("usage: pitch_of [--rate=HZ] [--channels=N] note|rms FILE FROM_MS LENGTH_MS\n",
             stderr);
  return 2;
}

bool number(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0' && value >= 0.0;
}

}  // namespace

int main(int argc, char** argv) {
  double rate = 44100.0;
  double channels = 2.0;
  int arg = 1;
  for (; arg < argc && std::string_view(argv[arg]).starts_with("--"); ++arg) {
    const std::string_view option(argv[arg]);
    const auto equals = option.find('=');
    if (equals == std::string_view::npos) return usage();
    const std::string value(option.substr(equals + 1));
    double* target = option.starts_with("--rate=")       ? &rate
                     : option.starts_with("--channels=") ? &channels
                                                         : nullptr;
    if (target == nullptr || !number(value.c_str(), *target) || *target < 1.0) return usage();
  }
  double fromMs = 0.0;
  double lengthMs = 0.0;
  if (argc - arg != 4 || !number(argv[arg + 2], fromMs) || !number(argv[arg + 3], lengthMs))
    return usage();
  const std::string_view mode(argv[arg]);
  if (mode != "note" && mode != "rms") return usage();

  const auto samples = sound_check::readS16(argv[arg + 1], static_cast<int>(channels));
  if (!samples) {
    std::fprintf(stderr, "pitch_of: cannot read %s\n", argv[arg + 1]);
    return 2;
  }
  const std::span<const float> all(*samples);
  auto frames = [rate](double ms) { return static_cast<size_t>(ms * rate / 1000.0); };
  const size_t from = frames(fromMs);
  const size_t length = frames(lengthMs);
  if (from > all.size()) return 1;

  if (mode == "rms") {
    if (all.size() - from < length) return 1;
    std::printf("%.6f\n", sound_check::rms(all.subspan(from, length)));
    return 0;
  }
  const auto start = sound_check::onset(all.subspan(from), kSoundFloor);
  if (!start) return 1;
  const size_t measured = from + *start + frames(kAttackMs);
  if (measured > all.size() || all.size() - measured < kWindows * length) return 1;
  const auto note = all.subspan(measured, kWindows * length);
  std::array<double, kWindows> pitches{};
  for (size_t w = 0; w < kWindows; ++w)
    pitches[w] = sound_check::fundamental(note.subspan(w * length, length), rate);
  std::sort(pitches.begin(), pitches.end());
  std::printf("%.1f %.2f %.6f\n", 1000.0 * double(from + *start) / rate, pitches[kWindows / 2],
              sound_check::rms(note));
  return 0;
}
