// The shape list: one row per listed shape, in sheet order and shape index order.
#include "workbook/shape_list.h"

#include <optional>
#include <type_traits>

#include "core/vbstring.h"
#include "workbook/analysis_run.h"
#include "workbook/shape_labels.h"
#include "workbook/sheet_walk.h"

namespace zel::workbook {
namespace {

using xls::drawing::Shape;

constexpr long kMacroNameChars = 255;

// Restores a sheet's protection as it was, also when the walk fails.
class ProtectionGuard {
 public:
  explicit ProtectionGuard(xls::Worksheet& sheet)
      : sheet_(sheet), contents_(sheet.protectContents()), objects_(sheet.protectDrawingObjects()),
        scenarios_(sheet.protectScenarios()) {
    // Without a password the sheet is unprotected for its walk; with one it is read as it is
    // (Unprotect would fail) and never unprotected.
    if (contents_ && !sheet.protectionHasPassword()) {
      sheet.unprotect();
      reprotect_ = true;
    }
  }
  ~ProtectionGuard() {
    if (reprotect_) sheet_.protect(objects_, contents_, scenarios_);
  }
  ProtectionGuard(const ProtectionGuard&) = delete;
  ProtectionGuard& operator=(const ProtectionGuard&) = delete;

 private:
  xls::Worksheet& sheet_;
  bool contents_, objects_, scenarios_;
  bool reprotect_ = false;
};

struct SheetRows {
  RunContext& ctx;
  TableWriter& rs;
  long objectNo;
  const std::string& sheetName;

  // One shape, addressed by itself (never looked up again by its name).
  void add(const Shape& shape) {
    const int option = ctx.options.ShapeOption;
    const std::string name = vb::rtrim(shape.name);
    const std::string action = vb::rtrim(shape.onAction);
    std::string kindLabel = ShapeKindLabel(name);
    if (kindLabel == "ERROR") {
      // A shape with a macro is listed whatever its name: labelled by its object kind.
      if (action.empty()) return;
      kindLabel = objectKindLabel(shape.objectKind);
    }
    if (option == 1 && action.empty()) return;
    if (option == 3 && shape.objectKind == xls::drawing::kind::Note) return;

    rs.addNew();
    rs.set("objectNo", objectNo);
    rs.set("SheetName", sheetName);
    rs.set("ControlName", name);
    rs.set("ShapeName", name);
    rs.set("ShapeType", kindLabel);
    if (!action.empty()) {
      rs.set("IbentType", "ｸﾘｯｸ時");
      rs.set("MacroName", cutText(macroNameOf(action), kMacroNameChars));
    }
    // A shape without fill has no foreground colour to give.
    if (shape.filled && shape.foreColor) rs.set("ForeColor", vb::rtrim(std::to_string(*shape.foreColor)));
    rs.set("LineStyle", LineStyleLabel(borderLineOfDashStyle(shape.dashStyle, shape.lined)));
    if (FillCheck(name) != "ERROR" && shape.hasText) rs.set("TextName", shape.text);
    rs.set("Label", option);
    rs.update();
  }

  // Members of a group that carry a macro, after their group (nested groups followed).
  void addMacroMembers(const Shape& group) {
    for (const Shape& m : group.members) {
      if (!vb::rtrim(m.onAction).empty()) add(m);
      addMacroMembers(m);
    }
  }
};

}  // namespace

std::string macroNameOf(const std::string& onAction) {
  const std::u16string text = toU16(onAction);
  const long p = vb::inStrRev(text, u"!");
  if (p < 1) return onAction;
  return toU8(text.substr(static_cast<size_t>(p)));
}

namespace {

// The run on a workbook the caller may change (Activate, Unprotect/Protect as Excel is asked
// to) or only read: the rows are the same, as the protection ends as it began.
template <class Book>
AnalysisOutcome listShapes(RunContext& ctx, Book& book) {
  AnalysisOutcome out;
  out.report = "R_XlShape";
  const int option = ctx.options.ShapeOption;
  if (option != ctx.flags.fShp) {
    out.ran = true;
    ctx.flags.fShp = 0;  // set again only when this run completes
    int unreadable = 0;
    std::vector<std::string> unreadableSheets;
    runInTransaction(ctx.db, [&] {
      TableWriter rs(ctx.db, "T_XlShape");
      ctx.progress.showGauge(0);
      ctx.progress.setStatus("図形情報　取得中");
      ctx.db.clearTable("T_XlShape");

      std::vector<std::string> names;
      for (int i = 1; i <= book.sheetCount(); ++i) names.push_back(book.sheet(i).name());
      const auto sheets = sheetsToWalk(names);
      const auto total = static_cast<double>(sheets.size());
      for (const auto& walked : sheets) {
        auto& sheet = book.sheet(static_cast<int>(walked.index) + 1);
        std::optional<ProtectionGuard> protection;
        if constexpr (!std::is_const_v<Book>) {
          sheet.activate();
          protection.emplace(sheet);
        }
        SheetRows rows{ctx, rs, walked.ordinal, walked.name};
        for (const Shape& shape : sheet.drawing().shapes) {
          rows.add(shape);
          rows.addMacroMembers(shape);
        }
        protection.reset();
        if (sheet.drawing().unreadable > 0) {
          unreadable += sheet.drawing().unreadable;
          unreadableSheets.push_back(walked.name);
        }
        ctx.progress.showGauge(static_cast<long>(RoundHalfUp(100.0 / total * static_cast<double>(walked.ordinal), 0)));
      }
    });
    if (unreadable > 0) {
      std::string sheetsText;
      for (const auto& s : unreadableSheets) sheetsText += (sheetsText.empty() ? "" : "、") + s;
      reachMessage(ctx.progress, out, {"読み取れない図形が " + std::to_string(unreadable) + " 個ありました。\r" + "シート: " + sheetsText, "Zelvarin"});
    }
  }
  ctx.flags.fShp = option;
  ctx.progress.setStatus("終了しました");
  ctx.progress.showGauge(100);
  return out;
}

}  // namespace

AnalysisOutcome runShapeList(RunContext& ctx, xls::Workbook& book) { return listShapes(ctx, book); }
AnalysisOutcome runShapeList(RunContext& ctx, const xls::Workbook& book) { return listShapes(ctx, book); }

}  // namespace zel::workbook
