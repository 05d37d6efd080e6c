// Draws a laid-out page onto a page of a PDF file. The file's fonts map every glyph back to
// the exact text drawn, so the text of a report can be searched and copied as printed.
#pragma once
#include "report/page_model.h"
#include "report/pdf_canvas.h"

namespace zel::report {

// The canvas's user space is millimetres with the page's top-left corner at the origin.
void paintPagePdf(pdf::PdfCanvas& pc, pdf::PdfResources& res, const Page& page);

}  // namespace zel::report
