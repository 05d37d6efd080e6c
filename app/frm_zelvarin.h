// frmZelvarin: the main window. Slots carry the handler names of the original form
// (cmdKansu_Click, optCell_Click, Timer1_Timer, ...); the work itself lives in widget-free code.
#pragma once
#include "core/dat_file.h"
#include "core/message_box.h"
#include "core/program_folder.h"
#include "core/progress.h"
#include "core/result_db.h"
#include "core/session_state.h"
#include "core/vb_error.h"
#include "app/instance_lock.h"
#include "app/saved_result.h"
#include "app/screen_saver_inhibitor.h"
#include "app/window_settings.h"
#include "core/recent_files.h"
#include "analyses/workbook_opening.h"
#include "analyses/preview_variant.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QMimeData;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;

namespace zel {

class AboutDialog;
class GaugeLine;
class SetupDialog;
class WindowProgress;

// Shows, or prints (mode 1), a named report of a result database with the header texts in
// effect: report::ReportPreview in the program, a recorder in tests.
using ReportRunner = std::function<void(QWidget* parent, const std::string& dbPath, const std::string& name, int mode,
                                        const HeaderTexts& header)>;

// ShowOpenDialog: owner, filter, initial folder, title -> chosen path ("" when cancelled).
using OpenDialog = std::function<std::string(QWidget* owner, const std::string& filter, const std::string& folder,
                                             const std::string& title)>;

// Opens a local file in the desktop's viewer; false when nothing could open it.
using FileViewer = std::function<bool(const std::string& path)>;

struct WindowServices {
  MessageSink* sink = nullptr;
  ReportRunner reportPreview;
  OpenDialog openDialog;  // empty: QFileDialog
  OpenDialog saveDialog;  // ShowSaveDialog; empty: QFileDialog
  FileViewer openHelp;    // empty: the desktop's URL handler
};

class frmZelvarin : public QMainWindow {
  Q_OBJECT

 public:
  frmZelvarin(ProgramPaths paths, std::string commandLine, WindowServices services, QWidget* parent = nullptr);
  ~frmZelvarin() override;

  // Start-up. False when the program must end at once (another instance holds the folder,
  // the folder cannot be prepared, or the user confirmed the exit after a start-up error).
  bool Form_Load();

  // Restore the window from a saved result file (flags, header texts, previews).
  void PrintSet(const SavedResult& saved);
  void MenuLock();
  void GetRecentFiles();
  void ShowGauge(long percent);

  // State read by the analyses and the tests.
  const ProgramPaths& paths() const { return paths_; }
  const AnalysisOptions& options() const { return options_; }
  const DoneFlags& doneFlags() const { return flags_; }
  const DatValues& datValues() const { return dat_; }
  int AcMode() const { return acMode_; }
  int XlOwned() const { return xlOwned_; }
  bool exiting() const { return exiting_; }
  std::string reportDbPath() const;
  Progress& progress();
  // Where the file dialogs of this window and its previews start: beside the open workbook,
  // else in the folder last used, else in the home folder.
  Q_INVOKABLE QString documentFolder() const { return QString::fromStdString(dialogFolder()); }

  // The common error report of a command: the message box, normal pointer, window enabled;
  // for 2449..2999 (when the command has that variant) the exit confirmation of m1z follows.
  // True when the program is ending.
  bool reportCommandError(const std::string& place, long number, const std::string& description,
                          MailLine mail = MailLine::Standard, bool unstableVariant = true);

 public slots:
  void m1a_Click();
  void m1b_Click();
  void m1c_Click();
  void RecentFile_Click(int index);
  void m1z_Click();
  void m2_Click();
  void m3_Click();
  void m4_Click();
  void m6_Click();
  void mEntry_Click(int report);  // 0 起動経路一覧, 1 未使用プロシージャ一覧 (frm_zelvarin_entry_points.cpp)

  void cmdHyousi_Click(int index);
  void cmdObject_Click();
  void cmdCell_Click();
  void cmdKansu_Click();
  void cmdModule_Click();
  void cmdXlShape_Click();
  void cmdHensu_Click();
  void cmdName_Click();
  void cmdSheet_Click();
  void cmdFile_Click();
  void cmdComment_Click();
  void cmdModStep_Click();
  void cmdAddin_Click();
  void cmdInyoSaki_Click();
  void cmdLinkMoto_Click();
  void cmdTimeCheck_Click();
  void cmdSave_Click();
  void Timer1_Timer();

