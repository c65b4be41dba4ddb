#include "chart/picture/svg_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "chart/words/utf8.h"

namespace {

// Evenly spaced from -kFullResidual to +kFullResidual.
constexpr Rgb kPalette[] = {kFewerColour,       {0x43, 0x93, 0xc3}, {0x92, 0xc5, 0xde},
                            {0xd1, 0xe5, 0xf0}, {0xf7, 0xf7, 0xf7}, {0xfd, 0xdb, 0xc7},
                            {0xf4, 0xa5, 0x82}, {0xd6, 0x60, 0x4d}, kMoreColour};
constexpr int kSteps = sizeof kPalette / sizeof kPalette[0] - 1;

// Brightness above which dark text reads better than white.
constexpr int kLightBackground = 150;

constexpr int kKeyHeight = 16; // the key's bar
constexpr int kKeyTicks = 4;   // intervals between the key's labels
constexpr int kTickLabel = 16; // from the bar's foot to its labels' baseline
constexpr int kKeyBottom = 24; // from the bar's foot to below the labels

} // namespace

Rgb residual_colour(double residual) {
  if (std::isnan(residual)) return kNoValueColour;
  double t = std::clamp(residual / kFullResidual, -1.0, 1.0);
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

std::string fixed(double v, int decimals) {
  if (std::isnan(v)) return "nan";
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

void Svg::text(int x, int y, int size, std::string_view attrs, std::string_view content) {
  *this << "<text x=\"" << x << "\" y=\"" << y << "\" font-size=\"" << size << "\"";
  if (!attrs.empty()) *this << " " << attrs;
  *this << ">" << xml_escape(content) << "</text>\n";
}

void Svg::rect(int x, int y, int w, int h, std::string_view attrs) {
  *this << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << w << "\" height=\"" << h << "\" "
        << attrs << "/>\n";
}

void define_residual_gradient(Svg &svg) {
  svg << "<defs><linearGradient id=\"residual\" x1=\"0\" x2=\"1\" y1=\"0\" y2=\"0\">\n";
  for (int i = 0; i <= kSteps; ++i)
    svg << "<stop offset=\"" << fixed(static_cast<double>(i) / kSteps, 3) << "\" stop-color=\""
        << hex(kPalette[i]) << "\"/>\n";
  svg << "</linearGradient></defs>\n";
}

int draw_residual_key(Svg &svg, int x, int y, int width) {
  svg.rect(x, y, width, kKeyHeight, "fill=\"url(#residual)\" stroke=\"#666666\"");
  int label_y = y + kKeyHeight + kTickLabel;
  for (int i = 0; i <= kKeyTicks; ++i) {
    double value = kFullResidual * (2.0 * i / kKeyTicks - 1);
    std::string label = (value > 0 ? "+" : "") + fixed(value, 0);
    if (i == 0) label = label + " or less";
    if (i == kKeyTicks) label = label + " or more";
    const char *anchor = i == 0           ? "text-anchor=\"start\""
                         : i == kKeyTicks ? "text-anchor=\"end\""
                                          : "text-anchor=\"middle\"";
    svg.text(x + width * i / kKeyTicks, label_y, 12, anchor, label);
  }
  return y + kKeyHeight + kKeyBottom;
}

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
        uint32_t code = 0;
        size_t n = utf8_length(text.substr(i), &code);
        if (n == 0 || code == 0xfffe || code == 0xffff) { // no XML characters
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
