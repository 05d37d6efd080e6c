// Macro projects made by the test builder: a locked project, a password without the lock, a
// Japanese (CP932) project, a form, hostile and duplicate names, and damaged modules.
#include "support/temp_dir.h"
#include "support/vba_builder.h"
#include "xls/compound_file.h"
#include "xls/vba/module_limits.h"
#include "xls/vba/vba_format_error.h"
#include "xls/vba/vba_project.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace zel;
using namespace zel::xls;
using namespace zel::xls::vba;
using zel::test::VbaModuleSpec;
using zel::test::VbaProjectSpec;

namespace fs = std::filesystem;

namespace {

const char* kSheetAttributes =
    "Attribute VB_Base = \"0{00020820-0000-0000-C000-000000000046}\"\r\n"
    "Attribute VB_GlobalNameSpace = False\r\nAttribute VB_Creatable = False\r\n"
    "Attribute VB_PredeclaredId = True\r\nAttribute VB_Exposed = True\r\n"
    "Attribute VB_TemplateDerived = False\r\nAttribute VB_Customizable = True\r\n";

VbaModuleSpec standard(const std::string& name, const std::string& code) {
  VbaModuleSpec m;
  m.name = name;
  m.source = "Attribute VB_Name = \"" + name + "\"\r\n" + code;
  return m;
}

VbaModuleSpec sheet(const std::string& name, const std::string& code = "") {
  VbaModuleSpec m;
  m.name = name;
  m.type = 100;
  m.source = "Attribute VB_Name = \"" + name + "\"\r\n" + kSheetAttributes + code;
  return m;
}

VbaProject projectOf(const VbaProjectSpec& spec) {
  auto cf = CompoundFile::openMemory(zel::test::buildVbaWorkbook(spec));
  auto p = VbaProject::read(cf);
  if (!p) throw std::runtime_error("no project");
  return *p;
}

VbaProjectSpec twoModules() {
  VbaProjectSpec spec;
  spec.modules = {sheet("ThisWorkbook"), standard("Main", "Sub Main()\r\nEnd Sub\r\n")};
  return spec;
}

}  // namespace

TEST(BuiltProject, LockedProjectRaises50289AndAPasswordAloneDoesNotLock) {
  VbaProjectSpec spec = twoModules();
  spec.password = true;
  VbaProject open = projectOf(spec);
  EXPECT_TRUE(open.protection().hasPassword);
  EXPECT_FALSE(open.lockedForViewing());
  ASSERT_EQ(open.components().size(), 2u);
  EXPECT_EQ(open.exportText(1), "Attribute VB_Name = \"Main\"\r\nSub Main()\r\nEnd Sub\r\n");

  spec.visibility = 0x00;
  VbaProject p = projectOf(spec);
  EXPECT_TRUE(p.lockedForViewing());
  try {
    p.components();
    FAIL() << "components of a locked project were read";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), 50289);
  }
  EXPECT_THROW(p.exportText(0), VbError);
  zel::test::TempDir dir;
  EXPECT_THROW(exportProject(p, dir.str()), VbError);
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(BuiltProject, JapaneseProjectIsDecodedFromCp932) {
  VbaProjectSpec spec;
  spec.codePage = 932;
  VbaModuleSpec m;
  m.name = "\x95\x5C\x8E\xA6";  // 表示 (its second byte is a backslash in CP932)
  m.unicodeName = u"\u8868\u793A";
  m.cfbName = "表示";
  m.source = "Attribute VB_Name = \"\x95\x5C\x8E\xA6\"\r\nSub \x93\xFA\x96\x7B()\r\n"
             "    MsgBox \"\xC3\xBD\xC4\"  ' \x8F\x57\x8C\x76\r\nEnd Sub\r\n";
  spec.modules = {m};
  VbaProject p = projectOf(spec);
  ASSERT_EQ(p.components().size(), 1u);
  EXPECT_EQ(p.components()[0].Name, "表示");
  EXPECT_EQ(p.components()[0].typeNumber(), 1);
  EXPECT_EQ(p.components()[0].FileName, "表示.bas");
  EXPECT_EQ(p.exportText(0), "Attribute VB_Name = \"表示\"\r\nSub 日本()\r\n    MsgBox \"ﾃｽﾄ\"  ' 集計\r\nEnd Sub\r\n");
  zel::test::TempDir dir;
  ExportSummary s = exportProject(p, dir.str());
  EXPECT_EQ(s.counts.StdCount, 1);
  EXPECT_TRUE(fs::exists(dir.file("表示.bas")));
}

