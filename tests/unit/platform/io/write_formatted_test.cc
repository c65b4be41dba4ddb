// write_formatted: literals, conversions and line ends as they reach a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_host.h"
#include "platform/format/decimal.h"
#include "platform/platform.h"

namespace {

std::string decimal(int32_t value) {
  char text[kDecimalTextMax];
  return std::string(text, format_decimal(value, text));
}

TEST(Decimal, SignAndDigits) {
  struct {
    int32_t value;
    const char *text;
  } cases[] = {
      {0, "0"},
      {7, "7"},
      {-7, "-7"},
      {10, "10"},
      {2147483647, "2147483647"},
      {INT32_MIN, "-2147483648"}, // its magnitude does not fit 32 bits
  };
  for (const auto &c : cases) EXPECT_EQ(decimal(c.value), c.text);
}

TEST(WriteFormatted, ReportLines) {
  struct {
    const char *format;
    std::vector<FormatArg> args;
    const char *bytes;
  } cases[] = {
      {"Seed: %d \n", {7}, "Seed: 7 \r\n"},
      {"%d %d %2.4f %+2.4f", {11, 1, 100.0, 0.0}, "11 1 100.0000 +0.0000"},
      {"%d ", {53}, "53 "},
      {"Totals: %d %2.4f \n", {36, 100.0}, "Totals: 36 100.0000 \r\n"},
      {"\n", {}, "\r\n"},
      {"100%% %x %", {1}, "100%% %x %"}, // only the three conversions are replaced
      {"%d %d", {1}, "1 %d"},            // a conversion without an argument stays as text
  };
  for (const auto &c : cases) {
    FakeHost fake;
    Stream *s = create_text_file("f", "w");
    int result = write_formatted_args(s, c.format, c.args.data(), c.args.size());
    close_stream(s);
    const std::string &bytes = fake.files[3];
    EXPECT_EQ(bytes, c.bytes) << c.format;
    // The count is of characters produced: a line end counts once.
    auto line_ends = std::count(bytes.begin(), bytes.end(), '\n');
    EXPECT_EQ(result, static_cast<int>(bytes.size() - line_ends)) << c.format;
  }
}

} // namespace
