// The sheet print's pages in the report preview window.
#pragma once
#include "report/sheet_layout.h"

class QWidget;

namespace zel::report {

class PreviewWindow;

// Shows prepared pages in the report preview window (print and PDF included); a second call
// replaces the window of the first. showWindow false builds it without showing (tests).
PreviewWindow* showSheetPreview(QWidget* parent, SheetPages pages, bool showWindow = true);

}  // namespace zel::report
