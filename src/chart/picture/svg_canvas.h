// What the parts of the picture draw with: the page's columns, an SVG
// writer, the diverging colour scale of residuals and its key, and text
// made safe for XML.
#pragma once

#include <string>
#include <string_view>

// The page: a left margin for the row labels, and the plots to its right.
constexpr int kPageWidth = 640;
constexpr int kPlotLeft = 112;
constexpr int kPlotWidth = 480;

struct Rgb {
  int r, g, b;
};

// A residual, (observed - expected) / sqrt(expected), is drawn in full
// colour from this far out: chance alone takes a cell beyond it about once
// in 16,000 cells, beyond 2 about once in 22.
constexpr double kFullResidual = 4;

// The ends of the scale: fewer than expected, and more.
constexpr Rgb kFewerColour = {0x21, 0x66, 0xac};
constexpr Rgb kMoreColour = {0xb2, 0x18, 0x2b};
// Where there is no residual: no rolls, or an empty row or column.
constexpr Rgb kNoValueColour = {0xbd, 0xbd, 0xbd};

// Blue below 0 through near-white at 0 to red above, full at
// +-kFullResidual and beyond; kNoValueColour for NaN.
Rgb residual_colour(double residual);

// "#rrggbb".
std::string hex(Rgb c);

// Whether dark text reads better than white on c.
bool is_light(Rgb c);

// v with `decimals` decimals, "nan" for NaN, for attributes and labels.
std::string fixed(double v, int decimals);

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
  void text(int x, int y, int size, std::string_view attrs, std::string_view content);

  // A rectangle; attrs are its other attributes, written as they are.
  void rect(int x, int y, int w, int h, std::string_view attrs);
};

// The scale's gradient, named "residual", for every key in the document.
void define_residual_gradient(Svg &svg);

// A key of the scale as a bar `width` wide at (x, y) with its ticks at
// -kFullResidual, half of it, 0 and so on; returns the y below it.
int draw_residual_key(Svg &svg, int x, int y, int width);

// Text made safe for XML character data and attribute values: markup
// characters become entities, and control bytes and bytes that are not
// valid UTF-8 become U+FFFD.
std::string xml_escape(std::string_view text);
