// Draws a laid-out page on a cairo context (the PDF files). Cairo's PDF surface writes each
// embedded font subset with a map from its glyphs back to the exact text drawn, so the text
// of a report can be searched and copied as printed.
#pragma once
#include "report/page_model.h"

#include <cairo.h>

namespace zel::report {

// The context's user space must be millimetres with the page's top-left corner at the origin.
void paintPageCairo(cairo_t* cr, const Page& page);

}  // namespace zel::report
