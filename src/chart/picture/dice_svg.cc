#include "chart/picture/dice_svg.h"

#include <algorithm>
#include <cmath>

#include "chart/picture/lag_panel.h"
#include "chart/picture/pair_map.h"
#include "chart/words/dice_words.h"
#include "chart/words/verdict.h"

namespace {

constexpr int kTitleY = 40;
constexpr int kHeadlineLine = 24;
constexpr int kSectionGap = 40;
constexpr int kBarsHeight = 200; // a die's plot, share 0 at its foot
constexpr int kLabelAll = 20;    // a slot this wide has room for its face's label
constexpr int kLabelEvery = 5;   // else every fifth face is labelled
constexpr int kCountText = 40;   // a grid cell this wide shows its count
constexpr int kCaptionLine = 22;
constexpr int kBottomMargin = 24;
const char kFaint[] = "fill=\"#555555\"";

// A die's plot: its foot, how many pixels a share of 1 is, and its slots.
struct BarScale {
  int top, bottom;
  double pixels_per_share;
  int slot;
};

int y_of(const BarScale &scale, double share) {
  return scale.bottom - static_cast<int>(std::lround(share * scale.pixels_per_share));
}

// The plot reaches past every interval and twice the fair share.
BarScale scale_for(int top, int faces, const std::vector<FaceCheck> &checks) {
  double highest = 2.0 / faces;
  for (const FaceCheck &check : checks)
    if (std::isfinite(check.interval.high)) highest = std::max(highest, check.interval.high);
  return {top, top + kBarsHeight, kBarsHeight / highest, kPlotWidth / faces};
}

bool labelled(int slot, int face, int faces) {
  return slot >= kLabelAll || face % kLabelEvery == kLabelEvery - 1 || face == faces - 1;
}

// The plot's frame, its scale and the fair line 1/K.
void draw_frame(Svg &svg, const BarScale &scale, int faces) {
  svg.rect(kPlotLeft, scale.top, kPlotWidth, kBarsHeight, "fill=\"none\" stroke=\"#cccccc\"");
  double fair = 1.0 / faces;
  int y = y_of(scale, fair);
  svg.text(kPlotLeft - 8, scale.bottom + 4, 11, "text-anchor=\"end\"", "0 %");
  svg.text(kPlotLeft - 8, y + 4, 11, "text-anchor=\"end\"",
           "1/" + std::to_string(faces) + " = " + fixed(100 * fair, 1) + " %");
  svg.text(kPlotLeft - 8, scale.top + 10, 11, "text-anchor=\"end\"",
           fixed(100 * (scale.bottom - scale.top) / scale.pixels_per_share, 1) + " %");
  svg << "<line class=\"fair-line\" x1=\"" << kPlotLeft << "\" x2=\"" << kPlotLeft + kPlotWidth
      << "\" y1=\"" << y << "\" y2=\"" << y
      << "\" stroke=\"#111111\" stroke-width=\"1.5\" stroke-dasharray=\"6 4\"/>\n";
}

// One face's bar, into `bars`, and its interval and label, into `marks`.
void draw_face(Svg &bars, Svg &marks, const BarScale &scale, int die, int face,
               const DicePicture &picture) {
  const DiceFindings &findings = *picture.findings;
  const FaceCheck &check = findings.off[die][face];
  int64_t count = picture.counts->per_die[die][face];
  double share =
      count / static_cast<double>(std::max<int64_t>(rolls_in(picture.counts->per_die[die]), 1));
  int width = std::max(2 * scale.slot / 3, 2);
  int x = kPlotLeft + face * scale.slot + (scale.slot - width) / 2;
  int y = y_of(scale, share), middle = x + width / 2;
  const std::string &label = findings.labels[face];
  const char *off = check.off == Off::kHigh ? "high" : check.off == Off::kLow ? "low" : "inside";
  bars << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << width << "\" height=\""
       << scale.bottom - y << "\" fill=\"" << hex(residual_colour(check.z)) << "\" data-die=\""
       << die + 1 << "\" data-face=\"" << xml_escape(label) << "\" data-count=\""
       << std::to_string(count) << "\" data-z=\"" << fixed(check.z, 2) << "\" data-off=\"" << off
       << "\"><title>"
       << xml_escape(label + ": " + std::to_string(count) + " rolls, " + fixed(100 * share, 2) +
                     " %, interval " + fixed(100 * check.interval.low, 2) + " to " +
                     fixed(100 * check.interval.high, 2) + " %, residual " + fixed(check.z, 2))
       << "</title></rect>\n";
  if (std::isfinite(check.interval.low))
    marks << "<line x1=\"" << middle << "\" x2=\"" << middle << "\" y1=\""
          << y_of(scale, check.interval.low) << "\" y2=\"" << y_of(scale, check.interval.high)
          << "\" stroke=\"#111111\" stroke-width=\"1.5\"/>\n";
  if (check.off != Off::kInside)
    marks.text(middle, y_of(scale, check.interval.high) - 4, 11, "text-anchor=\"middle\"",
               check.off == Off::kHigh ? "\u25b2" : "\u25bc");
  if (labelled(scale.slot, face, findings.faces))
    marks.text(kPlotLeft + face * scale.slot + scale.slot / 2, scale.bottom + 14, 10,
               "text-anchor=\"middle\"", label);
}

// Every die's bars from `top`: frames first, then <g id="faces"> with every
// bar, then the intervals and labels over them; returns the y below.
int draw_dice_bars(Svg &svg, int top, const DicePicture &picture) {
  const DiceFindings &findings = *picture.findings;
  Svg bars, marks;
  for (int die = 0; die < findings.dice; ++die) {
    std::string title = findings.dice == 1
                            ? "Share of each face, with its interval"
                            : "Die " + std::to_string(die + 1) + ": share of each face";
    svg.text(kPlotLeft, top, 14, "font-weight=\"bold\"", title);
    BarScale scale = scale_for(top + 16, findings.faces, findings.off[die]);
    draw_frame(svg, scale, findings.faces);
    for (int face = 0; face < findings.faces; ++face)
      draw_face(bars, marks, scale, die, face, picture);
    top = scale.bottom + kSectionGap;
  }
  svg << "<g id=\"faces\">\n" << bars.out << "</g>\n" << marks.out;
  // Below the last plot's face labels.
  svg.text(kPlotLeft, top - 8, 12, kFaint,
           "Bars: shares, coloured as the key below; lines: exact intervals; dashed: fair; "
           "\u25b2\u25bc outside");
  return top + kSectionGap / 2;
}

// The two dice's K x K grid, first die down and second across, each cell
// coloured by its residual against fair dice; returns the y below it.
int draw_pair_grid(Svg &svg, int top, const DicePicture &picture) {
  const DiceFindings &findings = *picture.findings;
  int k = findings.faces, cell = kPlotWidth / k;
  const Counts &table = picture.counts->pair_tables[0];
  const std::vector<double> &z = findings.pairs[0].z;
  // As the pair map, past kMaxMapSide faces a cell is too small to see.
  if (k > kMaxMapSide) {
    svg.text(kPlotLeft, top, 12, kFaint,
             "No grid of both dice: " + std::to_string(k * k) + " cells are too many to draw");
    return top + kSectionGap;
  }
  svg.text(kPlotLeft, top, 14, "font-weight=\"bold\"", "Both dice: first die down, second across");
  top += 30;
  svg << "<g id=\"grid\">\n";
  for (int i = 0; i < k; ++i)
    for (int j = 0; j < k; ++j) {
      int x = kPlotLeft + j * cell, y = top + i * cell;
      Rgb fill = residual_colour(z[i * k + j]);
      std::string count = std::to_string(table[i * k + j]);
      svg.rect(x, y, cell, cell,
               "fill=\"" + hex(fill) + "\" stroke=\"#ffffff\" data-first=\"" +
                   xml_escape(findings.labels[i]) + "\" data-second=\"" +
                   xml_escape(findings.labels[j]) + "\" data-count=\"" + count + "\" data-z=\"" +
                   fixed(z[i * k + j], 2) + "\"");
      if (cell >= kCountText)
        svg.text(x + cell / 2, y + cell / 2 + 5, 13,
                 std::string("text-anchor=\"middle\" fill=\"") +
                     (is_light(fill) ? "#1a1a1a" : "#ffffff") + "\"",
                 count);
    }
  svg << "</g>\n";
  for (int i = 0; i < k; ++i) {
    if (!labelled(cell, i, k)) continue;
    svg.text(kPlotLeft + i * cell + cell / 2, top - 6, 11, "text-anchor=\"middle\"",
             findings.labels[i]);
    svg.text(kPlotLeft - 8, top + i * cell + cell / 2 + 4, 11, "text-anchor=\"end\"",
             findings.labels[i]);
  }
  return top + k * cell + kSectionGap;
}

int draw_key(Svg &svg, int y) {
  svg.text(kPlotLeft, y, 13, "", "Colour: how far each count lies from fair, in standard");
  svg.text(kPlotLeft, y + 18, 12, kFaint, "deviations, (count \u2212 expected) / \u221aexpected");
  return draw_residual_key(svg, kPlotLeft, y + 28, kPlotWidth);
}

// The summary's lines, as --summary writes them.
int draw_caption(Svg &svg, int y, const DiceFindings &findings) {
  std::string lines = dice_fair_line(findings) + dice_summary(findings);
  svg << "<g id=\"caption\">\n";
  for (size_t at = 0; at < lines.size(); y += kCaptionLine) {
    size_t end = lines.find('\n', at);
    svg.text(kPlotLeft, y, 12, "font-family=\"DejaVu Sans Mono, monospace\"",
             lines.substr(at, end - at));
    at = end + 1;
  }
  svg << "</g>\n";
  return y - kCaptionLine;
}

// The test of the order to draw: the only one, or of one per die the one
// with the lowest p, which the picture names.
const Independence *order_shown(const DicePicture &picture, int &die) {
  die = -1;
  const Independence *shown = nullptr;
  for (size_t d = 0; d < picture.orders.size(); ++d) {
    const Independence *test = picture.orders[d];
    if (test->lags.empty()) continue;
    if (shown == nullptr || test->verdict.p < shown->verdict.p) {
      shown = test;
      die = static_cast<int>(d);
    }
  }
  return shown;
}

int draw_order(Svg &svg, int y, const DicePicture &picture) {
  int die;
  const Independence *test = order_shown(picture, die);
  if (test == nullptr) return y;
  if (picture.orders_per_die) {
    svg.text(kPlotLeft, y + kSectionGap, 14, "font-weight=\"bold\"",
             "The order of die " + std::to_string(die + 1) + "\u2019s rolls, its p the lowest");
    y += kSectionGap / 2;
  }
  y = draw_lag_panel(svg, y + kSectionGap, *test);
  const DiceFindings &findings = *picture.findings;
  int block = picture.orders_per_die || findings.dice == 1 ? 0 : findings.faces;
  return draw_pair_map(svg, y + kSectionGap, *test, picture.map_labels, block);
}

int draw_body(Svg &svg, const DicePicture &picture) {
  const DiceFindings &findings = *picture.findings;
  define_residual_gradient(svg);
  svg.text(kPlotLeft, kTitleY, 20, "font-weight=\"bold\"", "How evenly the faces came up");
  Findings verdicts;
  verdicts.fair =
      findings.combined || findings.per_die.empty() ? findings.fair : findings.per_die[0];
  for (const Record &die : findings.per_die)
    if (!findings.combined && die.p < verdicts.fair.p) verdicts.fair = die;
  int die;
  verdicts.independence = order_shown(picture, die);
  int y = kTitleY;
  svg << "<g id=\"headline\" font-weight=\"bold\">\n";
  std::vector<std::string> headline = headline_words(verdicts);
  for (const std::string &line : dice_headline(findings)) headline.push_back(line);
  for (const std::string &line : headline) svg.text(kPlotLeft, y += kHeadlineLine, 15, "", line);
  svg << "</g>\n";
  y = draw_dice_bars(svg, y + kSectionGap + 10, picture);
  if (findings.dice == 2) y = draw_pair_grid(svg, y, picture);
  y = draw_key(svg, y);
  y = draw_caption(svg, y + kSectionGap, findings);
  return draw_order(svg, y, picture) + kBottomMargin;
}

} // namespace

std::string render_dice_svg(const DicePicture &picture, std::string_view source) {
  Svg body;
  int height = draw_body(body, picture);
  Svg svg;
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kPageWidth << "\" height=\""
      << height << "\" viewBox=\"0 0 " << kPageWidth << " " << height
      << "\" font-family=\"DejaVu Sans, Verdana, sans-serif\" fill=\"#1a1a1a\">\n"
      << "<title>" << xml_escape("dice rolls " + std::string(source)) << "</title>\n";
  svg.rect(0, 0, kPageWidth, height, "fill=\"#ffffff\"");
  svg.out += body.out;
  svg << "</svg>\n";
  return svg.out;
}
