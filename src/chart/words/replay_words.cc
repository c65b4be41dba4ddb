#include "chart/words/replay_words.h"

#include "chart/words/number_words.h"

namespace {

std::string replayed(const Provenance &provenance, const std::string &rolls) {
  return "seed " + std::to_string(provenance.seed) + ", " + rolls +
         " rolls, every count as dicestat's";
}

} // namespace

std::string replay_summary(const Provenance &provenance) {
  return "replayed: " + replayed(provenance, std::to_string(provenance.rolls)) + "\n";
}

std::vector<FitWords> replay_words(const Provenance &provenance) {
  std::vector<FitWords> lines = {
      {"Replayed: " + replayed(provenance, grouped(provenance.rolls)), ""}};
  const char *kTested = "the rolls tested for independence are the replay's";
  switch (provenance.log.kin) {
  case LogKin::kNone:
    break;
  case LogKin::kOwn:
    lines.push_back({"The roll log is this run's, roll for roll", ""});
    break;
  case LogKin::kCut:
    lines.push_back({"The roll log is this run's log, cut short after " +
                         grouped(provenance.log.rolls) + " rolls",
                     kTested});
    break;
  case LogKin::kOther:
    lines.push_back({"The roll log beside it is another run's, left out", kTested});
    break;
  }
  return lines;
}
