#include "chart/read/dice_read.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "chart/read/die_faces.h"
#include "chart/read/field_scanner.h"
#include "chart/read/raw_tallies.h"
#include "chart/read/text_decode.h"
#include "sim/file_facts.h"

namespace {

// Pieces of 2^16 entries of dicestat's log.
constexpr size_t kPieceBytes = (size_t{1} << 16) * kRollTextSize;

// The most columns a CSV header may have.
constexpr size_t kMaxColumns = 4096;

// Once a file began with this many rolls in dicestat's own bytes, it is
// dicestat's roll log, and a value that is no label 11 to 66 is a fault in
// it, not a sign of another die.
constexpr int64_t kTrustedLogEntries = 1000;

// A tally's count: at most this, so that the sum of any number of them a
// reading can hold stays far from overflowing.
constexpr int64_t kMaxTally = int64_t{1} << 48;

// No number a face can be, for dice whose faces are not numbers.
constexpr int kNotNumbers = -10000;

// A whole number of at most three digits after an optional '-', as a
// numbered die's face is written; kNotNumbers for anything else.
int face_number(const Field &f) {
  bool negative = f.length > 1 && f.text[0] == '-';
  int v = f.length > kKeptFieldBytes ? -1 : small_number(f.text + negative, f.length - negative);
  return v < 0 ? kNotNumbers : negative ? -v : v;
}

bool is_pair_label(const Field &f) {
  return f.length == 2 && f.text[0] >= '1' && f.text[0] <= '6' && f.text[1] >= '1' &&
         f.text[1] <= '6';
}

// What a field of the first line that is not a value says of the line: a
// name of a column; a number, which names nothing but may stand in a name
// of several words ("Die 1"); or bytes no name holds, so that a line of
// binary bytes is read as a list with a bad value.
enum class Word { kName, kNumber, kBinary };

Word word_of(const Field &f) {
  size_t kept = std::min(f.length, kKeptFieldBytes);
  bool number = kept > 0;
  for (size_t i = 0; i < kept; ++i) {
    auto c = static_cast<unsigned char>(f.text[i]);
    if (c < 0x20 && c != '\t') return Word::kBinary;
    number = number && ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.');
  }
  return number ? Word::kNumber : Word::kName;
}

std::string name_of(const Field &f) {
  return std::string(f.text, std::min(f.length, kKeptFieldBytes));
}

struct Reader {
  Reader(const DiceAsked &given, RollsRead &into) : asked(given), read(into) {}
  const DiceAsked &asked;
  RollsRead &read;
  FieldScanner scanner;
  RawTallies raw;
  std::unordered_map<std::string, int> faces; // a named die's labels to their indices
  int first_number = kNotNumbers;             // its first face, when its faces are the whole
                                              // numbers from it up, as a dK's: read as numbers
  int dice = 0;                               // D; 0 until a tally's first line shows it
  bool header = false;                        // the first line is a header still to read
  std::vector<int> column_of;                 // a CSV's field index of each die
  std::vector<std::string> column_names;      // and its name
  std::vector<Field> fields;                  // the line's fields that are kept
  int64_t fields_in_line = 0;
  bool all_pairs = true;   // every value so far is a label 11 to 66
  RollSink rolls_out;      // given each roll while all are labels 11 to 66, one value a roll
  bool plain = false;      // no die named: dicestat's form is possible
  int64_t log_entries = 0; // rolls at the start in dicestat's own bytes
  int64_t fields_seen = 0; // fields the scanner has handed over, the one at hand too
  Field cut;               // a last entry of dicestat's log cut short, if nothing follows
  int64_t cut_at = -1;     // the fields seen before it; -1 when there is none

  // The first value that is no label 11 to 66 where dicestat's log went
  // before it: an error at once in a long log, and in a short one when it
  // is a lone face that ends the file, as a log cut within a roll does.
  bool breaks_log(const Field &f) {
    if (!plain || log_entries == 0) return false;
    std::string what = quoted_field(f) + " is not an outcome 11 to 66";
    if (log_entries >= kTrustedLogEntries) {
      fail(f, what + ", after " + std::to_string(log_entries) + " rolls of dicestat's roll log");
      return true;
    }
    bool right_after =
        f.line == 1 && f.column == log_entries * static_cast<int64_t>(kRollTextSize) + 1;
    if (right_after && f.length == 1 && f.text[0] >= '1' && f.text[0] <= '6') {
      cut = f;
      cut_at = fields_seen;
    }
    return false;
  }

