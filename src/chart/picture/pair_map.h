// The pairs of the test of independence's strongest lag as a map: the
// K x K table of its outcomes (36 x 36 for dicestat's pairs), the first roll's outcome down and the
// second's across, each cell coloured by its Pearson residual on the grid's scale.
#pragma once

#include <string>
#include <vector>

#include "chart/picture/svg_canvas.h"
#include "chart/stats/independence.h"

// The map from baseline `top` for a test with at least one lag; returns the
// baseline of its last line. Its cells are <rect>s in <g id="pair-map">
// carrying data-first, data-second (outcome labels) and data-residual.
int draw_pair_map(Svg &svg, int top, const Independence &test);

// Outcomes past this many are not mapped: the map says so in a note.
constexpr int kMaxMapSide = 36;

// The map of a table of labels.size() outcomes, at most kMaxMapSide, with a
// white line between each `block` of outcomes (0: none).
int draw_pair_map(Svg &svg, int top, const Independence &test,
                  const std::vector<std::string> &labels, int block);