TEST(BuiltProject, FormExportCarriesTheDesignerProperties) {
  const std::string begin = "VERSION 5.00\r\nBegin {C62A69F0-16DC-11CE-9E98-00AA00574A4F} ";
  const std::string properties = "   Caption         =   \"Options\"\r\n   ClientHeight    =   3015\r\n"
                                 "   StartUpPosition =   1  'CenterOwner\r\n";
  VbaModuleSpec form = standard("Dialog", "Attribute VB_Base = \"0{1}{2}\"\r\nAttribute VB_Exposed = False\r\n"
                                          "Private Sub UserForm_Click()\r\nEnd Sub\r\n");
  form.type = 3;
  form.designer = begin + "Dialog \r\n" + properties + "   TypeInfoVer     =   3\r\nEnd\r\n";
  VbaModuleSpec bare = standard("Bare", "");  // a form whose designer storage is missing
  bare.type = 3;
  VbaProjectSpec spec;
  spec.modules = {form, bare};
  VbaProject p = projectOf(spec);
  EXPECT_EQ(p.components()[0].FileName, "Dialog.frm");
  EXPECT_EQ(p.exportText(0), begin + "Dialog \r\n" + properties + "End\r\nAttribute VB_Name = \"Dialog\"\r\n"
                             "Attribute VB_Exposed = False\r\nPrivate Sub UserForm_Click()\r\nEnd Sub\r\n");
  EXPECT_EQ(p.exportText(1), begin + "Bare \r\nEnd\r\nAttribute VB_Name = \"Bare\"\r\n");
}

TEST(BuiltProject, HostileNamesStayInsideTheFolder) {
  VbaProjectSpec spec;
  auto hostile = [](const std::string& name, const std::string& stream) {
    VbaModuleSpec m = standard(name, "Sub X()\r\nEnd Sub\r\n");
    m.streamName = stream;
    return m;
  };
  spec.modules = {hostile("../../evil", "S1"), hostile("..", "S2"), hostile("a/b\\c", "S3"),
                  hostile(std::string("ctl\x01\x1F") + "x", "S4"), hostile(std::string(300, 'L'), "S5"),
                  hostile("", "S6"), hostile("Dup", "S7"), hostile("DUP", "S8")};
  VbaProject p = projectOf(spec);
  std::vector<std::string> names;
  for (const auto& c : p.components()) names.push_back(c.FileName);
  EXPECT_EQ(names[0], "_.._.._evil.bas");
  EXPECT_EQ(names[1], "_...bas");
  EXPECT_EQ(names[2], "a_b_c.bas");
  EXPECT_EQ(names[3], "ctl__x.bas");
  EXPECT_EQ(names[4], std::string(120, 'L') + ".bas");
  EXPECT_EQ(names[5], "_.bas");
  EXPECT_EQ(names[6], "Dup.bas");
  EXPECT_EQ(names[7], "DUP~2.bas");

  zel::test::TempDir root;
  std::string inner = root.file("export");
  ExportSummary s = exportProject(p, inner);
  EXPECT_TRUE(s.failures.empty());
  EXPECT_EQ(s.counts.StdCount, 8);
  std::set<std::string> written;
  for (const auto& e : fs::recursive_directory_iterator(root.path()))
    if (e.is_regular_file()) written.insert(fs::relative(e.path(), root.path()).string());
  EXPECT_EQ(written.size(), 8u);
  for (const auto& w : written) EXPECT_EQ(w.rfind("export/", 0), 0u) << w;
  // The original name still heads the file.
  EXPECT_EQ(zel::test::readFile(inner + "/a_b_c.bas").substr(0, 30), "Attribute VB_Name = \"a/b\\c\"\r\nS");
}

