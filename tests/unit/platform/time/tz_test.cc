// The two scans of a TZ value and the test for a usable one.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "platform/time/tz.h"

namespace {

// A copy of `value` that ends its allocation at the NUL, so that a read past
// it shows under the address sanitizer.
struct Exact {
  std::unique_ptr<char[]> text;
  explicit Exact(const char *value) : text(new char[strlen(value) + 1]) {
    memcpy(text.get(), value, strlen(value) + 1);
  }
  const char *get() const { return text.get(); }
};

TEST(Tz, DaylightFlag) {
  struct {
    const char *value;
    bool daylight;
  } cases[] = {
      {"UTC", false},                // a name alone
      {"EST5", false},               // name and offset
      {"EST5EDT", true},             // a daylight-saving name
      {"EST5,M3.2.0,M11.1.0", true}, // rules; their dates are never used
      {"CET-1CEST", true},           // a signed offset
      {"IST-5:30", false},           // minutes belong to the offset run
      {"EST5;", false},              // so does ';'
      {"EST5,", true},               // ',' does not
      {"EST+5:00:30;", false},       // signs, colons and digits all in one run
      {"EST5 EDT", true},            // a blank ends the run
      {"EST", false},                // no offset, nothing after the name
      {"", false},                   // nothing at all
      {"ABCDEFGHI5", false},         // a nine-letter name is taken whole
      {"ABCDEFGHIJ", true},          // the tenth letter is past the name and no offset
      {"ABCDEFGHIJ5", true},         // likewise, even with an offset after it
      {"E;T5", false},               // ';' inside the name: the name runs to the digit
  };
  for (const auto &c : cases)
    EXPECT_EQ(tz_daylight(Exact(c.value).get()), c.daylight) << '"' << c.value << '"';
}

TEST(Tz, Offset) {
  struct {
    const char *value;
    int32_t offset;
  } cases[] = {
      {"UTC", 0},                // no offset at all
      {"EST5EDT", 18000},        // west is positive
      {"CET-1CEST", -3600},      // east is negative
      {"IST-5:30", -19800},      // the minutes take the hours' sign
      {"EST+5", 18000},          // an explicit plus
      {"X-5:30:15", -19815},     // all three east
      {"X \t\n\v\f\r-2", -7200}, // white space before the sign
      {"X-0:30", 1800},          // hour value 0: the minutes count west
      {"X:30", 1800},            // no hour digits read as 0 hours
      {"X5:", 18000},            // a colon without digits is no field
      {"X5:30:", 19800},         // likewise after the minutes
      {"X5::15", 18000},         // no minutes, so no seconds
      {"X5:-30", 18000},         // a signed minute field is not taken
      {"X5.5", 18000},           // only a colon separates fields
      {"X5:99", 23940},          // no range check
      {"", 0},                   // nothing at all
      {"5", 18000},              // no name to skip
      {"X596524", -2147480896},  // 596524 hours wrap past 2^31 seconds
      {"X4294967295:30", -5400}, // hours wrap to -1, so the minutes count east
  };
  for (const auto &c : cases)
    EXPECT_EQ(tz_offset(Exact(c.value).get()), c.offset) << '"' << c.value << '"';
}

TEST(Tz, Usable) {
  struct {
    const char *value;
    bool usable;
  } cases[] = {
      // Absent, empty, a digit, a sign, a blank, a Latin-1 letter first; then ASCII letters.
      {nullptr, false}, {"", false},      {"5EST", false}, {"+1", false},  {"-1", false},
      {" EST", false},  {"\xC4T", false}, {"z", true},     {"EST5", true}, {"Z9", true},
  };
  for (const auto &c : cases)
    EXPECT_EQ(tz_usable(c.value), c.usable) << (c.value ? c.value : "(absent)");
}

} // namespace
