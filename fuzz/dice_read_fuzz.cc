// The reader of rolls of any dice over arbitrary bytes, as a list, as CSV
// and as tallies, with the die inferred or named: whatever it accepts adds
// up (each die's counts, the combinations' and each pair's to the rolls,
// every face index below the faces), and the fields under it are the same
// whether the text comes at once or in small pieces, as a pipe gives it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "chart/read/dice_read.h"
#include "chart/read/die_faces.h"
#include "chart/read/field_scanner.h"
#include "chart/stats/counts.h"

namespace {

[[noreturn]] void fault(const char *what) {
  std::fprintf(stderr, "dice reader: %s\n", what);
  std::abort();
}

// What the command line could say, chosen by the input's first byte.
DiceAsked spec_for(uint8_t choice) {
  DiceAsked asked;
  DieFaces faces = choice % 3 == 1 ? die_named("d20") : faces_listed("-,0,+");
  if (choice % 3 != 0) {
    asked.labels = faces.labels;
    asked.die = faces.name;
  }
  if (choice / 3 % 4 == 1) asked.dice = 2;
  if (choice / 3 % 4 == 2) asked.tallies = true;
  if (choice / 3 % 4 == 3) asked.columns = {"b", "a"};
  return asked;
}

void check_counts(const RollsRead &read) {
  const DiceCounts &counts = read.counts;
  if (read.faces < kMinFaces || read.faces > kMaxFaces) fault("faces out of range");
  if (read.labels.size() != static_cast<size_t>(read.faces)) fault("labels not one a face");
  for (const Counts &die : counts.per_die)
    if (rolls_in(die) != read.rolls) fault("a die's counts do not add up to the rolls");
  if (!counts.combinations.empty() && rolls_in(counts.combinations) != read.rolls)
    fault("the combinations do not add up to the rolls");
  for (const Counts &pair : counts.pair_tables)
    if (rolls_in(pair) != read.rolls) fault("a pair's table does not add up to the rolls");
  size_t bound = order_by_combination(read) ? counts.combinations.size() : read.faces;
  size_t per_roll = order_by_combination(read) ? 1 : static_cast<size_t>(read.dice);
  if (read.order.size() != static_cast<size_t>(read.analysed) * per_roll) fault("order's size");
  if (read.analysed > read.rolls || (read.tallies && !read.order.empty())) fault("order's rolls");
  for (uint8_t v : read.order)
    if (v >= bound) fault("a face index past the faces");
}

// Every field and line end of a scan, written out.
std::string scan(const std::string &text, bool csv, size_t piece) {
  FieldScanner scanner;
  scanner.csv = csv;
  std::string out;
  FieldSink sink = [](void *context, const Field *f) {
    auto *text = static_cast<std::string *>(context);
    *text += f == nullptr ? std::string("|")
                          : std::to_string(f->line) + ":" + std::to_string(f->column) + "=" +
                                quoted_field(*f) + std::to_string(f->length) + " ";
    return true;
  };
  for (size_t at = 0; at < text.size(); at += piece)
    if (!scan_fields(scanner, text.data() + at, std::min(piece, text.size() - at), sink, &out))
      return out + scanner.where + scanner.error;
  return finish_fields(scanner, sink, &out) ? out : out + scanner.where + scanner.error;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 1) return 0;
  std::string text(reinterpret_cast<const char *>(data) + 1, size - 1);
  std::FILE *file = std::tmpfile();
  if (file == nullptr) return 0;
  std::fwrite(text.data(), 1, text.size(), file);
  std::rewind(file);
  std::string head(64 * 1024 + 1, '\0');
  head.resize(std::fread(head.data(), 1, head.size(), file));
  RollsRead read = read_rolls({file, head, {}}, spec_for(data[0]));
  std::fclose(file);
  if (read.ok && read.rolls > 0) check_counts(read);
  if (!read.ok && read.error.empty()) fault("failed without a reason");
  for (bool csv : {false, true})
    if (scan(text, csv, 1 + data[0] % 7) != scan(text, csv, text.size() + 1))
      fault("the fields differ with the pieces");
  return 0;
}
