// The name list: StCell from the referred range's address, SheetMei from the reference text.
#include "workbook/name_list.h"

#include "core/vbstring.h"
#include "workbook/analysis_run.h"
#include "workbook/text_rules.h"

namespace zel::workbook {
namespace {

// The characters between the leading "=" and the first "!" of the reference text; "" when the
// text names no sheet (a constant such as "=0.05").
std::string sheetPartOf(const std::string& refersTo) {
  const std::u16string text = toU16(refersTo);
  const long p = vb::inStr(text, u"!");
  if (p < 2) return {};
  return toU8(vb::mid(text, 2, p - 2));
}

}  // namespace

AnalysisOutcome runNameList(RunContext& ctx, const BookView& book) {
  AnalysisOutcome out;
  out.ran = true;
  out.report = "R_XlName";
  ctx.flags.fNam = 0;

  runInTransaction(ctx.db, [&] {
    TableWriter rs(ctx.db, "T_XlName");
    ctx.progress.showGauge(0);
    ctx.progress.setStatus("名前情報　取得中");
    ctx.db.clearTable("T_XlName");

    const auto names = book.names();
    const GaugeStepper gauge(static_cast<int64_t>(names.size()));
    int64_t i = 0;
    for (const auto& name : names) {
      ++i;
      if (name.name.find('!') == std::string::npos) {
        rs.addNew();
        rs.set("StCell", name.rangeAddress ? cutText(StripAll(*name.rangeAddress, "$"), 200, false) : std::string());
        rs.set("LabelName", name.name);
        rs.set("SheetMei", sheetPartOf(name.refersTo));
        rs.update();
      }
      ctx.progress.showGauge(gauge.percentAfter(i));
    }
  });

  ctx.flags.fNam = 1;
  ctx.progress.setStatus("終了しました");
  ctx.progress.showGauge(100);
  return out;
}

}  // namespace zel::workbook
