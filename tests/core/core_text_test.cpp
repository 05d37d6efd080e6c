// VB string helpers, profile files and Zelvarin.dat.
#include "core/dat_file.h"
#include "core/profile_file.h"
#include "core/program_folder.h"
#include "core/vbstring.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zel;
using zel::test::TempDir;

TEST(VbString, CountsUtf16UnitsAndNeverSplitsPairs) {
  EXPECT_EQ(vb::len(std::string("日本語abc")), 6);
  EXPECT_EQ(vb::left(std::string("日本語abc"), 2), "日本");
  EXPECT_EQ(vb::mid(std::string("ｼｰﾄﾓｼﾞｭｰﾙ"), 4, 3), "ﾓｼﾞ");
  // U+20BB7 is one character but two UTF-16 units: a cut at 2 keeps only the first char.
  EXPECT_EQ(cutText("a\xF0\xA0\xAE\xB7" "b", 2), "a");
  EXPECT_EQ(cutText("a\xF0\xA0\xAE\xB7" "b", 3), "a\xF0\xA0\xAE\xB7");
  EXPECT_EQ(cutText("abc   ", 5), "abc");
  EXPECT_EQ(vb::inStr(u"abcabc", u"c", 4), 6);
  EXPECT_EQ(vb::inStr(u"abc", u"x"), 0);
  EXPECT_EQ(toU8(vb::ucase(u"dim ｘ")), "DIM Ｘ");
  EXPECT_EQ(vb::trim(std::string("  a b \xE3\x80\x80")), "a b \xE3\x80\x80");  // full-width space kept
}

TEST(VbString, DecodesCp932AndFallsBack) {
  EXPECT_EQ(decodeCodePage("\x93\xfa\x96\x7b", 932), "日本");
  EXPECT_EQ(decodeWindowsText("\x93\xfa\x96\x7b"), "日本");
  EXPECT_EQ(decodeWindowsText("\xEF\xBB\xBF日本"), "日本");
  EXPECT_EQ(decodeCodePage("\xE9", 1252), "é");
}

TEST(ProfileFile, MissingFileSectionsKeysAndCase) {
  TempDir dir;
  std::string ini = dir.file("Zelvarin.ini");
  EXPECT_EQ(getPrivateProfileString("POS", "T", "0", ini), "0");
  ASSERT_TRUE(writePrivateProfileString("POS", "T", "1200", ini));
  ASSERT_TRUE(writePrivateProfileString("DEF", "Folder", "/home/u/", ini));
  ASSERT_TRUE(writePrivateProfileString("pos", "L", "300", ini));
  EXPECT_EQ(getPrivateProfileString("pos", "t", "0", ini), "1200");
  EXPECT_EQ(getPrivateProfileString("POS", "L", "0", ini), "300");
  EXPECT_EQ(getPrivateProfileString("RECENT", "RecentFile1", "0", ini), "0");
  // Rewriting one key keeps the other sections and keys.
  ASSERT_TRUE(writePrivateProfileString("POS", "T", "15", ini));
  EXPECT_EQ(getPrivateProfileString("DEF", "Folder", "0", ini), "/home/u/");
  EXPECT_EQ(getPrivateProfileString("POS", "T", "0", ini), "15");
  EXPECT_EQ(getPrivateProfileString("POS", "L", "0", ini), "300");
  // A value before a NUL and a default with one.
  EXPECT_EQ(getPrivateProfileString("X", "Y", std::string("0\0junk", 6), ini), "0");
}

TEST(ProfileFile, ReadsCp932AndFailedWriteKeepsOldFile) {
  TempDir dir;
  std::string ini = dir.file("z.ini");
  zel::test::writeFile(ini, "[DEF]\r\nFolder=C:\\\x83\x66\x81\x5B\x83\x5E\\\r\n");
  EXPECT_EQ(getPrivateProfileString("DEF", "Folder", "0", ini), "C:\\データ\\");
  if (::geteuid() != 0) {
    ::chmod(dir.path().c_str(), 0500);
    EXPECT_FALSE(writePrivateProfileString("DEF", "Folder", "x", ini));
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(getPrivateProfileString("DEF", "Folder", "0", ini), "C:\\データ\\");
  }
}

// A settings file that cannot be read is never replaced (its other keys would be lost), and a
// FIFO under a settings file's name is not waited on.
TEST(ProfileFile, UnreadableFilesAreNeverOverwritten) {
  TempDir dir;
  const std::string big = dir.file("big.ini");
  const std::string text = "[RECENT]\r\nRecentFile1=/a.xls\r\n" + std::string(17u << 20, ';');
  zel::test::writeFile(big, text);
  EXPECT_TRUE(profileFileUnreadable(big));
  EXPECT_FALSE(writePrivateProfileString("POS", "T", "1", big));
  EXPECT_EQ(zel::test::readFile(big), text);
  const std::string fifo = dir.file("Zelvarin.dat");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string out;
  EXPECT_FALSE(readSmallFile(fifo, out));
  EXPECT_EQ(getPrivateProfileString("DEF", "Folder", "none", fifo), "none");
  EXPECT_FALSE(writePrivateProfileString("DEF", "Folder", "x", fifo));
  EXPECT_FALSE(profileFileUnreadable(dir.file("missing.ini")));
}

TEST(DatFile, KeyRulesAndRoundTrip) {
  TempDir dir;
  std::string dat = dir.file("Zelvarin.dat");
  DatValues v;
  EXPECT_FALSE(ReadDatFile(dat, v));
  zel::test::writeFile(dat, "SubTitle=abc  \r\nKisya=会社\r\nnoise\r\nZoom=1234\r\n");
  ASSERT_TRUE(ReadDatFile(dat, v));
  EXPECT_EQ(v.DatTitle, "abc");  // a key ending in "Title" still sets DatTitle, 6 chars on
  EXPECT_EQ(v.DatKisya, "会社");
  EXPECT_EQ(v.DatBumon, "");
  EXPECT_EQ(v.DatZoom, "123");  // three characters are kept so 100 survives
  v.DatBumon = std::string(300, 'x');
  v.DatZoom = "100";
  ASSERT_TRUE(WriteDatFile(dat, v));
  DatValues back;
  ASSERT_TRUE(ReadDatFile(dat, back));
  EXPECT_EQ(back.DatBumon.size(), 255u);
  EXPECT_EQ(back.DatZoom, "100");
  EXPECT_EQ(zel::test::readFile(dat).substr(0, 11), "Title=abc\r\n");
}

TEST(ProgramFolder, PathsAndNames) {
  EXPECT_EQ(FolderOf("C:\\a\\b.xls"), "C:\\a\\");
  EXPECT_EQ(FileNameOf("/a/b/c.xls"), "c.xls");
  EXPECT_EQ(FileNameOf(""), "");
  EXPECT_EQ(FolderOf("x.xls"), "");
  EXPECT_EQ(unquoteArgument("\"/a b/c.xdb\""), "/a b/c.xdb");
  EXPECT_EQ(unquoteArgument("/a/c.xdb"), "/a/c.xdb");
  TempDir dir;
  auto q = programPathsFor(dir.str() + "home");
  ASSERT_TRUE(prepareProgramFolder(q));
  EXPECT_TRUE(std::filesystem::exists(q.TempPath));
  EXPECT_TRUE(std::filesystem::exists(q.datPath()));
}
