// What the test of fit can detect: by the chi-square approximation from
// 180 rolls on, simulated below, where the fit's own p is.
#include <gtest/gtest.h>

#include <cmath>

#include "chart/stats/power.h"

namespace {

TEST(Power, SimulatedBelow180RollsAndNeverKinderThanTheApproximation) {
  MonteCarlo mc;
  mc.samples = 2000;
  Power at_180 = power_for(180, mc);
  EXPECT_EQ(at_180.samples, 0);
  // The approximation's d shrinks as 1/sqrt(rolls). Sparse counts give the
  // test less power than it claims (54 % at 30 rolls), so the d found for
  // 80 % lies above it, but not by half again.
  for (int64_t rolls : {30, 100, 179}) {
    Power p = power_for(rolls, mc);
    EXPECT_EQ(p.samples, mc.samples) << rolls;
    double ratio = p.detectable / (at_180.detectable * std::sqrt(180.0 / rolls));
    EXPECT_GT(ratio, 1.0) << rolls;
    EXPECT_LT(ratio, 1.5) << rolls;
  }
  EXPECT_TRUE(std::isinf(power_for(1, mc).detectable)) << "one roll: p is 1 whatever it is";
}

} // namespace
