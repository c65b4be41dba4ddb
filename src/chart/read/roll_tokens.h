// A plain list of rolls: outcome labels 11 to 66 (first die, then second
// die) separated by any mix of blanks, tabs, commas, carriage returns and
// line feeds, with '#' starting a comment that runs to the end of its line.
// Read in pieces of any size, as they come, holding no more of a token or a
// line than the few bytes a message shows: a file of one endless token or
// comment takes no more memory than a short one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Bytes of a bad token that its message shows; a longer one is cut short.
constexpr size_t kShownTokenBytes = 20;

struct TokenReader {
  int64_t line = 1, column = 1; // of the next byte, from 1
  bool in_comment = false;      // between a '#' and the end of its line
  size_t length = 0;            // bytes of the token being read; 0 between tokens
  int64_t token_line = 0;       // where that token began
  int64_t token_column = 0;
  char shown[kShownTokenBytes] = {}; // its first bytes
  char cut_face = 0;                 // a lone face that the list ended on: a label cut in two
  std::string where;                 // "line:column" of the first bad token, once there is one
  std::string error;                 // what is wrong with it
};

// Reads `size` bytes, writing the outcome index, 0 to 35, of each roll they
// complete to `out`, which has room for size + 1; returns how many. Stops
// at the first bad token, with `where` and `error` set, as soon as it ends
// or has more bytes than its message shows (so an endless one is refused
// too); reads nothing more after that.
size_t read_tokens(TokenReader &reader, const unsigned char *bytes, size_t size, uint8_t *out);

// The end of the list: completes a last token that no separator ended.
// Returns the rolls written to out, 0 or 1; a lone face there is refused
// with cut_face set.
size_t finish_tokens(TokenReader &reader, uint8_t *out);
