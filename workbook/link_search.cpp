// The link-source search over every walked sheet's used range.
#include "workbook/link_search.h"

#include "core/vbstring.h"
#include "workbook/analysis_run.h"
#include "workbook/sheet_walk.h"
#include "workbook/text_rules.h"

namespace zel::workbook {

AnalysisOutcome runLinkSearch(RunContext& ctx, const BookView& book, const std::string& linkSource) {
  AnalysisOutcome out;
  out.ran = true;
  out.report = "R_XlCalc";
  ctx.flags.fCel = 0;

  runInTransaction(ctx.db, [&] {
    TableWriter rs(ctx.db, "T_XlCalc");
    ctx.progress.showGauge(0);
    ctx.db.clearTable("T_XlCalc");
    ctx.progress.setStatus("リンク先を検索中...");

    // A UTF-8 substring match is the same as a UTF-16 one: a valid needle only matches whole characters.
    const std::string wanted = LinkRefText(linkSource);
    const auto sheets = sheetsToWalk(book.sheetNames());
    const auto total = static_cast<double>(sheets.size());
    for (const auto& sheet : sheets) {
      book.visitUsedCells(sheet.index, [&](const UsedCell& cell) {
        if (!cell.formulaStartsWithEquals()) return;
        const std::string formula = cell.formulaText();
        if (formula.find(wanted) == std::string::npos) return;
        rs.addNew();
        rs.set("Label", kLinkSearchLabel);
        rs.set("SheetMei", sheet.name);
        rs.set("objectNo", sheet.ordinal);
        rs.set("StCell", StripAll(cell.address(), "$"));
        rs.set("CalcName", vb::trim(formula));
        rs.update();
      });
      ctx.progress.showGauge(static_cast<long>(RoundHalfUp(100.0 / total * static_cast<double>(sheet.ordinal), 0)));
    }
  });

  ctx.progress.setStatus("終了しました");
  ctx.progress.showGauge(100);
  return out;
}

}  // namespace zel::workbook
