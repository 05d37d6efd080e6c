// Opening a workbook for analysis: reader, macro export, sheet and link lists.
#include "analyses/workbook_opening.h"

#include "core/vb_error.h"
#include "core/vbstring.h"
#include "workbook/sheet_walk.h"
#include "xls/vba/vba_format_error.h"
#include "xls/vba/vba_project.h"

#include <filesystem>
#include <string_view>

namespace zel {
namespace {

constexpr long kLinkTextLength = 255;
constexpr int kExcelLinks = 1;
constexpr int kPropTitle = 1, kPropAuthor = 3, kPropCompany = 21;

std::string propertyText(const xls::DocumentProperties& props, int index) {
  try {
    return props.value(index).toText();
  } catch (const VbError&) {
    return {};
  }
}

}  // namespace

bool isWorkbookCandidate(const std::string& path) {
  if (path.empty()) return false;
  std::string upper = vb::ucase(path);
  for (std::string_view ext : {".XLS", ".XLA", ".XLSM", ".XLSX", ".XLAM", ".XLTM", ".XLTX"})
    if (upper.size() >= ext.size() && upper.compare(upper.size() - ext.size(), ext.size(), ext) == 0) return true;
  return false;
}

OpenedWorkbook openWorkbookForAnalysis(const std::string& path, const std::string& tempPath, UnreadableCode unreadable) {
  OpenedWorkbook out;
  out.XlApp = std::make_unique<xls::Application>();
  out.XlApp->displayAlerts = false;
  xls::Workbook& book = out.XlApp->openWorkbook(path);

  // The export folder is emptied first, so the source analyses never read the modules of a
  // workbook opened earlier; then every component goes there. A locked project raises 50289
  // before anything is written.
  xls::vba::ExportSummary summary;
  try {
    summary = xls::vba::replaceExportedModules(book.compoundFile(), tempPath);
  } catch (const xls::vba::VbaFormatError& e) {
    if (unreadable == UnreadableCode::Stop) throw;
    out.codeUnavailable = std::string("the macro project is damaged (") + e.what() + ")";
    xls::vba::emptyFolderFiles(tempPath);
  } catch (const VbError& e) {
    if (unreadable == UnreadableCode::Stop || e.number() != err::ProjectLocked) throw;
    out.codeUnavailable = "the macro project is locked for viewing";
  }
  out.counts.StdCount = summary.counts.StdCount;
  out.counts.ClassCount = summary.counts.ClassCount;
  out.counts.FormCount = summary.counts.FormCount;
  out.exportFailures = std::move(summary.failures);

  std::vector<std::string> collection;
  for (int i = 1; i <= book.sheetCount(); ++i) collection.push_back(book.sheet(i).name());
  out.counts.ModuleSheetCount = workbook::moduleSheetCount(collection);
  out.sheetNames = workbook::walkedSheetNames(collection);
  for (const std::string& link : book.linkSources(kExcelLinks))
    out.linkSources.push_back(vb::trim(cutText(link, kLinkTextLength, false)));

  const xls::DocumentProperties& props = book.builtinDocumentProperties();
  out.title = propertyText(props, kPropTitle);
  out.author = propertyText(props, kPropAuthor);
  out.company = propertyText(props, kPropCompany);
  return out;
}

}  // namespace zel
