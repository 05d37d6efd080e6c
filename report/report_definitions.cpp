// The table of every report: record source, order, grouping, columns and paper.
// Widths are millimetres on A4 with 12 mm margins (186 mm across portrait, 273 mm landscape);
// a width of 0 takes what is left.
#include "report/report_definition.h"

namespace zel::report {
namespace {

constexpr Align L = Align::Left;
constexpr Align C = Align::Center;
constexpr Align R = Align::Right;
constexpr Overflow Wrap = Overflow::Wrap;
constexpr Overflow Cut = Overflow::Cut;

// Excel's sheet visibility values as read (-1 visible, 0 hidden, 2 very hidden).
#define ZEL_VISIBLE_TEXT                                                                        \
  "CASE CAST(StVisible AS TEXT) WHEN '-1' THEN '表示' WHEN 'True' THEN '表示' WHEN '0' THEN '非表示' " \
  "WHEN 'False' THEN '非表示' WHEN '2' THEN '完全非表示' ELSE IFNULL(StVisible,'') END"
#define ZEL_KB(f) "CASE WHEN " f " IS NULL THEN '' ELSE printf('%.2f', " f ") END"
#define ZEL_MARK(f) "CASE WHEN IFNULL(" f ",0) <> 0 THEN '○' ELSE '' END"

SectionDef bookCard() {
  return {"ブック情報", SectionKind::Card,
          "SELECT BookNo, XFileName, " ZEL_KB("FileSize") " AS FileSizeKB, Title, SubTitle, Auther, Keywords, "
          "Comments, LastAuther, UpdateDate, PrintDate, CreateDate, Category, Manager, Company, Hyperlink "
          "FROM T_XlBook",
          "BookNo",
          {},
          {{"ファイル名", "XFileName"},
           {"ファイルサイズ(KB)", "FileSizeKB"},
           {"タイトル", "Title"},
           {"サブタイトル", "SubTitle"},
           {"作成者", "Auther"},
           {"キーワード", "Keywords"},
           {"コメント", "Comments"},
           {"最終保存者", "LastAuther"},
           {"更新日時", "UpdateDate"},
           {"印刷日時", "PrintDate"},
           {"作成日時", "CreateDate"},
           {"分類", "Category"},
           {"管理者", "Manager"},
           {"会社名", "Company"},
           {"ハイパーリンクの基点", "Hyperlink"}}};
}

SectionDef linkTable() {
  return {"リンク情報", SectionKind::Table, "SELECT LinkNo, LinkType, LinkMoto FROM T_XlLink", "BookNo, LinkNo",
          {},
          {{"No", "LinkNo", 14, R}, {"種類", "LinkType", 24, C}, {"リンク元", "LinkMoto", 0, L, Wrap}}};
}

std::vector<ReportDefinition> buildDefinitions() {
  std::vector<ReportDefinition> d;

  // ---- Cover page and binder labels (T_XlHyousi) ----
  const std::vector<ColumnDef> hyousiFields = {{"タイトル", "SysTitle"}, {"システム名", "SysName"},
                                               {"会社名", "Company"},   {"部署名", "Bumon"},
                                               {"作成者", "Auther"},    {"作成日", "CreateDate"}};
  const char* hyousiSql = "SELECT SysTitle, SysName, Company, Bumon, Auther, CreateDate FROM T_XlHyousi";
  d.push_back({"R_XlHyousi", "表紙", LayoutKind::Cover, Orientation::Portrait, 1,
               {{"", SectionKind::Card, hyousiSql, "rowid", {}, hyousiFields}}});
  d.push_back({"R_XlHyousiH", "ラベル(縦)", LayoutKind::SpineLabel, Orientation::Portrait, 1,
               {{"", SectionKind::Card, hyousiSql, "rowid", {}, hyousiFields}}});
  d.push_back({"R_XlHyousiW", "ラベル(横)", LayoutKind::WideLabel, Orientation::Portrait, 1,
               {{"", SectionKind::Card, hyousiSql, "rowid", {}, hyousiFields}}});

  // ---- Book, sheets, modules and links ----
  d.push_back({"R_XlBook", "ブック情報", LayoutKind::Table, Orientation::Portrait, 1, {bookCard(), linkTable()}});
  d.push_back(
      {"R_XlObject", "オブジェクト一覧", LayoutKind::Table, Orientation::Landscape, 1,
       {bookCard(),
        {"シート情報", SectionKind::Table,
         "SELECT objectNo, objectName, Row, Col, CellCount, ErrCount, ShapeCount, CalCount, ComentCount, "
         ZEL_VISIBLE_TEXT " AS VisibleText FROM T_XlObject WHERE Class = 'ﾜｰｸｼｰﾄ'",
         "objectNo",
         {},
         {{"No", "objectNo", 12, R},
          {"シート名", "objectName", 0, L, Wrap},
          {"行数", "Row", 20, R},
          {"列数", "Col", 20, R},
          {"セル数", "CellCount", 24, R, Cut, FontRole::Body, false, true},
          {"エラー数", "ErrCount", 22, R, Cut, FontRole::Body, false, true},
          {"図形数", "ShapeCount", 22, R, Cut, FontRole::Body, false, true},
          {"計算式数", "CalCount", 22, R, Cut, FontRole::Body, false, true},
          {"コメント数", "ComentCount", 24, R, Cut, FontRole::Body, false, true},
          {"表示状態", "VisibleText", 26, C}},
         true, true},
        {"モジュール情報", SectionKind::Table,
         "SELECT objectNo, Class, objectName FROM T_XlObject WHERE Class <> 'ﾜｰｸｼｰﾄ'", "objectNo",
         {},
         {{"No", "objectNo", 12, R}, {"種類", "Class", 40, L}, {"モジュール名", "objectName", 0, L, Wrap}}},
        linkTable()}});

  // ---- Cells ----
  d.push_back({"R_XlCalc", "計算式一覧", LayoutKind::Table, Orientation::Landscape, 1,
               {{"", SectionKind::Table, "SELECT objectNo, SheetMei, StCell, CalcName FROM T_XlCalc",
                 "objectNo, rowid",
                 {{"シート名：", {"objectNo", "SheetMei"}, {"SheetMei"}}},
                 {{"セル", "StCell", 22, L, Cut}, {"計算式", "CalcName", 0, L, Wrap, FontRole::Code}}}}});
  d.push_back({"R_XlCalcNote", "セルコメント一覧", LayoutKind::Table, Orientation::Landscape, 1,
               {{"", SectionKind::Table, "SELECT objectNo, SheetMei, StCell, CalcName, NoteName FROM T_XlCalc",
                 "objectNo, rowid",
                 {{"シート名：", {"objectNo", "SheetMei"}, {"SheetMei"}}},
                 {{"セル", "StCell", 22, L, Cut},
                  {"計算式", "CalcName", 110, L, Wrap, FontRole::Code},
                  {"コメント", "NoteName", 0, L, Wrap}}}}});

  // ---- Shapes, names, files, add-ins ----
  d.push_back({"R_XlShape", "図形一覧", LayoutKind::Table, Orientation::Landscape, 1,
               {{"", SectionKind::Table,
                 "SELECT objectNo, SheetName, ShapeName, ShapeType, IbentType, MacroName, ForeColor, LineStyle, "
                 "TextName FROM T_XlShape",
                 "objectNo, rowid",
                 {{"シート名：", {"objectNo", "SheetName"}, {"SheetName"}}},
                 {{"図形名", "ShapeName", 44, L, Wrap},
                  {"種類", "ShapeType", 26, L, Cut},
                  {"イベント", "IbentType", 18, C, Cut},
                  {"マクロ名", "MacroName", 50, L, Wrap},
                  {"色(RGB)", "ForeColor", 22, R, Cut},
                  {"線種", "LineStyle", 26, L, Cut},
                  {"テキスト", "TextName", 0, L, Wrap}}}}});
  d.push_back({"R_XlName", "名前一覧", LayoutKind::Table, Orientation::Portrait, 1,
               {{"", SectionKind::Table, "SELECT LabelName, SheetMei, StCell FROM T_XlName", "rowid",
                 {},
                 {{"名前", "LabelName", 60, L, Wrap},
                  {"シート名", "SheetMei", 44, L, Wrap},
                  {"参照範囲", "StCell", 0, L, Wrap}}}}});
  d.push_back({"R_XlFile", "ファイル一覧", LayoutKind::Table, Orientation::Landscape, 1,
               {{"", SectionKind::Table,
                 "SELECT FileNo, XFileName, " ZEL_KB("FileSize") " AS FileSizeKB, UpdateDate, "
                 ZEL_MARK("ReadOnly") " AS ReadOnlyMark, FilePath FROM T_XlFile",
                 "FileNo, rowid",
                 {},
                 {{"No", "FileNo", 12, R},
                  {"ファイル名", "XFileName", 70, L, Wrap},
                  {"サイズ(KB)", "FileSizeKB", 26, R, Cut},
                  {"更新日時", "UpdateDate", 38, C, Cut},
                  {"読取専用", "ReadOnlyMark", 18, C, Cut},
                  {"フォルダ", "FilePath", 0, L, Wrap}}}}});
  d.push_back({"R_XlAddin", "アドイン一覧", LayoutKind::Table, Orientation::Landscape, 1,
               {{"", SectionKind::Table,
                 "SELECT FileNo, objectName, Name, Title, " ZEL_MARK("Installed") " AS InstalledMark, "
                 ZEL_KB("FileSize") " AS FileSizeKB, UpdateDate, " ZEL_MARK("ReadOnly") " AS ReadOnlyMark, "
                 "FullName FROM T_XlAddin",
                 "FileNo, rowid",
                 {{"シート名：", {"objectName"}, {"objectName"}}},
                 {{"No", "FileNo", 12, R},
                  {"アドイン名", "Name", 44, L, Wrap},
                  {"タイトル", "Title", 50, L, Wrap},
                  {"組込", "InstalledMark", 12, C, Cut},
                  {"サイズ(KB)", "FileSizeKB", 24, R, Cut},
                  {"更新日時", "UpdateDate", 36, C, Cut},
                  {"読取専用", "ReadOnlyMark", 16, C, Cut},
                  {"フルパス", "FullName", 0, L, Wrap}}}}});

  // ---- Procedures, with their declarations and calls under each ----
  // Procedure rows and the T_XlDimCall rows of the same procedure are flattened into one list:
  // Part = 0 for the procedure, 1 for its declarations and calls.
  const char* procSql =
      "SELECT p.objectNo AS objectNo, p.ProcedureNo AS ProcedureNo, p.objectName AS objectName, "
      "IFNULL(p.ProcedureName, IFNULL(p.Object, '')) AS SortName, 0 AS Part, 0 AS Line, 'em' AS RowStyle, "
      "IFNULL(p.ProcedureName, IFNULL(p.Object, '')) AS NameText, "
      "CASE WHEN p.ProcedureName IS NULL THEN '' ELSE IFNULL(p.Object, '') END AS KindText, "
      "IFNULL(p.PrivatePublic, '') AS ScopeText, IFNULL(p.Type, '') AS TypeText, "
      "IFNULL(p.Parameters, '') AS ParamText, IFNULL(p.\"As\", '') AS AsText, '' AS LineText "
      "FROM T_XlProcName p "
      "UNION ALL "
      "SELECT d.objectNo, d.ProcedureNo, IFNULL(p.objectName, ''), "
      "IFNULL(p.ProcedureName, IFNULL(p.Object, '')), 1, d.Line, '', "
      "'', IFNULL(d.Bunrui, ''), '', IFNULL(d.Type, ''), IFNULL(d.Parameters, ''), IFNULL(d.\"As\", ''), "
      "CAST(d.Line AS TEXT) "
      "FROM T_XlDimCall d LEFT JOIN T_XlProcName p ON p.objectNo = d.objectNo AND p.ProcedureNo = d.ProcedureNo";
  const std::vector<ColumnDef> procColumns = {{"No", "ProcedureNo", 12, R, Cut, FontRole::Body, true},
                                              {"プロシージャ名", "NameText", 52, L, Wrap},
                                              {"種別", "KindText", 30, L, Cut},
                                              {"範囲", "ScopeText", 16, L, Cut},
                                              {"区分", "TypeText", 28, L, Cut},
                                              {"引数・宣言内容", "ParamText", 0, L, Wrap, FontRole::Code},
                                              {"戻り値・コメント", "AsText", 44, L, Wrap},
                                              {"行", "LineText", 14, R, Cut}};
  d.push_back({"R_ModuleList", "プロシージャ一覧", LayoutKind::Table, Orientation::Landscape, 1,
               {{"", SectionKind::Table, procSql, "objectNo, ProcedureNo, Part, Line",
                 {{"モジュール名：", {"objectNo", "objectName"}, {"objectName"}}},
                 procColumns, true, false, "RowStyle"}}});
  std::vector<ColumnDef> proc50Columns = procColumns;
  proc50Columns.insert(proc50Columns.begin() + 2, {"モジュール名", "objectName", 34, L, Wrap});
  proc50Columns[0].hideDuplicates = false;  // numbers repeat across modules in this order
  d.push_back({"R_ModuleList50", "プロシージャ一覧（五十音順）", LayoutKind::Table, Orientation::Landscape, 1,
               {{"", SectionKind::Table, procSql,
                 "SortName COLLATE JAPANESE, objectName COLLATE JAPANESE, objectNo, ProcedureNo, Part, Line",
                 {},
                 proc50Columns, true, false, "RowStyle"}}});

  // ---- Variables, constants and user-defined types ----
  auto hensu = [](const char* name, const char* title, const char* recordSource) {
    return ReportDefinition{
        name, title, LayoutKind::Table, Orientation::Landscape, 1,
        {{"", SectionKind::Table,
          recordSource,
          "objectNo, rowid",
          {{"モジュール名：", {"objectNo", "objectName"}, {"objectName"}}},
          {{"プロシージャ名", "ProcedureName", 50, L, Wrap, FontRole::Body, true},
           {"名前", "HensuName", 50, L, Wrap},
           {"宣言", "Property", 18, L, Cut},
           {"型・値", "Type", 60, L, Wrap, FontRole::Code},
           {"行", "Line", 14, R, Cut},
           {"説明", "Description", 0, L, Wrap}}}}};
  };
  d.push_back(hensu("R_XlHensuU", "定義型一覧",
                    "SELECT objectNo, objectName, ProcedureName, HensuName, Property, Type, Line, Description "
                    "FROM T_XlHensu WHERE Bunrui = '定義'"));
  d.push_back(hensu("R_XlHensuT", "定数一覧",
                    "SELECT objectNo, objectName, ProcedureName, HensuName, Property, Type, Line, Description "
                    "FROM T_XlHensu WHERE Bunrui = '定数'"));
  d.push_back(hensu("R_XlHensuH", "変数一覧",
                    "SELECT objectNo, objectName, ProcedureName, HensuName, Property, Type, Line, Description "
                    "FROM T_XlHensu WHERE Bunrui = '変数'"));

  // ---- Source listings: two columns (R_SourceList, R_SourceList50), one column (R_SourceList1,
  // R_SourceList150); the "50" variants order modules and procedures by the syllabary ----
  const char* sourceSql =
      "SELECT objectNo, objectName, ProcedureNo, IFNULL(ProcedureName, '') AS ProcedureName, Line, "
      "\"Procedure\" AS SourceText FROM T_XlSource";
  const char* sourceOrder = "objectNo, Line, rowid";
  const char* sourceOrder50 =
      "objectName COLLATE JAPANESE, objectNo, ProcedureName COLLATE JAPANESE, ProcedureNo, Line, rowid";
  const std::vector<GroupDef> sourceGroups = {
      {"モジュール名：", {"objectNo", "objectName"}, {"objectName"}},
      {"■ ", {"ProcedureNo", "ProcedureName"}, {"ProcedureName"}}};
  const std::vector<ColumnDef> twoColumn = {{"行", "Line", 12, R, Cut, FontRole::Code},
                                            {"ソース", "SourceText", 0, L, Wrap, FontRole::Code}};
  const std::vector<ColumnDef> oneColumn = {{"行", "Line", 14, R, Cut, FontRole::Code},
                                            {"ソース", "SourceText", 0, L, Wrap, FontRole::Code}};
  d.push_back({"R_SourceList", "モジュールリスト", LayoutKind::Table, Orientation::Landscape, 2,
               {{"", SectionKind::Table, sourceSql, sourceOrder, sourceGroups, twoColumn, false}}});
  d.push_back({"R_SourceList50", "モジュールリスト（五十音順）", LayoutKind::Table, Orientation::Landscape, 2,
               {{"", SectionKind::Table, sourceSql, sourceOrder50, sourceGroups, twoColumn, false}}});
  d.push_back({"R_SourceList150", "モジュールリスト（五十音順）", LayoutKind::Table, Orientation::Portrait, 1,
               {{"", SectionKind::Table, sourceSql, sourceOrder50, sourceGroups, oneColumn, false}}});
  d.push_back({"R_SourceList1", "モジュールリスト", LayoutKind::Table, Orientation::Portrait, 1,
               {{"", SectionKind::Table, sourceSql, sourceOrder, sourceGroups, oneColumn, false}}});

  // ---- Step counts, comments, cross-reference ----
  d.push_back({"R_XlModStep", "モジュールステップ一覧", LayoutKind::Table, Orientation::Portrait, 1,
               {{"", SectionKind::Table,
                 "SELECT objectNo, Object, objectName, ProcedureNo, ProcedureName, ComentCnt, SpaceCnt, ProcCnt, "
                 "TotalCnt FROM T_XlModStep",
                 "objectNo, ProcedureNo, rowid",
                 {{"", {"objectNo", "objectName"}, {"Object", "objectName"}, true}},
                 {{"No", "ProcedureNo", 12, R, Cut},
                  {"プロシージャ名", "ProcedureName", 0, L, Wrap},
                  {"コメント行", "ComentCnt", 22, R, Cut, FontRole::Body, false, true},
                  {"空白行", "SpaceCnt", 22, R, Cut, FontRole::Body, false, true},
                  {"実行行", "ProcCnt", 22, R, Cut, FontRole::Body, false, true},
                  {"合計行", "TotalCnt", 22, R, Cut, FontRole::Body, false, true}},
                 true, true}}});
  d.push_back({"R_XlComment", "コメント一覧", LayoutKind::Table, Orientation::Portrait, 1,
               {{"", SectionKind::Table,
                 "SELECT Object, objectNo, ProcedureNo, objectName, ProcedureName, Comment FROM T_XlComment",
                 "objectNo, ProcedureNo, rowid",
                 {{"", {"objectNo", "objectName"}, {"Object", "objectName"}}},
                 {{"No", "ProcedureNo", 14, R, Cut},
                  {"プロシージャ名", "ProcedureName", 46, L, Wrap, FontRole::Body, true},
                  {"コメント", "Comment", 0, L, Wrap}}}}});
  d.push_back({"R_XlLinkProc", "引用先一覧", LayoutKind::Table, Orientation::Portrait, 1,
               {{"", SectionKind::Table,
                 "SELECT objectNo, objectName, \"Procedure\" AS CallerName, LinkProcedure, MotoName, ProcedureNo "
                 "FROM T_XlLinkModule",
                 "objectNo, rowid",
                 {{"モジュール名：", {"objectNo", "objectName"}, {"objectName"}}},
                 {{"呼出元プロシージャ", "CallerName", 56, L, Wrap, FontRole::Body, true},
                  {"引用先プロシージャ", "LinkProcedure", 56, L, Wrap},
                  {"定義モジュール", "MotoName", 0, L, Wrap},
                  {"No", "ProcedureNo", 14, R, Cut}}}}});

  // ---- Entry-point map (T_XlEntry, T_XlReach) ----
  d.push_back({"R_XlEntry", "起動経路一覧", LayoutKind::Table, Orientation::Landscape, 1,
               {{"", SectionKind::Table,
                 "SELECT EntryNo, KindNo, Kind, Location, Place, CASE WHEN Line IS NULL THEN '' ELSE Line END AS LineText, "
                 "StartType, Target, IFNULL(TargetModule, '') AS TargetModule, "
                 "CASE WHEN KindNo = 5 THEN '(Excel 4 マクロ)' WHEN IFNULL(Found, 0) <> 0 THEN TargetProcedure "
                 "ELSE '見つかりません' END AS TargetText, "
                 "CASE WHEN KindNo <> 5 AND IFNULL(Found, 0) = 0 THEN 'em' ELSE '' END AS Style FROM T_XlEntry",
                 "KindNo, EntryNo",
                 {{"", {"KindNo"}, {"Kind"}}},
                 {{"場所", "Location", 46, L, Wrap, FontRole::Body, true},
                  {"図形・名前・プロシージャ", "Place", 52, L, Wrap},
                  {"行", "LineText", 12, R, Cut},
                  {"起動条件", "StartType", 46, L, Wrap},
                  {"指定された名前", "Target", 0, L, Wrap, FontRole::Code},
                  {"モジュール", "TargetModule", 38, L, Wrap},
                  {"実行されるプロシージャ", "TargetText", 44, L, Wrap}},
                 true, false, "Style"}}});
  d.push_back({"R_XlUnused", "未使用プロシージャ一覧", LayoutKind::Table, Orientation::Portrait, 1,
               {{"", SectionKind::Card,
                 "SELECT 'どの起動経路（ボタン・図形、自動実行、イベント、名前指定の起動）からも呼び出しをたどって"
                 "到達しないプロシージャです。Application.Run に計算した名前を渡す呼び出し、CallByName、"
                 "その他の遅延バインディングによる呼び出しは見えないため、ここに挙がっていても使われている"
                 "ことがあります。' AS Note",
                 "",
                 {},
                 {{"注意", "Note"}},
                 false},
                {"", SectionKind::Table,
                 "SELECT objectNo, objectName, Object, ProcedureName, Line FROM T_XlReach WHERE IFNULL(Reached, 0) = 0",
                 "objectNo, Line, rowid",
                 {{"モジュール名：", {"objectNo", "objectName"}, {"objectName", "Object"}}},
                 {{"プロシージャ名", "ProcedureName", 0, L, Wrap}, {"行", "Line", 20, R, Cut}}}}});
  return d;
}

}  // namespace

const std::vector<ReportDefinition>& reportDefinitions() {
  static const std::vector<ReportDefinition> defs = buildDefinitions();
  return defs;
}

const ReportDefinition* findReport(std::string_view name) {
  for (const auto& def : reportDefinitions())
    if (name == def.name) return &def;
  return nullptr;
}

std::string sectionSql(const SectionDef& section) {
  std::string sql = section.recordSource;
  if (section.orderBy && *section.orderBy) sql += std::string(" ORDER BY ") + section.orderBy;
  return sql;
}

}  // namespace zel::report
