// The environment table built from a host's environment block.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/process/environment.h"
#include "platform/process/environment_block.h"

namespace {

constexpr char kGuard = '\x7f'; // fills the memory past the measured space

// The block's entries as the table holds them, built in exactly the
// measured space; `overrun` shows a write past it.
struct Table {
  std::vector<std::string> entries;
  std::vector<char *> pointers; // the table itself, null-ended
  std::vector<char> text;
  bool overrun = false;
};

// `block` holds the entries with their zero bytes; the closing one is added.
Table build(const std::string &block_text) {
  std::string block = block_text + '\0';
  TableSpace space = copy_environment_block(block.c_str(), nullptr, nullptr);
  Table t;
  t.pointers.assign(space.entries + 2, reinterpret_cast<char *>(&t));
  t.text.assign(space.bytes + 1, kGuard);
  TableSpace filled = copy_environment_block(block.c_str(), t.pointers.data(), t.text.data());
  for (size_t i = 0; i < space.entries; ++i) t.entries.push_back(t.pointers[i]);
  t.overrun = filled.entries != space.entries || filled.bytes != space.bytes ||
              t.pointers[space.entries] != nullptr ||
              t.pointers[space.entries + 1] != reinterpret_cast<char *>(&t) ||
              t.text[space.bytes] != kGuard || (space.bytes && t.text[space.bytes - 1] != '\0');
  return t;
}

TEST(EnvironmentBlock, KeepsEntriesInOrderButNotLeadingOnesWithEquals) {
  using Entries = std::vector<std::string>;
  using namespace std::string_literals;
  struct {
    const char *why;
    std::string block;
    Entries entries;
  } cases[] = {
      {"an empty block", ""s, {}},
      {"entries in order", "PATH=C:\\\0TZ=UTC\0"s, {"PATH=C:\\", "TZ=UTC"}},
      {"leading = entries are skipped", "=C:=C:\\x\0=ExitCode=0\0TZ=UTC\0"s, {"TZ=UTC"}},
      {"later = entries stay", "=C:=C:\\\0A=1\0=D:=D:\\\0B=2\0"s, {"A=1", "=D:=D:\\", "B=2"}},
      {"nothing but = entries", "=C:=C:\\\0=D:=D:\\\0"s, {}},
      {"empty values stay", "TZ=\0A=\0"s, {"TZ=", "A="}},
      {"entries without = are copied as they are", "ODD\0A=1\0"s, {"ODD", "A=1"}},
  };
  for (const auto &c : cases) {
    Table t = build(c.block);
    EXPECT_EQ(t.entries, c.entries) << c.why;
    EXPECT_FALSE(t.overrun) << c.why << ": the measure and the copy disagree";
  }
}

// The table is a copy: the block may go back to the host afterwards.
TEST(EnvironmentBlock, TableOutlivesTheBlock) {
  std::string block = std::string("TZ=EST5EDT\0", 11) + '\0';
  TableSpace space = copy_environment_block(block.c_str(), nullptr, nullptr);
  std::vector<char *> table(space.entries + 1);
  std::vector<char> text(space.bytes);
  copy_environment_block(block.c_str(), table.data(), text.data());
  block.assign(block.size(), 'x');
  EXPECT_STREQ(find_environment(table.data(), "tz"), "EST5EDT");
}

} // namespace
