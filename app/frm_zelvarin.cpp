// frmZelvarin start-up (Form_Load), the exit sequence (Form_Unload, m1z_Click) and the
// small commands of the window itself (cmdSave_Click, Timer1_Timer, m3_Click).
#include "app/frm_zelvarin.h"

#include "core/profile_file.h"
#include "core/result_store.h"
#include "core/vbstring.h"
#include "app/gauge_line.h"
#include "app/twips.h"
#include "app/window_progress.h"
#include "dialogs/about_dialog.h"
#include "dialogs/setup_dialog.h"
#include "xls/vba/vba_project.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <cstring>
#include <filesystem>

namespace zel {
namespace {

constexpr const char* kPlaceStartup = "場所:起動時";
constexpr const char* kExitText = "終了します。";
constexpr const char* kSecondInstance = "既にZelvarinは、既に起動しています。";
constexpr const char* kSavedDefaults = "基本情報登録　終了しました。";

}  // namespace

frmZelvarin::frmZelvarin(ProgramPaths paths, std::string commandLine, WindowServices services, QWidget* parent)
    : QMainWindow(parent), paths_(std::move(paths)), commandLine_(std::move(commandLine)),
      services_(std::move(services)) {
  setObjectName("frmZelvarin");
  setWindowTitle(QString::fromUtf8(kCaption));
  buildMenus();
  buildFrames();
  connectHandlers();
  installKeyAndHintFilters();
  // The original form has a fixed border: the window keeps the size its frames need, and
  // offers no maximise button.
  setFixedSize(sizeHint());
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setAcceptDrops(true);
}

frmZelvarin::~frmZelvarin() = default;

Progress& frmZelvarin::progress() { return *progress_; }

void frmZelvarin::ShowGauge(long percent) { progress_->showGauge(percent); }

std::string frmZelvarin::reportDbPath() const { return acMode_ == 2 ? resultFilePath_ : paths_.DbPath; }

bool frmZelvarin::Form_Load() {
  // 1. One program per program folder. The folder itself may be new; nothing else is touched
  //    before the lock is ours.
  std::error_code ec;
  std::filesystem::create_directories(paths_.AppPath, ec);
  if (!instanceLock_.tryLock(instanceLockPath(paths_.AppPath))) {
    // A folder where the lock file cannot be made (read-only, not ours) is not a second start.
    if (int e = instanceLock_.openError())
      message(commonErrorMessage(kPlaceStartup, err::PermissionDenied,
                                 "プログラムフォルダに書き込めません: " + paths_.AppPath + " (" + std::strerror(e) + ")"));
    else
      message(kSecondInstance);
    return false;
  }
  try {
    // 2. The program folder with its default files, and the result database.
    std::string folderError;
    if (!prepareProgramFolder(paths_, &folderError)) {
      message(commonErrorMessage(kPlaceStartup, err::PathNotFound, folderError));
      return false;
    }
    try {
      resultDb_ = openAnalyzeDb(paths_);
    } catch (const std::exception& e) {
      // The window still starts: previews of a result file do not need Analyze.mdb.
      if (reportCommandError(kPlaceStartup, err::DatabaseError, e.what())) return false;
    }
    // 3-5. Window position, recent files, current folder.
    placement_ = readWindowPlacement(paths_.IniPath);
    if (!placement_.DefFolder.empty() && placement_.DefFolder.front() != '0') lastFolder_ = placement_.DefFolder;
    placeWindow(placement_);
    // A settings file that cannot be read is left as it is at exit; the user is told once.
    if (profileFileUnreadable(paths_.IniPath))
      message("Zelvarin.ini を読み込めません。設定は保存されません。\r" + paths_.IniPath);
    GetRecentFiles();
    QDir::setCurrent(QString::fromStdString(paths_.AppPath));
    // 7. Report-header defaults.
    readDatAtStartup();
    if (exiting_) return false;
    // 8-11. No-workbook state.
    disableCommands();
    selectDefaultOptions();
    txtMesege->clear();
    progress_->resetGauge();
    xlOwned_ = 0;
    acMode_ = 0;
    // 12. A result file named on the command line.
    openResultFileArgument();
  } catch (const VbError& e) {
    if (reportCommandError(kPlaceStartup, e.number(), e.description())) return false;
  } catch (const std::exception& e) {
    if (reportCommandError(kPlaceStartup, err::Automation, e.what())) return false;
  }
  return !exiting_;
}

void frmZelvarin::placeWindow(const WindowPlacement& p) {
  QPoint pos(twipsToPixels(p.LeftTwips, this), twipsToPixels(p.TopTwips, this));
  // A position saved on a screen that is no longer there would leave the window out of reach.
  if (const QScreen* s = screen(); s && !s->availableVirtualGeometry().intersects(QRect(pos, size())))
    pos = QPoint(0, 0);
  move(pos);
}

void frmZelvarin::readDatAtStartup() {
  if (ReadDatFile(paths_.datPath(), dat_)) return;
  // A missing Zelvarin.dat is reported once; the installed default is put back and read, and
  // the start-up goes on, so the window never stays with its commands enabled.
  if (reportCommandError(kPlaceStartup, err::FileNotFound, "ファイルが見つかりません。 (Zelvarin.dat)")) return;
  if (seedDefaultFile(paths_, "Zelvarin.dat")) ReadDatFile(paths_.datPath(), dat_);
}

void frmZelvarin::disableCommands() {
  for (QPushButton* b : {cmdObject, cmdCell, cmdKansu, cmdModule, cmdName, cmdXlShape, cmdSheet, cmdFile, cmdTimeCheck,
                         cmdSave, cmdComment, cmdModStep, cmdAddin, cmdHensu, cmdHensuU, cmdHensuT, cmdHensuH,
                         cmdInyoSaki, cmdLinkMoto, cmdHyousi[0], cmdHyousi[1], cmdHyousi[2], cmdOPre, cmdCPre,
                         cmdPPre, cmdFPre, cmdMPre, cmdNPre, cmdSPre, cmdCOPre, cmdMSPre, cmdADPre, cmdISPre})
    b->setEnabled(false);
}

void frmZelvarin::selectDefaultOptions() {
  selectOption(OptCell, 2);
  selectOption(OptModule, 0);
  selectOption(OptObject, 1);
  selectOption(OptProc, 1);
  selectOption(OptShape, 0);
  selectOption(OptMPrint, 1);
  selectOption(OptFile, 0);
  selectOption(OptSSelect, 0);
  options_.CellOption = 3;
  options_.ModuleKind = 1;
  options_.ObjectLevel = 2;
  options_.ProcLevel = 2;
  options_.ShapeOption = 1;
  options_.ColumnOption = 2;
  options_.FileOption = 1;
  options_.SheetScope = 1;
  cboSheet2->setEnabled(false);
}

void frmZelvarin::openResultFileArgument() {
  std::string arg = vb::trim(commandLine_);
  if (arg.empty()) return;
  // One pair of quotes around the path is removed; an unquoted path is taken as it stands.
  loadResultFile(unquoteArgument(arg), kPlaceStartup);
}

void frmZelvarin::GetRecentFiles() {
  recentList_ = readRecentFiles(paths_.IniPath);
  for (int i = 0; i < 4; ++i) {
    bool empty = isEmptyRecentSlot(recentList_[i]);
    RecentFile[i]->setVisible(!empty);
    // The full path; a "&" in it is shown as itself, not taken as an access key.
    RecentFile[i]->setText(empty ? QString() : QString::fromStdString(recentList_[i]).replace(QLatin1Char('&'), QLatin1String("&&")));
  }
}

void frmZelvarin::MenuLock() {
  m1b->setEnabled(false);
  m1c->setEnabled(false);
  m6->setEnabled(false);
}

void frmZelvarin::closeEvent(QCloseEvent* event) {
  if (!cleanedUp_) Form_Unload();
  event->accept();
  QCoreApplication::quit();
}

void frmZelvarin::Form_Unload() {
  message(kExitText);
  exitCleanup();
}

void frmZelvarin::m1z_Click() {
  if (message(kExitText, MsgButtons::OkCancel) != MsgAnswer::Ok) return;
  exitCleanup();
  close();
}

void frmZelvarin::exitCleanup() {
  if (cleanedUp_) return;
  cleanedUp_ = true;
  exiting_ = true;
  // Every step runs even when an earlier one failed.
  auto step = [](auto&& fn) {
    try {
      fn();
    } catch (...) {
    }
  };
  step([&] { xls::vba::emptyFolderFiles(paths_.TempPath); });
  step([&] {
    if (xlOwned_ == 1) XlApp_.reset();
  });
  step([&] { screenSaver_.release(); });
  const std::string openBook = workbookPath_;
  // The open workbook's folder, else the last folder a file was chosen in, so the next run's
  // dialogs start there even when no workbook was opened.
  const std::string folder = openBook.empty() ? lastFolder_ : FolderOf(openBook);
  step([&] { writeWindowPlacement(paths_.IniPath, pixelsToTwips(y(), this), pixelsToTwips(x(), this), folder); });
  step([&] { writeRecentFiles(paths_.IniPath, recentList_, openBook); });
  step([&] { instanceLock_.release(); });
}

void frmZelvarin::cmdSave_Click() {
  DatValues values;
  values.DatTitle = vb::trim(txtTitle->text().toStdString());
  values.DatKisya = vb::trim(txtCompany->text().toStdString());
  values.DatBumon = vb::trim(txtBumon->text().toStdString());
  values.DatZoom = vb::trim(txtZoom->text().toStdString());
  std::string error;
  // Written to a temporary file and renamed: a failed write leaves the old file whole.
  if (!WriteDatFile(paths_.datPath(), values, &error)) {
    message("基本情報を登録できませんでした。\r" + error);
    return;
  }
  dat_ = values;
  progress_->setStatus(kSavedDefaults);
}

void frmZelvarin::Timer1_Timer() {
  txtMesege->clear();
  progress_->resetGauge();
  Timer1->stop();
}

void frmZelvarin::m2_Click() {
  // The desktops keep their screen-saver settings in different tools: start the first one that is
  // installed, directly (no shell), and say so when there is none.
  struct Tool {
    const char* program;
    QStringList args;
  };
  const Tool tools[] = {
      {"xfce4-screensaver-preferences", {}},
      {"mate-screensaver-preferences", {}},
      {"cinnamon-settings", {QStringLiteral("screensaver")}},
      {"gnome-control-center", {QStringLiteral("privacy")}},
      {"kcmshell5", {QStringLiteral("kcm_screenlocker")}},
      {"xscreensaver-settings", {}},
      {"xscreensaver-demo", {}},
  };
  for (const Tool& t : tools) {
    const QString path = QStandardPaths::findExecutable(QString::fromLatin1(t.program));
    if (!path.isEmpty() && QProcess::startDetached(path, t.args)) return;
  }
  message("スクリーンセーバーの設定は、デスクトップの設定画面で行って下さい。");
}

void frmZelvarin::m4_Click() {
  frmAbout_ = std::make_unique<AboutDialog>(this, workbookPath_);
  frmAbout_->show();
}

void frmZelvarin::m6_Click() {
  if (workbookPath_.empty()) {
    message("解析するファイルを選択して下さい。");
    return;
  }
  if (!frmSetUp_ && services_.sink)
    frmSetUp_ = std::make_unique<SetupDialog>(
        this, *services_.sink, [this] { return reportDbPath(); }, [this] { return workbookPath_; });
  if (frmSetUp_) frmSetUp_->showDialog();
}

void frmZelvarin::m3_Click() {
  const std::string page = paths_.helpPath();
  const bool opened = services_.openHelp
                          ? services_.openHelp(page)
                          : QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page)));
  // Without a program to show web pages nothing would appear: say where the page is.
  if (!opened) message("ヘルプを表示できませんでした。\rヘルプは次のファイルをブラウザで開いて下さい。\r" + page);
}

}  // namespace zel
