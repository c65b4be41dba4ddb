// The console dialogue: answers read as decimal integer fields from
// standard input, and the single-key wait on the terminal. The prompts go
// out through write_console, which the streams' own file holds.
#include "platform/io/console.h"

#include "platform/ascii.h"
#include "platform/platform.h"

static int take_blanks() {
  int c = take_input();
  while (is_blank(c)) c = take_input();
  return c;
}

// The wait is there for the user to read what was written before it, so
// standard output is written out first, whatever it is.
int wait_key() {
  flush_output();
  return host_read_key();
}

int read_int(int32_t *target) {
  int c = take_input();
  while (is_space(c)) c = take_input();
  if (c < 0) return -1;

  // Characters of the field taken so far, c among them. The sign always
  // fits; after kIntFieldMax characters nothing more is taken.
  static_assert(kIntFieldMax > 1, "a sign and a digit fit");
  int taken = 1;
  bool negative = c == '-';
  if (c == '+' || c == '-') {
    c = take_input();
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
    c = take_input();
    ++taken;
  }
  // The character that ended the field goes back, unless the limit ended it.
  if (!full && c >= 0) push_back_input(c);
  if (digits == 0) return c == -1 ? -1 : 0;
  if (negative) value = 0u - value;
  *target = static_cast<int32_t>(value);
  return 1;
}

int read_int_or_blank(int32_t *target) {
  // What the previous field left of its line, a pushed-back character or
  // the rest after its length limit, is no answer when it is only blanks.
  bool rest_of_line = input_mid_line();
  int c = take_blanks();
  if (rest_of_line && c == '\n') c = take_blanks();
  if (c == '\n') return 0;
  if (c >= 0) push_back_input(c);
  return read_int(target);
}
