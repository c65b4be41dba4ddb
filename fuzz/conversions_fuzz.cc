// The number conversions over arbitrary doubles and integers: the emulated
// extended arithmetic against a 64-bit-significand long double (where long
// double is one), the decimal conversion against plain arithmetic, and the
// shape of every text.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "long_double_arithmetic.h"
#include "platform/format/decimal.h"
#include "platform/format/fixed_point.h"

namespace {

[[noreturn]] void mismatch(double value, const std::string &got, const std::string &want) {
  fprintf(stderr, "%a: \"%s\" against \"%s\"\n", value, got.c_str(), want.c_str());
  abort();
}

// Sign text, digits, a point and exactly four decimals; or nan/inf.
bool well_formed(const std::string &text, bool plus_sign, bool negative) {
  size_t i = 0;
  if (negative || plus_sign) {
    if (text.empty() || text[0] != (negative ? '-' : '+')) return false;
    i = 1;
  }
  std::string body = text.substr(i);
  if (body == "nan" || body == "inf") return true;
  size_t point = body.find('.');
  if (point == std::string::npos || point == 0 || body.size() - point != 5) return false;
  for (size_t j = 0; j < body.size(); ++j)
    if (j != point && (body[j] < '0' || body[j] > '9')) return false;
  return point == 1 || body[0] != '0';
}

void check_fixed(double value) {
  for (bool plus_sign : {false, true}) {
    char text[kFixedTextMax];
    std::string got(text, format_fixed4(value, plus_sign, text));
    if (!well_formed(got, plus_sign, std::signbit(value))) mismatch(value, got, "well formed");
#if LDBL_MANT_DIG == 64
    std::string want(text, format_fixed4_in<LongDoubleArithmetic>(value, plus_sign, text));
    if (got != want) mismatch(value, got, want);
#endif
  }
}

void check_decimal(int32_t value) {
  char text[kDecimalTextMax];
  std::string got(text, format_decimal(value, text));
  int64_t back = 0;
  bool negative = !got.empty() && got[0] == '-';
  for (size_t i = negative ? 1 : 0; i < got.size(); ++i) {
    if (got[i] < '0' || got[i] > '9' ||
        (i == (negative ? 1u : 0u) && got[i] == '0' && got.size() > 1))
      mismatch(value, got, "digits without leading zeros");
    back = back * 10 + (got[i] - '0');
  }
  if ((negative ? -back : back) != value) mismatch(value, got, std::to_string(value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  for (size_t i = 0; i + sizeof(double) <= size; i += sizeof(double)) {
    double value;
    memcpy(&value, data + i, sizeof value);
    check_fixed(value);
    int32_t integer;
    memcpy(&integer, data + i, sizeof integer);
    check_decimal(integer);
  }
  return 0;
}
