// The window as a desktop user meets it: messages over the window that caused them and at the
// moment a run reaches them, the status after a run, keys, dropped files, the dialogs' start
// folder, the help command, and the look of the status row and header boxes.
#include "window_fixture.h"

#include "core/profile_file.h"
#include "app/gauge_line.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace fs = std::filesystem;

namespace zel::test {
namespace {

class DesktopTest : public WindowTest {
 protected:
  // Drops one local file on the window, as a file manager does.
  static void drop(QWidget& w, const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
  }
  static void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &event);
  }
};

TEST_F(DesktopTest, RunMessagesComeOverTheWindowBeforeTheRunEnds) {
  // Saved by Excel 2007 and never printed: the version message belongs to this workbook.
  auto w = windowWith("SimpleMacro.xls");
  std::string statusAtMessage;
  sink.onShow = [&] { statusAtMessage = text(*w, "txtMesege"); };
  w->cmdObject_Click();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text.rfind("Excel97以外のバージョンで作成されています。", 0), 0u);
  EXPECT_EQ(sink.shown[0].owner, w.get());
  EXPECT_EQ(statusAtMessage, "Book 情報　取得中");  // shown where the run reached it, not after "終了しました"
  EXPECT_TRUE(w->isEnabled());

  // An analysis without a preview ends on "終了しました", not on the preview request.
  sink.shown.clear();
  w->cmdHensu_Click();
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(text(*w, "txtMesege"), "終了しました");
  // The timer leaves no percentage beside the empty status box.
  w->Timer1_Timer();
  EXPECT_TRUE(child<QLabel>(*w, "lblPer")->text().isEmpty());
}

TEST_F(DesktopTest, DroppedFilesOpenAndLoadWithTheMenusRefusals) {
  auto w = started();
  drop(*w, books.file("notes.txt"));  // another kind of file: nothing happens
  EXPECT_TRUE(openName(*w).empty());
  const std::string book = copyToBooks("SimpleMacro.xls");
  drop(*w, book);
  ASSERT_TRUE(sink.shown.empty()) << sink.shown[0].text;
  EXPECT_TRUE(dialogCalls.empty());
  EXPECT_EQ(openName(*w), book);
  EXPECT_TRUE(enabled(*w, "cmdKansu"));
  // A result file while a workbook is open: the load command's refusal.
  drop(*w, books.file("old.xdb"));
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text.rfind("解析ファイルが選択されておりますので処理出来ません。", 0), 0u);

  // A file that is not a result file: the load command's common error report.
  auto fresh = started({}, dir.file("second"));
  writeFile(books.file("text.xdb"), std::string(4096, 'z'));
  sink.shown.clear();
  drop(*fresh, books.file("text.xdb"));
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text.rfind("場所:読込ｴﾗｰNo:3000\r場所、ｴﾗｰNo、内容を控えメールをお願いします。\r内容:", 0), 0u)
      << sink.shown[0].text;
  EXPECT_TRUE(fresh->findChild<QAction*>("m1c")->isEnabled());
  fresh->m1z_Click();
}

TEST_F(DesktopTest, DialogsStartBesideTheWorkbookAndTheLastFolderOutlivesTheRun) {
  {
    auto w = started();
    writeFile(books.file("old.xdb"), "");
    openChoice = books.file("old.xdb");
    w->m1c_Click();  // chosen in the books folder, though not loadable
    EXPECT_EQ(dialogCalls.back().folder, QDir::homePath().toStdString());
    w->m1z_Click();
  }
  // The next run starts there although no workbook was opened, and so does the one after.
  for (int run = 0; run < 2; ++run) {
    dialogCalls.clear();
    openChoice.clear();
    auto w = started();
    w->m1a_Click();
    ASSERT_EQ(dialogCalls.size(), 1u);
    EXPECT_EQ(dialogCalls[0].folder, books.str());
    w->m1z_Click();
  }
  // With a workbook open, the save dialog starts beside it.
  auto w = started();
  openChoice = dir.file("elsewhere/SimpleMacro.xls");
  writeFile(openChoice, readFile(dataFile("SimpleMacro.xls")));
  w->m1a_Click();
  w->m1b_Click();
  EXPECT_EQ(dialogCalls.back().folder, dir.file("elsewhere/"));
}

TEST_F(DesktopTest, KeysReachTheMenuCommandsAndHelpWithoutAViewerSaysWhereThePageIs) {
  auto w = started();
  w->show();
  w->activateWindow();
  QApplication::processEvents();
  press(w.get(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(dialogCalls.size(), 1u);
  press(w.get(), Qt::Key_F1);
  EXPECT_EQ(helpPages, std::vector<std::string>{w->paths().helpPath()});
  sink.answers = {MsgAnswer::Cancel};
  press(w.get(), Qt::Key_Q, Qt::ControlModifier);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, "終了します。");
  EXPECT_FALSE(w->exiting());
  // Help without a viewer says where the page is.
  helpViewerPresent = false;
  w->m3_Click();
  ASSERT_EQ(sink.shown.size(), 2u);
  EXPECT_NE(sink.shown[1].text.find(w->paths().helpPath()), std::string::npos) << sink.shown[1].text;
  EXPECT_TRUE(fs::exists(w->paths().helpPath()));
}

TEST_F(DesktopTest, StatusRowAndHeaderBoxesKeepTheirLook) {
  auto w = started();
  // A fixed-size window offers no maximise button: the hints are given, without that one.
  EXPECT_TRUE(w->windowFlags() & Qt::CustomizeWindowHint);
  EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
  w->show();
  QApplication::processEvents();
  auto* status = child<QLineEdit>(*w, "txtMesege");
  const int idleWidth = status->width();
  child<GaugeLine>(*w, "linGuage")->show();
  QApplication::processEvents();
  EXPECT_EQ(status->width(), idleWidth);

  // A long header text shows its start.
  openChoice = copyToBooks("SimpleMacro.xls");
  w->m1a_Click();
  EXPECT_EQ(child<QLineEdit>(*w, "txtTitle")->cursorPosition(), 0);
}

}  // namespace
}  // namespace zel::test
