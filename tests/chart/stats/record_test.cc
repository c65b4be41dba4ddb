// The one judgement of a p: at each level's edge, and for NaN.
#include <gtest/gtest.h>

#include <limits>

#include "chart/stats/record.h"

namespace {

TEST(Decide, EachLevelBelongsToTheSideAbove) {
  struct Case {
    double p;
    Decision decision;
  };
  for (Case c : {Case{1, Decision::kConsistent}, Case{0.05, Decision::kConsistent},
                 Case{0.04999, Decision::kDoubtful}, Case{0.001, Decision::kDoubtful},
                 Case{0.000999, Decision::kRejected}, Case{0, Decision::kRejected},
                 Case{std::numeric_limits<double>::quiet_NaN(), Decision::kUntested}})
    EXPECT_EQ(decide(c.p), c.decision) << c.p;
}

} // namespace
