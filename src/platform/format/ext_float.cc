#include "platform/format/ext_float.h"

#include <cstring>

namespace {

constexpr int kDoubleFractionBits = 52;
constexpr uint64_t kDoubleFractionMask = (uint64_t{1} << kDoubleFractionBits) - 1;
constexpr uint64_t kDoubleExponentMask = 0x7FF;
constexpr int32_t kDoubleExponentBias = 1023;
// Exponent of the lowest significand bit of a subnormal (and of the smallest normal) double.
constexpr int32_t kDoubleMinExponent = 1 - kDoubleExponentBias - kDoubleFractionBits;
// Shift that moves the 53-bit significand of a normal double to the top of 64 bits.
constexpr int kDoubleToTopShift = 63 - kDoubleFractionBits;
constexpr uint64_t kLow32Mask = 0xFFFFFFFF;

struct Product128 {
  uint64_t high;
  uint64_t low;
};

// The full 128-bit product of two 64-bit integers, from four 32x32 products.
Product128 mul_64x64(uint64_t a, uint64_t b) {
  uint64_t a_low = a & kLow32Mask, a_high = a >> 32;
  uint64_t b_low = b & kLow32Mask, b_high = b >> 32;
  uint64_t low_low = a_low * b_low;
  uint64_t high_low = a_high * b_low;
  uint64_t low_high = a_low * b_high;
  uint64_t high_high = a_high * b_high;
  // At most (2^32 - 1)^2 + 2 * (2^32 - 1), which still fits in 64 bits.
  uint64_t middle = (low_low >> 32) + (high_low & kLow32Mask) + low_high;
  return {high_high + (high_low >> 32) + (middle >> 32), (middle << 32) | (low_low & kLow32Mask)};
}

// The exact value bits * 2^exponent, normalised.
ExtFloat normalise(uint64_t bits, int32_t exponent) {
  if (bits == 0) return kExtZero;
  int shift = __builtin_clzll(bits);
  return {bits << shift, exponent - shift};
}

} // namespace

ExtFloat ext_from_double(double value) {
  uint64_t bits;
  memcpy(&bits, &value, sizeof bits);
  uint64_t fraction = bits & kDoubleFractionMask;
  int32_t biased = static_cast<int32_t>((bits >> kDoubleFractionBits) & kDoubleExponentMask);
  if (biased == 0) return normalise(fraction, kDoubleMinExponent);
  uint64_t significand = fraction | (uint64_t{1} << kDoubleFractionBits);
  return {significand << kDoubleToTopShift, biased + kDoubleMinExponent - 1 - kDoubleToTopShift};
}

ExtFloat ext_mul(ExtFloat a, ExtFloat b) {
  if (a.significand == 0 || b.significand == 0) return kExtZero;
  // Both significands are at least 2^63, so the product has its top bit at 127 or 126.
  Product128 p = mul_64x64(a.significand, b.significand);
  int32_t exponent = a.exponent + b.exponent + 64;
  if ((p.high & kExtTopBit) == 0) {
    p.high = (p.high << 1) | (p.low >> 63);
    p.low <<= 1;
    --exponent;
  }
  // p.low holds the bits below the kept significand; kExtTopBit is exactly one half.
  uint64_t significand = p.high;
  if (p.low > kExtTopBit || (p.low == kExtTopBit && (significand & 1) != 0)) {
    ++significand;
    if (significand == 0) { // carried out of the top bit: the value is a power of two
      significand = kExtTopBit;
      ++exponent;
    }
  }
  return {significand, exponent};
}

bool ext_less(ExtFloat a, ExtFloat b) {
  if (a.significand == 0 || b.significand == 0) return a.significand < b.significand;
  // Normalised significands: the exponent decides unless it is equal.
  if (a.exponent != b.exponent) return a.exponent < b.exponent;
  return a.significand < b.significand;
}

uint64_t ext_split_integer(ExtFloat value, ExtFloat *fraction) {
  if (value.significand == 0 || value.exponent >= 0) {
    // Zero, or an integer: below 2^64 means the exponent is exactly 0.
    *fraction = kExtZero;
    return value.significand;
  }
  if (value.exponent <= -64) {
    *fraction = value;
    return 0;
  }
  // The rest is the significand's low bits at the same scale: it fits in 64
  // bits as it stands, so m - integer part needs no rounding.
  int shift = -value.exponent;
  *fraction = normalise(value.significand & ((uint64_t{1} << shift) - 1), value.exponent);
  return value.significand >> shift;
}
