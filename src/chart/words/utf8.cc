#include "chart/words/utf8.h"

namespace {

// The sequence's length from its first byte; 0 for a byte that begins none
// (a continuation byte, C0 and C1, which begin only overlong forms, and F5
// to FF, beyond U+10FFFF).
size_t length_from_lead(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xc2 && lead <= 0xdf) return 2;
  if (lead >= 0xe0 && lead <= 0xef) return 3;
  if (lead >= 0xf0 && lead <= 0xf4) return 4;
  return 0;
}

} // namespace

size_t utf8_length(std::string_view bytes, uint32_t *code) {
  if (bytes.empty()) return 0;
  auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  size_t length = length_from_lead(byte(0));
  if (length == 0 || length > bytes.size()) return 0;
  uint32_t cp = length == 1 ? byte(0) : byte(0) & (0x7fu >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xc0) != 0x80) return 0;
    cp = cp << 6 | (byte(i) & 0x3f);
  }
  constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kLeast[length] || (cp >= 0xd800 && cp <= 0xdfff) || cp > 0x10ffff) return 0;
  *code = cp;
  return length;
}