  // A log cut within its last roll.
  bool ends_cut() {
    if (cut_at < 0 || cut_at != fields_seen) return false; // none, or a field followed it
    fail(cut,
         quoted_field(cut) + " is not an outcome 11 to 66, and dicestat's roll log ends in it");
    return true;
  }

  // A label 11 to 66 to the sink, as its outcome index.
  void pass_on(int label) {
    if (rolls_out.take == nullptr || !all_pairs) return;
    auto outcome = static_cast<uint8_t>((label / 10 - 1) * kFaces + label % 10 - 1);
    rolls_out.take(rolls_out.state, &outcome, 1);
  }

  bool fail(const Field &f, const std::string &what) {
    read.where = std::to_string(f.line) + ":" + std::to_string(f.column);
    read.error = what;
    return false;
  }

  bool fail_line(int64_t line, const std::string &what) {
    read.where = std::to_string(line);
    read.error = what;
    return false;
  }

  // The value of a field as a die's face: its index for a named die, else
  // the whole number 0 to 100; -1 with the error set when it is neither.
  int value_of(const Field &f) {
    if (all_pairs && !is_pair_label(f)) {
      all_pairs = false;
      if (breaks_log(f)) return -1;
    }
    if (!asked.labels.empty()) {
      if (first_number != kNotNumbers) {
        int v = face_number(f);
        if (v >= first_number && v - first_number < static_cast<int>(asked.labels.size()))
          return v - first_number;
      } else if (f.length <= kKeptFieldBytes) {
        auto found = faces.find(name_of(f));
        if (found != faces.end()) return found->second;
      }
      fail(f, quoted_field(f) + " is not a face of the " + asked.die);
      return -1;
    }
    int v = small_number(f.text, f.length);
    if (v >= 0 && v < kRawValues) return v;
    fail(f, quoted_field(f) + " is not a face of any die d4 to d100; --faces names other faces");
    return -1;
  }

  // Whether a field of the first line is a face, or for tallies a count.
  bool is_value(const Field &f) {
    if (asked.tallies && f.length <= 15 &&
        std::all_of(f.text, f.text + f.length, [](char c) { return c >= '0' && c <= '9'; }))
      return f.length > 0;
    if (!asked.labels.empty()) return f.length <= kKeptFieldBytes && faces.count(name_of(f)) > 0;
    int v = small_number(f.text, f.length);
    return v >= 0 && v < kRawValues;
  }

  void start(int d) {
    dice = d;
    raw = make_raw_tallies(d, static_cast<int>(asked.labels.size()));
  }

  // A roll of the fields at `from`, one a die.
  bool roll(const Field *from, int64_t weight) {
    int values[kMaxDice];
    for (int d = 0; d < dice; ++d)
      if ((values[d] = value_of(from[d])) < 0) return false;
    tally(raw, values, weight, !asked.tallies);
    if (dice == 1) pass_on(values[0]);
    return true;
  }

  // A --dice line of one field as long as the dice are many: a face each.
  bool split_roll(const Field &whole) {
    Field one[kMaxDice];
    for (int d = 0; d < dice; ++d) {
      one[d].text[0] = whole.text[d];
      one[d].length = 1;
      one[d].line = whole.line;
      one[d].column = whole.column + d;
    }
    return roll(one, 1);
  }

  bool take_header(const Field *f) {
    if (fields.size() >= kMaxColumns) return fail(*f, "more than 4096 columns");
    fields.push_back(*f);
    return true;
  }