TEST(BuiltProject, DamagedModulesFailAloneAndTheOthersAreExported) {
  VbaProjectSpec spec;
  VbaModuleSpec badOffset = standard("BadOffset", "Sub A()\r\nEnd Sub\r\n");
  badOffset.textOffset = 5;  // points into the cache, not at a container
  VbaModuleSpec pastEnd = standard("PastEnd", "Sub B()\r\nEnd Sub\r\n");
  pastEnd.textOffset = 1u << 30;
  VbaModuleSpec noStream = standard("NoStream", "Sub C()\r\nEnd Sub\r\n");
  VbaModuleSpec good = standard("Good", "Sub D()\r\nEnd Sub\r\n");
  spec.modules = {badOffset, pastEnd, noStream, good};
  auto streams = zel::test::vbaWorkbookStreams(spec);
  std::erase_if(streams, [](const auto& s) { return s.first == "_VBA_PROJECT_CUR/VBA/NoStream"; });
  auto cf = CompoundFile::openMemory(zel::test::buildCompoundFile(streams));
  auto p = VbaProject::read(cf);
  ASSERT_TRUE(p);
  EXPECT_THROW(p->exportText(0), VbaFormatError);
  EXPECT_THROW(p->exportText(1), VbaFormatError);
  EXPECT_THROW(p->exportText(2), VbaFormatError);
  zel::test::TempDir dir;
  ExportSummary s = exportProject(*p, dir.str());
  ASSERT_EQ(s.failures.size(), 3u);
  EXPECT_NE(s.failures[2].find("NoStream"), std::string::npos);
  ASSERT_EQ(s.files.size(), 1u);
  EXPECT_EQ(fs::path(s.files[0]).filename(), "Good.bas");
  EXPECT_EQ(s.counts.StdCount, 1);
}

TEST(BuiltProject, DamagedOrMissingProjectStreamsAreOneClearError) {
  auto streams = zel::test::vbaWorkbookStreams(twoModules());
  auto without = [&](const std::string& path) {
    auto s = streams;
    std::erase_if(s, [&](const auto& e) { return e.first == path; });
    return zel::test::buildCompoundFile(s);
  };
  for (const char* missing : {"_VBA_PROJECT_CUR/VBA/dir", "_VBA_PROJECT_CUR/PROJECT"}) {
    auto cf = CompoundFile::openMemory(without(missing));
    EXPECT_THROW(VbaProject::read(cf), VbaFormatError) << missing;
  }
  // A dir stream whose record sizes run past its end.
  auto dir = zel::test::buildDirStream(twoModules());
  dir.resize(dir.size() - 40);
  dir[dir.size() - 5] = 0x7F;
  auto s = streams;
  for (auto& e : s)
    if (e.first == "_VBA_PROJECT_CUR/VBA/dir") e.second = zel::test::compressVba(std::string(dir.begin(), dir.end()));
  auto cf = CompoundFile::openMemory(zel::test::buildCompoundFile(s));
  try {
    VbaProject::read(cf);
    FAIL() << "a damaged dir stream was accepted";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number(), 1004);
    EXPECT_NE(e.description().find("dir stream"), std::string::npos);
  }
  // A workbook without a project has none.
  auto plain = CompoundFile::openMemory(zel::test::buildCompoundFile({{"Workbook", {1, 2, 3}}}));
  EXPECT_FALSE(VbaProject::read(plain).has_value());
}

TEST(BuiltProject, KindsOfModulesThePROJECTStreamDoesNotName) {
  VbaProjectSpec spec;
  VbaModuleSpec cls;
  cls.name = "Counter";
  cls.type = 0;
  cls.source = "Attribute VB_Name = \"Counter\"\r\nAttribute VB_Base = \"0{FCFB3D2A-A0FA-1068-A738-08002B3371B5}\"\r\n";
  VbaModuleSpec doc = sheet("Blatt1");
  doc.type = 0;
  VbaModuleSpec std1 = standard("Plain", "");
  std1.type = 0;
  spec.modules = {cls, doc, std1};
  auto streams = zel::test::vbaWorkbookStreams(spec);
  for (auto& e : streams)  // the dir record of a standard module says procedural
    if (e.first == "_VBA_PROJECT_CUR/VBA/dir") {
      spec.modules[2].type = 1;
      auto d = zel::test::buildDirStream(spec);
      e.second = zel::test::compressVba(std::string(d.begin(), d.end()));
    }
  auto cf = CompoundFile::openMemory(zel::test::buildCompoundFile(streams));
  auto p = VbaProject::read(cf);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->components()[0].typeNumber(), 2);
  EXPECT_EQ(p->components()[1].typeNumber(), 100);
  EXPECT_EQ(p->components()[1].FileName, "Blatt1.sht");
  EXPECT_EQ(p->components()[2].typeNumber(), 1);
}

