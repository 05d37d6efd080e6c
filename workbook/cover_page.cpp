// Cover page row: fields cut to their lengths, trailing blanks removed, the date uncut.
#include "workbook/cover_page.h"

#include "core/vbstring.h"

namespace zel::workbook {

std::string coverReportFor(int index) {
  switch (index) {
    case 0: return "R_XlHyousi";
    case 1: return "R_XlHyousiH";
    case 2: return "R_XlHyousiW";
    default: return {};
  }
}

void writeCoverPage(ResultDb& db, Progress& progress, const HeaderTexts& h) {
  ResultDb::Run run(db);
  TableWriter rs(db, "T_XlHyousi");
  db.clearTable("T_XlHyousi");
  progress.setStatus("表紙 情報　取得中");
  rs.addNew();
  rs.set("SysTitle", cutText(h.Title, 150));
  rs.set("SysName", cutText(h.System, 150));
  rs.set("Company", cutText(h.Company, 150));
  rs.set("Bumon", cutText(h.Bumon, 150));
  rs.set("Auther", cutText(h.Auther, 20));
  rs.set("CreateDate", h.CreateDate);
  rs.update();
  progress.setStatus("終了しました");
}

}  // namespace zel::workbook
