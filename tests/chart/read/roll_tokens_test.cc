// The list of rolls read in pieces of every size: the same rolls, and the
// same first bad token at the same line and column, wherever the pieces
// break.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/read/roll_tokens.h"

namespace {

TEST(RollTokens, AnyPiecesGiveTheSameRolls) {
  struct Case {
    std::string text;
    std::vector<int> rolls; // outcome indices up to the bad token, if any
    std::string where, error;
  };
  const std::vector<Case> cases = {
      {"# 17\n11,12\t13\r\n14 # 99\n\n15,16  66", {0, 1, 2, 3, 4, 5, 35}, "", ""},
      {"11 12\n 14  17 66\n", {0, 1, 3}, "2:6", "\"17\" is not an outcome 11 to 66"},
      {"66 1", {35}, "1:4", "\"1\" is not an outcome 11 to 66"}, // cut off at the end
      {"\r\n11#\n666", {0}, "3:1", "\"666\" is not an outcome 11 to 66"},
  };
  for (const Case &c : cases)
    for (size_t piece = 1; piece <= c.text.size(); ++piece) {
      TokenReader reader;
      std::vector<int> rolls;
      uint8_t out[64];
      auto keep = [&](size_t n) { rolls.insert(rolls.end(), out, out + n); };
      for (size_t at = 0; at < c.text.size(); at += piece) {
        std::string bytes = c.text.substr(at, piece);
        keep(read_tokens(reader, reinterpret_cast<const unsigned char *>(bytes.data()),
                         bytes.size(), out));
      }
      keep(finish_tokens(reader, out));
      EXPECT_EQ(rolls, c.rolls) << c.text << ", pieces of " << piece;
      EXPECT_EQ(reader.where, c.where) << c.text << ", pieces of " << piece;
      EXPECT_EQ(reader.error, c.error) << c.text << ", pieces of " << piece;
    }
}

} // namespace
