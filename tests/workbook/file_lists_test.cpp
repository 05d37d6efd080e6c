// Cover page row, folder file list and add-in list on temporary folders.
#include "analysis_fixture.h"
#include "core/profile_file.h"
#include "core/result_store.h"
#include "core/vb_error.h"
#include "workbook/addin_list.h"
#include "workbook/cover_page.h"
#include "workbook/folder_file_list.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace zel;
using namespace zel::workbook;
using zel::test::TempDir;
using zel::test::writeFile;

using Fixture = zel::test::AnalysisFixture;

TEST(CoverPage, CutsTrimsAndKeepsDate) {
  Fixture f;
  HeaderTexts h;
  h.Title = std::string(190, 'a') + "表";
  h.Auther = "  山田 太郎      ";
  h.CreateDate = "";
  writeCoverPage(f.db, f.progress, h);
  writeCoverPage(f.db, f.progress, h);
  auto r = f.rows("SELECT SysTitle, Auther, CreateDate FROM T_XlHyousi");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0][0], std::string(150, 'a'));
  EXPECT_EQ(r[0][1], "  山田 太郎");
  EXPECT_EQ(r[0][2], "");
  EXPECT_EQ(coverReportFor(1), "R_XlHyousiH");
  EXPECT_EQ(coverReportFor(3), "");
}

TEST(FolderFileList, OptionsPatternsAndOddFiles) {
  Fixture f;
  TempDir books;
  std::string book = books.file("Book.xls");
  writeFile(book, std::string(1536, 'x'));
  writeFile(books.file("Notes.XYZ"), "n");
  writeFile(books.file("readme"), "r");
  writeFile(books.file(".hidden.xls"), "h");
  writeFile(books.file("データ.xls"), "d");
  std::filesystem::create_directory(books.file("sub.xls"));
  ::mkfifo(books.file("pipe.xls").c_str(), 0600);
  ::symlink(book.c_str(), books.file("link.xls").c_str());
  ::symlink("/nonexistent/x.xls", books.file("dangling.xls").c_str());
  ::chmod(books.file("Notes.XYZ").c_str(), 0444);

  auto ctx = f.ctx(book);
  f.options.FileOption = 1;
  ASSERT_TRUE(runFolderFileList(ctx, {}));
  auto r = f.rows("SELECT FileNo, XFileName, FileSize, ReadOnly, FilePath FROM T_XlFile ORDER BY FileNo");
  ASSERT_EQ(r.size(), 4u);  // Book.xls, Notes.XYZ, link.xls, データ.xls
  EXPECT_EQ(r[0][1], "Book.xls");
  EXPECT_EQ(r[0][2], "1.5");
  EXPECT_EQ(r[0][3], "0");
  EXPECT_EQ(r[1][1], "Notes.XYZ");
  EXPECT_EQ(r[1][3], "1");  // owner write bit clear, even when running as root
  EXPECT_EQ(r[2][1], "link.xls");
  EXPECT_EQ(r[3][1], "データ.xls");
  EXPECT_EQ(r[0][4], books.str());
  EXPECT_EQ(f.flags.fFil, 1);
  EXPECT_FALSE(runFolderFileList(ctx, {}));  // same option again: the rows stand

  f.options.FileOption = 3;
  ASSERT_TRUE(runFolderFileList(ctx, {}));
  EXPECT_EQ(f.rows("SELECT * FROM T_XlFile").size(), 5u);  // readme too
}

TEST(FolderFileList, LinkSourcesAndMissingLink) {
  Fixture f;
  TempDir books;
  std::string book = books.file("Main.xls");
  writeFile(book, "m");
  writeFile(books.file("Sales.xls"), std::string(2048, 's'));
  writeFile(books.file("sub/Rel.xls"), "r");
  auto ctx = f.ctx(book);
  f.options.FileOption = 2;
  ASSERT_TRUE(runFolderFileList(ctx, {"C:\\Data\\SALES.xls", "sub\\Rel.xls", "\\\\srv\\share\\Sales.xls"}));
  auto r = f.rows("SELECT XFileName, FilePath, FileSize FROM T_XlFile ORDER BY FileNo");
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0][0], "SALES.xls");
  EXPECT_EQ(r[0][1], "C:\\Data\\");
  EXPECT_EQ(r[0][2], "2");
  EXPECT_EQ(r[1][0], "Rel.xls");

  // A missing linked file ends the run with error 53; rows already added stay, the flag is cleared.
  f.flags.fFil = 0;
  try {
    runFolderFileList(ctx, {"Sales.xls", "C:\\Gone\\Missing.xls", "sub\\Rel.xls"});
    FAIL();
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), 53);
  }
  EXPECT_EQ(f.rows("SELECT * FROM T_XlFile").size(), 1u);
  EXPECT_EQ(f.flags.fFil, 0);
  // No links: an empty table.
  f.flags.fFil = 0;
  ASSERT_TRUE(runFolderFileList(ctx, {}));
  EXPECT_TRUE(f.rows("SELECT * FROM T_XlFile").empty());
}

TEST(AddinList, FoldersInstalledAndSheetPairs) {
  Fixture f;
  TempDir extra;
  writeFile(f.paths.AppPath + "AddIns/Tools.xla", std::string(1024, 't'));
  writeFile(f.paths.AppPath + "AddIns/notes.txt", "x");
  writeFile(extra.file("Report.XLA"), "r");
  writeFile(extra.file("Other.xla"), "o");
  ASSERT_TRUE(writePrivateProfileString("ADDIN", "Folder1", extra.str(), f.paths.IniPath));
  ASSERT_TRUE(writePrivateProfileString("ADDIN", "Installed1", "report.xla", f.paths.IniPath));
  auto addIns = collectAddIns(f.paths, [](const std::string& p) { return p.find("Tools") != std::string::npos ? "道具" : ""; });
  ASSERT_EQ(addIns.size(), 3u);
  EXPECT_EQ(addIns[0].Name, "Tools.xla");
  EXPECT_EQ(addIns[0].Title, "道具");
  EXPECT_EQ(addIns[0].Path, f.paths.AppPath + "AddIns");
  EXPECT_FALSE(addIns[0].Installed);
  EXPECT_EQ(addIns[1].Name, "Other.xla");
  EXPECT_EQ(addIns[2].Name, "Report.XLA");
  EXPECT_TRUE(addIns[2].Installed);
  EXPECT_NE(addIns[2].Path.back(), '/');

  auto ctx = f.ctx("/x/Book.xls");
  runAddinList(ctx, {"Sheet1", "Sheet2", "集計"}, addIns);
  auto r = f.rows("SELECT FileNo, objectName, Installed, FileSize FROM T_XlAddin ORDER BY FileNo");
  ASSERT_EQ(r.size(), 9u);
  EXPECT_EQ(r[8][0], "9");
  EXPECT_EQ(r[8][1], "集計");
  EXPECT_EQ(r[0][3], "1");
  EXPECT_EQ(r[2][2], "-1");
  EXPECT_EQ(f.flags.fAdd, 1);
  runAddinList(ctx, {"Sheet1"}, {});
  EXPECT_TRUE(f.rows("SELECT * FROM T_XlAddin").empty());
}
