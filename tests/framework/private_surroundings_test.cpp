// The test processes' own surroundings: what they write goes to a folder of their own.

#include "tests/support/private_surroundings.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// A fixed name in the shared /tmp clashes with another user's file of that name, which
// can be neither overwritten nor removed, and with a run of another build at the same time.
TEST(PrivateSurroundings, TemporaryFilesGoToTheTestProcessesOwnFolder) {
  const char* own = std::getenv("VELMO_TEST_SURROUNDINGS");
  ASSERT_NE(own, nullptr);
  const fs::path temp = fs::canonical(fs::temp_directory_path());
  const fs::path relative = temp.lexically_relative(fs::canonical(own));
  EXPECT_FALSE(relative.empty() || *relative.begin() == "..") << temp << " is not inside " << own;
}

// A run stopped with Ctrl+C leaves its processes' folders in /tmp; the next run removes
// them, and only them.
TEST(PrivateSurroundings, FoldersOfEndedTestProcessesAreRemovedByTheNextRun) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);  // a number no process has now

  const fs::path parent = fs::temp_directory_path() / "left-behind";
  fs::create_directories(parent);
  const auto folder = [&](const char* name, const char* pid) {
    fs::create_directory(parent / name);
    if (pid != nullptr) std::ofstream(parent / name / "pid") << pid << '\n';
  };
  const std::string here = fs::read_symlink("/proc/self/ns/pid").string();
  const std::string ended = std::to_string(child) + " " + here,
                    running = std::to_string(getpid()) + " " + here,
                    elsewhere = std::to_string(child) + " pid:[1]";
  folder("velmo-test.ended1", ended.c_str());
  folder("velmo-test.running", running.c_str());
  folder("velmo-test.being-made", nullptr);
  folder("velmo-test.unreadable", "not a number");
  folder("velmo-test.in-a-container", elsewhere.c_str());
  folder("somebody-else.ended", ended.c_str());

  testing_support::removeLeftBehind(parent);
  EXPECT_FALSE(fs::exists(parent / "velmo-test.ended1"));
  EXPECT_TRUE(fs::exists(parent / "velmo-test.running"));
  EXPECT_TRUE(fs::exists(parent / "velmo-test.being-made"));
  EXPECT_TRUE(fs::exists(parent / "velmo-test.unreadable"));
  EXPECT_TRUE(fs::exists(parent / "velmo-test.in-a-container"));
  EXPECT_TRUE(fs::exists(parent / "somebody-else.ended"));
  fs::remove_all(parent);
}

}  // namespace
