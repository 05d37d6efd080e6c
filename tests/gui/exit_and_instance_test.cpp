// One program per folder, the exit confirmation and the exit clean-up (export folder,
// Zelvarin.ini position, folder and recent files).
#include "window_fixture.h"

#include "core/profile_file.h"

#include <QScreen>
#include <map>

namespace fs = std::filesystem;

namespace zel::test {
namespace {

std::map<std::string, fs::file_time_type> snapshot(const fs::path& root) {
  std::map<std::string, fs::file_time_type> out;
  for (const auto& e : fs::recursive_directory_iterator(root)) out[e.path().string()] = e.last_write_time();
  return out;
}

TEST_F(WindowTest, SecondInstanceOnTheSameFolderIsRefusedAndTouchesNothing) {
  auto first = started();
  auto before = snapshot(dir.path());

  auto second = makeWindow("\"" + dir.file("whatever.xdb") + "\"");
  EXPECT_FALSE(second->Form_Load());
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, "既にZelvarinは、既に起動しています。");
  EXPECT_EQ(sink.shown[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(snapshot(dir.path()), before);
  // A program with another folder runs beside it.
  TempDir other;
  EXPECT_TRUE(makeWindow({}, other.str())->Form_Load());
  EXPECT_EQ(sink.shown.size(), 1u);

  // Once the first has ended, a new start succeeds: the lock file stays, but nobody holds it.
  first->m1z_Click();
  ASSERT_TRUE(first->exiting());
  EXPECT_TRUE(fs::exists(dir.file("Zelvarin.lock")));
  auto third = makeWindow();
  EXPECT_TRUE(third->Form_Load());
}

// A folder where the lock file cannot be made is reported as such, not as a second start.
TEST_F(WindowTest, UnwritableProgramFolderIsNotASecondStart) {
  fs::create_directories(dir.file("Zelvarin.lock"));
  auto w = makeWindow();
  EXPECT_FALSE(w->Form_Load());
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_NE(sink.shown[0].text.find("プログラムフォルダに書き込めません"), std::string::npos) << sink.shown[0].text;
}

// An unreadable Zelvarin.ini is reported once and never replaced at exit.
TEST_F(WindowTest, UnreadableIniIsKeptAtExit) {
  const std::string big(17u << 20, '#');
  writeFile(dir.file("Zelvarin.ini"), big);
  auto w = started();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_NE(sink.shown[0].text.find("Zelvarin.ini"), std::string::npos);
  w->m1z_Click();
  ASSERT_TRUE(w->exiting());
  EXPECT_EQ(fs::file_size(dir.file("Zelvarin.ini")), big.size());
}

TEST_F(WindowTest, MenuExitCancelledLeavesEverythingAsItWas) {
  auto w = started();
  writeFile(w->paths().TempPath + "Module1.bas", "Sub A()\r\nEnd Sub\r\n");
  sink.answers = {MsgAnswer::Cancel};
  w->m1z_Click();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, "終了します。");
  EXPECT_EQ(sink.shown[0].buttons, MsgButtons::OkCancel);
  EXPECT_FALSE(w->exiting());
  EXPECT_TRUE(fs::exists(w->paths().TempPath + "Module1.bas"));
  EXPECT_FALSE(fs::exists(w->paths().IniPath));
}

TEST_F(WindowTest, MenuExitDeletesExportedFilesAndWritesTheIni) {
  auto w = windowWith("SimpleMacro.xls");
  const std::string bookDir = books.str();
  const std::string temp = w->paths().TempPath;
  ASSERT_TRUE(fs::exists(temp + "Module1.bas"));
  w->move(40, 20);

  w->m1z_Click();
  EXPECT_TRUE(w->exiting());
  EXPECT_TRUE(fs::is_empty(temp));  // what is kept in the folder is checked with the export

  double tpp = 1440.0 / w->screen()->logicalDotsPerInchY();
  const std::string ini = w->paths().IniPath;
  EXPECT_NEAR(std::stol(getPrivateProfileString("POS", "T", "x", ini)), 20 * tpp, 1.0);
  EXPECT_NEAR(std::stol(getPrivateProfileString("POS", "L", "x", ini)), 40 * tpp, 1.0);
  EXPECT_EQ(getPrivateProfileString("DEF", "Folder", "x", ini), bookDir);
  EXPECT_EQ(getPrivateProfileString("RECENT", "RecentFile1", "x", ini), openChoice);
  // The clean-up runs once: closing the window afterwards asks nothing more.
  w->close();
  EXPECT_EQ(sink.shown.size(), 1u);
}

TEST_F(WindowTest, ClosingTheWindowConfirmsWithOkOnlyAndCleansUp) {
  writeFile(dir.file("Zelvarin.ini"), "[RECENT]\r\nRecentFile1=/a.xls\r\n");
  auto w = started();
  writeFile(w->paths().TempPath + "Class1.cls", "x");
  w->show();
  w->close();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, "終了します。");
  EXPECT_EQ(sink.shown[0].buttons, MsgButtons::Ok);
  EXPECT_FALSE(fs::exists(w->paths().TempPath + "Class1.cls"));
  const std::string ini = w->paths().IniPath;
  EXPECT_EQ(getPrivateProfileString("DEF", "Folder", "x", ini), "");
  // No workbook open: the recent list stays as it was.
  EXPECT_EQ(getPrivateProfileString("RECENT", "RecentFile1", "x", ini), "/a.xls");
  EXPECT_EQ(getPrivateProfileString("RECENT", "RecentFile2", "x", ini), "x");
}

}  // namespace
}  // namespace zel::test
