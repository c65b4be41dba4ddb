#include "chart/picture/lag_panel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "chart/stats/levels.h"
#include "chart/words/number_words.h"

namespace {

// The scale: p from 1 down to 10^-kTopDecades; smaller p-values, and those
// that underflow to 0, are drawn at the top and marked off the scale.
constexpr int kTopDecades = 20;
constexpr int kDecade = 10; // pixels per power of ten
constexpr int kPlotHeight = kTopDecades * kDecade;
constexpr int kTickDecades = 5; // between the labels of the scale
constexpr int kLabelEvery = 4;  // lags between labels: 1, 16, 256, ...
constexpr int kWideSlot = 40;   // a lag's slot with room for its own label
constexpr int kPlotBelowTitle = 52;
constexpr int kBarShare = 3;     // a bar takes 2 / kBarShare of its slot
constexpr int kCapMark = 7;      // height of the mark above a bar off the scale
const char kGrey[] = "#8c8c8c";  // bars of lags that do not make the verdict reject
const char kFaint[] = "#555555"; // secondary text

std::string p_number(double p) {
  if (std::isnan(p)) return "nan";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4g", p);
  return buf;
}

// -log10 p, at most kTopDecades, which p = 0 also gets.
double decades(double p) {
  return p > 0 ? std::min(-std::log10(p), double{kTopDecades}) : kTopDecades;
}

// Pixels above the plot's foot for a height in decades.
int height_of(double d) {
  return static_cast<int>(std::lround(d * kDecade));
}

void draw_scale(Svg &svg, int plot_top, int plot_bottom) {
  svg.rect(kPlotLeft, plot_top, kPlotWidth, kPlotHeight,
           "id=\"lag-plot\" fill=\"none\" stroke=\"#cccccc\"");
  for (int d = 0; d <= kTopDecades; d += kTickDecades) {
    int y = plot_bottom - height_of(d);
    svg.text(kPlotLeft - 8, y + 4, 11, "text-anchor=\"end\"",
             d == 0 ? std::string("p = 1") : power_of_ten(-d));
    if (d > 0 && d < kTopDecades)
      svg << "<line x1=\"" << kPlotLeft << "\" x2=\"" << kPlotLeft + kPlotWidth << "\" y1=\"" << y
          << "\" y2=\"" << y << "\" stroke=\"#eeeeee\"/>\n";
  }
}

void draw_reject_line(Svg &svg, int plot_bottom, const Independence &test) {
  int y = plot_bottom - height_of(decades(test.reject_below));
  svg << "<line id=\"reject-line\" x1=\"" << kPlotLeft << "\" x2=\"" << kPlotLeft + kPlotWidth
      << "\" y1=\"" << y << "\" y2=\"" << y
      << "\" stroke=\"#111111\" stroke-width=\"1.5\" stroke-dasharray=\"6 4\"/>\n";
}

void draw_bars(Svg &svg, int plot_top, int plot_bottom, const Independence &test) {
  int n = static_cast<int>(test.lags.size());
  int slot = kPlotWidth / n;
  int width = std::max(2 * slot / kBarShare, 2);
  svg << "<g id=\"lags\">\n";
  for (int k = 0; k < n; ++k) {
    const LagTest &lag = test.lags[k];
    double d = decades(lag.p);
    int h = std::max(height_of(d), 1);
    int x = kPlotLeft + k * slot + (slot - width) / 2;
    std::string fill = lag.rejects ? hex(kMoreColour) : kGrey;
    svg << "<rect x=\"" << x << "\" y=\"" << plot_bottom - h << "\" width=\"" << width
        << "\" height=\"" << h << "\" fill=\"" << fill << "\" data-lag=\""
        << std::to_string(lag.lag) << "\" data-p=\"" << p_number(lag.p) << "\"><title>"
        << xml_escape("lag " + grouped(lag.lag) + ": " + p_words(lag.p)) << "</title></rect>\n";
    if (d >= kTopDecades)
      svg << "<path d=\"M" << x << " " << plot_top - 2 << "h" << width << "l-" << width / 2 << " -"
          << kCapMark << "z\" fill=\"" << fill << "\"/>\n";
  }
  svg << "</g>\n";
  int every = slot >= kWideSlot ? 1 : kLabelEvery;
  for (int k = 0; k < n; k += every)
    svg.text(kPlotLeft + k * slot + slot / 2, plot_bottom + 16, 10, "text-anchor=\"middle\"",
             std::to_string(test.lags[k].lag));
}

// What the line stands for.
std::string line_words(const Independence &test) {
  std::string level = p_digits(test.reject_below);
  if (test.verdict.method == Method::kAsymptotic)
    return "The line: p = " + fixed(kRejectLevel, 3) + " / " + std::to_string(test.lags.size()) +
           " lags = " + level + "; past it the verdict rejects";
  std::string shuffles = grouped(test.verdict.draws) + " shuffles";
  if (test.reject_below == 0) return "p from " + shuffles + ", too few to reject";
  return "p from " + shuffles + "; past the line, p = " + level + ", they reject";
}

} // namespace

int draw_lag_panel(Svg &svg, int top, const Independence &test) {
  std::string faint = std::string("fill=\"") + kFaint + "\"";
  svg.text(kPlotLeft, top, 14, "font-weight=\"bold\"", "Independence, lag by lag");
  svg.text(kPlotLeft, top + 18, 12, faint,
           "Each bar: how small the lag\u2019s p is; below " + power_of_ten(-kTopDecades) +
               " drawn to the top, marked \u25b2");
  svg.text(kPlotLeft, top + 34, 12, faint, line_words(test));
  int plot_top = top + kPlotBelowTitle;
  int plot_bottom = plot_top + kPlotHeight;
  draw_scale(svg, plot_top, plot_bottom);
  draw_bars(svg, plot_top, plot_bottom, test);
  if (test.reject_below > 0) draw_reject_line(svg, plot_bottom, test);
  int y = plot_bottom + 34;
  svg.text(kPlotLeft + kPlotWidth / 2, y, 12, "text-anchor=\"middle\"",
           "lag: how many rolls apart the two of a pair are");
  return y;
}
