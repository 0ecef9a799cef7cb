// The counted String: any bytes, explicit length, encoding tag, shared records.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/runtime/string.h"

namespace {

class RuntimeString : public ::testing::Test {
 protected:
  void SetUp() override { liveAtStart_ = fw::liveStringCount(); }
  void TearDown() override {
    EXPECT_EQ(fw::liveStringCount(), liveAtStart_) << "String records leaked";
  }

 private:
  std::size_t liveAtStart_ = 0;
};

TEST_F(RuntimeString, HoldsZeroBytesWithAnExplicitLength) {
  const std::vector<uint8_t> bytes = {'a', 0, '\r', 0, 0xFF};
  String s = String::fromBytes(bytes);
  ASSERT_EQ(s.size(), 5u);
  EXPECT_EQ(std::vector<uint8_t>(s.bytes().begin(), s.bytes().end()), bytes);
  EXPECT_EQ(s.view()[1], '\0');
  EXPECT_EQ(s.str().size(), 5u);

  String fromView(std::string_view("a\0b", 3));
  EXPECT_EQ(fromView.size(), 3u);
  EXPECT_FALSE(fromView == String(std::string_view("a\0c", 3)));
  EXPECT_FALSE(fromView == "a");  // a terminator never shortens the comparison
}

TEST_F(RuntimeString, KeepsItsEncodingTag) {
  EXPECT_EQ(String("text").encoding(), fw::kEncodingUTF8);
  String ascii("%%", fw::kEncodingASCII);
  EXPECT_EQ(ascii.encoding(), 0x0600u);
  String copy = ascii;
  EXPECT_EQ(copy.encoding(), 0x0600u);
  const std::vector<uint8_t> bytes = {'x'};
  EXPECT_EQ(String::fromBytes(bytes, fw::kEncodingASCII).encoding(), fw::kEncodingASCII);
  EXPECT_EQ(String::fromBytes(bytes).encoding(), 0x08000100u);
}

TEST_F(RuntimeString, CopiesShareTheRecordAndCountIt) {
  String a("shared");
  {
    String b = a;
    EXPECT_EQ(b.data(), a.data());
    EXPECT_EQ(a.data()->references, 2);
    String c;
    c = b;
    EXPECT_EQ(a.data()->references, 3);
    String moved = std::move(c);
    EXPECT_EQ(a.data()->references, 3);
    EXPECT_TRUE(c.empty());  // NOLINT: moved-from is the empty String
    c = String("other");     // reassigning releases nothing of a's record
    EXPECT_EQ(a.data()->references, 3);
  }
  EXPECT_EQ(a.data()->references, 1);
  RuntimeLockString(a.data());
  EXPECT_EQ(a.data()->references, 2);
  RuntimeUnlockString(a.data());
  EXPECT_EQ(a.data()->references, 1);
}

TEST_F(RuntimeString, EmptyStrings) {
  String none;
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(none.size(), 0u);
  EXPECT_EQ(none.data(), nullptr);
  EXPECT_EQ(none.encoding(), fw::kEncodingUTF8);
  EXPECT_TRUE(none.bytes().empty());
  EXPECT_TRUE(none == "");
  EXPECT_TRUE(none == String(""));
  String copy = none;
  EXPECT_EQ(copy.data(), nullptr);

  const char* nil = nullptr;
  EXPECT_TRUE(String(nil).empty());
  RuntimeLockString(nullptr);  // no record, nothing to count
  RuntimeUnlockString(nullptr);
}

}  // namespace
