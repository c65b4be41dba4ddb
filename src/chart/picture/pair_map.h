// The pairs of the test of independence's strongest lag as a map: the
// 36 x 36 table, the first roll's outcome down and the second's across,
// each cell coloured by its Pearson residual on the grid's scale.
#pragma once

#include "chart/picture/svg_canvas.h"
#include "chart/stats/independence.h"

// The map from baseline `top` for a test with at least one lag; returns the
// baseline of its last line. Its cells are <rect>s in <g id="pair-map">
// carrying data-first, data-second (outcome labels) and data-residual.
int draw_pair_map(Svg &svg, int top, const Independence &test);
