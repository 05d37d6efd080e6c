// Module-file reading, statement joining and the shared cuts (GetProcName, PriPubDel).
#include "source/module_files.h"
#include "source/procedure_rules.h"
#include "source/source_text.h"
#include "support/temp_dir.h"

#include "core/vb_error.h"
#include "core/vbstring.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zel::source {
namespace {

std::string u8(U16V s) { return toU8(s); }

TEST(GetProcName, DeclarationShapes) {
  struct Case { U16 line; const char* name; };
  const Case cases[] = {
      {u"Sub Main", "ERROR"},
      {u"x = 1", "ERROR"},
      {u"Exit Sub ' done", "ERROR"},
      // Another word before the keyword: cut exactly at the marker.
      {u"Friend Sub Reset(ByVal n As Long)", "Reset"},
      {u"Sub 集計処理(ByVal 行 As Long)", "集計処理"},
      // The marker before the name's start is an error, not a negative cut.
      {u"x = (a) + Sub y", "ERROR"},
      // "Lib " is searched in its own case only.
      {u"Function LIBrary(x)", "LIBrary"},
      // An indented scoped header: the cut from the 8th character still finds the name.
      {u"    Private Sub X()", "X"},
      // Only the first 255 characters of the body are looked at.
      {u"Sub " + U16(300, u'a') + u"()", "ERROR"},
  };
  for (const auto& c : cases) EXPECT_EQ(u8(GetProcName(c.line)), c.name) << u8(c.line);
}

TEST(PriPubDel, ScopeAndCut) {
  struct Case { const char16_t* line; const char* scope; const char* rest; };
  const Case cases[] = {
      {u"Private Function F() As Long", "Private", "Function F() As Long"},
      {u"Function F()", "Public", "Function F()"},
      // The scope word found anywhere cuts seven characters even when it is not first.
      {u"Sub Foo(ByVal isPublic As Boolean)", "Public", "(ByVal isPublic As Boolean)"},
  };
  for (const auto& c : cases) {
    ScopeCut cut = PriPubDel(c.line);
    EXPECT_STREQ(cut.privatePublic, c.scope) << c.rest;
    EXPECT_EQ(u8(cut.rest), c.rest);
  }
}

TEST(PriPubDel2, CutsOnlyALeadingScopeWord) {
  EXPECT_EQ(u8(PriPubDel2(u"  Private Sub A()")), "Sub A()");
  EXPECT_EQ(u8(PriPubDel2(u"Public Function B()")), "Function B()");
  EXPECT_EQ(u8(PriPubDel2(u"Friend Sub C()")), "Friend Sub C()");
  EXPECT_EQ(vb::len(PriPubDel2(U16(600, u'x'))), 512);
}

TEST(ModuleText, LineEndingsAndEncodings) {
  auto lines = [](std::string_view text) {
    std::vector<std::string> out;
    ModuleText t = ModuleText::fromUtf8(text);
    U16V l;
    for (LineCursor c(t); c.next(l);) out.push_back(toU8(l));
    return out;
  };
  EXPECT_TRUE(lines("").empty());
  EXPECT_EQ(lines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(lines("a\nb"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(lines("a\rb\r\n\r\nc"), (std::vector<std::string>{"a", "b", "", "c"}));

  test::TempDir dir;
  // CP932 bytes (not UTF-8) for "' 日本" are read as CP932.
  test::writeFile(dir.file("a.bas"), std::string("' \x93\xfa\x96\x7b\r\n", 8));
  ModuleText t = ModuleText::read({dir.file("a.bas"), "a.bas"});
  LineCursor cursor(t);
  // A moved text keeps the cursor's view valid.
  ModuleText moved = std::move(t);
  U16V line;
  ASSERT_TRUE(cursor.next(line));
  EXPECT_EQ(toU8(line), "' 日本");
  EXPECT_FALSE(cursor.next(line));

  EXPECT_THROW(ModuleText::read({dir.file("missing.bas"), "missing.bas"}), VbError);
  // A file over the size limit is refused with a message, not read.
  {
    std::ofstream big(dir.file("big.bas"), std::ios::binary);
    big.seekp(static_cast<std::streamoff>(kMaxModuleFileBytes));
    big.put('x');
  }
  try {
    ModuleText::read({dir.file("big.bas"), "big.bas"});
    FAIL() << "expected a VbError";
  } catch (const VbError& e) {
    EXPECT_NE(std::string(e.what()).find("big.bas"), std::string::npos);
  }
}

TEST(ModuleFiles, ListingOrderKindsAndRunningNumbers) {
  test::TempDir dir;
  for (const char* n : {"b.bas", "A.BAS", "c.cls", "a.bas", "x.basx", "noext", "s.sht"}) test::writeFile(dir.file(n), "");
  std::filesystem::create_directories(dir.file("sub.bas"));
  auto listed = [&](ModuleSelection selection) {
    std::vector<std::string> out;
    for (const auto& m : listModules(dir.str(), selection))
      out.push_back(m.file.name + ":" + (m.kind ? m.kind->extension : "-") + ":" + std::to_string(m.objectNo));
    return out;
  };
  using V = std::vector<std::string>;
  // Kind by kind, each kind's files by name with the extension's case ignored, numbered on.
  EXPECT_EQ(listed(ModuleSelection::allKinds()), (V{"A.BAS:bas:1", "a.bas:bas:2", "b.bas:bas:3", "c.cls:cls:4", "s.sht:sht:5"}));
  EXPECT_EQ(listed(ModuleSelection::only(ModuleKind::Class)), (V{"c.cls:cls:1"}));
  // Every file by name; the kind comes from the last three characters in their exact case.
  EXPECT_EQ(listed(ModuleSelection::everyFile()),
            (V{"A.BAS:-:1", "a.bas:bas:2", "b.bas:bas:3", "c.cls:cls:4", "noext:-:5", "s.sht:sht:6", "x.basx:-:7"}));
  EXPECT_TRUE(listModules(dir.file("nowhere"), ModuleSelection::allKinds()).empty());
}

std::vector<std::pair<std::string, long>> joined(std::string_view text) {
  ModuleText t = ModuleText::fromUtf8(text);
  StatementReader reader(t);
  JoinedStatement st;
  std::vector<std::pair<std::string, long>> out;
  while (reader.next(st)) out.emplace_back(toU8(st.text), st.line);
  return out;
}

// Joining and line numbers of ordinary continuations are checked through the procedure list.
TEST(StatementReader, JoinsContinuedLines) {
  using V = std::vector<std::pair<std::string, long>>;
  // " _" inside a string literal continues the line too, dropping its last character.
  EXPECT_EQ(joined("s = \"a _b\"\r\nx\r\n"), (V{{"s = \"a _bx", 2}}));
  // A file ending on a continued line hands over what it has.
  EXPECT_EQ(joined("Dim a, _\r\n"), (V{{"Dim a, ", 1}}));
  EXPECT_TRUE(joined("").empty());
  EXPECT_EQ(joined("\r\n"), (V{{"", 1}}));
}

TEST(TypeSelect, KindsParametersAndAs) {
  // The common headers are checked through the procedure list; here the edges.
  auto t = [](const char* s) { return TypeSelect(toU16(s)); };
  ProcTypeFields f = t("Declare Sub Sleep Lib \"kernel32\" (ByVal ms As Long)");
  EXPECT_EQ(u8(*f.type), "Declare Sub");
  EXPECT_EQ(u8(*f.parameters), "ByVal ms As Long");

  // One or two characters of parameters are stored as Null.
  EXPECT_FALSE(t("Sub A(ab)").parameters);
  EXPECT_EQ(u8(*t("Sub A(abc )").parameters), "abc");
  // 150 characters or more: neither Parameters nor As.
  f = t(("Function F(" + std::string(150, 'p') + ") As Long").c_str());
  EXPECT_FALSE(f.parameters);
  EXPECT_FALSE(f.as);
  f = t(("Function F(" + std::string(149, 'p') + ") As Long").c_str());
  EXPECT_TRUE(f.parameters);
  // A parenthesis before the least position, and a ")" before "(", write nothing more.
  EXPECT_FALSE(t("(x) Sub A(abc)").parameters);
  EXPECT_FALSE(t("Sub A) (abc").parameters);
  // Not recognised at all.
  EXPECT_FALSE(t("(ByVal isPublic As Boolean)").type);
}

TEST(DCCGFields, DeclaredTextAndComment) {
  struct Case { const char* stmt; int kind; const char* bunrui; const char* type; const char* params; const char* as; };
  const Case cases[] = {
      {"Private Const MAX_ROW = 100", 5, "定数", "Const", "MAX_ROW = 100", nullptr},
      {"Private Type Point", 3, "定義", "Private", "Point", nullptr},
      {"Global Const X = 1", 5, "定数", "Const", "X = 1", nullptr},
      {"Global gX As Long", 1, "変数", "Global", "gX As Long", nullptr},
      // A quote inside a string literal is the comment mark.
      {"Call Show(\"it's\")", 6, "呼出", "Call", "Show(\"it", "s\")"},
      // The blank after the quote mark stays.
      {"Dim s As String '  名前 ", 4, "変数", "Dim", "s As String", "  名前"},
      // A Call whose comment holds "dim " is a Dim row, cut by the fixed count.
      {"Call Foo ' dim x", 4, "変数", "Dim", "x", " dim x"},
      // Const counts from its own start: a keyword only inside the comment gives no text.
      {"Call Foo 'const x", 5, "定数", "Const", "", "const x"},
      // Private Type with a comment: the fixed count takes in the comment mark.
      {"Private Type Point 'pt", 3, "定義", "Private", "Point 'pt", "pt"},
  };
  for (const auto& c : cases) {
    auto f = DCCGFields(toU16(c.stmt));
    ASSERT_TRUE(f) << c.stmt;
    EXPECT_EQ(f->dimCall, c.kind) << c.stmt;
    EXPECT_STREQ(f->bunrui, c.bunrui) << c.stmt;
    EXPECT_STREQ(f->type, c.type) << c.stmt;
    EXPECT_EQ(u8(f->parameters), c.params) << c.stmt;
    if (c.as) {
      ASSERT_TRUE(f->as) << c.stmt;
      EXPECT_EQ(u8(*f->as), c.as) << c.stmt;
    } else {
      EXPECT_FALSE(f->as) << c.stmt;
    }
  }
  EXPECT_FALSE(DCCGFields(u"x = 1"));
}

}  // namespace
}  // namespace zel::source
