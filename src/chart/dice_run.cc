#include "chart/dice_run.h"

#include "chart/picture/dice_svg.h"
#include "chart/stats/any_dice.h"
#include "chart/stats/anytime_fit.h"
#include "chart/stats/anytime_independence.h"
#include "chart/words/anytime_words.h"
#include "chart/words/dice_words.h"
#include "sim/file_facts.h"

namespace {

// Each of k faces alike.
std::vector<double> fair_of(size_t k) {
  return std::vector<double>(k, 1.0 / static_cast<double>(k));
}

// Die d's faces in the order rolled, from rolls kept as D face indices each.
std::vector<uint8_t> faces_of_die(const RollsRead &read, int d) {
  std::vector<uint8_t> faces(static_cast<size_t>(read.analysed));
  for (int64_t r = 0; r < read.analysed; ++r) faces[r] = read.order[r * read.dice + d];
  return faces;
}

// The e-process of fit of one distribution: of the rolls in order, or of
// the counts alone for tallies.
Anytime anytime_fit_of(const RollsRead &read, const Counts &counts, const uint8_t *order) {
  std::vector<double> fair = fair_of(counts.size());
  return read.tallies ? anytime_fit_of_counts(counts, fair)
                      : anytime_fit_of_rolls(order, read.analysed, fair);
}

// The tests of the order of any dice's rolls: of the combinations where
// they are few enough, else of each die's own faces; none for tallies.
std::vector<Independence> orders_of(RollsRead &read, const MonteCarlo &mc) {
  std::vector<Independence> tests;
  if (read.tallies) return tests;
  if (order_by_combination(read)) {
    auto side = static_cast<int>(read.counts.combinations.size());
    tests.push_back(independence_of(pairs_in_order(std::move(read.order), side), read.rolls, mc));
    return tests;
  }
  for (int d = 0; d < read.dice; ++d)
    tests.push_back(
        independence_of(pairs_in_order(faces_of_die(read, d), read.faces), read.rolls, mc));
  return tests;
}

// The labels of the outcomes whose order was tested: the faces', or each
// combination's faces one after another.
std::vector<std::string> outcome_labels_of(const RollsRead &read) {
  if (!order_by_combination(read)) return read.labels;
  std::vector<std::string> labels;
  for (size_t i = 0; i < read.counts.combinations.size(); ++i) {
    std::string label;
    for (size_t rest = i, d = 0; d < static_cast<size_t>(read.dice); ++d, rest /= read.faces)
      label = read.labels[rest % read.faces] + label;
    labels.push_back(label);
  }
  return labels;
}

} // namespace

std::string dice_anytime_summary(const RollsRead &read) {
  if (order_by_combination(read))
    return anytime_summary(anytime_fit_of(read, read.counts.combinations, read.order.data()));
  std::string out;
  for (int d = 0; d < read.dice; ++d) {
    std::vector<uint8_t> faces = read.tallies ? std::vector<uint8_t>() : faces_of_die(read, d);
    out += "anytime die " + std::to_string(d + 1) + ": " +
           e_and_p(anytime_fit_of(read, read.counts.per_die[d], faces.data())) + "\n";
  }
  return out;
}

std::string without_detectable(const std::string &lines) {
  size_t at = lines.rfind("detectable: ");
  return at == std::string::npos ? lines : lines.substr(0, at);
}

DiceCounts pair_counts_of(const Counts &outcomes) {
  DiceCounts counts = make_dice_counts(2, kFaces, true);
  for (int i = 0; i < kOutcomes; ++i) {
    uint8_t faces[2] = {static_cast<uint8_t>(i / kFaces), static_cast<uint8_t>(i % kFaces)};
    add_roll(counts, faces, outcomes[i]);
  }
  return counts;
}

PairCounts pairs_in_order(std::vector<uint8_t> order, int side) {
  PairCounts pairs = make_pair_counts(side);
  pairs.outcomes = std::move(order);
  count_pairs(pairs, 0, static_cast<int64_t>(pairs.outcomes.size()));
  return pairs;
}

std::string dice_picture(RollsRead &read, const MonteCarlo &mc, std::string_view source) {
  DiceFindings findings = test_dice(read.counts, read.labels, mc);
  DicePicture picture;
  picture.counts = &read.counts;
  picture.findings = &findings;
  picture.orders_per_die = !order_by_combination(read);
  picture.map_labels = outcome_labels_of(read);
  std::vector<Independence> orders = orders_of(read, mc);
  for (const Independence &test : orders) picture.orders.push_back(&test);
  return render_dice_svg(picture, source);
}

// The test of independence of rolls of any dice, each die's own where the
// combinations are too many.
std::string dice_independence(RollsRead &read, const MonteCarlo &mc) {
  if (read.tallies) return tallies_have_no_order();
  // The e-process of the order, before each verdict, of what was tested.
  bool combined = order_by_combination(read);
  std::vector<Anytime> anytime;
  if (combined)
    anytime.push_back(anytime_independence_of(read.order.data(), read.analysed,
                                              static_cast<int>(read.counts.combinations.size())));
  else
    for (int d = 0; d < read.dice; ++d)
      anytime.push_back(
          anytime_independence_of(faces_of_die(read, d).data(), read.analysed, read.faces));
  std::vector<Independence> tests = orders_of(read, mc);
  if (tests.size() == 1)
    return before_last_line(independence_lines(tests[0], ""), anytime_summary(anytime[0]));
  std::string out;
  for (size_t d = 0; d < tests.size(); ++d) {
    std::string die = "die " + std::to_string(d + 1) + ": ";
    out += before_last_line(independence_lines(tests[d], die), die + anytime_summary(anytime[d]));
  }
  return out;
}
