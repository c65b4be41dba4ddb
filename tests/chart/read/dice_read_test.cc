// Rolls of any dice read as a user keeps them: the die each form gives,
// the counts, and the first thing wrong at its line and column; the fields
// and text the same wherever the pieces they come in break.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "chart/read/dice_read.h"
#include "chart/read/die_faces.h"
#include "chart/read/field_scanner.h"
#include "chart/read/text_decode.h"

namespace {

// The text read as the chart reads a file: its start as the head.
RollsRead read_text(const std::string &text, const DiceAsked &asked) {
  std::FILE *file = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), file);
  std::rewind(file);
  std::string head(64 * 1024 + 1, '\0');
  head.resize(std::fread(head.data(), 1, head.size(), file));
  RollsRead read = read_rolls({file, head, {}}, asked);
  std::fclose(file);
  return read;
}

DiceAsked named(const char *faces, int dice = 0) {
  DieFaces f = faces[0] == 'd' ? die_named(faces) : faces_listed(faces);
  DiceAsked asked;
  asked.labels = f.labels;
  asked.die = f.name;
  asked.dice = dice;
  return asked;
}

DiceAsked with(int dice, std::vector<std::string> columns = {}, bool tallies = false) {
  DiceAsked asked;
  asked.dice = dice;
  asked.columns = std::move(columns);
  asked.tallies = tallies;
  return asked;
}

TEST(DiceRead, EachFormGivesItsDiceAndCounts) {
  struct Case {
    std::string text;
    DiceAsked asked;
    std::string die; // its name, and "+" after it when inferred
    int dice;
    std::vector<int64_t> per_die; // each die's counts, one after another
  };
  const std::vector<Case> cases = {
      {"# d20\n3\n17\n20\n1\n17\n", {}, "d20+", 1, {1, 0, 1, 0, 0, 0, 0, 0, 0, 0,
                                                    0, 0, 0, 0, 0, 0, 2, 0, 0, 1}},
      // Faces from 0 once a 0 is read: 0 to 9 is a d10, 1 to 9 would be too.
      // Two labels 11 to 66 and then a d20's: a list typed on one line.
      {"12 15 7 3", {}, "d20+", 1, {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0}},
      {"0,3 , 9\r\n", {}, "d10+", 1, {1, 0, 0, 1, 0, 0, 0, 0, 0, 1}},
      {"53 65 64 42 ", {}, "d6", 2, {0, 0, 0, 1, 1, 2, 0, 1, 1, 1, 1, 0}},
      // A line of one value as long as the dice are many: a face each.
      {"3 4\n34\n6,1\n", with(2), "d6+", 2, {0, 0, 2, 0, 0, 1, 1, 0, 0, 2, 0, 0}},
      {"\xef\xbb\xbf"
       "1\r2\r3\r4",
       {},
       "d4+",
       1,
       {1, 1, 1, 1}},
      {std::string("\xff\xfe"
                   "4\0\r\0\n\0"
                   "1\0",
                   10),
       {},
       "d4+",
       1,
       {1, 0, 0, 1}},
      {std::string("\xfe\xff\0"
                   "4\0\n\0"
                   "2",
                   8),
       {},
       "d4+",
       1,
       {0, 1, 0, 1}},
      // A quoted value; a row with no roll in it.
      {"Date,Roll\r\n2024-01-01,\"3\"\r\n,\r\n2024-01-02,4",
       with(0, {"Roll"}),
       "d4+",
       1,
       {0, 0, 1, 1}},
      {"\"Roll, \"\"first\"\"\",x\n3,y\n", with(0, {"Roll, \"first\""}), "d4+", 1, {0, 0, 1, 0}},
      {"Roll\n2\n", {}, "d4+", 1, {0, 1, 0, 0}},
      {"red,white,count\n\"1\",1,5\n1,2,7\n",
       with(0, {}, true),
       "d4+",
       2,
       {12, 0, 0, 0, 5, 7, 0, 0}},
      {"# a d6\nface count\n1 3\n4 1\n", with(0, {}, true), "d4+", 1, {3, 0, 0, 1}},
      {"- 0 +\n+\n", named("-,0,+"), "die -,0,+", 1, {1, 1, 2}},
      {"Roll,Die 1,Die 2\n1,+,-\n",
       [] {
         DiceAsked s = named("dF");
         s.columns = {"Die 2", "Die 1"};
         return s;
       }(),
       "dF",
       2,
       {1, 0, 0, 0, 0, 1}},
  };
  for (const Case &c : cases) {
    RollsRead read = read_text(c.text, c.asked);
    ASSERT_TRUE(read.ok) << c.text << ": " << read.where << " " << read.error;
    EXPECT_EQ(read.die + (read.inferred ? "+" : ""), c.die) << c.text;
    EXPECT_EQ(read.dice, c.dice) << c.text;
    std::vector<int64_t> per_die;
    for (const Counts &die : read.counts.per_die)
      per_die.insert(per_die.end(), die.begin(), die.end());
    EXPECT_EQ(per_die, c.per_die) << c.text;
  }
  // Only dicestat's own bytes say its generator made the rolls.
  EXPECT_TRUE(read_text("53 65 64 42 ", {}).dicestat_log);
  EXPECT_FALSE(read_text("53 65 64 42\n", {}).dicestat_log);
}

