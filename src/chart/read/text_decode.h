// Text as editors save it, turned into the UTF-8 the readers take: a UTF-8
// byte-order mark is dropped, and UTF-16 after its byte-order mark (as
// Notepad saves "Unicode") is converted, piece by piece as it comes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class Encoding { kUnknown, kUtf8, kUtf16Le, kUtf16Be };

struct TextDecoder {
  Encoding encoding = Encoding::kUnknown; // set by the first bytes
  std::string pending;                    // bytes of the start, or of a unit, not yet whole
  uint32_t high_surrogate = 0;            // the first half of a pair awaiting its second
};

// Appends the UTF-8 of `size` more bytes to `out`. The first call's bytes
// decide the encoding; a start shorter than a byte-order mark is held back
// until more comes or the text ends.
void decode_text(TextDecoder &decoder, const unsigned char *bytes, size_t size, std::string &out);

// The end of the text: whatever was held back, an odd last byte of UTF-16
// or a lone half of a pair as U+FFFD.
void finish_text(TextDecoder &decoder, std::string &out);
