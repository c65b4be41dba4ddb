#include "model.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace model {

int outcome_label(int index) {
  return 10 * (index / 6 + 1) + index % 6 + 1;
}

Rolls rolls(int32_t seed, int32_t count) {
  Rolls rolls;
  uint32_t state = static_cast<uint32_t>(seed);
  for (int32_t i = 0; i < count; ++i) {
    int index = next_outcome(&state);
    rolls.log += std::to_string(outcome_label(index)) + ' ';
    ++rolls.tallies[index];
  }
  return rolls;
}

size_t matching_prefix(const std::string &log, int32_t seed) {
  uint32_t state = static_cast<uint32_t>(seed);
  size_t at = 0;
  while (at < log.size()) {
    int label = outcome_label(next_outcome(&state));
    const char roll[] = {static_cast<char>('0' + label / 10), static_cast<char>('0' + label % 10),
                         ' '};
    for (char c : roll) {
      if (at == log.size() || log[at] != c) return at;
      ++at;
    }
  }
  return at;
}

std::vector<std::string> report_lines(const std::string &report) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < report.size(); ++i) {
    if (report[i] == '\r' && i + 1 < report.size() && report[i + 1] == '\n') {
      lines.push_back(report.substr(start, i - start));
      start = ++i + 1;
    } else if (report[i] == '\r' || report[i] == '\n') {
      ADD_FAILURE() << "lone " << (report[i] == '\r' ? "CR" : "LF") << " at byte " << i;
    }
  }
  if (start != report.size()) ADD_FAILURE() << "report does not end with CR LF";
  return lines;
}

std::optional<int32_t> time_line_value(const std::string &line) {
  const std::string prefix = "Time: ";
  if (line.compare(0, prefix.size(), prefix) != 0 || line.back() != ' ') return std::nullopt;
  std::string number = line.substr(prefix.size(), line.size() - prefix.size() - 1);
  size_t digits = number[0] == '-' ? 1 : 0;
  if (number.size() == digits || number.size() > digits + 10) return std::nullopt;
  for (size_t i = digits; i < number.size(); ++i)
    if (number[i] < '0' || number[i] > '9') return std::nullopt;
  bool zero = number[digits] == '0';
  if (zero && (digits == 1 || number.size() > 1)) return std::nullopt; // no "-0", no leading 0
  long long value = std::strtoll(number.c_str(), nullptr, 10);
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

} // namespace model
