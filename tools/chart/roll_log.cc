#include "roll_log.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace {

constexpr int kFaces = 6;
// Pieces of 2^16 rolls: kMaxAnalysedRolls is a whole number of them, so no
// piece but the last is ever cut at the limit.
constexpr size_t kPieceRolls = size_t{1} << 16;
constexpr size_t kPieceBytes = kPieceRolls * kLogEntryBytes;

std::string at_offset(int64_t offset, const std::string &what) {
  return "byte offset " + std::to_string(offset) + ": " + what;
}

std::string hex_byte(unsigned char byte) {
  static const char kHex[] = "0123456789abcdef";
  return std::string("0x") + kHex[byte >> 4] + kHex[byte & 15];
}

// The outcome indices of `count` entries, into `out`; false when any byte
// is not where a roll's belongs. No branch on the bytes, so the loop runs
// at the speed of memory.
bool decode(const unsigned char *text, size_t count, uint8_t *out) {
  unsigned bad = 0;
  for (size_t k = 0; k < count; ++k, text += kLogEntryBytes) {
    unsigned first = text[0] - unsigned{'1'};
    unsigned second = text[1] - unsigned{'1'};
    bad |= static_cast<unsigned>(first >= kFaces) | static_cast<unsigned>(second >= kFaces) |
           static_cast<unsigned>(text[2] != ' ');
    out[k] = static_cast<uint8_t>(first * kFaces + second);
  }
  return bad == 0;
}

// What is wrong with the first bad byte of text, which starts at a roll;
// empty when every byte is in order.
std::string first_fault(const unsigned char *text, size_t size, int64_t offset) {
  for (size_t i = 0; i < size; ++i) {
    bool blank = i % kLogEntryBytes == kLogEntryBytes - 1;
    bool good = blank ? text[i] == ' ' : text[i] >= '1' && text[i] <= '6';
    if (!good)
      return at_offset(offset + static_cast<int64_t>(i),
                       std::string(blank ? "expected a blank" : "expected a face 1 to 6") +
                           ", found " + hex_byte(text[i]));
  }
  return "";
}

} // namespace

LogRead read_roll_log(std::FILE *file, PairCounts &counts) {
  LogRead log;
  std::unique_ptr<unsigned char[]> text(new unsigned char[kPieceBytes]);
  std::unique_ptr<uint8_t[]> spare(new uint8_t[kPieceRolls]); // rolls past the analysed ones
  int64_t offset = 0;
  for (;;) {
    size_t size = std::fread(text.get(), 1, kPieceBytes, file);
    if (size < kPieceBytes && std::ferror(file)) {
      log.error = std::strerror(errno);
      return log;
    }
    size_t whole = size / kLogEntryBytes;
    int64_t analysed = static_cast<int64_t>(counts.outcomes.size());
    size_t keep =
        static_cast<size_t>(std::min(static_cast<int64_t>(whole), kMaxAnalysedRolls - analysed));
    uint8_t *out = spare.get();
    if (keep == whole) {
      counts.outcomes.resize(static_cast<size_t>(analysed) + whole);
      out = counts.outcomes.data() + analysed;
    }
    if (!decode(text.get(), whole, out) || size % kLogEntryBytes != 0) {
      log.error = first_fault(text.get(), size, offset);
      if (log.error.empty())
        log.error = at_offset(offset + static_cast<int64_t>(size), "the log ends inside a roll");
      return log;
    }
    if (keep != whole) counts.outcomes.insert(counts.outcomes.end(), out, out + keep);
    count_pairs(counts, analysed, analysed + static_cast<int64_t>(keep));
    log.rolls += static_cast<int64_t>(whole);
    offset += static_cast<int64_t>(size);
    if (size < kPieceBytes) break;
  }
  log.ok = true;
  return log;
}
