#include "chart/picture/anytime_panel.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "chart/words/anytime_words.h"
#include "chart/words/number_words.h"

namespace {

// The scale runs over at least kLowest to kHighest decades, and at most
// -kFarthest to kFarthest; e-values past it are drawn at its edge.
constexpr int kLowest = -2;
constexpr int kHighest = 4;
constexpr int kFarthest = 20;
constexpr int kPlotHeight = 200;
constexpr int kPlotBelowTitle = 44;
constexpr double kPointRadius = 1.5;
constexpr int kMarkRadius = 6;
// Points of a process drawn on its line, and of those the ones drawn with
// their numbers, at most: the picture stays under 200 KB with the map.
constexpr size_t kLinePoints = 250;
constexpr size_t kMarkedPoints = 50;

// The step through a trace of n points that takes at most `most` of them.
size_t step_for(size_t n, size_t most) {
  return std::max<size_t>((n + most - 1) / most, 1);
}

struct Scale {
  int low, high;   // decades at the foot and the top
  int top, bottom; // of the plot, in pixels
  int64_t rolls;   // at the right edge

  int x(int64_t r) const {
    return kPlotLeft + static_cast<int>(std::lround(static_cast<double>(r) / rolls * kPlotWidth));
  }
  int y(double decades) const {
    double d = std::clamp(decades, static_cast<double>(low), static_cast<double>(high));
    return bottom - static_cast<int>(std::lround((d - low) / (high - low) * (bottom - top)));
  }
};

Scale scale_of(const Anytime &fit, const Anytime &order, int top) {
  double least = kLowest, most = kHighest;
  for (const Anytime *found : {&fit, &order})
    for (const TracePoint &point : found->trace) {
      double d = log10_of(point.e);
      if (std::isfinite(d)) least = std::min(least, d), most = std::max(most, d);
    }
  return {std::max(-kFarthest, static_cast<int>(std::floor(least))),
          std::min(kFarthest, static_cast<int>(std::ceil(most))), top, top + kPlotHeight,
          std::max<int64_t>({fit.rolls, order.rolls, 1})};
}

void draw_levels(Svg &svg, const Scale &s) {
  svg.rect(kPlotLeft, s.top, kPlotWidth, kPlotHeight, "fill=\"none\" stroke=\"#cccccc\"");
  for (int k = 0; k < kAnytimeLevels; ++k) {
    int y = s.y(std::log10(kAnytimeOdds[k]));
    svg << "<line x1=\"" << kPlotLeft << "\" x2=\"" << kPlotLeft + kPlotWidth << "\" y1=\"" << y
        << "\" y2=\"" << y << "\" stroke=\"#111111\" stroke-dasharray=\"6 4\"/>\n";
    svg.text(kPlotLeft - 8, y + 4, 11, "text-anchor=\"end\"",
             grouped(static_cast<int64_t>(kAnytimeOdds[k])));
  }
  svg.text(kPlotLeft - 8, s.y(0) + 4, 11, "text-anchor=\"end\"", "1");
  svg.text(kPlotLeft, s.bottom + 16, 10, "", "0");
  svg.text(kPlotLeft + kPlotWidth, s.bottom + 16, 10, "text-anchor=\"end\"", grouped(s.rolls));
}

void draw_process(Svg &svg, const Scale &s, const Anytime &found, const char *test, Rgb colour) {
  std::string ink = hex(colour);
  svg << "<polyline data-test=\"" << test << "\" fill=\"none\" stroke=\"" << ink
      << "\" stroke-width=\"1.5\" points=\"";
  const std::vector<TracePoint> &trace = found.trace;
  // Every step-th point, and the last, where the line ends.
  size_t step = step_for(trace.size(), kLinePoints);
  for (size_t i = 0; i < trace.size(); ++i)
    if (i % step == 0 || i + 1 == trace.size())
      svg << s.x(trace[i].rolls) << "," << s.y(log10_of(trace[i].e)) << " ";
  svg << "\"/>\n";
  // The points that carry their numbers share their colour and test in a group.
  svg << "<g data-test=\"" << test << "\" fill=\"" << ink << "\">\n";
  for (size_t i = 0; i < trace.size(); i += step_for(trace.size(), kMarkedPoints)) {
    const TracePoint &p = trace[i];
    svg << "<circle cx=\"" << s.x(p.rolls) << "\" cy=\"" << s.y(log10_of(p.e)) << "\" r=\""
        << fixed(kPointRadius, 1) << "\" data-rolls=\"" << std::to_string(p.rolls) << "\" data-e=\""
        << e_text(p.e) << "\"/>\n";
  }
  svg << "</g>\n";
  for (int k = 0; k < kAnytimeLevels; ++k)
    if (found.reached[k] != 0)
      svg << "<circle class=\"reached\" cx=\"" << s.x(found.reached[k]) << "\" cy=\""
          << s.y(std::log10(kAnytimeOdds[k])) << "\" r=\"" << kMarkRadius
          << "\" fill=\"none\" stroke=\"" << ink << "\" stroke-width=\"2\" data-test=\"" << test
          << "\" data-reached=\"" << std::to_string(found.reached[k]) << "\"/>\n";
}

} // namespace

int draw_anytime_panel(Svg &svg, int top, const Anytime &fit, const Anytime &order) {
  std::string faint = "fill=\"#555555\"";
  svg.text(kPlotLeft, top, 14, "font-weight=\"bold\"", "As you roll: e-values");
  svg.text(kPlotLeft, top + 18, 12, faint,
           "Blue: against fair dice; red: against independent rolls. Past 20 and 1,000 the");
  svg.text(kPlotLeft, top + 34, 12, faint,
           "rolls reject at 0.05 and 0.001 however often you looked; circles: where first");
  Scale s = scale_of(fit, order, top + kPlotBelowTitle + 8);
  draw_levels(svg, s);
  svg << "<g id=\"anytime\">\n";
  draw_process(svg, s, fit, "fit", kFewerColour);
  draw_process(svg, s, order, "independence", kMoreColour);
  svg << "</g>\n";
  int y = s.bottom + 34;
  svg.text(kPlotLeft + kPlotWidth / 2, y, 12, "text-anchor=\"middle\"",
           "rolls; up: e, on a scale of powers of ten from " + power_of_ten(s.low) + " to " +
               power_of_ten(s.high));
  return y;
}
