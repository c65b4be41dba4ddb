// The test of independence lag by lag, as one bar per lag: the height is
// -log10 of the lag's chi-square p, and a line marks where a lag's p makes
// the verdict reject; bars past it are drawn in the scale's "more" colour.
#pragma once

#include "chart/picture/svg_canvas.h"
#include "chart/stats/independence.h"

// The panel from baseline `top` for a test with at least one lag; returns
// the baseline of its last line. Each bar is a <rect> in <g id="lags">
// carrying data-lag and data-p, the p it draws.
int draw_lag_panel(Svg &svg, int top, const Independence &test);
