#include "svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "sim/share.h"
#include "verdict.h"

namespace {

constexpr int kCell = 80;      // cell edge
constexpr int kGridLeft = 112; // room for the row numbers and "first die"
constexpr int kGridTop = 124;  // room for the heading and the column numbers
constexpr int kGrid = kFaces * kCell;
constexpr int kWidth = kGridLeft + kGrid + 48;
constexpr int kLegendTop = kGridTop + kGrid + 32;
constexpr int kBarHeight = 16;
constexpr int kSwatch = 22;
constexpr int kNoShareLegend = 150; // width of the grey swatch and its words
constexpr int kCaptionTop = kLegendTop + 124;
constexpr int kCaptionLine = 22;
// Run, clock, totals, marks, two lines per test of fit and one more when p
// was simulated, up to four for the test of independence, two for power.
constexpr int kCaptionLines = 15;
constexpr int kHeight = kCaptionTop + (kCaptionLines - 1) * kCaptionLine + 16;
constexpr int kMarkStroke = 4;               // frame of a marked cell
constexpr size_t kLongCount = 7;             // counts with more digits get a smaller font
const std::string kSeparator = "  \u00b7  "; // between the caption's items, in UTF-8

// Deviation at which the colour is full: the band's half width, so every
// marked outcome is drawn in full colour and every other one paler.
constexpr double kFullDeviation = (kBandHigh - kBandLow) / 2;

struct Rgb {
  int r, g, b;
};

// Diverging from blue (shares below the expected one) through near-white to
// red (above); evenly spaced from -kFullDeviation to +kFullDeviation.
constexpr Rgb kPalette[] = {{0x21, 0x66, 0xac}, {0x43, 0x93, 0xc3}, {0x92, 0xc5, 0xde},
                            {0xd1, 0xe5, 0xf0}, {0xf7, 0xf7, 0xf7}, {0xfd, 0xdb, 0xc7},
                            {0xf4, 0xa5, 0x82}, {0xd6, 0x60, 0x4d}, {0xb2, 0x18, 0x2b}};
constexpr int kSteps = sizeof kPalette / sizeof kPalette[0] - 1;
constexpr Rgb kNoShare = {0xbd, 0xbd, 0xbd}; // a NaN share: there were no rolls

// Brightness above which dark text reads better than white.
constexpr int kLightBackground = 150;

Rgb deviation_colour(double deviation) {
  if (std::isnan(deviation)) return kNoShare;
  double t = std::clamp(deviation / kFullDeviation, -1.0, 1.0);
  double pos = (t + 1) / 2 * kSteps;
  int i = std::min(static_cast<int>(pos), kSteps - 1);
  double f = pos - i;
  const Rgb &a = kPalette[i];
  const Rgb &b = kPalette[i + 1];
  auto mix = [f](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * f)); };
  return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

std::string hex(Rgb c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c.r, c.g, c.b);
  return buf;
}

bool is_light(Rgb c) {
  return (299 * c.r + 587 * c.g + 114 * c.b) / 1000 > kLightBackground;
}

std::string fixed4(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4f", v);
  return buf;
}

std::string percent_text(const std::string &share_text, double share) {
  return std::isfinite(share) ? share_text + " %" : share_text;
}

struct Svg {
  std::string out;

  Svg &operator<<(std::string_view s) {
    out += s;
    return *this;
  }
  Svg &operator<<(int v) {
    out += std::to_string(v);
    return *this;
  }

  // One line of text; attrs are extra attributes, written as they are.
  void text(int x, int y, int size, std::string_view attrs, std::string_view content) {
    *this << "<text x=\"" << x << "\" y=\"" << y << "\" font-size=\"" << size << "\"";
    if (!attrs.empty()) *this << " " << attrs;
    *this << ">" << xml_escape(content) << "</text>\n";
  }

  void rect(int x, int y, int w, int h, std::string_view attrs) {
    *this << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << w << "\" height=\"" << h
          << "\" " << attrs << "/>\n";
  }
};

