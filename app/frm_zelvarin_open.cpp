// Choosing and opening a workbook: m1a_Click, RecentFile_Click, ShowOpenDialog, the dialogs'
// start folder, and workbooks or result files dropped on the window.
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
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QUrl>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

namespace zel {
namespace {

constexpr const char* kPlaceOpen = "場所:ファイル選択";
constexpr const char* kFilter = "Excel(*.xls *.xla *.xlsm *.xlsx *.xlam *.xltm *.xltx)";
constexpr const char* kDialogTitle = "Excel ファイルの選択";

bool hasXdbExtension(const std::string& path) {
  return QString::fromStdString(path).endsWith(QLatin1String(".xdb"), Qt::CaseInsensitive);
}

}  // namespace

std::string frmZelvarin::ShowOpenDialog(const std::string& filter, const std::string& folder, const std::string& title) {
  if (services_.openDialog) return services_.openDialog(this, filter, folder, title);
  QString chosen = QFileDialog::getOpenFileName(this, QString::fromStdString(title), QString::fromStdString(folder),
                                                QString::fromStdString(filter));
  return chosen.toStdString();
}

std::string frmZelvarin::dialogFolder() const {
  if (!workbookPath_.empty()) return FolderOf(workbookPath_);
  if (!lastFolder_.empty()) return lastFolder_;
  // Nothing remembered: the user's home folder, never the program's own (hidden) folder.
  return QDir::homePath().toStdString();
}

void frmZelvarin::rememberFolderOf(const std::string& path) {
  if (const std::string folder = FolderOf(path); !folder.empty()) lastFolder_ = folder;
}

void frmZelvarin::m1a_Click() {
  std::string path = ShowOpenDialog(kFilter, dialogFolder(), kDialogTitle);
  // A cancelled dialog or another kind of file changes nothing: the open workbook stays.
  if (!isWorkbookCandidate(path)) return;
  rememberFolderOf(path);
  openWorkbook(path);
}

void frmZelvarin::RecentFile_Click(int index) {
  if (index < 0 || index >= static_cast<int>(RecentFile.size()) || !RecentFile[index]->isVisible()) return;
  const std::string path = recentList_[index];
  if (!isWorkbookCandidate(path)) return;
  openWorkbook(path);
}

std::string frmZelvarin::droppableFile(const QMimeData* data) const {
  if (!data || !data->hasUrls() || data->urls().size() != 1 || !isEnabled()) return {};
  const QUrl url = data->urls().front();
  if (!url.isLocalFile()) return {};
  const std::string path = url.toLocalFile().toStdString();
  // The same menu entries decide: after a save or a load they are off, and so is the drop.
  if (isWorkbookCandidate(path)) return m1a->isEnabled() ? path : std::string();
  if (hasXdbExtension(path)) return m1c->isEnabled() ? path : std::string();
  return {};
}

void frmZelvarin::dragEnterEvent(QDragEnterEvent* event) {
  if (!droppableFile(event->mimeData()).empty()) event->acceptProposedAction();
}

void frmZelvarin::dropEvent(QDropEvent* event) {
  const std::string path = droppableFile(event->mimeData());
  if (path.empty()) return;
  event->acceptProposedAction();
  rememberFolderOf(path);
  if (isWorkbookCandidate(path)) openWorkbook(path);
  else loadResultFile(path);
}

void frmZelvarin::openWorkbook(const std::string& path) {
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
    enableForWorkbook();
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
  showTextStarts();
}

void frmZelvarin::enableForWorkbook() {
  for (QPushButton* b : {cmdObject, cmdCell, cmdKansu, cmdXlShape, cmdSheet, cmdTimeCheck, cmdSave, cmdHyousi[0],
                         cmdHyousi[1], cmdHyousi[2]})
    b->setEnabled(true);
  // Sheet modules and the workbook's own module do not count here.
  bool hasModules = counts_.StdCount != 0 || counts_.ClassCount != 0 || counts_.FormCount != 0;
  for (QPushButton* b : {cmdModStep, cmdKansu, cmdModule, cmdHensu}) b->setEnabled(hasModules);
  // No table holds this workbook's results yet, whichever way it was opened: every preview
  // would show the rows of an earlier workbook.
  for (QPushButton* b : {cmdHensuU, cmdHensuT, cmdHensuH, cmdOPre, cmdCPre, cmdPPre, cmdFPre, cmdMPre, cmdNPre, cmdSPre,
                         cmdCOPre, cmdMSPre, cmdADPre, cmdISPre})
    b->setEnabled(false);
  flags_.clearForNewWorkbook();
  txtMesege->clear();
  progress_->resetGauge();
  for (QPushButton* b : {cmdName, cmdFile, cmdComment, cmdInyoSaki, cmdLinkMoto, cmdAddin}) b->setEnabled(true);
}

}  // namespace zel
