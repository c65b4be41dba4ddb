#include "platform/process/command_line.h"

#include <cstring>

#include "platform/ascii.h"

namespace {

const char *skip_blanks(const char *p) {
  while (is_blank(*p)) ++p;
  return p;
}

// Takes the word at *p, copying it to `out` unless that is null, and
// leaves *p after it. A quote switches grouping on or off and is dropped, so
// `"a b"c` is the one word `a bc` and `""` an empty word. Returns the
// word's length.
size_t take_word(const char **p, char *out) {
  const char *s = *p;
  bool grouped = false;
  size_t length = 0;
  for (; *s && (grouped || !is_blank(*s)); ++s) {
    if (*s == '"') {
      grouped = !grouped;
      continue;
    }
    if (out) out[length] = *s;
    ++length;
  }
  *p = s;
  return length;
}

// The command line after its first word, which names the program.
const char *after_first_word(const char *command_line) {
  const char *p = skip_blanks(command_line);
  take_word(&p, nullptr);
  return p;
}

} // namespace

TableSpace split_command_line(const char *command_line, const char *program, char **argv,
                              char *text) {
  TableSpace space = {0, 0};
  // The word's bytes are in place already when the list is being filled.
  auto add_word = [&](size_t length) {
    if (argv) {
      argv[space.entries] = text + space.bytes;
      text[space.bytes + length] = '\0';
    }
    ++space.entries;
    space.bytes += length + 1;
  };
  size_t length = strlen(program);
  if (text) memcpy(text, program, length);
  add_word(length);
  const char *p = after_first_word(command_line);
  while (*(p = skip_blanks(p))) add_word(take_word(&p, text ? text + space.bytes : nullptr));
  if (argv) argv[space.entries] = nullptr;
  return space;
}
