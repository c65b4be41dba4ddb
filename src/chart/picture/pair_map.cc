#include "chart/picture/pair_map.h"

#include <string>

#include "chart/words/number_words.h"
#include "sim/file_facts.h"

namespace {

constexpr int kSquare = 13; // a cell's edge: 36 of them fit the plot's width
constexpr int kMapSide = kOutcomes * kSquare;
constexpr int kMapBelowTitle = 56;

// A label at the first outcome of each first face, and at the last outcome.
bool labelled(int i) {
  return i % kFaces == 0 || i == kOutcomes - 1;
}

void draw_labels(Svg &svg, int map_top) {
  for (int i = 0; i < kOutcomes; ++i) {
    if (!labelled(i)) continue;
    std::string label = std::to_string(outcome_labels[i]);
    int middle = i * kSquare + kSquare / 2;
    svg.text(kPlotLeft + middle, map_top - 5, 10, "text-anchor=\"middle\"", label);
    svg.text(kPlotLeft - 5, map_top + middle + 4, 10, "text-anchor=\"end\"", label);
  }
}

// White lines between the outcomes of different first faces, so that a
// reader finds an outcome in the map by its two faces.
void draw_blocks(Svg &svg, int map_top) {
  svg << "<path stroke=\"#ffffff\" stroke-width=\"2\" d=\"";
  for (int b = 1; b < kFaces; ++b) {
    int at = b * kFaces * kSquare;
    svg << "M" << kPlotLeft + at << " " << map_top << "v" << kMapSide << "M" << kPlotLeft << " "
        << map_top + at << "h" << kMapSide;
  }
  svg << "\"/>\n";
}

void draw_cells(Svg &svg, int map_top, const Independence &test) {
  svg << "<g id=\"pair-map\" transform=\"translate(" << kPlotLeft << " " << map_top << ")\">\n";
  for (int i = 0; i < kOutcomes; ++i)
    for (int j = 0; j < kOutcomes; ++j) {
      double r = test.residuals[i * kOutcomes + j];
      svg << "<rect x=\"" << j * kSquare << "\" y=\"" << i * kSquare << "\" width=\"" << kSquare
          << "\" height=\"" << kSquare << "\" fill=\"" << hex(residual_colour(r))
          << "\" data-first=\"" << outcome_labels[i] << "\" data-second=\"" << outcome_labels[j]
          << "\" data-residual=\"" << fixed(r, 2) << "\"/>\n";
    }
  svg << "</g>\n";
}

} // namespace

int draw_pair_map(Svg &svg, int top, const Independence &test) {
  const char *faint = "fill=\"#555555\"";
  std::string apart = grouped(test.lags[test.worst].lag);
  // Where the pairs are too few for chi-square, nearly every cell expects
  // less than one pair, and every pair that came up would look surprising.
  if (test.verdict.method == Method::kPermutation) {
    svg.text(kPlotLeft, top, 12, faint,
             "No map of the pairs " + apart + " apart: too few of them for " +
                 grouped(kOutcomes * kOutcomes) + " cells");
    return top;
  }
  svg.text(kPlotLeft, top, 14, "font-weight=\"bold\"",
           "Rolls " + apart + " apart: first roll down, second across");
  svg.text(kPlotLeft, top + 18, 12, faint,
           "Each cell: how often that pair came up, against independent rolls, as the");
  svg.text(kPlotLeft, top + 34, 12, faint,
           "grid\u2019s colours: (observed \u2212 expected) / \u221aexpected, from the "
           "table\u2019s totals");
  int map_top = top + kMapBelowTitle;
  draw_labels(svg, map_top);
  draw_cells(svg, map_top, test);
  draw_blocks(svg, map_top);
  int y = draw_residual_key(svg, kPlotLeft, map_top + kMapSide + 14, kMapSide);
  svg.text(kPlotLeft, y + 4, 12, faint, "grey: an outcome that never came up in the pairs");
  return y + 4;
}
