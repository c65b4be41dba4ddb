#include "chart/read/die_faces.h"

#include <algorithm>

#include "chart/read/dice_read.h"

namespace {

constexpr int kCommonDice[] = {4, 6, 8, 10, 12, 20, 100};

std::vector<std::string> numbers(int from, int to) {
  std::vector<std::string> labels;
  for (int v = from; v <= to; ++v) labels.push_back(std::to_string(v));
  return labels;
}

// A whole number written with an optional '-' and at most three digits.
bool signed_number(const std::string &text, int &value) {
  bool negative = !text.empty() && text[0] == '-';
  int v = small_number(text.data() + negative, text.size() - negative);
  if (v < 0) return false;
  value = negative ? -v : v;
  return true;
}

DieFaces checked(std::vector<std::string> labels, std::string name) {
  DieFaces faces{{}, std::move(name), ""};
  std::vector<std::string> sorted = labels;
  std::sort(sorted.begin(), sorted.end());
  if (labels.size() < kMinFaces || labels.size() > kMaxFaces)
    faces.error =
        "a die has " + std::to_string(kMinFaces) + " to " + std::to_string(kMaxFaces) + " faces";
  else if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
    faces.error = "a face is named twice";
  else if (std::any_of(labels.begin(), labels.end(), [](const std::string &l) {
             return l.empty() || l.size() > kMaxLabelBytes ||
                    l.find_first_of(" \t,#\"\r\n") != std::string::npos;
           }))
    faces.error = "a face is empty, longer than " + std::to_string(kMaxLabelBytes) +
                  " bytes, or holds a blank, a comma, a quote or '#'";
  else
    faces.labels = std::move(labels);
  return faces;
}

} // namespace

int small_number(const char *text, size_t length) {
  if (length == 0 || length > 3) return -1;
  int v = 0;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    v = v * 10 + (text[i] - '0');
  }
  return v;
}

DieFaces die_named(const std::string &name) {
  if (name == "dF" || name == "df") return checked({"-", "0", "+"}, "dF");
  int faces = name.size() > 1 && (name[0] == 'd' || name[0] == 'D')
                  ? small_number(name.data() + 1, name.size() - 1)
                  : -1;
  if (faces < kMinFaces || faces > kMaxFaces)
    return {{}, name, "--die wants d2 to d100 (faces 1 to N) or dF; --faces names others"};
  return checked(numbers(1, faces), "d" + std::to_string(faces));
}

DieFaces faces_listed(const std::string &list) {
  size_t dash = list.find('-', 1);
  int low, high;
  if (list.find(',') == std::string::npos && dash != std::string::npos &&
      signed_number(list.substr(0, dash), low) && signed_number(list.substr(dash + 1), high)) {
    if (high < low || high - low + 1 > kMaxFaces)
      return {{},
              list,
              "--faces LOW-HIGH wants LOW below HIGH, at most " + std::to_string(kMaxFaces) +
                  " faces"};
    return checked(numbers(low, high), "die " + list);
  }
  std::vector<std::string> labels;
  for (size_t from = 0;;) {
    size_t comma = std::min(list.find(',', from), list.size());
    labels.push_back(list.substr(from, comma - from));
    if (comma == list.size()) break;
    from = comma + 1;
  }
  return checked(labels, "die " + list);
}

std::vector<std::string> smallest_die(int low, int high, std::string &name) {
  int first = low == 0 ? 0 : 1;
  for (int faces : kCommonDice)
    if (high < first + faces) {
      name = "d" + std::to_string(faces);
      return numbers(first, first + faces - 1);
    }
  return {};
}
