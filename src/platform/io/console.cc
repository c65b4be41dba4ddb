// The console dialogue: prompts on standard output, answers read as decimal
// integer fields from standard input, and the single-key wait on the
// terminal.
#include "platform/io/console.h"

#include <cstring>

#include "platform/ascii.h"
#include "platform/io/stream.h"
#include "platform/platform.h"

namespace {

Stream *const in = &stream_table[kStdIn];

int take_blanks() {
  int c = stream_take(in);
  while (is_blank(c)) c = stream_take(in);
  return c;
}

} // namespace

void write_console(const char *text) {
  Stream *out = &stream_table[kStdOut];
  stream_write_text(out, text, strlen(text));
  // On a terminal a prompt must be on screen before the program waits.
  if (out->line_buffered) flush_stream(out);
}

int wait_key() {
  return host_read_key();
}

int read_int(int32_t *target) {
  int c = stream_take(in);
  while (is_space(c)) c = stream_take(in);
  if (c < 0) return -1;

  // Characters of the field taken so far, c among them. The sign always
  // fits; after kIntFieldMax characters nothing more is taken.
  static_assert(kIntFieldMax > 1, "a sign and a digit fit");
  int taken = 1;
  bool negative = c == '-';
  if (c == '+' || c == '-') {
    c = stream_take(in);
    ++taken;
  }

  uint32_t value = 0; // wraps: only the low 32 bits are kept
  int digits = 0;
  bool full = false;
  while (is_digit(c)) {
    value = value * 10 + static_cast<uint32_t>(c - '0');
    ++digits;
    full = taken == kIntFieldMax;
    if (full) break;
    c = stream_take(in);
    ++taken;
  }
  // The character that ended the field goes back, unless the limit ended it.
  if (!full && c >= 0) stream_push_back(in, c);
  if (digits == 0) return c == -1 ? -1 : 0;
  if (negative) value = 0u - value;
  *target = static_cast<int32_t>(value);
  return 1;
}

int read_int_or_blank(int32_t *target) {
  // Unless the last character taken ended a line, the previous field left
  // some of its line: a pushed-back character, or the rest after a field
  // cut off at its length limit. When that rest is only blanks, the answer
  // is the next line.
  bool rest_of_line = in->pushback >= 0 || (in->last >= 0 && in->last != '\n');
  int c = take_blanks();
  if (rest_of_line && c == '\n') c = take_blanks();
  if (c == '\n') return 0;
  if (c >= 0) stream_push_back(in, c);
  return read_int(target);
}
