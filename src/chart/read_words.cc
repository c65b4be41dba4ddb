#include "chart/read_words.h"

namespace {

constexpr const char *kNumbers[] = {"no",  "one",   "two",   "three", "four", "five",
                                    "six", "seven", "eight", "nine",  "ten"};

std::string how_many(int dice) {
  return dice < static_cast<int>(sizeof kNumbers / sizeof *kNumbers) ? kNumbers[dice]
                                                                     : std::to_string(dice);
}

// "one d20", "two d6", "four dice of faces -,0,+".
std::string dice_words(const RollsRead &read) {
  bool named = read.die.rfind("die ", 0) == 0;
  if (!named) return how_many(read.dice) + " " + read.die;
  std::string faces = read.die.substr(4);
  return how_many(read.dice) + (read.dice == 1 ? " die" : " dice") + " of faces " + faces;
}

// What was taken for granted, in brackets after the dice; empty when nothing was.
std::string how_taken(const RollsRead &read, Source source) {
  if (source == Source::kReport) return " (dicestat's report)";
  if (source == Source::kDicestatLog) return " (dicestat's roll log)";
  if (read.tallies) return " (tallies)";
  if (read.pair_labels)
    return " (labels 11 to 66, as dicestat writes them; --die d100 takes each as one value)";
  if (!read.inferred) return "";
  return " (inferred from the values, faces " + read.labels.front() + " to " + read.labels.back() +
         "; --die or --faces names another)";
}

} // namespace

std::string read_line(const RollsRead &read, Source source) {
  return "read: " + std::to_string(read.rolls) + " rolls of " + dice_words(read) +
         how_taken(read, source) + "\n";
}
