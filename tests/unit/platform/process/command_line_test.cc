// Splitting a raw command line into the argument list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/process/command_line.h"

namespace {

constexpr char kProgram[] = "C:\\Tools\\dicestat.exe";
constexpr char kGuard = '\x7f'; // fills the memory past the measured space

// The list for `command_line`, in exactly the measured space; a write past
// that space shows in `overrun`.
struct Split {
  std::vector<std::string> words;
  bool overrun = false;
  bool space_unused = false; // the last measured byte was never written
};

Split split(const char *command_line) {
  TableSpace space = split_command_line(command_line, kProgram, nullptr, nullptr);
  std::vector<char *> argv(space.entries + 2, reinterpret_cast<char *>(&argv));
  std::vector<char> text(space.bytes + 1, kGuard);
  TableSpace filled = split_command_line(command_line, kProgram, argv.data(), text.data());

  Split result;
  for (size_t i = 0; i < space.entries; ++i) result.words.push_back(argv[i]);
  result.overrun = filled.entries != space.entries || filled.bytes != space.bytes ||
                   argv[space.entries] != nullptr ||
                   argv[space.entries + 1] != reinterpret_cast<char *>(&argv) ||
                   text[space.bytes] != kGuard;
  result.space_unused = space.bytes == 0 || text[space.bytes - 1] != '\0';
  return result;
}

TEST(CommandLine, SplitsAfterTheFirstWord) {
  using Words = std::vector<std::string>;
  const std::string p = kProgram;
  struct {
    const char *why;
    const char *command_line;
    Words words;
  } cases[] = {
      {"no arguments", "dicestat", {p}},
      {"an empty command line", "", {p}},
      // Word 0 is the path the host reports, not what was typed.
      {"the typed name is not the path", "dice 1", {p, "1"}},
      {"blanks and tabs both separate", "dicestat a\tb  \t c", {p, "a", "b", "c"}},
      {"blanks at either end", "  dicestat  a  ", {p, "a"}},
      {"a quoted program name with a blank", "\"C:\\My Tools\\dicestat.exe\" x", {p, "x"}},
      {"quotes group blanks and are dropped", "dicestat \"a b\" c", {p, "a b", "c"}},
      {"quotes inside a word", "dicestat a\"b c\"d e", {p, "ab cd", "e"}},
      {"an empty pair is an empty word", "dicestat \"\" x", {p, "", "x"}},
      {"an unclosed quote runs to the end", "dicestat \"a b", {p, "a b"}},
      {"a tab inside quotes stays", "dicestat \"a\tb\"", {p, "a\tb"}},
      // Only the quote is special.
      {"backslashes are plain", "dicestat a\\\"b c\\", {p, "a\\b c\\"}},
      {"no wildcard expansion", "dicestat *.txt ?", {p, "*.txt", "?"}},
      {"single quotes are plain", "dicestat 'a b'", {p, "'a", "b'"}},
  };
  for (const auto &c : cases) {
    Split s = split(c.command_line);
    EXPECT_EQ(s.words, c.words) << c.why;
    EXPECT_FALSE(s.overrun) << c.why << ": wrote past the measured space";
    EXPECT_FALSE(s.space_unused) << c.why << ": measured more than it used";
  }
}

TEST(CommandLine, LongLinesFitTheirMeasure) {
  std::string line = "dicestat";
  std::vector<std::string> expected = {kProgram};
  for (int i = 0; i < 1000; ++i) {
    std::string word(static_cast<size_t>(1 + i % 7), 'w');
    line += i % 3 ? " " + word : " \"" + word + " " + word + "\"";
    expected.push_back(i % 3 ? word : word + " " + word);
  }
  Split s = split(line.c_str());
  EXPECT_EQ(s.words, expected);
  EXPECT_FALSE(s.overrun);
  EXPECT_FALSE(s.space_unused);
}

} // namespace
