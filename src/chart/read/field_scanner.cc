#include "chart/read/field_scanner.h"

#include <algorithm>

namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

void keep(Field &field, char c) {
  if (field.length < kKeptFieldBytes) field.text[field.length] = c;
  ++field.length;
}

void begin(FieldScanner &s) {
  s.in_field = true;
  s.field.length = 0;
  s.field.quoted = false;
  s.field.line = s.line;
  s.field.column = s.column;
}

// Ends the field being read, if any, handing it to the sink.
bool end_field(FieldScanner &s, FieldSink sink, void *context) {
  if (!s.in_field) return true;
  // A CSV field loses the blanks after it, unless quoted.
  if (s.csv && !s.field.quoted)
    while (s.field.length > 0 && s.field.length <= kKeptFieldBytes &&
           is_blank(s.field.text[s.field.length - 1]))
      --s.field.length;
  s.in_field = s.in_quotes = s.quote_seen = s.after_quotes = false;
  s.line_has_field = true;
  return sink(context, &s.field);
}

bool end_line(FieldScanner &s, FieldSink sink, void *context) {
  if (!end_field(s, sink, context)) return false;
  s.in_comment = s.past_field = false;
  bool had = s.line_has_field;
  s.line_has_field = false;
  return !had || sink(context, nullptr);
}

bool fail(FieldScanner &s, int64_t line, int64_t column, const char *what) {
  s.where = std::to_string(line) + ":" + std::to_string(column);
  s.error = what;
  return false;
}

// One byte of a CSV line that is not a line end.
bool csv_byte(FieldScanner &s, char c, FieldSink sink, void *context) {
  if (s.in_quotes) {
    if (s.quote_seen) {
      s.quote_seen = false;
      if (c == '"') return keep(s.field, c), true;
      s.in_quotes = false;
      s.after_quotes = true;
    } else {
      if (c == '"')
        s.quote_seen = true;
      else
        keep(s.field, c);
      return true;
    }
  }
  if (c == ',') {
    if (!s.in_field) begin(s); // an empty field
    bool ok = end_field(s, sink, context);
    begin(s);
    s.field.column = s.column + 1;
    return ok;
  }
  if (s.after_quotes) {
    if (is_blank(c)) return true;
    return fail(s, s.line, s.column, "text after a quoted field's closing quote");
  }
  if (!s.in_field) {
    if (is_blank(c)) return true;
    if (c == '#' && !s.line_has_field) return s.in_comment = true, true;
    begin(s);
  }
  if (c == '"' && s.field.length == 0) {
    s.field.quoted = s.in_quotes = true;
    return true;
  }
  if (s.field.length == 0 && is_blank(c)) {
    s.field.column = s.column + 1; // the field begins after its blanks
    return true;
  }
  keep(s.field, c);
  return true;
}

// One byte of a list line that is not a line end.
bool list_byte(FieldScanner &s, char c, FieldSink sink, void *context) {
  bool separator = c == '#' || is_blank(c) || c == ',';
  if (s.past_field && !separator) return true;
  s.past_field = false;
  if (separator) {
    if (!end_field(s, sink, context)) return false;
    if (c == '#') s.in_comment = true;
    return true;
  }
  if (!s.in_field) begin(s);
  keep(s.field, c);
  if (s.field.length <= kKeptFieldBytes) return true;
  s.past_field = true;
  return end_field(s, sink, context);
}

} // namespace

bool scan_fields(FieldScanner &s, const char *bytes, size_t size, FieldSink sink, void *context) {
  if (!s.error.empty()) return false;
  for (size_t i = 0; i < size; ++i) {
    char c = bytes[i];
    bool crlf_tail = c == '\n' && s.after_cr; // the LF of a CR LF: no line of its own
    bool line_end = (c == '\n' && !crlf_tail) || c == '\r';
    s.after_cr = c == '\r';
    if (s.in_quotes && !s.quote_seen && (c == '\n' || c == '\r')) {
      keep(s.field, c); // a line end within quotes is the field's
    } else if (line_end) {
      if (s.in_quotes) s.in_quotes = false, s.after_quotes = true;
      if (!end_line(s, sink, context)) return false;
    } else if (!s.in_comment && !crlf_tail) {
      bool ok = s.csv ? csv_byte(s, c, sink, context) : list_byte(s, c, sink, context);
      if (!ok) return false;
    }
    if (line_end) {
      ++s.line;
      s.column = 1;
    } else if (!crlf_tail) {
      ++s.column;
    }
  }
  return true;
}

bool finish_fields(FieldScanner &s, FieldSink sink, void *context) {
  if (!s.error.empty()) return false;
  if (s.in_quotes && !s.quote_seen)
    return fail(s, s.field.line, s.field.column, "a quote that is never closed");
  if (s.in_quotes) s.in_quotes = false, s.after_quotes = true;
  return end_line(s, sink, context);
}

std::string quoted_field(const Field &field) {
  static const char kHex[] = "0123456789abcdef";
  std::string text = "\"";
  for (size_t i = 0; i < std::min(field.length, kShownFieldBytes); ++i) {
    auto c = static_cast<unsigned char>(field.text[i]);
    if (c < 0x20 || c >= 0x7f || c == '"' || c == '\\')
      text += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
    else
      text += static_cast<char>(c);
  }
  return text + (field.length > kShownFieldBytes ? "...\"" : "\"");
}
