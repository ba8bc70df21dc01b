#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "base/Json.h"

TEST(Json, NumbersAreWrittenInFullAtEveryEdge) {
  const long long edges[] = {0, 9, 10, -1, -10, 99, 100, INT_MAX, INT_MIN, LLONG_MAX, LLONG_MIN};
  CJson json;
  std::string expected = "[";
  json.Begin('[');
  for (const long long value : edges) {
    json.Number(value).NumberText(value);
    expected += std::to_string(value) + ",\"" + std::to_string(value) + "\",";
  }
  expected.back() = ']';
  EXPECT_EQ(json.End(']').Result(), expected);
}