void draw_axes(Svg &svg) {
  const char *kMiddle = "text-anchor=\"middle\"";
  svg.text(kGridLeft + kGrid / 2, kGridTop - 30, 13, kMiddle, "second die");
  int mid_y = kGridTop + kGrid / 2;
  svg.text(kGridLeft - 44, mid_y, 13,
           "text-anchor=\"middle\" transform=\"rotate(-90 " + std::to_string(kGridLeft - 44) + " " +
               std::to_string(mid_y) + ")\"",
           "first die");
  for (int i = 0; i < kFaces; ++i) {
    std::string face = std::to_string(i + 1);
    svg.text(kGridLeft + i * kCell + kCell / 2, kGridTop - 10, 14, kMiddle, face);
    svg.text(kGridLeft - 14, kGridTop + i * kCell + kCell / 2 + 5, 14, kMiddle, face);
  }
}

void draw_cell(Svg &svg, int index, const ReportRow &row) {
  int x = kGridLeft + index % kFaces * kCell;
  int y = kGridTop + index / kFaces * kCell;
  Rgb fill = deviation_colour(row.deviation);
  std::string ink = "fill=\"" + std::string(is_light(fill) ? "#1a1a1a" : "#ffffff") + "\"";
  std::string label = std::to_string(row.label);
  std::string count = std::to_string(row.count);
  std::string share = percent_text(row.share_text, row.share);

  svg << "<g>\n<title>"
      << xml_escape(label + ": " + count + " rolls, " + share + ", deviation " +
                    row.deviation_text + (row.marked ? ", outside the band" : ""))
      << "</title>\n";
  svg.rect(x, y, kCell, kCell,
           std::string("class=\"cell") + (row.marked ? " marked" : "") + "\" fill=\"" + hex(fill) +
               "\" stroke=\"#ffffff\" stroke-width=\"2\"");
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

void draw_legend(Svg &svg, bool any_nan) {
  std::string expected = fixed4(kExpectedPercent);
  std::string low = fixed4(kBandLow);
  std::string high = fixed4(kBandHigh);
  std::string full = fixed4(kFullDeviation);

  svg << "<defs><linearGradient id=\"deviation\" x1=\"0\" x2=\"1\" y1=\"0\" y2=\"0\">\n";
  for (int i = 0; i <= kSteps; ++i)
    svg << "<stop offset=\"" << std::to_string(static_cast<double>(i) / kSteps)
        << "\" stop-color=\"" << hex(kPalette[i]) << "\"/>\n";
  svg << "</linearGradient></defs>\n";

  svg.text(kGridLeft, kLegendTop, 13, "",
           "Colour: deviation from the expected share, " + expected + " %");
  int bar_top = kLegendTop + 10;
  svg.rect(kGridLeft, bar_top, kGrid, kBarHeight, "fill=\"url(#deviation)\" stroke=\"#666666\"");
  int tick_y = bar_top + kBarHeight + 16;
  svg.text(kGridLeft, tick_y, 12, "", "-" + full + " (" + low + " %)");
  svg.text(kGridLeft + kGrid / 2, tick_y, 12, "text-anchor=\"middle\"", "0 (" + expected + " %)");
  svg.text(kGridLeft + kGrid, tick_y, 12, "text-anchor=\"end\"", "+" + full + " (" + high + " %)");

  int row_top = tick_y + 18;
  svg.rect(kGridLeft, row_top, kSwatch, kSwatch,
           "fill=\"#ffffff\" stroke=\"#111111\" stroke-width=\"" + std::to_string(kMarkStroke) +
               "\"");
  svg.text(kGridLeft + kSwatch / 2, row_top + 16, 11, "font-weight=\"bold\" text-anchor=\"middle\"",
           "!!");
  svg.text(kGridLeft + kSwatch + 8, row_top + 16, 12, "",
           "share outside the band " + low + " to " + high + " %");
  if (any_nan) {
    int x = kGridLeft + kGrid - kNoShareLegend;
    svg.rect(x, row_top, kSwatch, kSwatch, "fill=\"" + hex(kNoShare) + "\"");
    svg.text(x + kSwatch + 8, row_top + 16, 12, "", "no share (no rolls)");
  }
}

struct CaptionLine {
  std::string text;
  int size;          // font size
  const char *attrs; // extra attributes
};

void draw_caption(Svg &svg, const Report &r, const Findings &findings) {
  const char *kPlain = "";
  int marked = 0;
  for (const ReportRow &row : r.rows) marked += row.marked;
  std::vector<CaptionLine> lines;
  lines.push_back({r.from_rolls ? "Roll log: " + std::to_string(r.roll_count) + " rolls"
                                : "Number of rolls: " + std::to_string(r.roll_count) + kSeparator +
                                      "Seed: " + std::to_string(r.seed),
                   14, "font-weight=\"bold\""});
  if (r.has_time)
    lines.push_back(
        {"Time: " + std::to_string(r.time) + ", the clock's value, was the seed", 13, kPlain});
  lines.push_back({"Totals: " + std::to_string(r.total_count) + " rolls; the shares add up to " +
                       percent_text(r.total_share_text, r.total_share),
                   13, kPlain});
  lines.push_back({marked == 0 ? std::string("No outcome outside the band")
                               : std::to_string(marked) + " of " + std::to_string(kOutcomes) +
                                     " outcomes outside the band, marked !!",
                   13, kPlain});
  std::vector<FitWords> verdicts = fit_words(findings.fit);
  for (const FitWords &words : independence_words(findings.independence, findings.other_log))
    verdicts.push_back(words);
  verdicts.push_back(power_words(findings.power, r.total_count));
  for (const FitWords &words : verdicts) {
    if (!words.verdict.empty()) lines.push_back({words.verdict, 13, kPlain});
    if (!words.detail.empty()) lines.push_back({words.detail, 12, "fill=\"#555555\""});
  }
  svg << "<g id=\"caption\">\n";
  for (size_t i = 0; i < lines.size(); ++i)
    svg.text(kGridLeft, kCaptionTop + static_cast<int>(i) * kCaptionLine, lines[i].size,
             lines[i].attrs, lines[i].text);
  svg << "</g>\n";
}

// The length of the UTF-8 sequence that starts bytes, when it is valid and
// encodes a character XML allows; else 0.
size_t utf8_length(std::string_view bytes) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  unsigned char lead = byte(0);
  size_t n;
  uint32_t cp;
  if (lead >= 0xf0 && lead <= 0xf4) {
    n = 4, cp = lead & 0x07;
  } else if (lead >= 0xe0) {
    n = 3, cp = lead & 0x0f;
  } else if (lead >= 0xc2 && lead <= 0xdf) {
    n = 2, cp = lead & 0x1f;
  } else {
    return 0;
  }
  if (bytes.size() < n) return 0;
  for (size_t i = 1; i < n; ++i) {
    if ((byte(i) & 0xc0) != 0x80) return 0;
    cp = cp << 6 | (byte(i) & 0x3f);
  }
  static const uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMinimum[n] || cp > 0x10ffff) return 0;
  if ((cp >= 0xd800 && cp <= 0xdfff) || cp == 0xfffe || cp == 0xffff) return 0;
  return n;
}

} // namespace