TEST(DiceRead, TheFirstFaultAtItsLineAndColumn) {
  struct Case {
    std::string text;
    DiceAsked asked;
    std::string where, error;
  };
  const std::vector<Case> cases = {
      {"1 2 x", {}, "1:5", "\"x\" is not a face of any die d4 to d100; --faces names other faces"},
      {"101\n",
       {},
       "1:1",
       "\"101\" is not a face of any die d4 to d100; --faces names other faces"},
      {"1\r2\r\n7", named("d6"), "3:1", "\"7\" is not a face of the d6"},
      {"1 2 3\n", with(2), "1", "3 values, not 2 (--dice 2)"},
      {"# rolls\nDate,Roll\n1,2\n",
       {},
       "2",
       "2 columns, \"Date\", \"Roll\"; --column NAME says which holds the rolls"},
      {"Date,Roll\n1,2\n", with(0, {"Rolls"}), "1", "no column \"Rolls\" among \"Date\", \"Roll\""},
      {"Roll\n\"4", with(0, {"Roll"}), "2:1", "a quote that is never closed"},
      {"Roll\n\"4\"5", with(0, {"Roll"}), "2:4", "text after a quoted field's closing quote"},
      {"1 5\n2 x\n", with(0, {}, true), "2:3", "\"x\" is not a count 0 to 10^15"},
      // A log of dicestat's cut within its last roll, or gone wrong after
      // many rolls, is not read as some other die.
      {"53 65 6",
       {},
       "1:7",
       "\"6\" is not an outcome 11 to 66, and dicestat's roll log ends in it"},
      {[] {
         std::string log;
         for (int i = 0; i < 1000; ++i) log += "11 ";
         return log + "\n7";
       }(),
       {},
       "2:1",
       "\"7\" is not an outcome 11 to 66, after 1000 rolls of dicestat's roll log"},
      {"0 100",
       {},
       "",
       "values from 0 to 100: no common die holds them all; --faces names the faces"},
  };
  for (const Case &c : cases) {
    RollsRead read = read_text(c.text, c.asked);
    EXPECT_FALSE(read.ok) << c.text;
    EXPECT_EQ(read.where, c.where) << c.text;
    EXPECT_EQ(read.error, c.error) << c.text;
  }
}

