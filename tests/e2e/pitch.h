#pragma once
// Pitch and loudness of recorded or rendered sound, for tests. Header only and free of
// Qt, so that the tool pitch_of (which measures what the real program put into a sound
// server) and the offline synthesiser tests share one pitch finder.
//
// Samples are mono floats of full scale 1.0.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sound_check {

inline double rms(std::span<const float> samples) {
  if (samples.empty()) return 0.0;
  double sum = 0.0;
  for (float s : samples) sum += double(s) * s;
  return std::sqrt(sum / double(samples.size()));
}

// The frequency of the strongest spectral line within 4 % of `hz`, between scanned
// frequencies 0.05 % apart (Hann window, Goertzel's recurrence per frequency).
inline double strongestLineNear(std::span<const float> samples, double rate, double hz) {
  constexpr double kSpan = 0.04;
  constexpr double kStep = 0.0005;
  constexpr int kSteps = static_cast<int>(kSpan / kStep);
  const double n = double(samples.size());
  std::vector<double> windowed(samples.size());
  for (size_t i = 0; i < samples.size(); ++i)
    windowed[i] = samples[i] * (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / n));
  std::vector<double> power;
  for (int k = -kSteps; k <= kSteps; ++k) {
    const double coefficient =
        2.0 * std::cos(2.0 * std::numbers::pi * hz * (1.0 + k * kStep) / rate);
    double s1 = 0.0, s2 = 0.0;
    for (double x : windowed) {
      const double s0 = x + coefficient * s1 - s2;
      s2 = s1;
      s1 = s0;
    }
    power.push_back(s1 * s1 + s2 * s2 - coefficient * s1 * s2);
  }
  const auto best = size_t(std::max_element(power.begin(), power.end()) - power.begin());
  double shift = 0.0;  // a parabola through the peak and its neighbours
  if (best > 0 && best + 1 < power.size()) {
    const double a = power[best - 1], b = power[best], c = power[best + 1];
    const double bend = a - 2.0 * b + c;
    if (bend != 0.0) shift = std::clamp(0.5 * (a - c) / bend, -0.5, 0.5);
  }
  return hz * (1.0 + (double(best) - kSteps + shift) * kStep);
}

// The fundamental frequency in Hz, or 0 when the samples have no clear period between
// lowestHz and highestHz (silence, noise, too few samples).
//
// Normalised autocorrelation finds the period; the spectrum then places it exactly. A
// piano's upper partials run sharp of whole multiples and pull the correlation's peak
// to a shorter lag (by 1-2 % on a General MIDI piano's middle C), while the
// fundamental's own spectral line stays where it is.
//
// The correlation of each lag is normalised by the energy of both windows, so a note
// that dies away still correlates near 1 at its period. Pairs with an exact zero are
// left out: a sound server fills an underrun with zeros, and those dropouts would
// otherwise lend the correlation their own rhythm. Peaks are looked for only after
// the correlation has first gone negative (past the lobe around lag 0); of those, the
// first one within 10 % of the highest is the period. A period of two cycles
// correlates as well as one, and taking the first keeps the finder from an octave below.
inline double fundamental(std::span<const float> samples, double rate, double lowestHz = 50.0,
                          double highestHz = 2000.0) {
  // A peak is accepted only when the signal repeats at least this closely.
  constexpr double kClarity = 0.5;
  constexpr double kNearBest = 0.9;

  const auto minLag = std::max<size_t>(2, static_cast<size_t>(rate / highestHz));
  const auto maxLag = static_cast<size_t>(std::ceil(rate / lowestHz));
  if (samples.size() < 2 * (maxLag + 1)) return 0.0;
  const size_t window = samples.size() - (maxLag + 1);

  std::vector<double> r(maxLag + 2, 0.0);
  for (size_t lag = 1; lag <= maxLag + 1; ++lag) {
    double sum = 0.0, head = 0.0, shifted = 0.0;
    for (size_t i = 0; i < window; ++i) {
      const double x = samples[i], y = samples[i + lag];
      if (x == 0.0 || y == 0.0) continue;  // in a dropout
      sum += x * y;
      head += x * x;
      shifted += y * y;
    }
    const double energy = std::sqrt(head * shifted);
    r[lag] = energy > 0.0 ? sum / energy : 0.0;
  }

  size_t from = 1;
  while (from <= maxLag && r[from] > 0.0) ++from;
  from = std::max(from, minLag);
  auto isPeak = [&r](size_t lag) { return r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]; };

  double best = 0.0;
  for (size_t lag = from; lag <= maxLag; ++lag)
    if (isPeak(lag)) best = std::max(best, r[lag]);
  if (best < kClarity) return 0.0;

  for (size_t lag = from; lag <= maxLag; ++lag) {
    if (!isPeak(lag) || r[lag] < kNearBest * best) continue;
    // A parabola through the peak and its neighbours places it between samples.
    const double a = r[lag - 1], b = r[lag], c = r[lag + 1];
    const double bend = a - 2.0 * b + c;
    const double shift = bend != 0.0 ? 0.5 * (a - c) / bend : 0.0;
    return strongestLineNear(samples, rate, rate / (double(lag) + std::clamp(shift, -0.5, 0.5)));
  }
  return 0.0;
}

// The index of the first sample whose magnitude reaches both `floor` and a tenth of
// the loudest sample: where the first note starts. Nothing when no sample reaches them.
inline std::optional<size_t> onset(std::span<const float> samples, double floor) {
  float peak = 0.0f;
  for (float s : samples) peak = std::max(peak, std::abs(s));
  const double level = std::max(floor, 0.1 * peak);
  for (size_t i = 0; i < samples.size(); ++i)
    if (std::abs(samples[i]) >= level && std::abs(samples[i]) > 0.0f) return i;
  return std::nullopt;
}

// Reads raw signed 16-bit little-endian PCM of `channels` interleaved channels and
// mixes it down to mono. A partial frame at the end (a recording cut off mid-write) is
// dropped. Nothing when the file cannot be read.
inline std::optional<std::vector<float>> readS16(const std::string& path, int channels) {
  if (channels < 1) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  const size_t frameBytes = 2 * size_t(channels);
  std::vector<float> mono(bytes.size() / frameBytes);
  for (size_t f = 0; f < mono.size(); ++f) {
    double sum = 0.0;
    for (int c = 0; c < channels; ++c) {
      const size_t at = f * frameBytes + 2 * size_t(c);
      const auto low = static_cast<uint8_t>(bytes[at]);
      const auto high = static_cast<uint8_t>(bytes[at + 1]);
      sum += static_cast<int16_t>(static_cast<uint16_t>(low | (high << 8))) / 32768.0;
    }
    mono[f] = static_cast<float>(sum / channels);
  }
  return mono;
}

}  // namespace sound_check
