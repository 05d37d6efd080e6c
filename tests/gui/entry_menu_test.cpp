// The menu 起動経路: off without a workbook, and with one it runs the entry-point map and
// opens its two reports.
#include "window_fixture.h"

#include <QAction>
#include <QMenu>

namespace zel::test {
namespace {

TEST_F(WindowTest, EntryMenuRunsTheMapAndOpensBothReports) {
  auto w = started();
  auto* menu = w->findChild<QMenu*>("mEntry");
  auto* list = w->findChild<QAction*>("mEntryList");
  auto* unused = w->findChild<QAction*>("mEntryUnused");
  ASSERT_TRUE(menu && list && unused);
  emit menu->aboutToShow();
  EXPECT_FALSE(list->isEnabled());
  EXPECT_FALSE(unused->isEnabled());
  w->mEntry_Click(1);  // nothing to show yet
  EXPECT_TRUE(reports.empty());

  openChoice = copyToBooks("SimpleMacro.xls");
  w->m1a_Click();
  ASSERT_TRUE(sink.shown.empty()) << sink.shown[0].text;
  emit menu->aboutToShow();
  EXPECT_TRUE(list->isEnabled());
  list->trigger();
  unused->trigger();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].name, "R_XlEntry");
  EXPECT_EQ(reports[1].name, "R_XlUnused");
  EXPECT_TRUE(sink.shown.empty());
}

}  // namespace
}  // namespace zel::test
