// Numbers in the picture's words: digit groups and superscript powers of ten.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/words/number_words.h"

namespace {

TEST(NumberWords, Vectors) {
  struct Case {
    std::string got, want;
  };
  const std::vector<Case> cases = {
      {grouped(999), "999"},
      {grouped(1000), "1,000"},
      {grouped(-1234567), "-1,234,567"},
      {grouped("150001504.9306"), "150,001,504.9306"}, // the decimals stay as they are
      {grouped("nan"), "nan"},
      {p_words(0.413), "p = 0.413"},
      {p_words(6.099e-08), "p = 6.099 \u00d7 10\u207b\u2078"}, // not 10⁻⁰⁸
      {p_words(1e-9), "p = 1 \u00d7 10\u207b\u2079"},
      {p_words(0), "p below 10\u207b\u2079"},
      {p_digits(3.704e-5), "3.704 \u00d7 10\u207b\u2075"},
      {power_of_ten(-20), "10\u207b\u00b2\u2070"},
  };
  for (const Case &c : cases) EXPECT_EQ(c.got, c.want);
}

} // namespace
