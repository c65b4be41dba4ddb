#include "chart/words/shown_name.h"

#include <cstdint>

#include "chart/words/utf8.h"

namespace {

// C0, DEL and C1 (U+0080 to U+009F).
bool is_control(uint32_t code) {
  return code < 0x20 || (code >= 0x7f && code < 0xa0);
}

} // namespace

std::string shown_name(std::string_view name) {
  static const char kHex[] = "0123456789abcdef";
  std::string shown;
  for (size_t at = 0; at < name.size();) {
    uint32_t code = 0;
    size_t length = utf8_length(name.substr(at), &code);
    if (length > 0 && !is_control(code)) {
      shown.append(name, at, length);
      at += length;
      continue;
    }
    // A control sequence's every byte, or one stray byte.
    for (size_t end = at + (length > 0 ? length : 1); at < end; ++at) {
      auto c = static_cast<unsigned char>(name[at]);
      shown += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
    }
  }
  return shown;
}