  // The header's columns, now that its line is read: each die's.
  bool end_header(int64_t line) {
    header = false;
    std::vector<std::string> names;
    for (const Field &f : fields) names.push_back(name_of(f));
    fields.clear();
    if (asked.tallies) return true;
    std::string listed;
    for (const std::string &n : names) listed += (listed.empty() ? "\"" : ", \"") + n + "\"";
    if (asked.columns.empty() && names.size() > 1)
      return fail_line(line, std::to_string(names.size()) + " columns, " + listed +
                                 "; --column NAME says which holds the rolls");
    std::vector<std::string> wanted = asked.columns.empty() ? names : asked.columns;
    for (const std::string &w : wanted) {
      auto at = std::find(names.begin(), names.end(), w);
      if (at == names.end()) return fail_line(line, "no column \"" + w + "\" among " + listed);
      column_of.push_back(static_cast<int>(at - names.begin()));
      column_names.push_back(w);
    }
    start(static_cast<int>(column_of.size()));
    return true;
  }

  // A CSV line's fields: the dice's columns are kept.
  bool take_csv(const Field *f) {
    if (fields.empty()) fields.resize(column_of.size());
    for (size_t d = 0; d < column_of.size(); ++d)
      if (column_of[d] == fields_in_line) fields[d] = *f;
    ++fields_in_line;
    return true;
  }

  bool end_csv(int64_t line) {
    int present = 0;
    for (const Field &f : fields) present += f.length > 0;
    bool ok = true;
    // A line that leaves every die's column empty holds no roll.
    if (present == dice) {
      ok = roll(fields.data(), 1);
    } else if (present > 0) {
      for (size_t d = 0; d < fields.size(); ++d)
        if (fields[d].length == 0)
          return fail_line(line, "no value in column \"" + column_names[d] + "\"");
    }
    for (Field &f : fields) f.length = 0;
    return ok;
  }

  bool take_line_field(const Field *f) {
    if (fields_in_line++ < kMaxDice + 1) fields.push_back(*f);
    return true;
  }

  // A --dice line, or a tally's FACE... COUNT.
  bool end_line_of_fields(int64_t line) {
    auto n = static_cast<int64_t>(fields.size());
    bool ok;
    if (asked.tallies) {
      if (dice == 0) {
        if (n < 2 || n > kMaxDice + 1)
          return fail_line(line, "a tally is FACE COUNT, or a face per die and then a count");
        start(asked.dice > 0 ? asked.dice : static_cast<int>(n - 1));
      }
      if (fields_in_line != dice + 1)
        return fail_line(line, std::to_string(fields_in_line) + " fields, not " +
                                   std::to_string(dice + 1) + " (a face per die and a count)");
      ok = tally_line();
    } else if (fields_in_line == dice) {
      ok = roll(fields.data(), 1);
    } else if (fields_in_line == 1 && fields[0].length == static_cast<size_t>(dice)) {
      ok = split_roll(fields[0]);
    } else {
      return fail_line(line, std::to_string(fields_in_line) +
                                 (fields_in_line == 1 ? " value, not " : " values, not ") +
                                 std::to_string(dice) + " (--dice " + std::to_string(dice) + ")");
    }
    fields.clear();
    return ok;
  }

  bool tally_line() {
    const Field &count = fields[static_cast<size_t>(dice)];
    int64_t n = 0;
    for (size_t i = 0; i < count.length; ++i) {
      char c = count.text[i];
      if (count.length > 15 || c < '0' || c > '9')
        return fail(count, quoted_field(count) + " is not a count 0 to 10^15");
      n = n * 10 + (c - '0');
    }
    if (n > kMaxTally) return fail(count, quoted_field(count) + " is not a count 0 to 10^15");
    return roll(fields.data(), n);
  }

  // Every field and line end the scanner finds.
  bool take(const Field *f) {
    if (f != nullptr) ++fields_seen;
    if (f == nullptr) {
      int64_t line = scanner.line;
      // Tallies are lines of fields in a list or in CSV alike.
      bool ok = header           ? end_header(line)
                : asked.tallies  ? end_line_of_fields(line)
                : scanner.csv    ? end_csv(line)
                : asked.dice > 0 ? end_line_of_fields(line)
                                 : true;
      fields_in_line = 0;
      return ok;
    }
    if (header) return take_header(f);
    if (asked.tallies) return take_line_field(f);
    if (scanner.csv) return take_csv(f);
    if (asked.dice > 0) return take_line_field(f);
    return roll(f, 1); // one value, one roll of one die
  }

