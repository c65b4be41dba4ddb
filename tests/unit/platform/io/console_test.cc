// Reading the two answers: integer fields over standard input delivered in
// arbitrary reads, and the seed answer that may be left blank.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"
#include "platform/io/stream.h"
#include "platform/platform.h"

namespace {

constexpr int32_t kUntouched = 99; // what the targets hold before reading

struct Answers {
  int first_result, second_result;
  int32_t rolls, seed;
  size_t reads; // host reads made: fewer means the second answer did not wait
};

// The run's two reads: the roll count, then a seed that may be blank.
Answers answer(const std::vector<std::string> &reads) {
  FakeHost fake;
  fake.reads = reads;
  Answers a{0, 0, kUntouched, kUntouched, 0};
  a.first_result = read_int(&a.rolls);
  a.second_result = read_int_or_blank(&a.seed);
  a.reads = fake.reads_made;
  return a;
}

// Splits `text` into reads of `size` bytes.
std::vector<std::string> chop(const std::string &text, size_t size) {
  std::vector<std::string> reads;
  for (size_t i = 0; i < text.size(); i += size) reads.push_back(text.substr(i, size));
  return reads;
}

struct Case {
  const char *why;
  std::string input;
  int first_result;
  int32_t rolls;
  int second_result;
  int32_t seed;
};

const Case kCases[] = {
    {"one answer a line", "12\n7\n", 1, 12, 1, 7},
    {"both answers on one line", "5 7\n", 1, 5, 1, 7},
    {"blanks, tabs and a plus sign", "  \t+12\n\t-7\n", 1, 12, 1, -7},
    {"empty lines before an answer are passed over", "\n\n \n36\n1\n", 1, 36, 1, 1},
    {"letters stay and fail the seed at once", "abc\n", 0, kUntouched, 0, kUntouched},
    {"a sign is used up, the blank ends the field", "- 3\n", 0, kUntouched, 1, 3},
    {"the x ends the first field and fails the second", "10x\n", 1, 10, 0, kUntouched},
    {"the point ends the field", "3.9\n", 1, 3, 0, kUntouched},
    {"wraps modulo 2^32", "4294967301\n-2147483649\n", 1, 5, 1, 2147483647},
    {"2^31 is the most negative value", "2147483648\n4294967296\n", 1, INT32_MIN, 1, 0},
    {"the most negative value typed as such", "3\n-2147483648\n", 1, 3, 1, INT32_MIN},
    {"many digits keep the low 32 bits", "99999999999\n1\n", 1, 1215752191, 1, 1},
    {"a blank seed line asks for the clock", "36\n\n", 1, 36, 0, kUntouched},
    {"a seed line of blanks and tabs is blank", "36\n \t \n7\n", 1, 36, 0, kUntouched},
    {"blanks after the count belong to its line", "36 \t\n7\n", 1, 36, 1, 7},
    {"no line end after the last number", "20\n5", 1, 20, 1, 5},
    {"the input ends after the count", "20\n", 1, 20, -1, kUntouched},
    {"nothing at all", "", -1, kUntouched, -1, kUntouched},
    {"only white space", " \n\t\n", -1, kUntouched, -1, kUntouched},
    {"a sign and then the end", "+", -1, kUntouched, -1, kUntouched},
    {"a sign and then a line end", "-\n8\n", 0, kUntouched, 1, 8},
    {"a number with nothing after it, then a seed", "7", 1, 7, -1, kUntouched},
    {"a count cut off at its length limit still owns its line end",
     std::string(32766, '0') + "1\n7\n", 1, 1, 1, 7},
    {"a plus sign counts toward the length limit", "+" + std::string(32765, '0') + "12\n", 1, 1, 1,
     2},
};

TEST(ReadInt, AnswersWhateverTheReadBoundaries) {
  for (const Case &c : kCases) {
    for (size_t size : {c.input.size() + 1, size_t{1}, size_t{2}, size_t{3}}) {
      Answers a = answer(chop(c.input, size));
      EXPECT_EQ(a.first_result, c.first_result) << c.why << ", reads of " << size;
      EXPECT_EQ(a.rolls, c.rolls) << c.why << ", reads of " << size;
      EXPECT_EQ(a.second_result, c.second_result) << c.why << ", reads of " << size;
      EXPECT_EQ(a.seed, c.seed) << c.why << ", reads of " << size;
    }
  }
}

// What one read delivers is converted as a whole, so these depend on where
// the reads begin and end.
TEST(ReadInt, TextModeWorksOnEachRead) {
  // Ctrl+Z drops the rest of its read; the field goes on into the next one.
  Answers a = answer({"12\x1A\r\n", "3\r\n"});
  EXPECT_EQ(a.rolls, 123);
  // A read that holds only Ctrl+Z is the end of input, for good.
  a = answer({"\x1A", "5\n"});
  EXPECT_EQ(a.first_result, -1);
  EXPECT_EQ(a.second_result, -1);
  EXPECT_EQ(a.reads, 1u);
  // CR LF within one read is a line end, so this seed line is blank.
  a = answer({"36\r\n\r\n"});
  EXPECT_EQ(a.rolls, 36);
  EXPECT_EQ(a.second_result, 0);
  EXPECT_EQ(a.seed, kUntouched);
  // A CR whose LF comes in the next read stays a CR: white space, not a line end.
  a = answer({"36\r", "\n7\n"});
  EXPECT_EQ(a.rolls, 36);
  EXPECT_EQ(a.seed, 7);
}

TEST(ReadInt, SecondAnswerDoesNotWaitWhenTheLineHoldsIt) {
  struct {
    std::vector<std::string> reads; // one typed line each
    size_t reads_made;
  } cases[] = {
      {{"5 7\n", "1\n"}, 1}, // the seed stands on the first line
      {{"abc\n", "1\n"}, 1}, // the letter fails the seed read at once
      {{"36\n", "1\n"}, 2},  // the end of the count's line is no blank answer
      {{"36\n", "\n"}, 2},   // a blank line is
  };
  for (const auto &c : cases) EXPECT_EQ(answer(c.reads).reads, c.reads_made) << c.reads[0];
}

TEST(ReadInt, FieldEndsAfter32767Characters) {
  // 32766 zeros and a 7 fill the field; the 8 is the next field.
  Answers a = answer({std::string(32766, '0') + "78\n"});
  EXPECT_EQ(a.rolls, 7);
  EXPECT_EQ(a.seed, 8);
  // The sign counts as a character of the field.
  a = answer({"-" + std::string(32765, '0') + "78\n"});
  EXPECT_EQ(a.rolls, -7);
  EXPECT_EQ(a.seed, 8);
  // A sign in the last place ends the field and is left for the next one.
  a = answer({std::string(32765, '0') + "7-8\n"});
  EXPECT_EQ(a.rolls, 7);
  EXPECT_EQ(a.seed, -8);
}

TEST(ReadInt, EndStatesAreSticky) {
  for (ReadStatus status : {ReadStatus::kEnded, ReadStatus::kFailed}) {
    FakeHost fake;
    fake.after_script = status;
    int32_t value = kUntouched;
    EXPECT_EQ(read_int(&value), -1);
    fake.reads = {"5\n"}; // input that arrives later is never read
    fake.reads_made = 0;
    EXPECT_EQ(read_int(&value), -1);
    EXPECT_EQ(value, kUntouched);
    EXPECT_EQ(fake.reads_made, 0u);
  }
}

} // namespace
