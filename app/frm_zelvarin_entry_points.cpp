// The menu 起動経路 of frmZelvarin: the entry-point map and its two reports. It stands after
// the menus of the original window so their order and the frames stay as they are. The map
// reads the exported modules and the open workbook; with a loaded result file that holds the
// map, both reports open without a workbook.
#include "app/frm_zelvarin.h"

#include <QMenu>
#include <QMenuBar>

namespace zel {

void frmZelvarin::buildEntryPointMenu() {
  mEntry = menuBar()->addMenu(QString::fromUtf8("起動経路"));
  mEntry->setObjectName("mEntry");
  QAction* list = mEntry->addAction(QString::fromUtf8("起動経路一覧"));
  list->setObjectName("mEntryList");
  QAction* unused = mEntry->addAction(QString::fromUtf8("未使用プロシージャ一覧"));
  unused->setObjectName("mEntryUnused");
  connect(list, &QAction::triggered, this, [this] { mEntry_Click(0); });
  connect(unused, &QAction::triggered, this, [this] { mEntry_Click(1); });
  // Enabled as the analysis buttons are: with an open workbook, or a result file holding the map.
  connect(mEntry, &QMenu::aboutToShow, this, [this, list, unused] {
    const bool canRun = !workbookPath_.empty() && isEnabled();
    list->setEnabled(canRun || flags_.fEnt != 0);
    unused->setEnabled(canRun || flags_.fEnt != 0);
  });
}

void frmZelvarin::mEntry_Click(int report) {
  const char* name = report == 1 ? "R_XlUnused" : "R_XlEntry";
  if (workbookPath_.empty()) {
    if (flags_.fEnt) finishWithPreview(name, reportDbPath());
    return;
  }
  // Every click reads again (the map is quick); the list report opens at the end of the run.
  if (report == 0 || !flags_.fEnt) runAnalysisCommand("entrypoints", {});
  if (report == 1 && flags_.fEnt) finishWithPreview(name, reportDbPath());
}

}  // namespace zel