std::string xml_escape(std::string_view text) {
  static const char kReplacement[] = "\xef\xbf\xbd";
  std::string out;
  for (size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    switch (c) {
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '&':
      out += "&amp;";
      break;
    case '"':
      out += "&quot;";
      break;
    case '\'':
      out += "&apos;";
      break;
    default:
      if (c >= 0x80) {
        size_t n = utf8_length(text.substr(i));
        if (n == 0) {
          out += kReplacement;
          ++i;
        } else {
          out.append(text.substr(i, n));
          i += n;
        }
        continue;
      }
      if (c < 0x20 || c == 0x7f)
        out += kReplacement;
      else
        out += static_cast<char>(c);
    }
    ++i;
  }
  return out;
}

std::string render_svg(const Report &report, std::string_view source, const Findings &findings) {
  Svg svg;
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << kHeight
      << "\" viewBox=\"0 0 " << kWidth << " " << kHeight
      << "\" font-family=\"DejaVu Sans, Verdana, sans-serif\" fill=\"#1a1a1a\">\n"
      << "<title>" << xml_escape("dicestat report " + std::string(source)) << "</title>\n";
  svg.rect(0, 0, kWidth, kHeight, "fill=\"#ffffff\"");
  svg.text(kGridLeft, 40, 20, "font-weight=\"bold\"", "How evenly the 36 outcomes came up");
  svg.text(kGridLeft, 64, 12, "fill=\"#555555\"",
           "Each cell: outcome, count, share of all rolls, deviation from the expected share");
  draw_axes(svg);
  bool any_nan = false;
  for (int i = 0; i < kOutcomes; ++i) {
    draw_cell(svg, i, report.rows[i]);
    any_nan = any_nan || std::isnan(report.rows[i].share);
  }
  draw_legend(svg, any_nan);
  draw_caption(svg, report, findings);
  svg << "</svg>\n";
  return svg.out;
}
