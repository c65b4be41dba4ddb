#include "chart/stats/e_value.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// 2^kScaleBits and its inverse, exact.
const double kUp = std::ldexp(1.0, kScaleBits);
const double kDown = std::ldexp(1.0, -kScaleBits);
// Mean of values this many scales apart: the smaller is below 2^-512 of
// the larger and changes nothing a reader sees.
constexpr int64_t kFarScales = 2;

EValue normalised(EValue e) {
  if (e.mantissa == 0 || !std::isfinite(e.mantissa)) return e;
  while (e.mantissa > kUp) e.mantissa *= kDown, ++e.scale;
  while (e.mantissa < kDown) e.mantissa *= kUp, --e.scale;
  return e;
}

// The mantissa of e counted in the scale `scale`, at least e's own: a
// multiplication by a power of two, exact.
double at_scale(EValue e, int64_t scale) {
  static const double kShift[kFarScales + 1] = {1, kDown, kDown * kDown};
  int64_t apart = scale - e.scale;
  return apart > kFarScales ? 0 : e.mantissa * kShift[apart];
}

} // namespace

EValue scaled_by(EValue e, double factor) {
  e.mantissa *= factor;
  return normalised(e);
}

EValue divided(EValue a, EValue b) {
  return normalised({a.mantissa / b.mantissa, a.scale - b.scale});
}

EValue mean_of(const EValue *e, int n) {
  int64_t top = std::numeric_limits<int64_t>::min();
  for (int i = 0; i < n; ++i)
    if (e[i].mantissa != 0) top = std::max(top, e[i].scale);
  if (top == std::numeric_limits<int64_t>::min()) return {0, 0};
  double sum = 0;
  for (int i = 0; i < n; ++i)
    if (e[i].mantissa != 0) sum += at_scale(e[i], top);
  return normalised({sum / n, top});
}

bool less_than(EValue a, EValue b) {
  if (a.mantissa == 0 || b.mantissa == 0) return a.mantissa < b.mantissa;
  int64_t top = std::max(a.scale, b.scale);
  return at_scale(a, top) < at_scale(b, top);
}

EValue from_log(double log_e) {
  if (!std::isfinite(log_e)) return {log_e > 0 ? log_e : 0, 0};
  const double kScaleLog = kScaleBits * std::log(2.0);
  double scale = std::floor(log_e / kScaleLog);
  return normalised({std::exp(log_e - scale * kScaleLog), static_cast<int64_t>(scale)});
}

double value_of(EValue e) {
  constexpr int64_t kBeyond = 8; // scales past any double's range
  if (e.scale > kBeyond) return e.mantissa == 0 ? 0 : std::numeric_limits<double>::infinity();
  if (e.scale < -kBeyond) return 0;
  return std::ldexp(e.mantissa, static_cast<int>(e.scale * kScaleBits));
}

double log10_of(EValue e) {
  return std::log10(e.mantissa) + static_cast<double>(e.scale) * kScaleBits * std::log10(2.0);
}

void note_roll(Anytime &found, EValue e) {
  ++found.rolls;
  found.e = e;
  if (less_than(found.most, e)) found.most = e;
  for (int k = 0; k < kAnytimeLevels; ++k)
    if (found.reached[k] == 0 && !less_than(e, {kAnytimeOdds[k], 0}))
      found.reached[k] = found.rolls;
}

double anytime_p(const Anytime &found) {
  return std::min(1.0, 1 / value_of(found.most));
}

void trace_point(Anytime &found) {
  std::vector<TracePoint> &trace = found.trace;
  if (found.rolls % found.trace_every != 0) return;
  if (trace.size() == kMaxTracePoints) {
    for (size_t i = 1; i < trace.size(); i += 2) trace[i / 2] = trace[i];
    trace.resize(trace.size() / 2);
    found.trace_every *= 2;
    if (found.rolls % found.trace_every != 0) return;
  }
  trace.push_back({found.rolls, found.e});
}

void end_trace(Anytime &found) {
  std::vector<TracePoint> &trace = found.trace;
  if (found.rolls == 0 || (!trace.empty() && trace.back().rolls == found.rolls)) return;
  if (trace.size() == kMaxTracePoints) trace.pop_back();
  trace.push_back({found.rolls, found.e});
}
