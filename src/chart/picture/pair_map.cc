#include "chart/picture/pair_map.h"

#include <string>
#include <vector>

#include "chart/words/number_words.h"
#include "sim/file_facts.h"

namespace {

constexpr int kMapSide = 468; // 36 cells of 13 pixels: the plot's width less room to spare
constexpr int kMapBelowTitle = 56;
constexpr int kLabelAll = 20;  // a cell this wide has room for its own label
constexpr int kLabelEvery = 5; // else, without blocks, every fifth outcome is labelled

// What the map shows: its outcomes' labels, and how many outcomes form a
// block of one first face (0: no blocks).
struct MapShape {
  const std::vector<std::string> &labels;
  int block;
  int side() const { return static_cast<int>(labels.size()); }
  int square() const { return kMapSide / side(); }
};

// With blocks, a label at the first outcome of each and at the last
// outcome; without, every outcome's where there is room.
bool labelled(const MapShape &map, int i) {
  if (i == map.side() - 1) return true;
  if (map.block > 0) return i % map.block == 0;
  return map.square() >= kLabelAll || i % kLabelEvery == 0;
}

void draw_labels(Svg &svg, int map_top, const MapShape &map) {
  int square = map.square();
  for (int i = 0; i < map.side(); ++i) {
    if (!labelled(map, i)) continue;
    const std::string &label = map.labels[i];
    int middle = i * square + square / 2;
    svg.text(kPlotLeft + middle, map_top - 5, 10, "text-anchor=\"middle\"", label);
    svg.text(kPlotLeft - 5, map_top + middle + 4, 10, "text-anchor=\"end\"", label);
  }
}

// White lines between the outcomes of different first faces, so that a
// reader finds an outcome in the map by its two faces.
void draw_blocks(Svg &svg, int map_top, const MapShape &map) {
  if (map.block <= 0 || map.block >= map.side()) return;
  int edge = map.side() * map.square();
  svg << "<path stroke=\"#ffffff\" stroke-width=\"2\" d=\"";
  for (int b = 1; b < map.side() / map.block; ++b) {
    int at = b * map.block * map.square();
    svg << "M" << kPlotLeft + at << " " << map_top << "v" << edge << "M" << kPlotLeft << " "
        << map_top + at << "h" << edge;
  }
  svg << "\"/>\n";
}

void draw_cells(Svg &svg, int map_top, const Independence &test, const MapShape &map) {
  int side = map.side(), square = map.square();
  svg << "<g id=\"pair-map\" transform=\"translate(" << kPlotLeft << " " << map_top << ")\">\n";
  for (int i = 0; i < side; ++i)
    for (int j = 0; j < side; ++j) {
      double r = test.residuals[i * side + j];
      svg << "<rect x=\"" << j * square << "\" y=\"" << i * square << "\" width=\"" << square
          << "\" height=\"" << square << "\" fill=\"" << hex(residual_colour(r))
          << "\" data-first=\"" << xml_escape(map.labels[i]) << "\" data-second=\""
          << xml_escape(map.labels[j]) << "\" data-residual=\"" << fixed(r, 2) << "\"/>\n";
    }
  svg << "</g>\n";
}

std::vector<std::string> dicestat_labels() {
  std::vector<std::string> labels;
  for (int32_t label : outcome_labels) labels.push_back(std::to_string(label));
  return labels;
}

} // namespace

int draw_pair_map(Svg &svg, int top, const Independence &test) {
  return draw_pair_map(svg, top, test, dicestat_labels(), kFaces);
}

int draw_pair_map(Svg &svg, int top, const Independence &test,
                  const std::vector<std::string> &labels, int block) {
  MapShape map{labels, block};
  const char *faint = "fill=\"#555555\"";
  std::string apart = grouped(test.lags[test.worst].lag);
  // Where the pairs are too few for chi-square, nearly every cell expects
  // less than one pair, and every pair that came up would look surprising.
  if (test.verdict.method == Method::kPermutation) {
    svg.text(kPlotLeft, top, 12, faint,
             "No map of the pairs " + apart + " apart: too few of them for " +
                 grouped(int64_t{map.side()} * map.side()) + " cells");
    return top;
  }
  // Past kMaxMapSide outcomes a cell would be too small to see or point at.
  if (map.side() > kMaxMapSide) {
    svg.text(kPlotLeft, top, 12, faint,
             "No map of the pairs " + apart + " apart: " +
                 grouped(int64_t{map.side()} * map.side()) + " cells are too many to draw");
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
  draw_labels(svg, map_top, map);
  draw_cells(svg, map_top, test, map);
  draw_blocks(svg, map_top, map);
  int edge = map.side() * map.square();
  int y = draw_residual_key(svg, kPlotLeft, map_top + edge + 14, edge);
  svg.text(kPlotLeft, y + 4, 12, faint, "grey: an outcome that never came up in the pairs");
  return y + 4;
}
