// The e-processes over the rolls: log10 of each e-value as a line, with the
// levels 20 and 1,000 and a mark where each line first reached them.
#pragma once

#include "chart/picture/svg_canvas.h"
#include "chart/stats/e_value.h"

// The panel from baseline `top`, for the processes of fit and of
// independence with their traces; returns the baseline of its last line.
// A line through at most 251 points of each trace (the last among them); at most 50 of them are
// a <circle> in <g id="anytime"> carrying data-rolls and data-e, the
// e-value it draws, within a group carrying the test's name in data-test.
int draw_anytime_panel(Svg &svg, int top, const Anytime &fit, const Anytime &order);
