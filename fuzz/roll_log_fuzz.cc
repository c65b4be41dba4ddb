// The roll log reader over arbitrary bytes, split between the bytes already
// taken and the file as the chart splits them, and when asked after a piece
// of dicestat's entries or one less, so the rest begins at or just before
// the second piece. Against a plain reader of the whole text: the same
// rolls in the same order, or the same first bad token. An accepted log's
// counts add up to its rolls and are read again from its labels one to a
// line.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "chart/read/roll_log.h"
#include "chart/stats/pair_counts.h"
#include "sim/file_facts.h"

namespace {

// The entries of dicestat's form that read_roll_log reads as one piece.
constexpr size_t kPieceRolls = size_t{1} << 16;
constexpr unsigned kAllInHead = 0x1f; // mode bits 0-4: bytes already taken, or all
constexpr unsigned kPadded = 0xfc;    // modes from here: a piece of entries less 0 to 3 first

[[noreturn]] void fault(const char *what, const std::string &got, const std::string &want) {
  fprintf(stderr, "%s: reader %s, plain reader %s\n", what, got.c_str(), want.c_str());
  abort();
}

bool is_separator(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n';
}

bool is_face(char c) {
  return c >= '1' && c < '1' + kFaces;
}

// The whole text at once: each token runs to a separator or '#', and a
// comment to the end of its line.
struct Plain {
  int64_t line = 1, column = 1;
  std::vector<uint8_t> rolls; // outcome indices
  std::string where;          // "line:column" of the first bad token
};

void plain_read(std::string_view text, Plain &p) {
  for (size_t i = 0; i < text.size();) {
    size_t end = i + 1;
    if (text[i] == '#') {
      end = std::min(text.find('\n', i), text.size());
    } else if (text[i] == '\n') {
      ++p.line;
      p.column = 0;
    } else if (!is_separator(text[i])) {
      while (end < text.size() && !is_separator(text[end]) && text[end] != '#') ++end;
      std::string_view token = text.substr(i, end - i);
      if (token.size() != 2 || !is_face(token[0]) || !is_face(token[1])) {
        p.where = std::to_string(p.line) + ":" + std::to_string(p.column);
        return;
      }
      p.rolls.push_back(static_cast<uint8_t>((token[0] - '1') * kFaces + (token[1] - '1')));
    }
    p.column += static_cast<int64_t>(end - i);
    i = end;
  }
}

LogRead read(const std::string &head, std::string_view rest, PairCounts *pairs) {
  std::FILE *file = fmemopen(const_cast<char *>(rest.data()), rest.size(), "rb");
  if (file == nullptr) abort();
  LogRead log = read_roll_log({file, head}, pairs);
  std::fclose(file);
  return log;
}

std::string counts_text(const Counts &counts, int64_t rolls) {
  std::string text = std::to_string(rolls) + " rolls:";
  for (int64_t n : counts) text += " " + std::to_string(n);
  return text;
}

void check(const LogRead &log, const Plain &plain) {
  if (log.where != plain.where) fault("bad token", log.where, plain.where);
  if (log.ok != plain.where.empty()) fault("accepted", log.error, plain.where);
  for (char c : log.error)
    if (c < 0x20 || c >= 0x7f) fault("message", log.error, "one printable line");
  Counts counts(kOutcomes);
  int64_t sum = 0;
  for (uint8_t roll : plain.rolls) ++counts[roll];
  for (int64_t n : log.counts) sum += n;
  std::string got = counts_text(log.counts, log.rolls);
  if (sum != log.rolls) fault("counts add up", got, "their sum");
  if (got != counts_text(counts, static_cast<int64_t>(plain.rolls.size())))
    fault("counts", got, counts_text(counts, static_cast<int64_t>(plain.rolls.size())));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  static std::string entries;
  if (entries.empty())
    for (size_t k = 0; k < kPieceRolls; ++k) entries += "11 ";
  // The first byte chooses how many bytes the chart had taken already, and
  // rarely, as reading them takes ten times as long as most inputs, the
  // entries that come first.
  unsigned mode = data[0];
  std::string_view body(reinterpret_cast<const char *>(data) + 1, size - 1);
  size_t taken = (mode & kAllInHead) == kAllInHead ? body.size() : mode & kAllInHead;
  taken = std::min(taken, body.size());
  size_t padding = mode >= kPadded ? kPieceRolls - (mode - kPadded) : 0;

  Plain plain;
  plain.column += static_cast<int64_t>(padding * kRollTextSize);
  plain.rolls.assign(padding, 0);
  plain_read(body, plain);
  // Made once: under the address sanitizer the room a fresh one reserves
  // costs megabytes of shadow writes. Emptied, it is as fresh.
  static PairCounts pairs = make_pair_counts(kOutcomes);
  pairs.outcomes.clear();
  std::memset(pairs.tables.data(), 0, pairs.tables.size() * sizeof pairs.tables[0]);
  std::string head = entries.substr(0, padding * kRollTextSize);
  head.append(body.substr(0, taken));
  // The pair tables of a piece of entries take milliseconds under the
  // fuzzer's instrumentation, so the order is checked on shorter logs.
  LogRead log = read(head, body.substr(taken), padding > 0 ? nullptr : &pairs);
  check(log, plain);
  if (padding > 0) return 0;
  if (pairs.outcomes != plain.rolls)
    fault("pair tables' rolls", std::to_string(pairs.outcomes.size()), "in another order");
  if (!log.ok) return 0;

  std::string lines;
  for (uint8_t roll : plain.rolls) lines += std::to_string(outcome_labels[roll]) + "\n";
  check(read("", lines, nullptr), plain);
  return 0;
}
