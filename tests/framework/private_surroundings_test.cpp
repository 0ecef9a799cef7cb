// The test processes' own surroundings: what they write goes to a folder of their own.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

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

}  // namespace
