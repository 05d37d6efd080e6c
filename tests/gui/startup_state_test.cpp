// The window after start-up without arguments: the no-workbook enabled states, the default
// options, the hidden gauge, the recent entries and position read from Zelvarin.ini.
#include "window_fixture.h"

#include "core/profile_file.h"
#include "app/gauge_line.h"

#include <QAction>
#include <QComboBox>
#include <QScreen>

namespace zel::test {
namespace {

const char* const kSelectedAtStart[] = {"optObject1", "optCell2", "optSSelect0", "optProc1",
                                        "optModule0", "optMPrint1", "optShape0", "optFile0"};

TEST_F(WindowTest, StartupIsInTheNoWorkbookStateWithTheDefaultOptions) {
  auto w = started();
  EXPECT_TRUE(sink.shown.empty());
  // Every command and preview button is off; one option per group is selected.
  int commands = 0, selected = 0;
  for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
    if (b->objectName().startsWith("cmd")) {
      ++commands;
      EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    }
    selected += b->objectName().startsWith("opt") && b->isChecked();
  }
  EXPECT_GE(commands, 33);
  EXPECT_EQ(selected, static_cast<int>(std::size(kSelectedAtStart)));
  for (const char* name : kSelectedAtStart) EXPECT_TRUE(checked(*w, name)) << name;
  EXPECT_FALSE(child<QComboBox>(*w, "cboSheet2")->isEnabled());
  EXPECT_TRUE(openName(*w).empty());
  EXPECT_TRUE(child<GaugeLine>(*w, "linGuage")->isHidden());
  EXPECT_EQ(w->AcMode(), 0);
  EXPECT_EQ(w->XlOwned(), 0);
  // The header defaults come from the seeded Zelvarin.dat.
  EXPECT_EQ(w->datValues().DatTitle, "プログラム仕様書");
  EXPECT_EQ(w->datValues().DatZoom, "100");

  for (int i = 0; i < 4; ++i) EXPECT_FALSE(w->findChild<QAction*>(QStringLiteral("RecentFile%1").arg(i))->isVisible());
  for (const char* name : {"m1a", "m1b", "m1c", "m6"}) EXPECT_TRUE(w->findChild<QAction*>(name)->isEnabled()) << name;
  ResultDb db(w->paths().DbPath, ResultDb::Mode::ReadOnly);
  for (const char* t : {"T_XlSaveFlag", "T_XlTitle", "T_XlProcName", "T_XlSource", "T_XlLinkModule"})
    EXPECT_TRUE(db.hasTable(t)) << t;
  EXPECT_TRUE(std::filesystem::is_directory(w->paths().TempPath));
}

TEST_F(WindowTest, RecentEntriesAndWindowPositionComeFromTheIniFileAndGoBackUnchanged) {
  writeFile(dir.file("Zelvarin.ini"),
            "[POS]\r\nT=1500\r\nL=3000\r\n[RECENT]\r\nRecentFile1=/data/a.xls\r\nRecentFile2=0\r\n"
            "RecentFile3=/data/c.xls\r\n");
  auto w = started();
  EXPECT_EQ(w->findChild<QAction*>("RecentFile0")->text().toStdString(), "/data/a.xls");
  EXPECT_TRUE(w->findChild<QAction*>("RecentFile0")->isVisible());
  EXPECT_FALSE(w->findChild<QAction*>("RecentFile1")->isVisible());
  EXPECT_TRUE(w->findChild<QAction*>("RecentFile2")->isVisible());
  EXPECT_FALSE(w->findChild<QAction*>("RecentFile3")->isVisible());
  // 1500 / 3000 twips at the screen's resolution.
  double tpp = 1440.0 / w->screen()->logicalDotsPerInchY();
  EXPECT_NEAR(w->y(), 1500 / tpp, 1.0);
  EXPECT_NEAR(w->x(), 3000 / tpp, 1.0);
  sink.answers = {MsgAnswer::Ok};
  w->m1z_Click();
  EXPECT_EQ(getPrivateProfileString("POS", "T", "x", w->paths().IniPath), "1500");
  EXPECT_EQ(getPrivateProfileString("POS", "L", "x", w->paths().IniPath), "3000");
}

}  // namespace
}  // namespace zel::test
