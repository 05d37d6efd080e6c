// Recent-file rotation.
#include "core/profile_file.h"
#include "core/recent_files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace zel;

TEST(RecentFiles, RotationRules) {
  zel::test::TempDir dir;
  std::string ini = dir.file("Zelvarin.ini");
  auto list = readRecentFiles(ini);
  for (auto& v : list) EXPECT_TRUE(isEmptyRecentSlot(v));
  ASSERT_TRUE(writeRecentFiles(ini, list, "/w/W.xls"));
  EXPECT_EQ(getPrivateProfileString("RECENT", "RecentFile1", "0", ini), "/w/W.xls");
  EXPECT_EQ(getPrivateProfileString("RECENT", "RecentFile2", "missing", ini), "missing");

  for (int i = 1; i <= 4; ++i)
    writePrivateProfileString("RECENT", "RecentFile" + std::to_string(i), std::string(1, static_cast<char>('A' + i - 1)), ini);
  ASSERT_TRUE(writeRecentFiles(ini, readRecentFiles(ini), "E"));
  EXPECT_EQ(readRecentFiles(ini), (RecentList{"E", "A", "B", "C"}));

  // A then empty slots, A reopened: A, A and the rest as the file holds them.
  writePrivateProfileString("RECENT", "RecentFile2", "0", ini);
  writePrivateProfileString("RECENT", "RecentFile3", "0", ini);
  writePrivateProfileString("RECENT", "RecentFile4", "0x", ini);
  writePrivateProfileString("RECENT", "RecentFile1", "A", ini);
  ASSERT_TRUE(writeRecentFiles(ini, readRecentFiles(ini), "A"));
  EXPECT_EQ(readRecentFiles(ini), (RecentList{"A", "A", "0", "0x"}));
  // No workbook open at exit: nothing changes.
  ASSERT_TRUE(writeRecentFiles(ini, readRecentFiles(ini), ""));
  EXPECT_EQ(readRecentFiles(ini), (RecentList{"A", "A", "0", "0x"}));
}
