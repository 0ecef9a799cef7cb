// The framework's global functions: Rnd, Asc, Str, RuntimeCvtReal64ToSInt32, RGB, and its
// wrapping Int32 arithmetic.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "framework/runtime/globals.h"
#include "framework/runtime/int32.h"

namespace {

class RuntimeRandom : public ::testing::Test {
 protected:
  void TearDown() override { fw::setRandomSource({}); }

  // A source that returns the values in turn, then repeats the last.
  static void feed(std::vector<double> values) {
    fw::setRandomSource(
        [values, i = std::size_t{0}]() mutable { return values[i < values.size() - 1 ? i++ : i]; });
  }
};

TEST_F(RuntimeRandom, DrawsStayInTheHalfOpenUnitInterval) {
  double low = 1.0;
  double high = 0.0;
  for (int i = 0; i < 100000; ++i) {
    const double d = Rnd();
    ASSERT_GE(d, 0.0);
    ASSERT_LT(d, 1.0);
    low = std::min(low, d);
    high = std::max(high, d);
  }
  // Not stuck at one value: the draws spread over the interval.
  EXPECT_LT(low, 0.01);
  EXPECT_GT(high, 0.99);
}

TEST_F(RuntimeRandom, SubstitutedSourceMakesDrawsDeterministic) {
  feed({0.5, 0.25, 0.0});
  EXPECT_EQ(Rnd(), 0.5);
  EXPECT_EQ(Rnd(), 0.25);
  EXPECT_EQ(Rnd(), 0.0);
  fw::setRandomSource({});
  const double seeded = Rnd();
  EXPECT_GE(seeded, 0.0);
  EXPECT_LT(seeded, 1.0);
}

TEST_F(RuntimeRandom, OutOfRangeSourceValuesAreFoldedIn) {
  const double below1 = std::nextafter(1.0, 0.0);
  const double inf = std::numeric_limits<double>::infinity();
  feed({1.0, 1.25, -0.25, -1e-300, std::nan(""), inf, -inf, 1e300, -0.0, below1});
  EXPECT_EQ(Rnd(), 0.0);  // 1.0 never comes out
  EXPECT_EQ(Rnd(), 0.25);
  EXPECT_EQ(Rnd(), 0.75);
  const double tiny = Rnd();  // -1e-300 folds to just below 1 or to 0, never to 1
  EXPECT_GE(tiny, 0.0);
  EXPECT_LT(tiny, 1.0);
  EXPECT_EQ(Rnd(), 0.0);  // NaN
  EXPECT_EQ(Rnd(), 0.0);  // +inf
  EXPECT_EQ(Rnd(), 0.0);  // -inf
  EXPECT_EQ(Rnd(), 0.0);  // huge: no fraction left
  const double negativeZero = Rnd();
  EXPECT_EQ(negativeZero, 0.0);
  EXPECT_FALSE(std::signbit(negativeZero));
  EXPECT_EQ(Rnd(), below1);
}

TEST_F(RuntimeRandom, RndTimesKConvertsToZeroThroughKMinusOne) {
  const double largest = std::nextafter(1.0, 0.0);
  for (int32_t k : {1, 2, 3, 6, 7, 12, 13, 100, 1000, 65537, 2147483647}) {
    feed({largest});
    EXPECT_EQ(RuntimeCvtReal64ToSInt32(Rnd() * k), k - 1) << "K = " << k;
    feed({0.0});
    EXPECT_EQ(RuntimeCvtReal64ToSInt32(Rnd() * k), 0) << "K = " << k;
  }
  fw::setRandomSource({});
  for (int i = 0; i < 10000; ++i) {
    const int32_t v = RuntimeCvtReal64ToSInt32(Rnd() * 6);
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 5);
  }
}

TEST(RuntimeGlobals, CvtTruncatesTowardZeroAndSaturates) {
  EXPECT_EQ(RuntimeCvtReal64ToSInt32(2.9), 2);
  EXPECT_EQ(RuntimeCvtReal64ToSInt32(-2.9), -2);
  EXPECT_EQ(RuntimeCvtReal64ToSInt32(-0.5), 0);
  EXPECT_EQ(RuntimeCvtReal64ToSInt32(std::nan("")), 0);
  EXPECT_EQ(RuntimeCvtReal64ToSInt32(std::numeric_limits<double>::infinity()), INT32_MAX);
  EXPECT_EQ(RuntimeCvtReal64ToSInt32(-std::numeric_limits<double>::infinity()), INT32_MIN);
  EXPECT_EQ(RuntimeCvtReal64ToSInt32(1e300), INT32_MAX);
  EXPECT_EQ(RuntimeCvtReal64ToSInt32(-1e300), INT32_MIN);
  EXPECT_EQ(RuntimeCvtReal64ToSInt32(2147483647.9), INT32_MAX);
  EXPECT_EQ(RuntimeCvtReal64ToSInt32(2147483648.0), INT32_MAX);
  EXPECT_EQ(RuntimeCvtReal64ToSInt32(-2147483648.9), INT32_MIN);
  EXPECT_EQ(RuntimeCvtReal64ToSInt32(-2147483649.0), INT32_MIN);
  EXPECT_EQ(RuntimeCvtReal64ToSInt32(2147483646.5), 2147483646);
}

