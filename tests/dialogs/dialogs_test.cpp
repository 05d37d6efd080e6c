// The report-header dialog and the About dialog, driven offscreen.
#include "core/disk_space.h"
#include "core/result_store.h"
#include "dialogs/about_dialog.h"
#include "dialogs/setup_dialog.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <vector>

using namespace zel;

namespace {

QApplication& app() {
  static int argc = 1;
  static char name[] = "test_dialogs";
  static char* argv[] = {name, nullptr};
  static QApplication instance(argc, argv);
  return instance;
}

struct RecordingSink : MessageSink {
  std::vector<std::string> shown;
  std::vector<QWidget*> owners;  // the window each message was shown over

 protected:
  MsgAnswer present(const std::string& text, MsgButtons, const std::string&) override {
    shown.push_back(text);
    owners.push_back(owner());
    return MsgAnswer::Ok;
  }
};

struct SetupFixture : ::testing::Test {
  zel::test::TempDir dir;
  ProgramPaths paths = programPathsFor(dir.str());
  RecordingSink sink;
  std::string workbook = "/data/帳票/Book1.xls";
  std::unique_ptr<SetupDialog> dlg;
  void SetUp() override {
    app();
    prepareProgramFolder(paths);
    openAnalyzeDb(paths);
    dlg = std::make_unique<SetupDialog>(nullptr, sink, [this] { return paths.DbPath; }, [this] { return workbook; });
  }
  std::vector<std::string> titleRows() {
    ResultDb db(paths.DbPath);
    std::vector<std::string> out;
    for (auto& r : db.query("SELECT FileName FROM T_XlTitle")) out.push_back(dbValueText(r[0]));
    return out;
  }
};

}  // namespace

TEST_F(SetupFixture, FirstConfirmRefusesEmptyTextAndKeepsEarlierRow) {
  {
    ResultDb db(paths.DbPath);
    db.exec("INSERT INTO T_XlTitle VALUES ('earlier')");
  }
  dlg->showDialog();
  EXPECT_TRUE(dlg->chkSetUp->isChecked());
  EXPECT_FALSE(dlg->framSetUp->isEnabled());
  EXPECT_TRUE(dlg->txtNini->isEnabled());
  dlg->cmdOK->click();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0], "印字する文字を入力して下さい。");
  // The message stays with the dialog, and typing goes on in the free-text box.
  EXPECT_EQ(sink.owners[0], dlg.get());
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), dlg->txtNini);
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(titleRows(), std::vector<std::string>{"earlier"});  // a refused text destroys nothing
  dlg->txtNini->setText(QString::fromUtf8("販売管理システム"));
  dlg->cmdOK->click();
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_EQ(titleRows(), std::vector<std::string>{"販売管理システム"});
  EXPECT_EQ(dlg->lblMsg->text().toStdString(), "任意の文字列を印刷");
}

TEST_F(SetupFixture, FileNamePathAndNothingChoices) {
  dlg->showDialog();
  dlg->chkSetUp->click();  // uncheck: file choices enabled, free text emptied
  EXPECT_TRUE(dlg->chkFile->isEnabled());
  EXPECT_FALSE(dlg->txtNini->isEnabled());
  dlg->chkFile->click();
  dlg->cmdOK->click();
  EXPECT_EQ(titleRows(), std::vector<std::string>{"Book1.xls"});
  // Shown again after OK: as it was left, no set-up.
  dlg->showDialog();
  EXPECT_TRUE(dlg->chkFile->isChecked());
  EXPECT_FALSE(dlg->chkSetUp->isChecked());
  dlg->chkPath->click();
  dlg->cmdOK->click();
  EXPECT_EQ(titleRows(), std::vector<std::string>{workbook});
  EXPECT_EQ(dlg->lblMsg->text().toStdString(), "ファイル名フルパス印刷");
  // Only chkPath: nothing printed, the table emptied.
  dlg->showDialog();
  dlg->chkFile->click();
  dlg->cmdOK->click();
  EXPECT_TRUE(titleRows().empty());
  dlg->showDialog();
  EXPECT_EQ(dlg->lblMsg->text().toStdString(), "印刷しない");
  // Checking chkSetUp clears both file boxes.
  dlg->chkSetUp->click();
  EXPECT_FALSE(dlg->chkFile->isChecked());
  EXPECT_FALSE(dlg->chkPath->isChecked());
  EXPECT_EQ(dlg->choice().HdrPath, 0);
}

TEST_F(SetupFixture, ClosedWithoutOkRunsSetUpAgain) {
  dlg->showDialog();
  dlg->chkSetUp->click();
  dlg->chkFile->click();
  dlg->close();
  dlg->showDialog();
  EXPECT_TRUE(dlg->chkSetUp->isChecked());
  EXPECT_FALSE(dlg->chkFile->isChecked());
  EXPECT_EQ(dlg->choice().HdrFile, 0);
}

TEST(AboutDialog, FactsOfTheWorkbookAndUnreadableFiles) {
  app();
  zel::test::TempDir dir;
  std::string book = dir.file("Book.xls");
  zel::test::writeFile(book, std::string(1572864, 'x'));
  {
    AboutDialog dlg(nullptr, book);
    EXPECT_EQ(dlg.lblName->text().toStdString(), "Book.xls");
    EXPECT_EQ(dlg.lblObjSize->text().toStdString(), "1.50MB");
    EXPECT_FALSE(dlg.lblDrive->text().isEmpty());
    EXPECT_NE(dlg.lblTotal->text().toStdString(), "-1.00MB");
    for (int i = 0; i < 5; ++i) dlg.Timer1_Timer();  // the logo turns round and round
  }
  {
    AboutDialog dlg(nullptr, "");
    EXPECT_TRUE(dlg.lblName->text().isEmpty());
    EXPECT_TRUE(dlg.lblTotal->text().isEmpty());
  }
  {
    AboutDialog dlg(nullptr, "\\\\server\\share\\Book.xls");
    EXPECT_EQ(dlg.lblTotal->text().toStdString(), "-1.00MB");
    EXPECT_EQ(dlg.lblFree->text().toStdString(), "-1.00MB");
    EXPECT_TRUE(dlg.lblObjSize->text().isEmpty());
  }
  EXPECT_EQ(DiskSpaceMB(std::nullopt, 1, 1), -1);
  double total = DiskSpaceMB(dir.str(), 1, 1), freeMb = DiskSpaceMB(dir.str(), 2, 1);
  EXPECT_GT(total, 0);
  EXPECT_LE(freeMb, total);
  EXPECT_NEAR(DiskSpaceMB(dir.str(), 2, 2) / 1024.0, freeMb, 64.0);
  EXPECT_EQ(megabytesText(-1), "-1.00MB");
}

TEST(AboutDialog, ClosedByOkStaysOwnedByItsWindow) {
  app();
  // The main window keeps the dialog in a unique_ptr and shows a new one on the next click:
  // closing must not delete it behind the owner's back.
  auto dlg = std::make_unique<AboutDialog>(nullptr, "");
  dlg->show();
  dlg->cmdAbout->click();
  QApplication::processEvents();
  EXPECT_FALSE(dlg->isVisible());
  dlg = std::make_unique<AboutDialog>(nullptr, "");
}
