// write_block against the byte-at-a-time put_byte it stands in for: the
// same file, the same pieces handed to the host, the same silence after a
// failed write, whatever the block sizes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"
#include "platform/io/stream.h"
#include "platform/platform.h"

namespace {

constexpr size_t kPiece = kStreamBufferSize;
constexpr size_t kUnlimited = SIZE_MAX;

struct Outcome {
  std::string file;
  std::vector<size_t> write_sizes;
  std::vector<int> results; // per block: 0, or -1 when a byte was dropped
  int close_result;
};

// Text with no "\n" but with CRs, which must pass through untranslated.
std::string text_of(size_t size) {
  std::string text;
  for (size_t i = 0; i < size; ++i) text += i % 97 == 0 ? '\r' : static_cast<char>('a' + i % 26);
  return text;
}

// Writes `text` in blocks of `block` bytes, through write_block or, for the
// reference, byte by byte through put_byte.
Outcome write_in_blocks(const std::string &text, size_t block, bool by_byte, size_t accept_limit,
                        bool one_byte_buffer) {
  FakeHost fake;
  fake.accept_limit = accept_limit;
  fake.fail_allocation = one_byte_buffer;
  Stream *s = create_text_file("f", "w");
  Outcome outcome;
  for (size_t done = 0; done < text.size(); done += block) {
    size_t size = std::min(block, text.size() - done);
    int result = 0;
    if (by_byte) {
      for (size_t i = 0; i < size; ++i)
        if (!put_byte(s, static_cast<unsigned char>(text[done + i]))) result = -1;
    } else {
      result = write_block(s, text.data() + done, size);
    }
    outcome.results.push_back(result);
  }
  outcome.close_result = close_stream(s);
  outcome.file = fake.files[3];
  outcome.write_sizes = fake.write_sizes;
  return outcome;
}

TEST(WriteBlock, MatchesByteAtATimeOutput) {
  struct Case {
    size_t block;
    size_t accept_limit;
    bool one_byte_buffer;
  } cases[] = {
      {1, kUnlimited, false},
      {3, kUnlimited, false},          // a roll's label: pieces end inside a block
      {kPiece - 1, kUnlimited, false}, //
      {kPiece, kUnlimited, false},     // a full buffer waits for the next block
      {kPiece + 1, kUnlimited, false}, //
      {50000, kUnlimited, false},      // one block spans several pieces
      {3, kUnlimited, true},           // no buffer to be had: one byte per write
      {3, 0, false},                   // the first write fails
      {4096, kPiece + 5, false},       // the second write comes up short
      {50000, 2 * kPiece, false},      // fails in the middle of a block
      {7, 10, true},                   // a one-byte buffer that fails later on
  };
  const std::string text = text_of(5 * kPiece + 123);
  for (const Case &c : cases) {
    Outcome expected = write_in_blocks(text, c.block, true, c.accept_limit, c.one_byte_buffer);
    Outcome got = write_in_blocks(text, c.block, false, c.accept_limit, c.one_byte_buffer);
    std::string where = "block " + std::to_string(c.block) + ", limit " +
                        std::to_string(c.accept_limit) +
                        (c.one_byte_buffer ? ", 1-byte buffer" : "");
    EXPECT_TRUE(got.file == expected.file) << where;
    EXPECT_EQ(got.write_sizes, expected.write_sizes) << where;
    EXPECT_EQ(got.results, expected.results) << where;
    EXPECT_EQ(got.close_result, expected.close_result) << where;
  }
}

// The reference itself, pinned down where the limit falls inside a piece:
// the file is exactly what the host took, and nothing is written after.
TEST(WriteBlock, NothingAfterAFailedWrite) {
  const std::string text = text_of(4 * kPiece);
  Outcome got = write_in_blocks(text, 1000, false, kPiece + 77, false);
  EXPECT_EQ(got.file, text.substr(0, kPiece + 77));
  EXPECT_EQ(got.write_sizes, (std::vector<size_t>{kPiece, kPiece}));
  EXPECT_EQ(got.close_result, -1);
}

} // namespace
