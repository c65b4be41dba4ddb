#include "platform/command_line.h"

#include <cstring>

namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

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

ArgumentSpace measure_command_line(const char *command_line, const char *program) {
  ArgumentSpace space = {1, strlen(program) + 1};
  const char *p = after_first_word(command_line);
  while (*(p = skip_blanks(p))) {
    space.bytes += take_word(&p, nullptr) + 1;
    ++space.words;
  }
  return space;
}

void split_command_line(const char *command_line, const char *program, char **argv, char *text) {
  size_t length = strlen(program) + 1;
  memcpy(text, program, length);
  *argv++ = text;
  text += length;
  const char *p = after_first_word(command_line);
  while (*(p = skip_blanks(p))) {
    length = take_word(&p, text);
    text[length] = '\0';
    *argv++ = text;
    text += length + 1;
  }
  *argv = nullptr;
}
