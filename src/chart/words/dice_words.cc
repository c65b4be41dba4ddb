#include "chart/words/dice_words.h"

#include <algorithm>
#include <cmath>

#include "chart/words/verdict.h"

namespace {

// "die 2" for the second die, counted from 1 as the user counts them.
std::string die_name(int die) {
  return "die " + std::to_string(die + 1);
}

// The flagged faces of one die, the furthest out first: "20 high, 1 low".
std::string flagged(const std::vector<FaceCheck> &checks, const std::vector<std::string> &labels) {
  std::vector<size_t> out;
  for (size_t i = 0; i < checks.size(); ++i)
    if (checks[i].off != Off::kInside) out.push_back(i);
  if (out.empty()) return "none outside";
  std::stable_sort(out.begin(), out.end(), [&](size_t a, size_t b) {
    return std::fabs(checks[a].z) > std::fabs(checks[b].z);
  });
  std::string text;
  for (size_t i : out)
    text +=
        (text.empty() ? "" : ", ") + labels[i] + (checks[i].off == Off::kHigh ? " high" : " low");
  return text;
}

std::string between_lines(const DiceFindings &findings) {
  std::string out;
  for (const DicePair &pair : findings.pairs) {
    std::string name = findings.dice == 2 ? "between dice"
                                          : "between dice " + std::to_string(pair.first + 1) +
                                                " and " + std::to_string(pair.second + 1);
    out += summary_line(name, pair.test, true);
  }
  return out;
}

std::string faces_lines(const DiceFindings &findings) {
  std::string out;
  for (int d = 0; d < static_cast<int>(findings.off.size()); ++d) {
    std::string name = findings.dice == 1 ? "faces" : "faces of " + die_name(d);
    out += name + ": " + flagged(findings.off[d], findings.labels) + "\n";
  }
  return out;
}

} // namespace

std::string dice_fair_line(const DiceFindings &findings) {
  return findings.combined ? summary_line("fair", findings.fair) : "";
}

std::string dice_summary(const DiceFindings &findings) {
  std::string out;
  for (int d = 0; d < static_cast<int>(findings.per_die.size()); ++d)
    out += summary_line(die_name(d), findings.per_die[d]);
  out += between_lines(findings) + faces_lines(findings);
  return out + "detectable: " + detectable_words(findings.detectable, "one face", findings.faces) +
         "\n";
}

std::vector<std::string> dice_headline(const DiceFindings &findings) {
  std::vector<std::string> lines;
  std::string off;
  for (size_t d = 0; d < findings.off.size(); ++d) {
    std::string faces = flagged(findings.off[d], findings.labels);
    if (faces == "none outside") continue;
    off += (off.empty() ? "" : "; ") +
           (findings.dice == 1 ? faces : die_name(static_cast<int>(d)) + " " + faces);
  }
  if (!off.empty()) lines.push_back("Faces off: " + off + ".");
  for (const DicePair &pair : findings.pairs) {
    Decision decision = pair.test.decision;
    if (decision != Decision::kDoubtful && decision != Decision::kRejected) continue;
    lines.push_back("Dice " + std::to_string(pair.first + 1) + " and " +
                    std::to_string(pair.second + 1) +
                    (decision == Decision::kRejected ? ": related." : ": perhaps related."));
  }
  return lines;
}

std::string independence_lines(const Independence &test, const std::string &prefix) {
  std::string lines = independence_summary(test), out;
  for (size_t at = 0; at < lines.size();) {
    size_t end = lines.find('\n', at) + 1;
    out += prefix + lines.substr(at, end - at);
    at = end;
  }
  return out;
}

std::string tallies_have_no_order() {
  return "independence: not tested: tallies hold no order of the rolls\n";
}
