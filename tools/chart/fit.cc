#include "fit.h"

#include <cmath>
#include <limits>

#include <boost/math/policies/policy.hpp>
#include <boost/math/special_functions/gamma.hpp>

namespace {

namespace policies = boost::math::policies;

// Boost.Math reports errors by exception unless told otherwise; here every
// error comes back as a value (NaN, infinity or zero) instead.
using NoThrow = policies::policy<policies::domain_error<policies::errno_on_error>,
                                 policies::pole_error<policies::errno_on_error>,
                                 policies::overflow_error<policies::errno_on_error>,
                                 policies::evaluation_error<policies::errno_on_error>,
                                 policies::rounding_error<policies::errno_on_error>>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Share of all rolls the generator gives outcome index i.
double generator_probability(int i) {
  int ways = kGeneratorShare + (i < kGeneratorFavoured ? 1 : 0);
  return static_cast<double>(ways) / kGeneratorRange;
}

double fair_probability(int) {
  return 1.0 / kReportOutcomes;
}

FitTest test(const Report &report, double (*probability)(int)) {
  double rolls = report.total_count;
  double chi2 = 0;
  for (int i = 0; i < kReportOutcomes; ++i) {
    double expected = rolls * probability(i);
    double gap = report.rows[i].count - expected;
    chi2 += gap * gap / expected;
  }
  return {chi2, chi2_upper_tail(chi2)};
}

} // namespace

double chi2_upper_tail(double x, int degrees) {
  if (!(x >= 0)) return kNaN;
  return boost::math::gamma_q(degrees / 2.0, x / 2, NoThrow());
}

Fit fit_report(const Report &report) {
  if (report.roll_count <= 0 || report.total_count <= 0) return {{kNaN, kNaN}, {kNaN, kNaN}};
  return {test(report, fair_probability), test(report, generator_probability)};
}
