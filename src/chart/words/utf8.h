// Well-formed UTF-8, for text that shows what an input holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The length of the well-formed UTF-8 sequence at the start of `bytes`,
// with its code point in *code: no overlong form, no surrogate, nothing
// past U+10FFFF; 0 when none starts there.
size_t utf8_length(std::string_view bytes, uint32_t *code);
