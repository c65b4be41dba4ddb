// Reading decimal integer fields from an input stream.
#pragma once

#include <cstdint>

struct Stream;

// Longest field, sign included; the field ends there whatever follows.
constexpr int kIntFieldMax = 32767;

// Skips white space, then reads an optional sign and decimal digits, keeping
// the low 32 bits of the value. The character that ends the field is pushed
// back. Returns 1 with `*target` set; 0 when no digit was read; -1 when the
// input ended before any digit.
int read_int_field(Stream *in, int32_t *target);

// read_int_field for an answer that may be blank: passes over the rest of
// the previous answer line when it holds only blanks and tabs, and returns 0
// with `*target` unchanged for a line of nothing but blanks and tabs.
int read_int_field_or_blank(Stream *in, int32_t *target);
