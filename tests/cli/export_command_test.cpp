// zelvarin-cli export end to end: a real macro workbook, a locked project, bad input.
#include "cli_runner.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using zel::test::runCli;

TEST(ExportCommand, WritesEveryModuleOfARealWorkbook) {
  zel::test::TempDir dir;
  std::string out = dir.file("modules");
  auto r = runCli({"export", zel::test::dataFile("SimpleMacro.xls"), out});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* f : {"Module1.bas", "ThisWorkbook.bok", "Sheet1.sht", "Sheet2.sht", "Sheet3.sht"})
    EXPECT_TRUE(fs::is_regular_file(fs::path(out) / f)) << f;
  EXPECT_NE(r.out.find("Module1.bas"), std::string::npos);
}

TEST(ExportCommand, LockedProjectFailsWithTheProtectionMessage) {
  zel::test::TempDir dir;
  zel::test::writeMacroWorkbook(dir.file("locked.xls"), zel::test::lockedProject());
  auto r = runCli({"export", dir.file("locked.xls"), dir.file("out")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("プロジェクトが保護されています。\n保護を解除してから選択下さい。\n本ソフトを終了します。"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(fs::exists(dir.file("out/Secret.bas")));
}

TEST(ExportCommand, BadUsageUnreadableInputAndADamagedModule) {
  zel::test::TempDir dir;
  EXPECT_EQ(runCli({"export", "only-one-argument"}).status, 2);
  zel::test::writeFile(dir.file("plain.xls"), "this is not a compound file");
  auto r = runCli({"export", dir.file("plain.xls"), dir.file("out")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("not an Excel workbook"), std::string::npos) << r.err;
  EXPECT_EQ(runCli({"export", dir.file("missing.xls"), dir.file("out")}).status, 1);

  // A damaged module is named and the others are written.
  zel::test::VbaProjectSpec spec;
  zel::test::VbaModuleSpec good, bad;
  good.name = "Good";
  good.source = "Attribute VB_Name = \"Good\"\r\n";
  bad.name = "Bad";
  bad.source = "Attribute VB_Name = \"Bad\"\r\n";
  bad.textOffset = 3;
  spec.modules = {bad, good};
  zel::test::writeMacroWorkbook(dir.file("damaged.xls"), spec);
  r = runCli({"export", dir.file("damaged.xls"), dir.file("out")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Bad"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir.file("out/Good.bas")));
  EXPECT_FALSE(fs::exists(dir.file("out/Bad.bas")));
}
