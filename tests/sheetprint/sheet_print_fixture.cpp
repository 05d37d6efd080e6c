#include "sheet_print_fixture.h"

#include "report/text_measure.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <memory>

namespace zel::test {

double FixedSheetMetrics::widthMm(const report::SheetFont& font, std::string_view utf8) {
  return static_cast<double>(report::toU32(utf8).size()) * font.points * 0.1;
}

std::vector<const report::PageText*> textsNamed(const report::Page& page, const std::string& text) {
  std::vector<const report::PageText*> out;
  for (const auto& t : page.texts)
    if (t.text == text) out.push_back(&t);
  return out;
}

const report::PageText& onlyText(const report::Page& page, const std::string& text) {
  auto found = textsNamed(page, text);
  if (found.size() != 1) {
    ADD_FAILURE() << "expected one text \"" << text << "\", found " << found.size();
    static const report::PageText kNone;
    return kNone;
  }
  return *found.front();
}

void ensureWidgetApplication() {
  if (QCoreApplication::instance()) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "test_sheetprint";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QApplication> app = std::make_unique<QApplication>(argc, argv);
}

bool hasText(const report::Page& page, const std::string& text) { return !textsNamed(page, text).empty(); }

}  // namespace zel::test
