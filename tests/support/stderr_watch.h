#pragma once
// Standard error, watched: while a StderrWatch lives, everything written to file
// descriptor 2 goes to a temporary file, and takeNew() hands over what arrived since
// the last call after passing it on to the real standard error. Lines the framework
// writes there (an exception reported from a clean-up step) can so be checked after
// each step of a long test, and none of them is lost for the person reading the log.
//
// A sanitizer report stops the process in the middle of a step; in a sanitizer build
// the watch then passes on what is left before the process dies. One watch at a time.

#include <string>

namespace testing_support {

class StderrWatch {
 public:
  StderrWatch();
  ~StderrWatch();
  StderrWatch(const StderrWatch&) = delete;
  StderrWatch& operator=(const StderrWatch&) = delete;

  // The bytes written to standard error since the last call (or since the watch began),
  // already passed on to the real standard error.
  std::string takeNew();

 private:
  int realStderr_ = -1;
  int capture_ = -1;
  long long read_ = 0;
};

}  // namespace testing_support
