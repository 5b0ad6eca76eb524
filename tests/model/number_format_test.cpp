#include "model/number_format.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessaly::model {
namespace {

TEST(FormatNumber, GeneralForm) {
  EXPECT_EQ(FormatNumber(95), "95");
  EXPECT_EQ(FormatNumber(87.5), "87.5");
  EXPECT_EQ(FormatNumber(432.25), "432.25");
  EXPECT_EQ(FormatNumber(256.0 / 3), "85.3333333333333");
  EXPECT_EQ(FormatNumber(0), "0");
  EXPECT_EQ(FormatNumber(-0.0), "0");
  EXPECT_EQ(FormatNumber(-12.5), "-12.5");
  EXPECT_EQ(FormatNumber(0.1 + 0.2), "0.3");
  EXPECT_EQ(FormatNumber(100), "100");
}

TEST(FormatNumber, NotationSwitchesAtTheLimits) {
  EXPECT_EQ(FormatNumber(0.00001), "0.00001");
  EXPECT_EQ(FormatNumber(0.000015), "0.000015");
  EXPECT_EQ(FormatNumber(1.5e-7), "1.5E-7");
  EXPECT_EQ(FormatNumber(999999999999999.0), "999999999999999");
  EXPECT_EQ(FormatNumber(1e15), "1E15");
  EXPECT_EQ(FormatNumber(-2.5e20), "-2.5E20");
  // Rounding to 15 digits can carry into a new digit.
  EXPECT_EQ(FormatNumber(9.9999999999999999), "10");
}

TEST(ReadBack, ComparesNumbersAsTheirTextReadsBack) {
  EXPECT_EQ(ReadBack(256.0 / 3), 85.3333333333333);
  EXPECT_EQ(ReadBack(0.1 + 0.2), 0.3);
  EXPECT_EQ(ReadBack(87.5), 87.5);
}

TEST(FormatAverage, ThreeDecimalsOfTheExactValue) {
  EXPECT_EQ(FormatAverage(256.0 / 3), "85.333");
  EXPECT_EQ(FormatAverage(0), "0.000");
  EXPECT_EQ(FormatAverage(-0.0001), "0.000");
  EXPECT_EQ(FormatAverage(-1.25), "-1.250");
  EXPECT_EQ(FormatAverage(0.0625), "0.063");  // exact tie: away from zero
  EXPECT_EQ(FormatAverage(1.0005), "1.000");  // binary value lies below the tie
  EXPECT_EQ(FormatAverage(99.9996), "100.000");
}

TEST(Parse, StrictDecimalAndInteger) {
  EXPECT_EQ(ParseDecimal("87.5"), 87.5);
  EXPECT_EQ(ParseDecimal("-1"), -1);
  EXPECT_EQ(ParseDecimal("1E15"), 1e15);
  EXPECT_EQ(ParseDecimal("1.5E-7"), 1.5e-7);
  EXPECT_FALSE(ParseDecimal(""));
  EXPECT_FALSE(ParseDecimal("abc"));
  EXPECT_FALSE(ParseDecimal("1 "));
  EXPECT_FALSE(ParseDecimal("nan"));
  EXPECT_FALSE(ParseDecimal("1e999"));
  EXPECT_EQ(ParseInteger("-1"), -1);
  EXPECT_EQ(ParseInteger("42"), 42);
  EXPECT_FALSE(ParseInteger("4x"));
  EXPECT_FALSE(ParseInteger("99999999999"));
}

}  // namespace
}  // namespace tessaly::model
