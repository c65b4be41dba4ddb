// The answer reader over arbitrary input delivered in reads of arbitrary
// sizes, against a plain reader that sees the whole converted text at once:
// the same results, the same values and the same characters left over.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fake_host.h"
#include "platform/io/console.h"
#include "platform/io/stream.h"
#include "platform/platform.h"

namespace {

constexpr size_t kLargestRead = 64;
constexpr int kAnswers = 4; // reads attempted after the two answers of a run

// What one read leaves in text mode: Ctrl+Z ends it, CR LF becomes LF.
std::string convert(const std::string &read) {
  std::string text = read.substr(0, read.find('\x1A'));
  std::string kept;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) kept += text[i];
  return kept;
}

bool is_space(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
bool is_blank(char c) {
  return c == ' ' || c == '\t';
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// The whole input as one string, read by index: no buffer, no push-back.
struct Plain {
  std::string text;
  size_t at = 0;
  bool more() const { return at < text.size(); }
};

int plain_read_int(Plain &in, int32_t *target) {
  while (in.more() && is_space(in.text[in.at])) ++in.at;
  if (!in.more()) return -1;
  size_t start = in.at;
  bool negative = in.text[in.at] == '-';
  if (in.text[in.at] == '+' || negative) ++in.at;
  uint32_t value = 0;
  int digits = 0;
  for (; in.more() && in.at - start < kIntFieldMax && is_digit(in.text[in.at]); ++in.at, ++digits)
    value = value * 10 + static_cast<uint32_t>(in.text[in.at] - '0');
  if (digits == 0) return in.more() ? 0 : -1;
  *target = static_cast<int32_t>(negative ? 0u - value : value);
  return 1;
}

int plain_read_int_or_blank(Plain &in, int32_t *target) {
  auto skip_blanks = [&] {
    while (in.more() && is_blank(in.text[in.at])) ++in.at;
  };
  if (in.at > 0 && in.text[in.at - 1] != '\n') { // the previous answer's line goes on
    skip_blanks();
    if (!in.more() || in.text[in.at] != '\n') return plain_read_int(in, target);
    ++in.at;
  }
  skip_blanks();
  if (in.more() && in.text[in.at] == '\n') {
    ++in.at;
    return 0;
  }
  return plain_read_int(in, target);
}

[[noreturn]] void mismatch(const char *what, long program, long plain) {
  fprintf(stderr, "%s: program %ld, plain reader %ld\n", what, program, plain);
  abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the read sizes and whether a buffer can be had.
  uint32_t sizes = data[0];
  bool no_buffer = (data[0] & 0x80) != 0;
  size_t capacity = no_buffer ? 1 : kStreamBufferSize;

  FakeHost fake;
  fake.fail_allocation = no_buffer;
  Plain plain;
  for (size_t i = 1; i < size;) {
    sizes = sizes * 1103515245u + 12345u;
    size_t n = 1 + (sizes >> 16) % kLargestRead;
    if (n > size - i) n = size - i;
    if (n > capacity) n = capacity;
    fake.reads.emplace_back(reinterpret_cast<const char *>(data) + i, n);
    i += n;
  }
  for (const std::string &read : fake.reads) {
    std::string text = convert(read);
    if (text.empty()) break; // a read that leaves nothing is the end of input
    plain.text += text;
  }

  for (int step = 0; step < 2 + kAnswers; ++step) {
    int32_t got = 0, want = 0;
    int result = step == 1 ? read_int_or_blank(&got) : read_int(&got);
    int expected = step == 1 ? plain_read_int_or_blank(plain, &want) : plain_read_int(plain, &want);
    if (result != expected) mismatch("result", result, expected);
    if (got != want) mismatch("value", got, want);
  }
  std::string left;
  for (int c; (c = take_input()) >= 0;) left += static_cast<char>(c);
  if (left != plain.text.substr(plain.at))
    mismatch("characters left", left.size(), plain.text.size() - plain.at);
  return 0;
}
