// Splits text into fields and lines, in one of two forms: a list, whose
// values stand apart by any blanks or commas and where '#' starts a comment
// that runs to the end of its line; or CSV, whose fields stand between
// commas and may be quoted, a quote in them doubled, as RFC 4180 has it.
// A line ends at CR LF, LF or CR alone. Read in pieces of any size, holding
// no more of a field than its first kKeptFieldBytes: an endless field
// takes no more memory than a short one, and a list's field, all of whose
// fields are values, is handed over as soon as it is longer than that, no
// value being so long, rather than at an end that may never come.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Bytes of a field that are kept; a longer one is no face and no column
// name that matters, and its message shows these.
constexpr size_t kKeptFieldBytes = 64;

// Bytes of a field that a message shows.
constexpr size_t kShownFieldBytes = 20;

struct Field {
  char text[kKeptFieldBytes] = {}; // its first bytes, without quotes, a doubled quote once
  size_t length = 0;               // all its bytes so
  int64_t line = 0, column = 0;    // where it began, from 1
  bool quoted = false;             // written between quotes
};

// Called with each field, and with nullptr at the end of each line that
// held a field; returns false to stop the scan.
using FieldSink = bool (*)(void *context, const Field *field);

struct FieldScanner {
  bool csv = false;             // the form: CSV, else a list
  int64_t line = 1, column = 1; // of the next byte
  bool after_cr = false;        // the last byte was a CR, so an LF now ends no line
  bool in_comment = false;      // a list's comment, or a CSV line begun with '#'
  bool in_field = false;        // a field has begun
  bool in_quotes = false;       // within a CSV field's quotes
  bool quote_seen = false;      // within them, a quote that may be the first of two
  bool after_quotes = false;    // a quoted field ended: only blanks before the comma
  bool line_has_field = false;  // the line so far holds a field
  bool past_field = false;      // in the rest of a list's field too long to keep, handed over
  Field field;                  // the field being read
  std::string where, error;     // "line:column" and what is wrong, once something is
};

// Scans `size` bytes, calling sink; false once the sink stopped it or the
// text is not in its form (where and error set).
bool scan_fields(FieldScanner &scanner, const char *bytes, size_t size, FieldSink sink,
                 void *context);

// The end of the text: a last field and line that no line end closed; false
// as above, or for a quote never closed.
bool finish_fields(FieldScanner &scanner, FieldSink sink, void *context);

// The field's first kShownFieldBytes in double quotes, any that is not
// printable ASCII written \xNN, "..." after them when it was longer.
std::string quoted_field(const Field &field);
