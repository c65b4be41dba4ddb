#include "chart/picture/svg.h"

#include <cmath>
#include <vector>

#include "chart/picture/anytime_panel.h"
#include "chart/picture/lag_panel.h"
#include "chart/picture/pair_map.h"
#include "chart/words/anytime_words.h"
#include "chart/words/number_words.h"
#include "chart/words/replay_words.h"
#include "sim/share.h"

namespace {

constexpr int kCell = kPlotWidth / kFaces;
constexpr int kTitleY = 40;        // the title's baseline
constexpr int kHeadlineLine = 24;  // between the headline's lines
constexpr int kGridBelowText = 64; // from the last line above the grid to its top
constexpr int kSwatch = 22;
constexpr int kSwatchLines = 34; // from one swatch of the key to the next
constexpr int kCaptionLine = 22;
constexpr int kSectionGap = 40; // between the parts of the picture
constexpr int kBottomMargin = 24;
constexpr int kMarkStroke = 4;               // frame of a marked cell
constexpr size_t kLongCount = 7;             // counts with more digits get a smaller font
const std::string kSeparator = "  \u00b7  "; // between the caption's items, in UTF-8

std::string percent_text(const std::string &share_text, double share) {
  return std::isfinite(share) ? share_text + " %" : share_text;
}

// The title, the verdicts in bold and what a cell holds; returns the
// baseline of the last line.
int draw_headline(Svg &svg, const Findings &findings) {
  svg.text(kPlotLeft, kTitleY, 20, "font-weight=\"bold\"", "How evenly the 36 outcomes came up");
  int y = kTitleY;
  svg << "<g id=\"headline\" font-weight=\"bold\">\n";
  for (const std::string &line : headline_words(findings)) {
    y += kHeadlineLine;
    svg.text(kPlotLeft, y, 15, "", line);
  }
  svg << "</g>\n";
  y += kHeadlineLine;
  svg.text(kPlotLeft, y, 12, "fill=\"#555555\"",
           "Each cell: outcome, count, share of all rolls, deviation from the expected share");
  return y;
}

void draw_axes(Svg &svg, int top) {
  const char *kMiddle = "text-anchor=\"middle\"";
  svg.text(kPlotLeft + kPlotWidth / 2, top - 30, 13, kMiddle, "second die");
  int mid_y = top + kPlotWidth / 2;
  svg.text(kPlotLeft - 44, mid_y, 13,
           "text-anchor=\"middle\" transform=\"rotate(-90 " + std::to_string(kPlotLeft - 44) + " " +
               std::to_string(mid_y) + ")\"",
           "first die");
  for (int i = 0; i < kFaces; ++i) {
    std::string face = std::to_string(i + 1);
    svg.text(kPlotLeft + i * kCell + kCell / 2, top - 10, 14, kMiddle, face);
    svg.text(kPlotLeft - 14, top + i * kCell + kCell / 2 + 5, 14, kMiddle, face);
  }
}

void draw_cell(Svg &svg, int top, int index, const ReportRow &row, double z) {
  int x = kPlotLeft + index % kFaces * kCell;
  int y = top + index / kFaces * kCell;
  Rgb fill = residual_colour(z);
  std::string ink = "fill=\"" + std::string(is_light(fill) ? "#1a1a1a" : "#ffffff") + "\"";
  std::string label = std::to_string(row.label);
  std::string count = std::to_string(row.count);
  std::string share = percent_text(row.share_text, row.share);

  svg << "<g>\n<title>"
      << xml_escape(label + ": " + count + " rolls, " + share + ", deviation " +
                    row.deviation_text + (row.marked ? ", outside the band" : "") + ", residual " +
                    fixed(z, 2))
      << "</title>\n";
  svg.rect(x, y, kCell, kCell,
           std::string("class=\"cell") + (row.marked ? " marked" : "") + "\" fill=\"" + hex(fill) +
               "\" stroke=\"#ffffff\" stroke-width=\"2\" data-z=\"" + fixed(z, 2) + "\"");
  if (row.marked) {
    int inset = kMarkStroke / 2 + 1;
    svg.rect(x + inset, y + inset, kCell - 2 * inset, kCell - 2 * inset,
             "fill=\"none\" stroke=\"#111111\" stroke-width=\"" + std::to_string(kMarkStroke) +
                 "\"");
    svg.text(x + kCell - 9, y + 20, 15, "font-weight=\"bold\" text-anchor=\"end\" " + ink, "!!");
  }
  svg.text(x + 9, y + 20, 13, "font-weight=\"bold\" " + ink, label);
  svg.text(x + kCell / 2, y + 44, count.size() > kLongCount ? 12 : 16,
           "text-anchor=\"middle\" " + ink, count);
  svg.text(x + kCell / 2, y + 60, 11, "text-anchor=\"middle\" " + ink, share);
  svg.text(x + kCell / 2, y + 73, 11, "text-anchor=\"middle\" " + ink, row.deviation_text);
  svg << "</g>\n";
}

// The grid and its axes from `top`; returns the y below the grid.
int draw_grid(Svg &svg, int top, const Report &report, const std::vector<double> &z) {
  draw_axes(svg, top);
  for (int i = 0; i < kOutcomes; ++i) draw_cell(svg, top, i, report.rows[i], z[i]);
  return top + kPlotWidth;
}

// What the colours and marks mean; returns the baseline of its last line.
int draw_legend(Svg &svg, int y, bool any_nan) {
  std::string low = fixed(kBandLow, 4);
  std::string high = fixed(kBandHigh, 4);
  svg.text(kPlotLeft, y, 13, "", "Colour: how far each count lies from rolls / 36, in standard");
  svg.text(kPlotLeft, y + 18, 12, "fill=\"#555555\"",
           "deviations, (count \u2212 expected) / \u221aexpected: chance alone seldom goes");
  svg.text(kPlotLeft, y + 34, 12, "fill=\"#555555\"",
           "beyond \u00b12 and hardly ever beyond \u00b14, at any number of rolls");
  y = draw_residual_key(svg, kPlotLeft, y + 44, kPlotWidth);

  svg.rect(kPlotLeft, y, kSwatch, kSwatch,
           "fill=\"#ffffff\" stroke=\"#111111\" stroke-width=\"" + std::to_string(kMarkStroke) +
               "\"");
  svg.text(kPlotLeft + kSwatch / 2, y + 16, 11, "font-weight=\"bold\" text-anchor=\"middle\"",
           "!!");
  svg.text(kPlotLeft + kSwatch + 8, y + 9, 12, "",
           "share outside the band " + low + " to " + high + " %, as the report marks it:");
  svg.text(kPlotLeft + kSwatch + 8, y + 24, 12, "fill=\"#555555\"",
           "a fixed yardstick, not a test, which small counts always cross");
  if (!any_nan) return y + 24;
  y += kSwatchLines;
  svg.rect(kPlotLeft, y, kSwatch, kSwatch, "fill=\"" + hex(kNoValueColour) + "\"");
  svg.text(kPlotLeft + kSwatch + 8, y + 16, 12, "", "no share (no rolls)");
  return y + 16;
}

struct CaptionLine {
  std::string text;
  int size;          // font size
  const char *attrs; // extra attributes
};

// Each entry's verdict and its detail, those that are not empty.
void add_words(std::vector<CaptionLine> &lines, const std::vector<FitWords> &words) {
  for (const FitWords &w : words) {
    if (!w.verdict.empty()) lines.push_back({w.verdict, 13, ""});
    if (!w.detail.empty()) lines.push_back({w.detail, 12, "fill=\"#555555\""});
  }
}

std::vector<CaptionLine> caption_lines(const Report &r, const Findings &findings) {
  const char *kPlain = "";
  int marked = 0;
  for (const ReportRow &row : r.rows) marked += row.marked;
  std::vector<CaptionLine> lines;
  lines.push_back({r.from_rolls ? "Roll log: " + grouped(r.roll_count) + " rolls"
                                : "Number of rolls: " + grouped(r.roll_count) + kSeparator +
                                      "Seed: " + std::to_string(r.seed),
                   14, "font-weight=\"bold\""});
  if (r.has_time)
    lines.push_back(
        {"Time: " + std::to_string(r.time) + ", the clock's value, was the seed", 13, kPlain});
  if (findings.provenance != nullptr) add_words(lines, replay_words(*findings.provenance));
  lines.push_back({"Totals: " + grouped(r.total_count) + " rolls; the shares add up to " +
                       percent_text(r.total_share_text, r.total_share),
                   13, kPlain});
  lines.push_back({marked == 0 ? std::string("No outcome outside the band")
                               : std::to_string(marked) + " of " + std::to_string(kOutcomes) +
                                     " outcomes outside the band, marked !!",
                   13, kPlain});
  std::vector<FitWords> verdicts = fit_words(findings.fair, findings.generator);
  for (const FitWords &words : independence_words(findings.independence)) verdicts.push_back(words);
  verdicts.push_back(power_words(findings.power, r.total_count));
  if (findings.anytime_fit != nullptr)
    verdicts.push_back(anytime_words(*findings.anytime_fit, findings.anytime_order));
  add_words(lines, verdicts);
  return lines;
}

// The caption's lines from baseline y; returns the last one's baseline.
int draw_caption(Svg &svg, int y, const Report &r, const Findings &findings) {
  std::vector<CaptionLine> lines = caption_lines(r, findings);
  svg << "<g id=\"caption\">\n";
  for (size_t i = 0; i < lines.size(); ++i, y += kCaptionLine)
    svg.text(kPlotLeft, y, lines[i].size, lines[i].attrs, lines[i].text);
  svg << "</g>\n";
  return y - kCaptionLine;
}

// Everything but the document's frame, which needs the height it ends at.
int draw_body(Svg &svg, const Report &report, const Findings &findings) {
  define_residual_gradient(svg);
  int y = draw_headline(svg, findings);
  y = draw_grid(svg, y + kGridBelowText, report, findings.z);
  bool any_nan = false;
  for (double z : findings.z) any_nan = any_nan || std::isnan(z);
  y = draw_legend(svg, y + kSectionGap, any_nan);
  y = draw_caption(svg, y + kSectionGap, report, findings);
  const Independence *test = findings.independence;
  if (test != nullptr && !test->lags.empty()) {
    y = draw_lag_panel(svg, y + kSectionGap, *test);
    y = draw_pair_map(svg, y + kSectionGap, *test);
  }
  if (findings.anytime_order != nullptr && findings.anytime_fit->rolls > 0)
    y = draw_anytime_panel(svg, y + kSectionGap, *findings.anytime_fit, *findings.anytime_order);
  return y + kBottomMargin;
}

} // namespace

std::string render_svg(const Report &report, std::string_view source, const Findings &findings) {
  Svg body;
  int height = draw_body(body, report, findings);
  Svg svg;
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kPageWidth << "\" height=\""
      << height << "\" viewBox=\"0 0 " << kPageWidth << " " << height
      << "\" font-family=\"DejaVu Sans, Verdana, sans-serif\" fill=\"#1a1a1a\">\n"
      << "<title>" << xml_escape("dicestat report " + std::string(source)) << "</title>\n";
  svg.rect(0, 0, kPageWidth, height, "fill=\"#ffffff\"");
  svg.out += body.out;
  svg << "</svg>\n";
  return svg.out;
}
