#include "chart/read/text_decode.h"

namespace {

constexpr unsigned char kUtf8Mark[] = {0xef, 0xbb, 0xbf};
constexpr uint32_t kReplacement = 0xfffd;

void append_utf8(uint32_t c, std::string &out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xc0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3f));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xe0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3f));
    out += static_cast<char>(0x80 | (c & 0x3f));
  } else {
    out += static_cast<char>(0xf0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3f));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3f));
    out += static_cast<char>(0x80 | (c & 0x3f));
  }
}

// One UTF-16 unit: pairs joined, a half without its other half replaced.
void take_unit(TextDecoder &decoder, uint32_t unit, std::string &out) {
  bool high = unit >= 0xd800 && unit < 0xdc00, low = unit >= 0xdc00 && unit < 0xe000;
  if (decoder.high_surrogate != 0 && low) {
    append_utf8(0x10000 + ((decoder.high_surrogate - 0xd800) << 10) + (unit - 0xdc00), out);
    decoder.high_surrogate = 0;
    return;
  }
  if (decoder.high_surrogate != 0) append_utf8(kReplacement, out);
  decoder.high_surrogate = high ? unit : 0;
  if (!high) append_utf8(low ? kReplacement : unit, out);
}

void decode_utf16(TextDecoder &decoder, const unsigned char *bytes, size_t size, std::string &out) {
  size_t i = 0;
  if (!decoder.pending.empty() && size > 0) {
    auto first = static_cast<unsigned char>(decoder.pending[0]);
    decoder.pending.clear();
    uint32_t unit =
        decoder.encoding == Encoding::kUtf16Le ? first | bytes[0] << 8 : first << 8 | bytes[0];
    take_unit(decoder, unit, out);
    i = 1;
  }
  bool little = decoder.encoding == Encoding::kUtf16Le;
  for (; i + 1 < size; i += 2)
    take_unit(decoder, little ? bytes[i] | bytes[i + 1] << 8 : bytes[i] << 8 | bytes[i + 1], out);
  if (i < size) decoder.pending.assign(1, static_cast<char>(bytes[i]));
}

// Which encoding a start of at least three bytes (or the whole text) shows,
// and how many bytes of mark to drop.
size_t choose(TextDecoder &decoder, const std::string &start) {
  auto at = [&](size_t i) { return static_cast<unsigned char>(start[i]); };
  if (start.size() >= 3 && at(0) == kUtf8Mark[0] && at(1) == kUtf8Mark[1] &&
      at(2) == kUtf8Mark[2]) {
    decoder.encoding = Encoding::kUtf8;
    return 3;
  }
  if (start.size() >= 2 && at(0) == 0xff && at(1) == 0xfe) {
    decoder.encoding = Encoding::kUtf16Le;
    return 2;
  }
  if (start.size() >= 2 && at(0) == 0xfe && at(1) == 0xff) {
    decoder.encoding = Encoding::kUtf16Be;
    return 2;
  }
  decoder.encoding = Encoding::kUtf8;
  return 0;
}

} // namespace

void decode_text(TextDecoder &decoder, const unsigned char *bytes, size_t size, std::string &out) {
  if (decoder.encoding == Encoding::kUnknown) {
    decoder.pending.append(reinterpret_cast<const char *>(bytes), size);
    if (decoder.pending.size() < sizeof kUtf8Mark) return;
    std::string start;
    start.swap(decoder.pending);
    size_t mark = choose(decoder, start);
    decode_text(decoder, reinterpret_cast<const unsigned char *>(start.data()) + mark,
                start.size() - mark, out);
    return;
  }
  if (decoder.encoding == Encoding::kUtf8)
    out.append(reinterpret_cast<const char *>(bytes), size);
  else
    decode_utf16(decoder, bytes, size, out);
}

void finish_text(TextDecoder &decoder, std::string &out) {
  if (decoder.encoding == Encoding::kUnknown) {
    std::string start;
    start.swap(decoder.pending);
    size_t mark = choose(decoder, start);
    out.append(start, mark, std::string::npos);
    return;
  }
  if (!decoder.pending.empty() || decoder.high_surrogate != 0) append_utf8(kReplacement, out);
  decoder.pending.clear();
  decoder.high_surrogate = 0;
}
