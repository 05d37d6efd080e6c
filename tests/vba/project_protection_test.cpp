// The obfuscated protection values of the PROJECT stream: real values from a corpus workbook,
// values written by the builder, and text that cannot be decoded.
#include "support/vba_builder.h"
#include "xls/vba/project_stream.h"

#include <gtest/gtest.h>

using namespace zel::xls::vba;

TEST(ProjectProtection, DecodesTheValuesOfARealProject) {
  // SimpleMacro.xls: unprotected, no password, visible.
  auto cmg = decodeProjectData("D1D3FBF9FFF9FFF9FFF9FF");
  ASSERT_TRUE(cmg);
  EXPECT_EQ(*cmg, (std::vector<uint8_t>{0, 0, 0, 0}));
  auto dpb = decodeProjectData("A2A0881B581C581C58");
  ASSERT_TRUE(dpb);
  EXPECT_EQ(*dpb, (std::vector<uint8_t>{0}));
  auto gc = decodeProjectData("7371594A2B4B2B4BD4");
  ASSERT_TRUE(gc);
  EXPECT_EQ(*gc, (std::vector<uint8_t>{0xFF}));
}

TEST(ProjectProtection, EncodedValuesDecodeForEverySeed) {
  for (int seed = 0; seed < 256; seed += 7) {
    std::vector<uint8_t> data{0x12, 0x00, 0xFF, 0x80};
    auto back = decodeProjectData(zel::test::encodeProjectData(data, static_cast<uint8_t>(seed), "{X}"));
    ASSERT_TRUE(back) << seed;
    EXPECT_EQ(*back, data);
  }
}

TEST(ProjectProtection, UndecodableTextIsRejected) {
  EXPECT_FALSE(decodeProjectData(""));
  EXPECT_FALSE(decodeProjectData("7371594"));              // odd length
  EXPECT_FALSE(decodeProjectData("73715Z4A2B4B2B4BD4"));   // not hex
  EXPECT_FALSE(decodeProjectData("7372594A2B4B2B4BD4"));   // version 3
  EXPECT_FALSE(decodeProjectData("7371594A2B4B"));         // length field cut
  EXPECT_FALSE(decodeProjectData("7371594A2B4B2B4B"));     // data shorter than its length
}

TEST(ProjectProtection, StreamStateDecidesTheLock) {
  auto state = [](const std::string& project) {
    return readProjectStream(zel::test::bytesOf(project)).protection;
  };
  std::string visible = zel::test::encodeProjectData({0xFF}, 0x11, "{P}");
  std::string hidden = zel::test::encodeProjectData({0x00}, 0x11, "{P}");
  EXPECT_FALSE(state("GC=\"" + visible + "\"\r\n").lockedForViewing());
  EXPECT_TRUE(state("GC=\"" + hidden + "\"\r\n").lockedForViewing());
  EXPECT_FALSE(state("Name=\"VBAProject\"\r\n").lockedForViewing());  // no visibility line at all
  EXPECT_TRUE(state("GC=\"ZZ\"\r\n").lockedForViewing());             // present but unreadable
  // A GC line in a later section is not the project's.
  EXPECT_FALSE(state("[Workspace]\r\nGC=\"" + hidden + "\"\r\n").lockedForViewing());
  auto pw = state("DPB=\"" + zel::test::encodeProjectData(std::vector<uint8_t>(29, 0x33), 0x20, "{P}") + "\"\n");
  EXPECT_TRUE(pw.hasPassword);
  EXPECT_FALSE(pw.lockedForViewing());
}

TEST(ProjectStream, ComponentLinesGiveTheKinds) {
  auto ps = readProjectStream(zel::test::bytesOf(
      "ID=\"{1}\"\n\rModule=Main\n\rClass=Counter\n\rPackage={AC9F2F90-E877-11CE-9F68-00AA00574A4F}\n\r"
      "BaseClass=Dialog\n\rDocument=Sheet1/&H00000000\n\rDocument=\n\rbroken line\n\r"));
  ASSERT_EQ(ps.components.size(), 4u);
  EXPECT_EQ(ps.components[0].name, "Main");
  EXPECT_EQ(ps.components[0].type, ComponentType::Standard);
  EXPECT_EQ(ps.components[1].type, ComponentType::Class);
  EXPECT_EQ(ps.components[2].name, "Dialog");
  EXPECT_EQ(ps.components[2].type, ComponentType::Form);
  EXPECT_EQ(ps.components[3].name, "Sheet1");
  EXPECT_EQ(ps.components[3].type, ComponentType::Document);
}
