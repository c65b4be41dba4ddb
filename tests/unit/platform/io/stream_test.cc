// Output streams: buffering into whole pieces, line ends, the sticky error
// state and the stream table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"
#include "platform/io/stream.h"
#include "platform/platform.h"

namespace {

constexpr size_t kPiece = kStreamBufferSize;

// Writes `size` bytes of a repeating pattern, in uneven chunks.
std::string write_pattern(Stream *s, size_t size) {
  std::string all;
  for (size_t i = 0; i < size; ++i) all += static_cast<char>('a' + i % 26);
  for (size_t done = 0, chunk = 1; done < size; done += chunk, chunk = chunk * 3 % 7919 + 1) {
    if (chunk > size - done) chunk = size - done;
    write_text(s, all.data() + done, chunk);
  }
  return all;
}

std::vector<size_t> pieces(size_t full, size_t last) {
  std::vector<size_t> sizes(full, kPiece);
  if (last) sizes.push_back(last);
  return sizes;
}

TEST(StreamWrite, HandsBytesToTheHostInWholePieces) {
  struct Case {
    size_t bytes;
    std::vector<size_t> writes;
  } cases[] = {
      {0, {}},                   // never written: nothing, not even an empty write
      {1, {1}},                  // the rest goes out at closing
      {kPiece, {kPiece}},        // a full buffer waits for the next byte
      {kPiece + 1, {kPiece, 1}}, //
      {3000000, pieces(3000000 / kPiece, 3000000 % kPiece)}, // a million rolls' log
      {5 * kPiece, pieces(5, 0)},                            //
  };
  for (const Case &c : cases) {
    FakeHost fake;
    Stream *s = create_text_file("f", "w");
    ASSERT_NE(s, nullptr);
    std::string expected = write_pattern(s, c.bytes);
    EXPECT_EQ(close_stream(s), 0);
    EXPECT_EQ(fake.write_sizes, c.writes) << c.bytes << " bytes";
    EXPECT_EQ(fake.files[3], expected) << c.bytes << " bytes";
  }
}

TEST(StreamWrite, LineEndsBecomeCrLfEvenAcrossPieces) {
  FakeHost fake;
  Stream *s = create_text_file("f", "w");
  EXPECT_EQ(write_formatted(s, "a\nb\n"), 4); // a line end counts as one character
  std::string filler(kPiece - 7, 'x');        // puts the next CR last in the buffer
  write_text(s, filler.data(), filler.size());
  write_formatted(s, "\n");
  close_stream(s);
  EXPECT_EQ(fake.files[3], "a\r\nb\r\n" + filler + "\r\n");
  EXPECT_EQ(fake.write_sizes, pieces(1, 1));
}

// The host takes only `limit` bytes in all; what it took stays, nothing
// after the failure is written, and the stream says so when it is closed.
TEST(StreamWrite, FailedWriteSilencesTheStream) {
  const size_t kTotal = 3 * kPiece + 100;
  for (bool buffered : {true, false}) {
    for (size_t limit :
         {size_t{0}, size_t{1}, kPiece - 1, kPiece, kPiece + 1, kTotal - 1, kTotal}) {
      FakeHost fake;
      fake.fail_allocation = !buffered;
      fake.accept_limit = limit;
      Stream *s = create_text_file("f", "w");
      std::string all = write_pattern(s, kTotal);
      bool failed = limit < kTotal;
      EXPECT_EQ(close_stream(s), failed ? -1 : 0) << limit;
      EXPECT_EQ(fake.files[3], all.substr(0, limit)) << "limit " << limit;
      EXPECT_EQ(fake.failed_writes, failed ? 1u : 0u) << "wrote again after failing";
    }
  }
}

TEST(StreamWrite, WithoutABufferEveryByteIsItsOwnWrite) {
  FakeHost fake;
  fake.fail_allocation = true;
  Stream *s = create_text_file("f", "w");
  write_formatted(s, "%d\n", 42);
  EXPECT_EQ(fake.write_sizes, std::vector<size_t>(4, 1));
  EXPECT_EQ(close_stream(s), 0);
  EXPECT_EQ(fake.files[3], "42\r\n");
}

TEST(StreamWrite, FormattedWriteStopsAtTheFirstDroppedByte) {
  FakeHost fake;
  fake.fail_allocation = true;
  fake.accept_limit = 3;
  Stream *s = create_text_file("f", "w");
  EXPECT_EQ(write_formatted(s, "Seed: %d \n", 7), -1);
  EXPECT_EQ(fake.files[3], "See");
  EXPECT_EQ(fake.write_sizes.size(), 4u); // the fourth byte failed, nothing after it
}

TEST(StreamClose, ReportsAHandleThatWillNotClose) {
  FakeHost fake;
  fake.fail_close = true;
  Stream *s = create_text_file("f", "w");
  write_formatted(s, "x");
  EXPECT_EQ(close_stream(s), -1);
  EXPECT_EQ(fake.files[3], "x");
  EXPECT_EQ(create_text_file("g", "w"), s) << "the slot is freed all the same";
}

// One stream given a writer of its own: each attempt answers from a script
// (a byte count, or one of the write results), the rest take everything.
std::vector<long> answers;
size_t answered;
std::string taken;

long scripted_write(Handle, const void *data, size_t size) {
  long answer = answered < answers.size() ? answers[answered++] : static_cast<long>(size);
  if (answer > 0) taken.append(static_cast<const char *>(data), static_cast<size_t>(answer));
  return answer;
}

TEST(StreamHooks, OneStreamsWriterGoesOnAfterShortAndInterruptedWrites) {
  const std::string text = "Number of rolls: 36\n";
  const std::string crlf = "Number of rolls: 36\r\n";
  struct {
    const char *why;
    std::vector<long> answers;
    int close_result;
    size_t kept;
  } cases[] = {
      {"short writes", {3, 5, 1}, 0, crlf.size()},
      {"interrupted, then short", {kWriteInterrupted, 7, kWriteInterrupted}, 0, crlf.size()},
      {"a failure after a short write", {6, kWriteFailed}, -1, 6},
      {"a write that takes nothing", {4, 0}, -1, 4},
  };
  static const StreamHooks kScripted = {scripted_write, host_file_hooks.read,
                                        host_file_hooks.close};
  for (const auto &c : cases) {
    FakeHost fake;
    answers = c.answers, answered = 0, taken.clear();
    Stream stream;
    open_stream(&stream, 3, &kScripted);
    write_text(&stream, text.data(), text.size());
    EXPECT_EQ(close_stream(&stream), c.close_result) << c.why;
    EXPECT_EQ(taken, crlf.substr(0, c.kept)) << c.why;
    EXPECT_TRUE(fake.write_sizes.empty()) << c.why << ": the host's own writer was not used";
  }
}

TEST(StreamTable, FilesTakeTheFirstFreeSlot) {
  FakeHost fake;
  Stream *dice = create_text_file("dicefile.txt", "w");
  Stream *stat = create_text_file("statfile.txt", "w");
  EXPECT_EQ(stat, dice + 1);
  close_stream(dice);
  EXPECT_EQ(create_text_file("again", "w"), dice);
}

TEST(StreamTable, RefusesWhenFullOrAskedTheImpossible) {
  FakeHost fake;
  EXPECT_EQ(create_text_file("f", "r"), nullptr);
  fake.refuse_create = true;
  EXPECT_EQ(create_text_file("f", "w"), nullptr);
  fake.refuse_create = false;
  for (int i = kFirstFileSlot; i < kStreamSlots; ++i)
    EXPECT_NE(create_text_file("f", "w"), nullptr) << "a refused file takes no slot";
  EXPECT_EQ(create_text_file("one too many", "w"), nullptr);
}

TEST(Console, PromptsReachATerminalAtOnce) {
  FakeHost fake;
  fake.char_device = true;
  write_console("Enter number of rolls: ");
  EXPECT_EQ(fake.files[1], "Enter number of rolls: ");
  write_console("a\nb");
  EXPECT_EQ(fake.write_sizes, (std::vector<size_t>{23, 3, 1})) << "written at the line end too";
  EXPECT_EQ(fake.files[1], "Enter number of rolls: a\r\nb");
}

TEST(Console, RedirectedOutputWaitsForTheBuffer) {
  FakeHost fake;
  write_console("Enter number of rolls: ");
  write_console("Enter seed or blank for time: ");
  EXPECT_TRUE(fake.write_sizes.empty());
  flush_output();
  EXPECT_EQ(fake.files[1], "Enter number of rolls: Enter seed or blank for time: ");
}

} // namespace
