#include "bench/probe/monitor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "bench/probe/process.h"

namespace probe {

MonitorRecorder::MonitorRecorder(const std::string& source, AudioFormat format) : format_(format) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return;
  pid_ = spawn({"parec", "--device=" + source, "--raw", "--format=s16le",
                "--rate=" + std::to_string(format_.rate),
                "--channels=" + std::to_string(format_.channels), "--latency-msec=5"},
               {}, fds[1]);
  close(fds[1]);
  if (pid_ <= 0) {
    close(fds[0]);
    return;
  }
  fd_ = fds[0];
  fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
}

// parec is stopped before its pipe closes: the other way round it complains of a broken
// pipe in the middle of the bench's output.
MonitorRecorder::~MonitorRecorder() {
  if (pid_ > 0) stop(pid_);
  if (fd_ >= 0) close(fd_);
}

bool MonitorRecorder::drain() {
  if (fd_ < 0) return false;
  unsigned char buffer[16384];
  for (;;) {
    const std::size_t kept = partial_.size();
    if (kept > 0) std::memcpy(buffer, partial_.data(), kept);
    const ssize_t got = read(fd_, buffer + kept, sizeof buffer - kept);
    if (got == 0) return false;
    if (got < 0) return errno == EAGAIN || errno == EINTR;
    const Clock::time_point arrived = Clock::now();
    const std::size_t bytes = kept + static_cast<std::size_t>(got);
    const std::size_t frameBytes = sizeof(int16_t) * static_cast<std::size_t>(format_.channels);
    const std::size_t whole = bytes / frameBytes * frameBytes;
    partial_.assign(buffer + whole, buffer + bytes);
    if (whole == 0) continue;
    std::vector<int16_t> samples(whole / sizeof(int16_t));
    std::memcpy(samples.data(), buffer, whole);
    take(samples.data(), samples.size(), arrived);
  }
}

void MonitorRecorder::take(const int16_t* samples, std::size_t count, Clock::time_point arrived) {
  const std::size_t channels = static_cast<std::size_t>(format_.channels);
  const std::size_t frames = count / channels;
  if (frames == 0) return;
  framesSeen_ += frames;
  const std::span<const int16_t> all(samples, frames * channels);
  if (capturing_) captured_.insert(captured_.end(), all.begin(), all.end());
  const std::optional<std::size_t> first = firstAudibleFrame(all, format_.channels);
  if (!first) {
    quietFrames_ += frames;
    return;
  }
  if (watching_) {
    onset_ = frameTime(arrived, frames, *first, format_.rate);
    watching_ = false;
  }
  quietFrames_ = trailingQuietFrames(all, format_.channels);
}

void MonitorRecorder::expectSound() {
  drain();  // what arrived before now is not the sound asked about
  watching_ = true;
  onset_.reset();
}

void MonitorRecorder::startCapture() {
  drain();  // what arrived before now belongs to no capture
  captured_.clear();
  capturing_ = true;
}

std::vector<int16_t> MonitorRecorder::takeCapture() {
  drain();
  capturing_ = false;
  return std::move(captured_);
}

double MonitorRecorder::quietSeconds() const {
  return static_cast<double>(quietFrames_) / format_.rate;
}

}  // namespace probe
