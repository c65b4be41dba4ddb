#include "platform/format/fixed_point.h"

#include "platform/format/ext_float.h"
#include "platform/format/fixed_point_digits.h"

namespace {

struct ExtArithmetic {
  using Number = ExtFloat;
  static Number from_double(double magnitude) { return ext_from_double(magnitude); }
  static Number one() { return kExtOne; }
  static Number pow10_up(int k) { return kPow10Up[k]; }
  static Number pow10_down(int k) { return kPow10Down[k]; }
  static Number mul(Number a, Number b) { return ext_mul(a, b); }
  static bool less(Number a, Number b) { return ext_less(a, b); }
  static uint64_t split_integer(Number m, Number *rest) { return ext_split_integer(m, rest); }
};

} // namespace

size_t format_fixed4(double value, bool plus_sign, char *out) {
  return format_fixed4_in<ExtArithmetic>(value, plus_sign, out);
}
