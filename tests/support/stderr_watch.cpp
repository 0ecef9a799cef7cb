#include "tests/support/stderr_watch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace testing_support {
namespace {

StderrWatch* active = nullptr;

void writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;  // nowhere left to write: nothing more can be done
    done += static_cast<std::size_t>(n);
  }
}

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime calls this just before it ends the process.
void passOnBeforeDeath() {
  if (active != nullptr) active->takeNew();
}
#endif

}  // namespace

StderrWatch::StderrWatch() {
  if (active != nullptr) throw std::logic_error("only one StderrWatch at a time");
  std::fflush(stderr);
  char path[] = "/tmp/velmo-stderr-XXXXXX";
  capture_ = ::mkstemp(path);
  if (capture_ < 0) throw std::runtime_error("no temporary file for standard error");
  ::unlink(path);
  realStderr_ = ::dup(STDERR_FILENO);
  ::dup2(capture_, STDERR_FILENO);
  active = this;
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_set_death_callback(&passOnBeforeDeath);
#endif
}

StderrWatch::~StderrWatch() {
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_set_death_callback(nullptr);
#endif
  takeNew();
  ::dup2(realStderr_, STDERR_FILENO);
  ::close(realStderr_);
  ::close(capture_);
  active = nullptr;
}

std::string StderrWatch::takeNew() {
  std::fflush(stderr);
  struct stat info {};
  if (::fstat(capture_, &info) != 0 || info.st_size <= read_) return {};
  std::string bytes(static_cast<std::size_t>(info.st_size - read_), '\0');
  const ssize_t n = ::pread(capture_, bytes.data(), bytes.size(), read_);
  bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  read_ += static_cast<long long>(bytes.size());
  writeAll(realStderr_, bytes);
  return bytes;
}

}  // namespace testing_support