  static bool sink(void *context, const Field *f) {
    return static_cast<Reader *>(context)->take(f);
  }
};

// The fields of the first line that holds any, as a list.
struct FirstLine {
  std::vector<Field> fields;
  static bool sink(void *context, const Field *f) {
    auto *first = static_cast<FirstLine *>(context);
    if (f == nullptr) return false;
    first->fields.push_back(*f);
    return first->fields.size() < kMaxColumns;
  }
};

// Whether the text, whose start is `head` (all of it when `whole`), begins
// with a header: a first line with a field that names a column and is not
// a value, and with commas or no other field; "1 2 x" is a list with a bad
// value, "Roll" and "Date,Roll" are headers. `commas` says whether it holds any.
bool begins_with_header(Reader &reader, const std::string &head, bool whole, bool &commas) {
  FieldScanner list;
  FirstLine first;
  if (scan_fields(list, head.data(), head.size(), FirstLine::sink, &first) && whole)
    finish_fields(list, FirstLine::sink, &first);
  // A field cut by the head's end is not judged.
  if (list.line == 1 && !whole && !first.fields.empty()) first.fields.pop_back();
  if (first.fields.empty()) return false;
  int64_t line = first.fields[0].line;
  size_t begin = 0, end = 0;
  for (int64_t at = 1; begin < head.size() && at < line; ++begin)
    at += head[begin] == '\n' ||
          (head[begin] == '\r' && (begin + 1 == head.size() || head[begin + 1] != '\n'));
  end = head.find_first_of("\r\n", begin);
  commas = head.find(',', begin) < end;
  bool other = false;
  for (const Field &f : first.fields) {
    if (reader.is_value(f)) continue;
    Word word = word_of(f);
    if (word == Word::kBinary) return false;
    other = other || word == Word::kName;
  }
  // A tally's line is all numbers, so any name makes a header.
  return other && (commas || first.fields.size() == 1 || reader.asked.tallies);
}

// The first of labels that are the whole numbers from it up, written as
// face_number reads them; else kNotNumbers.
int first_number_of(const std::vector<std::string> &labels) {
  if (labels.empty()) return kNotNumbers;
  int first = std::atoi(labels[0].c_str());
  for (size_t i = 0; i < labels.size(); ++i)
    if (labels[i] != std::to_string(first + static_cast<int>(i))) return kNotNumbers;
  return first;
}

// Dicestat's own log entries at the start of `count` entries: their labels
// as values; how many.
size_t log_entries(Reader &reader, const unsigned char *text, size_t count) {
  size_t k = 0;
  for (; k < count; ++k, text += kRollTextSize) {
    unsigned first = text[0] - unsigned{'1'}, second = text[1] - unsigned{'1'};
    if (first >= kFaces || second >= kFaces || text[2] != ' ') break;
    int value = static_cast<int>((first + 1) * 10 + second + 1);
    tally(reader.raw, &value, 1, true);
    reader.pass_on(value);
    ++reader.log_entries;
  }
  return k;
}

struct Source {
  LogSource source;
  // Up to `size` bytes into text, the head's first; 0 at the end.
  size_t fill(unsigned char *text, size_t size) {
    size_t n = std::min(size, source.head.size());
    if (n > 0) std::memcpy(text, source.head.data(), n);
    source.head.remove_prefix(n);
    if (n < size) n += std::fread(text + n, 1, size - n, source.file);
    return n;
  }
};

// The head decoded, the form chosen from it and the reader set up.
bool prepare(Reader &reader, LogSource source) {
  const DiceAsked &asked = reader.asked;
  for (size_t i = 0; i < asked.labels.size(); ++i)
    reader.faces[asked.labels[i]] = static_cast<int>(i);
  reader.first_number = first_number_of(asked.labels);
  TextDecoder probe;
  std::string head;
  decode_text(probe, reinterpret_cast<const unsigned char *>(source.head.data()),
              source.head.size(), head);
  bool whole = std::feof(source.file) != 0;
  if (whole) finish_text(probe, head);
  bool commas = false;
  reader.header = begins_with_header(reader, head, whole, commas);
  // Tallies whose names stand apart by blanks are a list after them.
  reader.scanner.csv = reader.header && (commas || !asked.tallies);
  if (!asked.columns.empty() && !reader.header) {
    reader.read.error = "--column wants a first line that names the columns";
    return false;
  }
  if (!reader.header) reader.start(asked.tallies ? asked.dice : std::max(asked.dice, 1));
  return true;
}

bool read_all(Reader &reader, LogSource source) {
  const DiceAsked &asked = reader.asked;
  bool plain = asked.labels.empty() && asked.dice == 0 && asked.columns.empty() && !asked.tallies &&
               !reader.header;
  bool fast = plain; // dicestat's log entries while they last
  reader.read.dicestat_log = plain;
  Source in{source};
  TextDecoder decoder;
  std::unique_ptr<unsigned char[]> piece(new unsigned char[kPieceBytes]);
  std::string text;
  for (;;) {
    size_t size = in.fill(piece.get(), kPieceBytes);
    if (size < kPieceBytes && std::ferror(source.file)) {
      reader.read.error = std::strerror(errno);
      return false;
    }
    size_t done = 0;
    if (fast) {
      size_t good = log_entries(reader, piece.get(), size / kRollTextSize);
      done = good * kRollTextSize;
      reader.scanner.column += static_cast<int64_t>(done);
      if (done < size) fast = reader.read.dicestat_log = false;
      if (done > 0) decoder.encoding = Encoding::kUtf8; // entries are plain ASCII
    }
    text.clear();
    decode_text(decoder, piece.get() + done, size - done, text);
    if (size < kPieceBytes) finish_text(decoder, text);
    if (!scan_fields(reader.scanner, text.data(), text.size(), Reader::sink, &reader)) break;
    // Rolls one by one past what a report holds: an endless list ends here.
    if (!asked.tallies && reader.raw.rolls > kMaxListRolls) {
      reader.read.error = "more rolls than a report holds, " + std::to_string(kMaxListRolls);
      return false;
    }
    if (size < kPieceBytes) {
      finish_fields(reader.scanner, Reader::sink, &reader);
      break;
    }
  }
  if (reader.read.error.empty() && !reader.scanner.error.empty()) {
    reader.read.where = reader.scanner.where;
    reader.read.error = reader.scanner.error;
  }
  return reader.read.error.empty();
}

// The die, named or inferred, and the counts by face index.
bool settle_die(Reader &reader) {
  const DiceAsked &asked = reader.asked;
  RollsRead &read = reader.read;
  RawTallies &raw = reader.raw;
  if (raw.dice == 0) raw = make_raw_tallies(std::max(asked.dice, 1), 0);
  bool plain = asked.labels.empty() && asked.dice == 0 && asked.columns.empty() && !asked.tallies;
  if (reader.ends_cut()) return false;
  if (plain && reader.all_pairs && raw.rolls > 0) {
    settle_pairs(raw, read);
    read.die = "d6";
    return true;
  }
  read.dicestat_log = false;
  if (!asked.labels.empty()) {
    read.die = asked.die;
    settle(raw, asked.labels, 0, read);
    return true;
  }
  std::string name;
  std::vector<std::string> labels =
      raw.rolls > 0 ? smallest_die(raw.low, raw.high, name) : smallest_die(1, 1, name);
  if (labels.empty()) {
    read.error = "values from 0 to 100: no common die holds them all; --faces names the faces";
    return false;
  }
  read.die = name;
  read.inferred = true;
  settle(raw, labels, raw.low == 0 ? 0 : 1, read);
  return true;
}

} // namespace

RollsRead read_rolls(LogSource source, const DiceAsked &asked) {
  RollsRead read;
  Reader reader(asked, read);
  // Only a plain list can be dicestat's, whose rolls the sink takes.
  reader.plain = asked.labels.empty() && asked.dice == 0 && asked.columns.empty() && !asked.tallies;
  if (reader.plain) reader.rolls_out = source.sink;
  read.tallies = asked.tallies;
  if (!prepare(reader, source) || !read_all(reader, source) || !settle_die(reader)) {
    read.dicestat_log = false;
    return read;
  }
  read.ok = true;
  return read;
}
