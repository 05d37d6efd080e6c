// Helpers of the sheet-print tests: fixed text widths and lookups in laid-out pages.
#pragma once
#include "report/sheet_layout.h"
#include "support/temp_dir.h"

#include <string>
#include <vector>

namespace zel::test {

// Every character is 0.1 mm per point wide: layout results do not depend on installed fonts.
class FixedSheetMetrics final : public report::SheetTextMetrics {
 public:
  double widthMm(const report::SheetFont& font, std::string_view utf8) override;
};

// The texts of a page with a given text, in page order.
std::vector<const report::PageText*> textsNamed(const report::Page& page, const std::string& text);
// The one text; fails the test when there is none or more than one.
const report::PageText& onlyText(const report::Page& page, const std::string& text);
bool hasText(const report::Page& page, const std::string& text);

// A QApplication (offscreen) for tests that paint or build the preview window.
void ensureWidgetApplication();

}  // namespace zel::test