  void optObject_Click(int index);
  void optCell_Click(int index);
  void optSSelect_Click(int index);
  void optProc_Click(int index);
  void optModule_Click(int index);
  void optMPrint_Click(int index);
  void optShape_Click(int index);
  void optFile_Click(int index);
  void chkProc50_Click();
  void chkMod50_Click();

  void cmdOPre_Click();
  void cmdCPre_Click();
  void cmdPPre_Click();
  void cmdMPre_Click();
  void cmdNPre_Click();
  void cmdSPre_Click();
  void cmdFPre_Click();
  void cmdCOPre_Click();
  void cmdMSPre_Click();
  void cmdADPre_Click();
  void cmdISPre_Click();
  void cmdHensuU_Click();
  void cmdHensuT_Click();
  void cmdHensuH_Click();

 protected:
  void closeEvent(QCloseEvent* event) override;  // Form_Unload
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A dropped .xls opens as 解析ファイルの選択 does, a dropped .xdb loads as 保存ファイルの読込 does.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Layout (frm_zelvarin_layout.cpp).
  void buildMenus();
  void buildFrames();
  QGroupBox* buildCoverFrame();
  QGroupBox* buildObjectFrame();
  QGroupBox* buildCellFrame();
  QGroupBox* buildProcFrame();
  QGroupBox* buildModuleFrame();
  QGroupBox* buildShapeFrame();
  QGroupBox* buildHensuFrame();
  QGroupBox* buildOtherFrame();
  QWidget* buildStatusArea();
  void connectHandlers();
  void installKeyAndHintFilters();

  // Start-up and exit (frm_zelvarin.cpp).
  void Form_Unload();
  void exitCleanup();
  void placeWindow(const WindowPlacement& placement);
  void readDatAtStartup();
  void disableCommands();
  void selectDefaultOptions();
  void openResultFileArgument();

  // Workbook opening (frm_zelvarin_open.cpp).
  std::string ShowOpenDialog(const std::string& filter, const std::string& folder, const std::string& title);
  std::string ShowSaveDialog(const std::string& filter, const std::string& folder, const std::string& title);
  void openWorkbook(const std::string& path);
  void abandonWorkbook();
  void fillWorkbookLists(const OpenedWorkbook& opened);
  void fillHeaderBoxes(const OpenedWorkbook& opened);
  void enableForWorkbook();
  // The start folder of the file dialogs: the open workbook's, else the last one chosen.
  std::string dialogFolder() const;
  void rememberFolderOf(const std::string& path);
  // m1c_Click after its dialog, a dropped file and start-up's command-line file; a file that
  // cannot be read goes to the common error report with `place` ("場所:読込" when null).
  void loadResultFile(const std::string& path, const char* place = nullptr);
  // The file a drop would open or load ("" when the drop is not for this window now).
  std::string droppableFile(const QMimeData* data) const;

  // Analysis commands (frm_zelvarin_commands.cpp): the common frame around one analysis.
  void runAnalysisCommand(const char* analysisName, std::initializer_list<QPushButton*> previewButtons);
  void finishWithPreview(const std::string& report, const std::string& dbPath);

  // Options and previews (frm_zelvarin_options.cpp).
  enum OptionGroup { OptObject, OptCell, OptSSelect, OptProc, OptModule, OptMPrint, OptShape, OptFile };
  void selectOption(OptionGroup group, int index);
  void showReport(analyses::PreviewButton button);
  void showReportNamed(const std::string& name, const std::string& dbPath);

  // Feedback (frm_zelvarin_feedback.cpp).
  void showHint(QObject* control);
  void clearHint();
  void restoreAfterCommand();
  MsgAnswer message(const std::string& text, MsgButtons buttons = MsgButtons::Ok, const std::string& caption = {});
  HeaderTexts headerTexts() const;  // the header text boxes
  void showTextStarts();            // long header texts show their start, not their end

  ProgramPaths paths_;
  std::string commandLine_;
  WindowServices services_;

