#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "base/Decimal.h"

// Read as the C runtime's atoi reads, but never beyond the 32-bit range;
// written in full at every edge.
TEST(Decimal, ReadsAsTheRuntimeReadsAndWritesInFull) {
  EXPECT_EQ(ParseNumber(""), 0);
  EXPECT_EQ(ParseNumber("abc"), 0);
  EXPECT_EQ(ParseNumber("12abc"), 12);
  EXPECT_EQ(ParseNumber("  +07"), 7);
  EXPECT_EQ(ParseNumber("\t-5 "), -5);
  EXPECT_EQ(ParseNumber("- 5"), 0);
  EXPECT_EQ(ParseNumber("2147483647"), INT_MAX);
  EXPECT_EQ(ParseNumber("2147483648"), INT_MAX);
  EXPECT_EQ(ParseNumber("-2147483648"), INT_MIN);
  EXPECT_EQ(ParseNumber("-99999999999999999999999"), INT_MIN);
  EXPECT_EQ(ParseNumber(std::string(10000, '9')), INT_MAX);
  EXPECT_EQ(FormatNumber(INT_MIN), "-2147483648");
  EXPECT_EQ(FormatNumber(-7), "-7");
}
