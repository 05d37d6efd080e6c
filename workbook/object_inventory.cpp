// The object inventory: book row, link rows, worksheet rows with their counts, module rows.
#include "workbook/object_inventory.h"

#include "core/vb_error.h"
#include "core/vbstring.h"
#include "workbook/analysis_run.h"
#include "workbook/folder_file_list.h"
#include "workbook/sheet_walk.h"

namespace zel::workbook {
namespace {

// The print (10) or creation (11) date; empty, and missing set, when the file has none.
DbValue dateProperty(const BookView& book, int index, bool& missing) {
  try {
    return book.documentProperty(index).value;
  } catch (const VbError& e) {
    if (e.number() != err::Automation) throw;
    missing = true;
    return DbValue{};
  }
}

// "First n characters, trimmed" of a property value taken as a string.
std::string cutProperty(const PropertyRead& p, long n) { return vb::trim(cutText(p.text, n, false)); }

void writeBookRow(RunContext& ctx, const BookView& book, TableWriter& rs, AnalysisOutcome& out) {
  const std::string fullName = book.fullName();
  const FileFacts facts = fileFacts(fullName);
  rs.addNew();
  rs.set("BookNo", 1);
  rs.set("XFileName", vb::trim(cutText(fullName, 125, false)));
  rs.set("FileSize", facts.sizeKb);
  rs.set("Title", cutProperty(book.documentProperty(1), 125));
  rs.set("SubTitle", cutProperty(book.documentProperty(2), 125));
  rs.set("Auther", cutProperty(book.documentProperty(3), 20));
  rs.set("Keywords", cutProperty(book.documentProperty(4), 50));
  rs.set("Comments", book.documentProperty(5).value);
  rs.set("LastAuther", cutProperty(book.documentProperty(7), 20));
  rs.set("UpdateDate", facts.updateDate);
  // Each date on its own: a workbook never printed has no print date, and that loses neither
  // its creation date nor says which version wrote it. The message is for files that another
  // version saved and that lack a date.
  bool dateMissing = false;
  rs.set("PrintDate", dateProperty(book, 10, dateMissing));
  rs.set("CreateDate", dateProperty(book, 11, dateMissing));
  if (dateMissing && book.writtenByOtherVersion()) reachMessage(ctx.progress, out, OutcomeMessage{propertyDatesMessage(), ""});
  rs.set("Category", cutProperty(book.documentProperty(18), 30));
  rs.set("Manager", cutProperty(book.documentProperty(20), 20));
  rs.set("Company", cutProperty(book.documentProperty(21), 125));
  rs.set("Hyperlink", book.documentProperty(29).value);
  rs.set("Label", ctx.options.ObjectLevel);
  rs.update();
}

void writeLinkRows(const BookView& book, TableWriter& rs) {
  int64_t linkNo = 0;
  for (int type : {1, 2}) {
    for (const auto& source : book.linkSources(type)) {
      ++linkNo;
      rs.addNew();
      rs.set("BookNo", 1);
      rs.set("LinkNo", linkNo);
      rs.set("LinkType", type == 1 ? "Excel" : "OLE");
      rs.set("LinkMoto", vb::trim(cutText(source, 130, false)));
      rs.update();
    }
  }
}

const char* moduleClass(int componentType) {
  switch (componentType) {
    case 1: return "標準ﾓｼﾞｭｰﾙ";
    case 2: return "ｸﾗｽﾓｼﾞｭｰﾙ";
    case 3: return "ﾌｫｰﾑﾓｼﾞｭｰﾙ";
    default: return nullptr;
  }
}

// Clears the three tables and writes the rows of one run.
void inventory(RunContext& ctx, const BookView& book, AnalysisOutcome& out) {
  const int level = ctx.options.ObjectLevel;
  TableWriter bookRs(ctx.db, "T_XlBook");
  TableWriter objectRs(ctx.db, "T_XlObject");
  TableWriter linkRs(ctx.db, "T_XlLink");
  ctx.progress.showGauge(0);
  ctx.db.clearTable("T_XlBook");
  ctx.db.clearTable("T_XlObject");
  ctx.db.clearTable("T_XlLink");

  ctx.progress.setStatus("Book 情報　取得中");
  writeBookRow(ctx, book, bookRs, out);
  ctx.progress.showGauge(5);

  ctx.progress.setStatus("リンク情報　取得中");
  writeLinkRows(book, linkRs);

  if (level == 2 || level == 3) {
    ctx.progress.showGauge(8);
    ctx.progress.setStatus("セル情報　取得中");
    const auto sheets = sheetsToWalk(book.sheetNames());
    const auto total = static_cast<double>(sheets.size());
    int64_t objectNo = 0;
    for (const auto& sheet : sheets) {
      ++objectNo;
      const SheetCounts c = level == 3 ? detailedCounts(book, sheet.index) : simpleCounts(book, sheet.index);
      const UsedRangeSize used = book.usedRange(sheet.index);
      objectRs.addNew();
      objectRs.set("BookNo", 1);
      objectRs.set("objectNo", objectNo);
      objectRs.set("Class", "ﾜｰｸｼｰﾄ");
      objectRs.set("objectName", sheet.name);
      objectRs.set("Row", used.rows);
      objectRs.set("Col", used.cols);
      objectRs.set("CellCount", c.cellCount);
      objectRs.set("ErrCount", c.errCount);
      objectRs.set("ShapeCount", book.shapeCount(sheet.index));
      objectRs.set("CalCount", c.calCount);
      objectRs.set("StVisible", book.visibleValue(sheet.index));
      objectRs.set("ComentCount", c.comentCount);
      objectRs.update();
      ctx.progress.showGauge(static_cast<long>(RoundHalfUp(88.0 / total * static_cast<double>(sheet.ordinal) + 8, 0)));
    }
    ctx.progress.showGauge(96);
    ctx.progress.setStatus("ﾓｼﾞｭｰﾙ情報　取得中");
    for (const auto& component : book.components()) {
      const char* cls = moduleClass(component.type);
      if (!cls) continue;  // sheets' and the workbook's own modules get no row
      ++objectNo;
      objectRs.addNew();
      objectRs.set("BookNo", 1);
      objectRs.set("objectNo", objectNo);
      objectRs.set("Class", cls);
      objectRs.set("objectName", component.name);
      objectRs.update();
    }
  }
}

}  // namespace

std::string propertyDatesMessage() { return std::string("Excel97以外のバージョンで作成されています。") + "\r" + "作成日と印刷日は取得出来ません。"; }

std::string objectReportFor(int objectLevel) { return objectLevel == 2 || objectLevel == 3 ? "R_XlObject" : "R_XlBook"; }

SheetCounts detailedCounts(const BookView& book, std::size_t sheet) {
  SheetCounts c;
  int64_t nonEmpty = 0;
  book.visitUsedCells(sheet, [&](const UsedCell& cell) {
    if (cell.isErrorValue())
      ++c.errCount;
    else if (!cell.valueIsEmptyText())
      ++nonEmpty;
    if (cell.formulaStartsWithEquals()) ++c.calCount;
    if (cell.hasNote()) ++c.comentCount;
  });
  c.cellCount = c.errCount + nonEmpty;
  return c;
}

SheetCounts simpleCounts(const BookView& book, std::size_t sheet) {
  SheetCounts c;
  c.cellCount = book.usedRange(sheet).count();
  return c;
}

AnalysisOutcome runObjectInventory(RunContext& ctx, const BookView& book) {
  const int level = ctx.options.ObjectLevel;
  AnalysisOutcome out;
  out.report = objectReportFor(level);
  if (level == ctx.flags.fObj) return out;
  ctx.flags.fObj = 0;  // set again only when this run completes
  out.ran = true;

  runInTransaction(ctx.db, [&] { inventory(ctx, book, out); });
  ctx.flags.fObj = level;
  ctx.progress.setStatus("終了しました");
  ctx.progress.showGauge(100);
  return out;
}

}  // namespace zel::workbook
