#include "chart/read/roll_log.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "chart/read/roll_tokens.h"

namespace {

// Pieces of 2^16 entries of dicestat's log.
constexpr size_t kPieceRolls = size_t{1} << 16;
constexpr size_t kPieceBytes = kPieceRolls * kRollTextSize;

// The outcome indices of `count` entries, into `out`; false when any byte
// is not where a roll's belongs. No branch on the bytes, so the loop runs
// at the speed of memory.
bool decode(const unsigned char *text, size_t count, uint8_t *out) {
  unsigned bad = 0;
  for (size_t k = 0; k < count; ++k, text += kRollTextSize) {
    unsigned first = text[0] - unsigned{'1'};
    unsigned second = text[1] - unsigned{'1'};
    bad |= static_cast<unsigned>(first >= kFaces) | static_cast<unsigned>(second >= kFaces) |
           static_cast<unsigned>(text[2] != ' ');
    out[k] = static_cast<uint8_t>(first * kFaces + second);
  }
  return bad == 0;
}

// Entries of dicestat's form at the start of `count` entries.
size_t good_entries(const unsigned char *text, size_t count) {
  uint8_t ignored;
  size_t k = 0;
  while (k < count && decode(text + k * kRollTextSize, 1, &ignored)) ++k;
  return k;
}

struct Reader {
  LogSource source;
  PairCounts *pairs;
  LogRead log;
  bool listing = false; // past dicestat's form: the rest is read as a list
  bool taken = true;    // the sink wants more
  TokenReader tokens;

  // Up to `size` bytes into text, the head's first; 0 at the end.
  size_t fill(unsigned char *text, size_t size) {
    size_t n = std::min(size, source.head.size());
    if (n > 0) std::memcpy(text, source.head.data(), n); // an empty head may have no data
    source.head.remove_prefix(n);
    if (n < size) n += std::fread(text + n, 1, size - n, source.file);
    return n;
  }

  void count(const uint8_t *rolls, size_t n) {
    for (size_t k = 0; k < n; ++k) ++log.counts[rolls[k]];
    if (source.sink.take != nullptr && n > 0)
      taken = source.sink.take(source.sink.state, rolls, n) && taken;
    int64_t before = log.rolls;
    log.rolls += static_cast<int64_t>(n);
    if (pairs == nullptr || before >= kMaxAnalysedRolls) return;
    size_t keep = static_cast<size_t>(std::min(log.rolls, kMaxAnalysedRolls) - before);
    pairs->outcomes.insert(pairs->outcomes.end(), rolls, rolls + keep);
    count_pairs(*pairs, before, before + static_cast<int64_t>(keep));
  }

  // One piece: dicestat's entries while they last, then a list; false at a
  // bad token.
  bool read_piece(const unsigned char *text, size_t size, uint8_t *rolls) {
    size_t done = 0;
    if (!listing) {
      size_t whole = size / kRollTextSize;
      if (decode(text, whole, rolls) && size % kRollTextSize == 0) {
        count(rolls, whole);
        return true;
      }
      size_t good = good_entries(text, whole);
      count(rolls, good);
      done = good * kRollTextSize;
      listing = true;
      // Entries hold no line end: the list goes on in line 1.
      tokens.column = log.rolls * kRollTextSize + 1;
    }
    count(rolls, read_tokens(tokens, text + done, size - done, rolls));
    return tokens.error.empty();
  }
};

} // namespace

LogRead read_roll_log(LogSource source, PairCounts *pairs) {
  Reader reader{source, pairs, {}, false, true, {}};
  std::unique_ptr<unsigned char[]> text(new unsigned char[kPieceBytes]);
  std::unique_ptr<uint8_t[]> rolls(new uint8_t[kPieceBytes + 1]);
  LogRead &log = reader.log;
  for (;;) {
    size_t size = reader.fill(text.get(), kPieceBytes);
    if (size < kPieceBytes && std::ferror(source.file)) {
      log.error = std::strerror(errno);
      return log;
    }
    if (!reader.read_piece(text.get(), size, rolls.get()) || !reader.taken) break;
    if (log.rolls > kMaxListRolls) {
      log.error = "more rolls than a report holds, " + std::to_string(kMaxListRolls);
      return log;
    }
    if (size < kPieceBytes) {
      reader.count(rolls.get(), finish_tokens(reader.tokens, rolls.get()));
      break;
    }
  }
  log.where = reader.tokens.where;
  log.error = reader.tokens.error;
  log.cut_face = reader.tokens.cut_face;
  log.ok = log.error.empty();
  return log;
}
