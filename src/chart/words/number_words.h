// Numbers as a reader of the picture reads them: digits in groups of three
// and powers of ten with superscript exponents, in UTF-8.
#pragma once

#include <cstdint>
#include <string>

// 10000000 as "10,000,000".
std::string grouped(int64_t v);

// The digits before the point of a number's text put in groups:
// "-1428293.1898" as "-1,428,293.1898"; other text ("nan") as it is.
std::string grouped(std::string text);

// "p = 0.413", "p = 6.099 × 10⁻⁸", four significant digits; below 10^-9
// "p below 10⁻⁹", where the digits say nothing a reader needs.
std::string p_words(double p);

// p to four significant digits, with a power of ten for a small one:
// "0.413", "6.099 × 10⁻⁸".
std::string p_digits(double p);

// 10 to the power `exponent`, as "10⁻⁹".
std::string power_of_ten(int exponent);
