// A text set into a box of a few lines: wrapped in its style, else in the small style, and
// only then cut with an ellipsis, so long header texts are never cut silently.
#pragma once
#include "report/page_model.h"
#include "report/text_measure.h"

#include <string>

namespace zel::report {

// Adds the lines of text to the page, from the top of box; nothing for an empty text.
void fittedText(Page& out, TextMeasurer& m, FontRole role, const BoxMm& box, const std::string& text, Align align);

}  // namespace zel::report