// The fields and line ends of text scanned in pieces of `piece` bytes,
// "|" after each line.
std::string scanned(const std::string &text, bool csv, size_t piece) {
  FieldScanner scanner;
  scanner.csv = csv;
  std::string out;
  FieldSink sink = [](void *context, const Field *f) {
    auto *text = static_cast<std::string *>(context);
    *text += f == nullptr ? "|"
                          : std::to_string(f->line) + ":" + std::to_string(f->column) + "=" +
                                std::string(f->text, f->length) + " ";
    return true;
  };
  for (size_t at = 0; at < text.size(); at += piece)
    if (!scan_fields(scanner, text.data() + at, std::min(piece, text.size() - at), sink, &out))
      return out + scanner.error;
  return finish_fields(scanner, sink, &out) ? out : out + scanner.error;
}

TEST(FieldScanner, AnyPiecesGiveTheSameFields) {
  struct Case {
    std::string text;
    bool csv;
    std::string fields;
  };
  const std::vector<Case> cases = {
      {"1, 2\t# 3\r\n\r\n4", false, "1:1=1 1:4=2 |3:1=4 |"},
      {"a,\"b,\"\"c\"\"\r\nd\" , e\r\n,\rx", true,
       "1:1=a 1:3=b,\"c\"\r\nd 2:6=e |3:1= 3:2= |4:1=x |"},
      {"# note, not a field\na,", true, "2:1=a 2:3= |"},
  };
  for (const Case &c : cases)
    for (size_t piece = 1; piece <= c.text.size(); ++piece)
      EXPECT_EQ(scanned(c.text, c.csv, piece), c.fields) << c.text << " in pieces of " << piece;
}

TEST(TextDecode, AnyPiecesGiveTheSameText) {
  // "1" and U+1F3B2 (a die), as UTF-16 of either order; a lone half of a
  // pair, then an odd last byte.
  const std::string le("\xff\xfe"
                       "1\0\x3c\xd8\xb2\xdf\x3c\xd8"
                       "2\0"
                       "3",
                       13);
  const std::string be("\xfe\xff\0"
                       "1\xd8\x3c\xdf\xb2\xd8\x3c\0"
                       "2"
                       "3",
                       13);
  const std::string expected = "1\xf0\x9f\x8e\xb2\xef\xbf\xbd"
                               "2\xef\xbf\xbd";
  for (const std::string &text : {le, be})
    for (size_t piece = 1; piece <= text.size(); ++piece) {
      TextDecoder decoder;
      std::string out;
      for (size_t at = 0; at < text.size(); at += piece)
        decode_text(decoder, reinterpret_cast<const unsigned char *>(text.data()) + at,
                    std::min(piece, text.size() - at), out);
      finish_text(decoder, out);
      EXPECT_EQ(out, expected) << "in pieces of " << piece;
    }
}

TEST(DiceRead, PairTablesAlikeWithCombinationsCountedAndWithout) {
  // Rolls of 2 and of 3 dice with die d's face (r * (d + 1) + d) % 4 + 1,
  // read as d4 (their combinations counted) and as d20 (too many to count).
  for (int dice : {2, 3}) {
    std::string text;
    DiceCounts expected = make_dice_counts(dice, 4, false);
    for (int r = 0; r < 50; ++r) {
      uint8_t faces[3];
      for (int d = 0; d < dice; ++d) {
        faces[d] = static_cast<uint8_t>((r * (d + 1) + d) % 4);
        text += std::to_string(faces[d] + 1) + (d + 1 < dice ? " " : "\n");
      }
      add_roll(expected, faces, 1);
    }
    RollsRead d4 = read_text(text, named("d4", dice));
    EXPECT_FALSE(d4.counts.combinations.empty());
    EXPECT_EQ(d4.counts.pair_tables, expected.pair_tables) << dice;
    RollsRead d20 = read_text(text, named("d20", dice));
    EXPECT_TRUE(d20.counts.combinations.empty());
    for (size_t p = 0; p < expected.pair_tables.size(); ++p)
      for (int f = 0; f < 16; ++f)
        EXPECT_EQ(d20.counts.pair_tables[p][f / 4 * 20 + f % 4], expected.pair_tables[p][f])
            << dice << " dice, pair " << p;
  }
}

} // namespace
