#include "chart/words/number_words.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kGroup = 3; // digits between separators
// Below 10^kTinyExponent the digits of p say nothing a reader needs.
constexpr int kTinyExponent = -9;
constexpr double kTinyP = 1e-9;

// Superscript digits 0 to 9 and minus, in UTF-8.
const char *const kSuperDigits[] = {"\u2070", "\u00b9", "\u00b2", "\u00b3", "\u2074",
                                    "\u2075", "\u2076", "\u2077", "\u2078", "\u2079"};
const char kSuperMinus[] = "\u207b";

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

} // namespace

std::string grouped(int64_t v) {
  return grouped(std::to_string(v));
}

std::string grouped(std::string text) {
  size_t first = text.size() > 0 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  size_t end = first;
  while (end < text.size() && is_digit(text[end])) ++end;
  for (size_t at = end; at > first + kGroup; at -= kGroup) text.insert(at - kGroup, ",");
  return text;
}

std::string power_of_ten(int exponent) {
  std::string out = "10";
  if (exponent < 0) out += kSuperMinus;
  for (char c : std::to_string(std::abs(exponent))) out += kSuperDigits[c - '0'];
  return out;
}

std::string p_words(double p) {
  if (p < kTinyP) return "p below " + power_of_ten(kTinyExponent);
  return "p = " + p_digits(p);
}

std::string p_digits(double p) {
  if (std::isnan(p)) return "nan";
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.4g", p);
  std::string text = buf;
  size_t e = text.find('e');
  if (e == std::string::npos) return text;
  return text.substr(0, e) + " \u00d7 " + power_of_ten(std::atoi(text.c_str() + e + 1));
}
