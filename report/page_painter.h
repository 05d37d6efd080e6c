// Draws a laid-out page with QPainter on any paint device (PDF writer, printer, preview image).
#pragma once
#include "report/page_model.h"

class QPainter;

namespace zel::report {

// dotsPerMm: device pixels per millimetre; the page's top-left corner is drawn at the origin.
void paintPage(QPainter& painter, const Page& page, double dotsPerMm);

}  // namespace zel::report