  InstanceLock instanceLock_;
  ScreenSaverInhibitor screenSaver_;
  ResultDb resultDb_;
  std::string resultFilePath_;  // the result file shown when AcMode = 2
  std::string workbookPath_;    // the open workbook's full path (lblDBName shows it)
  std::string lastFolder_;      // the folder of the last file chosen, kept in [DEF] Folder
  std::unique_ptr<xls::Application> XlApp_;  // the open workbook (XlOwned = 1)
  bool XlLost_ = false;  // the sheet print changed the open workbook: reopen it before the next analysis
  void reopenIfLost();
  std::vector<std::string> linkSources_;
  std::string cellSheetName_;  // the cell listing's record of the sheet it listed
  WindowPlacement placement_;
  RecentList recentList_{"0", "0", "0", "0"};
  DatValues dat_;
  AnalysisOptions options_;
  DoneFlags flags_;
  ModuleCounts counts_;
  int xlOwned_ = 0;
  int acMode_ = 0;
  bool exiting_ = false;
  bool cleanedUp_ = false;

  // Menus.
  QAction* m1a = nullptr;
  QAction* m1b = nullptr;
  QAction* m1c = nullptr;
  std::array<QAction*, 4> RecentFile{};
  QAction* m1z = nullptr;
  QAction* m6 = nullptr;
  QAction* m2 = nullptr;
  QAction* m3 = nullptr;
  QAction* m4 = nullptr;
  QMenu* mEntry = nullptr;  // 起動経路: after the menus of the original window, so their order stays
  void buildEntryPointMenu();

  // 表紙
  std::array<QPushButton*, 3> cmdHyousi{};
  QLineEdit* txtTitle = nullptr;
  QLineEdit* txtSystem = nullptr;
  QLineEdit* txtCompany = nullptr;
  QLineEdit* txtBumon = nullptr;
  QLineEdit* txtAuther = nullptr;
  QLineEdit* txtDate = nullptr;
  QPushButton* cmdSave = nullptr;
  // オブジェクト情報
  QPushButton* cmdObject = nullptr;
  std::array<QRadioButton*, 3> optObject{};
  QPushButton* cmdOPre = nullptr;
  // セル情報
  QPushButton* cmdCell = nullptr;
  std::array<QRadioButton*, 3> optCell{};
  std::array<QRadioButton*, 2> optSSelect{};
  QComboBox* cboSheet2 = nullptr;
  QPushButton* cmdCPre = nullptr;
  // プロシージャ一覧
  QPushButton* cmdKansu = nullptr;
  std::array<QRadioButton*, 2> optProc{};
  QCheckBox* chkProc50 = nullptr;
  QPushButton* cmdPPre = nullptr;
  // モジュール情報
  QPushButton* cmdModule = nullptr;
  std::array<QRadioButton*, 6> optModule{};
  QCheckBox* chkMod50 = nullptr;
  std::array<QRadioButton*, 2> optMPrint{};
  QPushButton* cmdMPre = nullptr;
  // 図形情報
  QPushButton* cmdXlShape = nullptr;
  std::array<QRadioButton*, 3> optShape{};
  QPushButton* cmdSPre = nullptr;
  // 変数情報
  QPushButton* cmdHensu = nullptr;
  QPushButton* cmdHensuU = nullptr;
  QPushButton* cmdHensuT = nullptr;
  QPushButton* cmdHensuH = nullptr;
  // その他
  QPushButton* cmdName = nullptr;
  QPushButton* cmdNPre = nullptr;
  QPushButton* cmdSheet = nullptr;
  QComboBox* cboSheet = nullptr;
  QLineEdit* txtZoom = nullptr;
  QPushButton* cmdFile = nullptr;
  QPushButton* cmdFPre = nullptr;
  std::array<QRadioButton*, 3> optFile{};
  QPushButton* cmdComment = nullptr;
  QPushButton* cmdCOPre = nullptr;
  QPushButton* cmdModStep = nullptr;
  QPushButton* cmdMSPre = nullptr;
  QPushButton* cmdAddin = nullptr;
  QPushButton* cmdADPre = nullptr;
  QPushButton* cmdInyoSaki = nullptr;
  QPushButton* cmdISPre = nullptr;
  QPushButton* cmdLinkMoto = nullptr;
  QComboBox* cboLinkMoto = nullptr;
  // Outside the frames.
  QPushButton* cmdTimeCheck = nullptr;
  QLineEdit* txtMesege = nullptr;
  QLabel* lblPer = nullptr;
  GaugeLine* linGuage = nullptr;
  QLabel* lblDBName = nullptr;
  QTimer* Timer1 = nullptr;

  std::array<QButtonGroup*, 7> groups_{};  // exclusive option groups (optFile is managed by hand)
  std::unique_ptr<WindowProgress> progress_;
  std::unique_ptr<SetupDialog> frmSetUp_;
  std::unique_ptr<AboutDialog> frmAbout_;
};

}  // namespace zel
