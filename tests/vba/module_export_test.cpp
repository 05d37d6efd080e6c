// Export text rules that real files rarely show: line ends, a missing VB_Name line, which
// attributes are hidden, and designer text that is not what it should be.
#include "xls/vba/module_export.h"

#include <gtest/gtest.h>

using namespace zel::xls::vba;

TEST(ModuleExport, LineEndsBecomeCrLfAndALastLineGetsOne) {
  EXPECT_EQ(buildExportText(ComponentType::Standard, "M", "Attribute VB_Name = \"M\"\nA\rB\r\nC", nullptr),
            "Attribute VB_Name = \"M\"\r\nA\r\nB\r\nC\r\n");
  EXPECT_EQ(buildExportText(ComponentType::Standard, "M", "Attribute VB_Name = \"M\"\r\n\r\n\r\n", nullptr),
            "Attribute VB_Name = \"M\"\r\n\r\n\r\n");
}

TEST(ModuleExport, MissingNameLineIsSupplied) {
  EXPECT_EQ(buildExportText(ComponentType::Standard, "Say\"Hi", "Sub A()\r\nEnd Sub\r\n", nullptr),
            "Attribute VB_Name = \"Say\"\"Hi\"\r\nSub A()\r\nEnd Sub\r\n");
  EXPECT_EQ(buildExportText(ComponentType::Class, "C", "", nullptr),
            "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\nAttribute VB_Name = \"C\"\r\n");
}

TEST(ModuleExport, OnlyLeadingModuleAttributesAreHidden) {
  std::string src =
      "Attribute VB_Name = \"C\"\r\nAttribute VB_Base = \"0{X}\"\r\nAttribute VB_Basement = 1\r\n"
      "Attribute VB_Control = \"B, 1, 0, MSForms, CommandButton\"\r\nSub P()\r\n"
      "Attribute P.VB_Description = \"d\"\r\nAttribute VB_Customizable = True\r\nEnd Sub\r\n";
  EXPECT_EQ(buildExportText(ComponentType::Document, "C", src, nullptr),
            "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEND\r\nAttribute VB_Name = \"C\"\r\n"
            "Attribute VB_Basement = 1\r\nSub P()\r\nAttribute P.VB_Description = \"d\"\r\n"
            "Attribute VB_Customizable = True\r\nEnd Sub\r\n");
  // A standard module keeps every line it holds.
  EXPECT_EQ(buildExportText(ComponentType::Standard, "C", src, nullptr), src);
}

TEST(ModuleExport, DesignerTextIsReadDefensively) {
  EXPECT_TRUE(readDesignerText("").properties.empty());
  EXPECT_TRUE(readDesignerText("garbage\r\nmore\r\n").properties.empty());
  DesignerBlock b = readDesignerText(
      "VERSION 5.00\nBegin {NOT-A-GUID} F\n   Caption = \"x\"\n   no equals sign\n   TypeInfoVer = 9\n"
      "   Begin Forms.Label L\n   End\n   ClientWidth = 1\n");
  EXPECT_EQ(b.classId, "{C62A69F0-16DC-11CE-9E98-00AA00574A4F}");
  EXPECT_EQ(b.properties, std::vector<std::string>{"   Caption = \"x\""});
  std::string many = "VERSION 5.00\r\nBegin {C62A69F0-16DC-11CE-9E98-00AA00574A4F} F\r\n";
  for (int i = 0; i < 1000; ++i) many += "   P" + std::to_string(i) + " = 1\r\n";
  many += "   Long = " + std::string(5000, 'x') + "\r\n";
  EXPECT_EQ(readDesignerText(many).properties.size(), kMaxDesignerLines);
}
