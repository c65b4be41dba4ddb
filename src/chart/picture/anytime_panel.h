// The e-processes over the rolls: log10 of each e-value as a line, with the
// levels 20 and 1,000 and a mark where each line first reached them.
#pragma once

#include "chart/picture/svg_canvas.h"
#include "chart/stats/e_value.h"

// The panel from baseline `top`, for the processes of fit and of
// independence with their traces; returns the baseline of its last line.
// Every point is a <circle> in <g id="anytime"> carrying data-rolls and
// data-e, the e-value it draws.
int draw_anytime_panel(Svg &svg, int top, const Anytime &fit, const Anytime &order);