TEST(ExportFolder, EmptyingRemovesFilesAndLinksButNothingOutside) {
  zel::test::TempDir root;
  fs::create_directories(root.path() / "temp" / "sub");
  zel::test::writeFile(root.file("temp/Old.bas"), "x");
  zel::test::writeFile(root.file("temp/sub/keep.txt"), "x");
  zel::test::writeFile(root.file("outside.txt"), "precious");
  fs::create_symlink(root.path() / "outside.txt", root.path() / "temp" / "link.bas");
  emptyFolderFiles(root.file("temp"));
  EXPECT_FALSE(fs::exists(root.path() / "temp" / "Old.bas"));
  EXPECT_FALSE(fs::is_symlink(root.path() / "temp" / "link.bas"));
  EXPECT_TRUE(fs::exists(root.path() / "temp" / "sub" / "keep.txt"));
  EXPECT_EQ(zel::test::readFile(root.file("outside.txt")), "precious");
  EXPECT_NO_THROW(emptyFolderFiles(root.file("missing")));
}

TEST(ExportFolder, ExportNeverWritesThroughALinkPlacedUnderItsName) {
  zel::test::TempDir root;
  fs::create_directories(root.path() / "out");
  zel::test::writeFile(root.file("target.txt"), "precious");
  fs::create_symlink(root.path() / "target.txt", root.path() / "out" / "Main.bas");
  VbaProject p = projectOf(twoModules());
  ExportSummary s{};
  EXPECT_THROW(s = exportProject(p, root.file("out")), VbError);
  EXPECT_EQ(zel::test::readFile(root.file("target.txt")), "precious");
}

TEST(ExportFolder, ReplacingTheExportLeavesNoFileOfTheEarlierWorkbook) {
  zel::test::TempDir root;
  std::string temp = root.file("temp");
  VbaProjectSpec first;
  first.modules = {standard("FirstOnly", "")};
  auto save = [&](const std::string& name, const VbaProjectSpec& spec) {
    auto b = zel::test::buildVbaWorkbook(spec);
    zel::test::writeFile(root.file(name), std::string(b.begin(), b.end()));
  };
  save("first.xls", first);
  save("second.xls", twoModules());
  ExportSummary a = replaceExportedModules(root.file("first.xls"), temp);
  EXPECT_TRUE(fs::exists(temp + "/FirstOnly.bas"));
  ExportSummary b = replaceExportedModules(root.file("second.xls"), temp);
  EXPECT_FALSE(fs::exists(temp + "/FirstOnly.bas"));
  EXPECT_TRUE(fs::exists(temp + "/Main.bas"));
  EXPECT_TRUE(fs::exists(temp + "/ThisWorkbook.bok"));
  EXPECT_EQ(b.counts.StdCount, 1);
  EXPECT_EQ(a.counts.StdCount, 1);
}

// A module beyond what the macro editor can hold (lines per module, characters per line) is
// damaged: it fails alone, before anything of it is written. One export-size limit holds for
// the export and for the source analyses that read the file back.
TEST(BuiltProject, ModulesBeyondTheEditorsLimitsFailAlone) {
  VbaProjectSpec spec;
  spec.codePage = 932;
  std::string lines;
  for (size_t i = 0; i < kMaxModuleLines; ++i) lines += "\r\n";
  std::string wide;  // 1023 two-byte characters: within the limit however many bytes they take
  for (size_t i = 0; i < kMaxLineCharacters; ++i) wide += "\x82\xa0";
  spec.modules = {standard("AtLimit", lines), standard("TooManyLines", lines + "\r\n"),
                  standard("WideLine", wide + "\r\n"), standard("LongLine", std::string(1024, 'x') + "\r\n")};
  spec.useRawChunks = true;
  VbaProject p = projectOf(spec);
  zel::test::TempDir dir;
  ExportSummary s = exportProject(p, dir.str());
  ASSERT_EQ(s.failures.size(), 2u);
  EXPECT_NE(s.failures[0].find("TooManyLines"), std::string::npos) << s.failures[0];
  EXPECT_NE(s.failures[0].find("65534 lines"), std::string::npos) << s.failures[0];
  EXPECT_NE(s.failures[1].find("LongLine"), std::string::npos) << s.failures[1];
  EXPECT_EQ(s.files.size(), 2u);

  // A source just under the size limit whose header block would carry its export past it.
  VbaProjectSpec big;
  std::string source;
  while (source.size() + 1002 < kMaxExportFileBytes) source += std::string(1000, 'y') + "\r\n";
  source += std::string(kMaxExportFileBytes - 16 - source.size(), 'z');
  VbaModuleSpec cls;
  cls.name = "Big";
  cls.type = 2;
  cls.source = source;
  big.modules = {cls};
  big.useRawChunks = true;
  VbaProject bp = projectOf(big);
  EXPECT_THROW(bp.exportText(0), VbaFormatError);
}
