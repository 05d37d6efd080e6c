// The analysis commands of frmZelvarin. Each runs the shared analysis code (the same entry
// points zelvarin-cli uses) inside the window's common frame: hourglass, gauge, status, the
// report preview, the preview button, the status timer, and the common error report.
#include "app/frm_zelvarin.h"

#include "core/vbstring.h"
#include "app/window_progress.h"
#include "analyses/analysis_registry.h"
#include "analyses/open_failure_text.h"
#include "report/sheet_metrics.h"
#include "report/preview/sheet_preview.h"
#include "report/sheet_print.h"
#include "workbook/cover_page.h"
#include "workbook/model_book_view.h"
#include "workbook/time_estimate.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace zel {
namespace {

constexpr const char* kAfterPreview = "印刷後、印刷ﾌﾟﾚﾋﾞｭｰを終了して下さい。";
constexpr int kStatusClearMs = 5000;
constexpr const char* kNotAvailable = "この機能はこのバージョンでは使用できません。";

// The hourglass for the length of a command, also when it ends by an error.
class BusyPointer {
 public:
  BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyPointer() {
    if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

std::vector<std::string> comboItems(const QComboBox* box) {
  std::vector<std::string> out;
  for (int i = 0; i < box->count(); ++i) out.push_back(box->itemText(i).toStdString());
  return out;
}

}  // namespace

void frmZelvarin::finishWithPreview(const std::string& report, const std::string& dbPath) {
  // A run without a report (変数情報取得) keeps its "終了しました": there is no preview to close.
  if (!report.empty()) {
    showReportNamed(report, dbPath);
    progress_->setStatus(kAfterPreview);
  }
  Timer1->start(kStatusClearMs);
}

void frmZelvarin::runAnalysisCommand(const char* analysisName, std::initializer_list<QPushButton*> previewButtons) {
  const analyses::AnalysisEntry* entry = analyses::findAnalysis(analysisName);
  std::string place = entry ? std::string(entry->place) : "場所:" + std::string(analysisName);
  if (!entry || !entry->run) {
    message(kNotAvailable);
    return;
  }
  Timer1->stop();
  try {
    reopenIfLost();
    if (!resultDb_.isOpen()) resultDb_ = ResultDb(paths_.DbPath);
    HeaderTexts header = headerTexts();
    analyses::AnalysisContext ctx{resultDb_,
                             *progress_,
                             paths_,
                             options_,
                             flags_,
                             counts_,
                             header,
                             workbookPath_,
                             XlApp_ ? XlApp_->activeWorkbook() : nullptr,
                             comboItems(cboSheet),
                             linkSources_,
                             cboSheet2->currentText().toStdString(),
                             cboLinkMoto->currentIndex() >= 0 ? cboLinkMoto->currentText().toStdString() : std::string(),
                             cellSheetName_};

    analyses::AnalysisReport result;
    // A run that fails must not leave its preview showing partial rows as the result: the
    // buttons are off until the run ends.
    std::vector<bool> wasEnabled;
    for (QPushButton* b : previewButtons) {
      wasEnabled.push_back(b->isEnabled());
      b->setEnabled(false);
    }
    {
      BusyPointer busy;
      setEnabled(false);
      progress_->beginGauge();
      result = entry->run(ctx);
      setEnabled(true);
    }
    cellSheetName_ = ctx.cellSheetName;
    for (const auto& m : result.messages) message(m.text, MsgButtons::Ok, m.caption);
    if (!result.ran && result.report.empty()) {  // refused (no modules): nothing ran, nothing changes
      size_t i = 0;
      for (QPushButton* b : previewButtons) b->setEnabled(wasEnabled[i++]);
      progress_->resetGauge();  // no "0%" left from a run that did not start
      return;
    }
    // The run (or the tables it found already filled) can be previewed from now on.
    for (QPushButton* b : previewButtons) b->setEnabled(true);
    finishWithPreview(result.report, reportDbPath());
  } catch (const VbError& e) {
    reportCommandError(place, e.number(), analyses::windowErrorDescription(e));
  } catch (const std::exception& e) {
    reportCommandError(place, err::Automation, e.what());
  }
}

void frmZelvarin::cmdObject_Click() { runAnalysisCommand("object", {cmdOPre}); }
void frmZelvarin::cmdCell_Click() { runAnalysisCommand("cell", {cmdCPre}); }
void frmZelvarin::cmdKansu_Click() { runAnalysisCommand("procedures", {cmdPPre}); }
void frmZelvarin::cmdModule_Click() { runAnalysisCommand("module", {cmdMPre}); }
void frmZelvarin::cmdXlShape_Click() { runAnalysisCommand("shape", {cmdSPre}); }
void frmZelvarin::cmdHensu_Click() { runAnalysisCommand("variables", {cmdHensuU, cmdHensuT, cmdHensuH}); }
void frmZelvarin::cmdName_Click() { runAnalysisCommand("names", {cmdNPre}); }
void frmZelvarin::cmdFile_Click() { runAnalysisCommand("files", {cmdFPre}); }
void frmZelvarin::cmdComment_Click() { runAnalysisCommand("comments", {cmdCOPre}); }
void frmZelvarin::cmdModStep_Click() { runAnalysisCommand("steps", {cmdMSPre}); }
void frmZelvarin::cmdAddin_Click() { runAnalysisCommand("addins", {cmdADPre}); }
void frmZelvarin::cmdInyoSaki_Click() { runAnalysisCommand("crossref", {cmdISPre}); }
void frmZelvarin::cmdLinkMoto_Click() { runAnalysisCommand("linksearch", {}); }

void frmZelvarin::cmdSheet_Click() {
  try {
    reopenIfLost();
    if (!XlApp_ || !XlApp_->activeWorkbook()) throw VbError(91, "no workbook is open");
    report::QtSheetMetrics metrics;
    report::SheetPages pages;
    {
      BusyPointer busy;
      pages = report::prepareSheetPrint(*XlApp_, cboSheet->currentText().toStdString(),
                                        txtZoom->text().toStdString(), metrics, std::time(nullptr));
    }
    // The print changed the open workbook (sheet shown, page setup): later analyses reopen it.
    XlLost_ = true;
    report::showSheetPreview(this, std::move(pages));
  } catch (const VbError& e) {
    reportCommandError(report::kSheetPrintPlace, e.number(), analyses::windowErrorDescription(e));
  } catch (const std::exception& e) {
    reportCommandError(report::kSheetPrintPlace, err::Automation, e.what());
  }
}

void frmZelvarin::reopenIfLost() {
  if (!XlLost_ || !XlApp_) return;
  const std::string path = workbookPath_;
  auto fresh = std::make_unique<xls::Application>();
  fresh->displayAlerts = false;
  fresh->openWorkbook(path);
  XlApp_ = std::move(fresh);
  XlLost_ = false;
}

void frmZelvarin::cmdHyousi_Click(int index) {
  const std::string report = workbook::coverReportFor(index);
  try {
    if (!resultDb_.isOpen()) resultDb_ = ResultDb(paths_.DbPath);
    HeaderTexts header = headerTexts();
    {
      BusyPointer busy;
      setEnabled(false);
      workbook::writeCoverPage(resultDb_, *progress_, header);
      setEnabled(true);
    }
    // The cover is written to Analyze.mdb just now, so it is shown from there even while a
    // result file is the source of the other previews.
    finishWithPreview(report, paths_.DbPath);
  } catch (const VbError& e) {
    reportCommandError("場所:表紙", e.number(), e.description());
  } catch (const std::exception& e) {
    reportCommandError("場所:表紙", err::DatabaseError, e.what());
  }
}

void frmZelvarin::cmdTimeCheck_Click() {
  try {
    reopenIfLost();
    if (!XlApp_ || !XlApp_->activeWorkbook()) throw VbError(91, "no workbook is open");
    workbook::AnalysisOutcome outcome;
    {
      BusyPointer busy;
      workbook::ModelBookView view(*XlApp_->activeWorkbook());
      outcome = workbook::runTimeCheck(view);
    }
    for (const auto& m : outcome.messages) message(m.text, MsgButtons::Ok, m.caption);
  } catch (const VbError& e) {
    reportCommandError("場所:処理時間確認", e.number(), analyses::windowErrorDescription(e));
  } catch (const std::exception& e) {
    reportCommandError("場所:処理時間確認", err::Automation, e.what());
  }
}

}  // namespace zel
