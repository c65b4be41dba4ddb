// write_formatted: the report's format literals, with "%d", "%2.4f" and
// "%+2.4f" replaced by the text of their arguments.
#include <cstring>

#include "platform/format/decimal.h"
#include "platform/format/fixed_point.h"
#include "platform/io/stream.h"

namespace {

enum class Conversion { kNone, kDecimal, kFixed, kSignedFixed };

struct ConversionName {
  const char *text; // what follows the '%'
  Conversion conversion;
};

constexpr ConversionName kConversions[] = {
    {"d", Conversion::kDecimal},
    {"2.4f", Conversion::kFixed},
    {"+2.4f", Conversion::kSignedFixed},
};

// Recognises a conversion at `p` (just after a '%'); sets its length.
Conversion match_conversion(const char *p, size_t *length) {
  for (const ConversionName &name : kConversions) {
    size_t n = strlen(name.text);
    if (strncmp(p, name.text, n) == 0) {
      *length = n;
      return name.conversion;
    }
  }
  return Conversion::kNone;
}

// The text of one argument. An argument of the other kind reads as 0.
size_t convert(Conversion conversion, const FormatArg &arg, char *out) {
  if (conversion == Conversion::kDecimal) return format_decimal(arg.i, out);
  return format_fixed4(arg.d, conversion == Conversion::kSignedFixed, out);
}

} // namespace

int write_formatted_args(Stream *stream, const char *format, const FormatArg *args, size_t count) {
  int produced = 0;
  size_t next = 0;
  char text[kFixedTextMax > kDecimalTextMax ? kFixedTextMax : kDecimalTextMax];
  for (const char *p = format; *p;) {
    // A conversion's text, or else the one character of the literal.
    size_t length = 0;
    Conversion conversion =
        *p == '%' && next < count ? match_conversion(p + 1, &length) : Conversion::kNone;
    const char *piece = p;
    size_t size = 1;
    if (conversion != Conversion::kNone) {
      piece = text;
      size = convert(conversion, args[next++], text);
      p += length;
    }
    ++p;
    int written = write_text(stream, piece, size);
    if (written < 0) return -1;
    produced += written;
  }
  return produced;
}
