// ASCII character classes, the same in every locale: the program's input
// rules name their characters exactly. Each takes a character or -1 (end of
// input), which is in no class.
#pragma once

constexpr bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

constexpr bool is_letter(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A blank or a tab: what separates words on a line.
constexpr bool is_blank(int c) {
  return c == ' ' || c == '\t';
}

// White space: blanks, tabs and the line-end and page characters.
constexpr bool is_space(int c) {
  return is_blank(c) || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr int to_lower(int c) {
  return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}
