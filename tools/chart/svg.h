// Draws a statistics report as a standalone SVG picture: the 36 outcomes as
// a 6 by 6 grid, first die down and second die across, each cell coloured by
// the share's deviation from the expected share, the marked outcomes framed
// and flagged "!!", a legend, and a caption with the run's numbers.
#pragma once

#include <string>
#include <string_view>

#include "report_parse.h"
#include "verdict.h"

// The whole document. The source names the report in the document's title;
// what the tests found goes into the caption.
std::string render_svg(const Report &report, std::string_view source, const Findings &findings);

// Text made safe for XML character data and attribute values: markup
// characters become entities, and control bytes and bytes that are not
// valid UTF-8 become U+FFFD.
std::string xml_escape(std::string_view text);
