// Draws a statistics report as a standalone SVG picture: the verdicts as a
// headline; the 36 outcomes as a 6 by 6 grid, first die down and second die
// across, each cell coloured by how far its count lies from fair dice's,
// the marked outcomes framed and flagged "!!"; a key, and a caption with
// the run's numbers; and where the rolls were tested for independence, a
// bar for each lag and the pairs of the strongest lag as a map.
#pragma once

#include <string>
#include <string_view>

#include "chart/picture/svg_canvas.h"
#include "chart/read/report_parse.h"
#include "chart/words/verdict.h"

// The whole document. The source names the report in the document's title;
// what the tests found is drawn and said, and nothing is tested here.
std::string render_svg(const Report &report, std::string_view source, const Findings &findings);
