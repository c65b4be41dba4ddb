#include "chart/read/roll_tokens.h"

#include <algorithm>

#include "sim/file_facts.h"

namespace {

bool is_separator(unsigned char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n';
}

bool is_face(char c) {
  return c >= '1' && c < '1' + kFaces;
}

// The token's shown bytes in quotes, any that is not plain printable ASCII
// written \xNN, "..." after them when the token was longer.
std::string quoted(const TokenReader &reader) {
  static const char kHex[] = "0123456789abcdef";
  std::string text = "\"";
  for (size_t i = 0; i < std::min(reader.length, kShownTokenBytes); ++i) {
    auto c = static_cast<unsigned char>(reader.shown[i]);
    if (c < 0x20 || c >= 0x7f || c == '"' || c == '\\')
      text += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
    else
      text += static_cast<char>(c);
  }
  return text + (reader.length > kShownTokenBytes ? "...\"" : "\"");
}

// Ends the token being read: its outcome into *out and true, or false with
// the error set.
bool end_token(TokenReader &reader, uint8_t *out) {
  const char *s = reader.shown;
  if (reader.length == 2 && is_face(s[0]) && is_face(s[1])) {
    *out = static_cast<uint8_t>((s[0] - '1') * kFaces + (s[1] - '1'));
    reader.length = 0;
    return true;
  }
  reader.where = std::to_string(reader.token_line) + ":" + std::to_string(reader.token_column);
  reader.error = quoted(reader) + " is not an outcome 11 to 66";
  return false;
}

} // namespace

size_t read_tokens(TokenReader &reader, const unsigned char *bytes, size_t size, uint8_t *out) {
  if (!reader.error.empty()) return 0;
  size_t rolls = 0;
  for (size_t i = 0; i < size; ++i) {
    unsigned char c = bytes[i];
    bool ends_token = c == '#' || is_separator(c);
    if (reader.length > 0 && ends_token) {
      if (!end_token(reader, out + rolls)) return rolls;
      ++rolls;
    }
    if (c == '\n') {
      ++reader.line;
      reader.column = 1;
      reader.in_comment = false;
      continue;
    }
    if (c == '#') reader.in_comment = true;
    if (!reader.in_comment && !ends_token) {
      if (reader.length == 0) {
        reader.token_line = reader.line;
        reader.token_column = reader.column;
      }
      if (reader.length < kShownTokenBytes) reader.shown[reader.length] = static_cast<char>(c);
      // A token past what its message shows is no label and is refused
      // now, rather than read to an end that may never come.
      if (++reader.length > kShownTokenBytes) {
        end_token(reader, out + rolls); // refuses it: no label is that long
        return rolls;
      }
    }
    ++reader.column;
  }
  return rolls;
}

size_t finish_tokens(TokenReader &reader, uint8_t *out) {
  if (!reader.error.empty() || reader.length == 0) return 0;
  if (reader.length == 1 && is_face(reader.shown[0])) reader.cut_face = reader.shown[0];
  return end_token(reader, out) ? 1 : 0;
}
