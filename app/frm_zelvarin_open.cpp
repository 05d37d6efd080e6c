// Choosing and opening a workbook: m1a_Click, RecentFile_Click and ShowOpenDialog.
#include "app/frm_zelvarin.h"

#include "analyses/header_defaults.h"
#include "analyses/open_failure_text.h"
#include "core/date_text.h"
#include "core/vbstring.h"
#include "app/window_progress.h"
#include "xls/vba/vba_project.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

namespace zel {
namespace {

constexpr const char* kPlaceOpen = "場所:ファイル選択";
constexpr const char* kFilter = "Excel(*.xls *.xla *.xlsm *.xlsx *.xlam *.xltm *.xltx)";
constexpr const char* kDialogTitle = "Excel ファイルの選択";

}  // namespace

std::string frmZelvarin::ShowOpenDialog(const std::string& filter, const std::string& folder, const std::string& title) {
  if (services_.openDialog) return services_.openDialog(this, filter, folder, title);
  QString chosen = QFileDialog::getOpenFileName(this, QString::fromStdString(title), QString::fromStdString(folder),
                                                QString::fromStdString(filter));
  return chosen.toStdString();
}

void frmZelvarin::m1a_Click() {
  // The initial folder: the last workbook's, or the current folder when none is remembered.
  std::string folder = placement_.DefFolder;
  if (folder.empty() || folder.front() == '0') folder = QDir::currentPath().toStdString();
  std::string path = ShowOpenDialog(kFilter, folder, kDialogTitle);
  // A cancelled dialog or another kind of file changes nothing: the open workbook stays.
  if (!isWorkbookCandidate(path)) return;
  openWorkbook(path, false);
}

void frmZelvarin::RecentFile_Click(int index) {
  if (index < 0 || index >= static_cast<int>(RecentFile.size())) return;
  std::string path = RecentFile[index]->text().toStdString();
  if (!isWorkbookCandidate(path)) return;
  openWorkbook(path, true);
}

void frmZelvarin::openWorkbook(const std::string& path, bool fromRecentList) {
  // The previous workbook is given up first, without saving.
  XlApp_.reset();
  xlOwned_ = 0;
  acMode_ = 1;
  resultFilePath_.clear();
  workbookPath_ = path;
  lblDBName->setText(QString::fromStdString(path));
  setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    std::error_code ec;
    std::filesystem::create_directories(paths_.TempPath, ec);  // an existing folder is fine
    progress_->resetGauge();
    OpenedWorkbook opened = openWorkbookForAnalysis(path, paths_.TempPath);
    XlApp_ = std::move(opened.XlApp);
    XlLost_ = false;
    xlOwned_ = 1;
    counts_ = opened.counts;
    progress_->setStatus("シート名　取得中");
    fillWorkbookLists(opened);

    if (!resultDb_.isOpen()) resultDb_ = ResultDb(paths_.DbPath);
    resultDb_.clearTable("T_XlTitle");
    resultDb_.clearTable("T_XlHyousi");  // a cover of an earlier workbook is never printed

    if (!ReadDatFile(paths_.datPath(), dat_)) {
      // Reported once; the opening goes on with the defaults of the header boxes.
      message(commonErrorMessage(kPlaceOpen, err::FileNotFound, "ファイルが見つかりません。 (Zelvarin.dat)"));
      seedDefaultFile(paths_, "Zelvarin.dat");
    }
    fillHeaderBoxes(opened);
    enableForWorkbook(fromRecentList);
    screenSaver_.inhibit();
    if (!opened.exportFailures.empty()) {
      std::string text = "次のモジュールは書き出せませんでした。";
      for (const std::string& f : opened.exportFailures) text += "\r" + f;
      message(text);
    }
    restoreAfterCommand();
  } catch (const VbError& e) {
    abandonWorkbook();
    if (e.number() == err::ProjectLocked) {
      message(xls::vba::kProjectLockedMessage);
      restoreAfterCommand();
      m1z_Click();
      return;
    }
    reportCommandError(kPlaceOpen, e.number(), analyses::windowErrorDescription(e), MailLine::Standard, false);
  } catch (const std::exception& e) {
    abandonWorkbook();
    reportCommandError(kPlaceOpen, err::Automation, e.what(), MailLine::Standard, false);
  }
}

// Nothing half-opened stays: the window returns to the no-workbook commands.
void frmZelvarin::abandonWorkbook() {
  XlApp_.reset();
  xlOwned_ = 0;
  workbookPath_.clear();
  lblDBName->clear();
  disableCommands();
  progress_->setStatus("");
}

void frmZelvarin::fillWorkbookLists(const OpenedWorkbook& opened) {
  cboSheet2->setEnabled(true);
  cboSheet->clear();
  cboSheet2->clear();
  cboLinkMoto->clear();
  for (const std::string& name : opened.sheetNames) {
    cboSheet->addItem(QString::fromStdString(name));
    cboSheet2->addItem(QString::fromStdString(name));
  }
  linkSources_ = opened.linkSources;
  for (const std::string& link : linkSources_) cboLinkMoto->addItem(QString::fromStdString(link));
  cboSheet->setCurrentIndex(cboSheet->count() > 0 ? 0 : -1);
  cboSheet2->setCurrentIndex(cboSheet2->count() > 0 ? 0 : -1);
  cboLinkMoto->setCurrentIndex(-1);
  cboSheet2->setEnabled(options_.SheetScope == 2);
}

void frmZelvarin::fillHeaderBoxes(const OpenedWorkbook& opened) {
  const HeaderTexts h = analyses::headerDefaults(dat_, opened, todayText());
  txtTitle->setText(QString::fromStdString(h.Title));
  txtCompany->setText(QString::fromStdString(h.Company));
  txtBumon->setText(QString::fromStdString(h.Bumon));
  txtZoom->setText(QString::fromStdString(analyses::zoomDefault(dat_)));
  txtDate->setText(QString::fromStdString(h.CreateDate));
  txtSystem->setText(QString::fromStdString(h.System));
  txtAuther->setText(QString::fromStdString(h.Auther));
}

void frmZelvarin::enableForWorkbook(bool fromRecentList) {
  for (QPushButton* b : {cmdObject, cmdCell, cmdKansu, cmdXlShape, cmdSheet, cmdTimeCheck, cmdSave, cmdHyousi[0],
                         cmdHyousi[1], cmdHyousi[2]})
    b->setEnabled(true);
  // Sheet modules and the workbook's own module do not count here.
  bool hasModules = counts_.StdCount != 0 || counts_.ClassCount != 0 || counts_.FormCount != 0;
  for (QPushButton* b : {cmdModStep, cmdKansu, cmdModule, cmdHensu}) b->setEnabled(hasModules);
  for (QPushButton* b : {cmdHensuU, cmdHensuT, cmdHensuH}) b->setEnabled(false);
  if (!fromRecentList)
    for (QPushButton* b : {cmdOPre, cmdCPre, cmdPPre, cmdFPre, cmdMPre, cmdNPre, cmdSPre, cmdCOPre, cmdMSPre, cmdADPre})
      b->setEnabled(false);
  flags_.clearForNewWorkbook();
  txtMesege->clear();
  progress_->resetGauge();
  for (QPushButton* b : {cmdName, cmdFile, cmdComment, cmdInyoSaki, cmdLinkMoto, cmdAddin}) b->setEnabled(true);
}

}  // namespace zel