TEST(RuntimeGlobals, AscGivesTheFirstCharactersCode) {
  EXPECT_EQ(Asc("z"), 122);
  EXPECT_EQ(Asc("zebra"), 122);
  EXPECT_EQ(Asc(""), 0);
  EXPECT_EQ(Asc(String()), 0);
  EXPECT_EQ(Asc(" "), 32);
  EXPECT_EQ(Asc(String(std::string_view("\0a", 2))), 0);
  EXPECT_EQ(Asc("\x1C"), 28);                    // the left arrow's code
  EXPECT_EQ(Asc("\xC3\x9B"), 219);               // U+00DB
  EXPECT_EQ(Asc("\xE2\x82\xAC"), 8364);          // U+20AC
  EXPECT_EQ(Asc("\xF0\x9F\x8E\xB9!"), 0x1F3B9);  // a 4-byte emoji, then more text
  EXPECT_EQ(Asc("\xF4\x8F\xBF\xBF"), 0x10FFFF);
}

TEST(RuntimeGlobals, AscOfMalformedTextIsItsFirstByte) {
  EXPECT_EQ(Asc("\x80"), 0x80);      // stray continuation byte
  EXPECT_EQ(Asc("\xC3"), 0xC3);      // truncated two-byte sequence
  EXPECT_EQ(Asc("\xE2\x82"), 0xE2);  // truncated three-byte sequence
  EXPECT_EQ(Asc("\xC3"
                "A"),
            0xC3);                           // continuation missing
  EXPECT_EQ(Asc("\xC0\x80"), 0xC0);          // overlong NUL
  EXPECT_EQ(Asc("\xE0\x80\xAF"), 0xE0);      // overlong '/'
  EXPECT_EQ(Asc("\xED\xA0\x80"), 0xED);      // surrogate
  EXPECT_EQ(Asc("\xF4\x90\x80\x80"), 0xF4);  // beyond U+10FFFF
  EXPECT_EQ(Asc("\xFF"), 0xFF);
}

TEST(RuntimeGlobals, StrGivesDecimalText) {
  EXPECT_EQ(Str(0), "0");
  EXPECT_EQ(Str(-12), "-12");
  EXPECT_EQ(Str(90), "90");
  EXPECT_EQ(Str(INT32_MIN), "-2147483648");
  EXPECT_EQ(Str(INT32_MAX), "2147483647");
}

TEST(RuntimeGlobals, RgbTakesRedGreenBlueAndClampsStrayComponents) {
  static_assert(RGB(29, 32, 60) == Color{29, 32, 60});
  EXPECT_EQ(RGB(255, 0, 0), (Color{255, 0, 0}));
  EXPECT_EQ(RGB(-1, 256, 1000), (Color{0, 255, 255}));
  EXPECT_EQ(RGB(INT32_MIN, INT32_MAX, 128), (Color{0, 255, 128}));
}

// Int32 sums and products wrap modulo 2^32 at both ends of the range. The operands pass
// through volatile so the sanitiser build checks the arithmetic at run time.
TEST(RuntimeInt32, ArithmeticWrapsAtBothEnds) {
  volatile int32_t max = INT32_MAX, min = INT32_MIN, billion = 1'000'000'000;
  EXPECT_EQ(fw::int32Add(max, 1), INT32_MIN);
  EXPECT_EQ(fw::int32Add(min, -1), INT32_MAX);
  EXPECT_EQ(fw::int32Add(max, max), -2);
  EXPECT_EQ(fw::int32Sub(min, 1), INT32_MAX);
  EXPECT_EQ(fw::int32Sub(160, min), -2'147'483'488);
  EXPECT_EQ(fw::int32Mul(6, billion), 1'705'032'704);
  EXPECT_EQ(fw::int32Mul(min, -1), INT32_MIN);
  EXPECT_EQ(fw::int32Add(60, 12), 72);
  EXPECT_EQ(fw::int32Mul(-6, 7), -42);
}

}  // namespace
