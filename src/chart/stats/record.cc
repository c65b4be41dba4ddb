#include "chart/stats/record.h"

#include <cmath>

#include "chart/stats/levels.h"

Decision decide(double p) {
  if (std::isnan(p)) return Decision::kUntested;
  if (p >= kFitsLevel) return Decision::kConsistent;
  return p >= kRejectLevel ? Decision::kDoubtful : Decision::kRejected;
}
