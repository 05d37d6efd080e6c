// The drawing layer of real workbooks. Expected values were taken from record dumps of the
// files (OBJ kinds and ids, FtMacro, TXO text, wzName and fill-colour properties).
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "xls/excel_model.h"

namespace zel::test {
namespace {

using xls::Workbook;
namespace kind = xls::drawing::kind;

std::vector<std::string> namesOf(const xls::Worksheet& sheet) {
  std::vector<std::string> out;
  for (const auto& s : sheet.drawing().shapes) out.push_back(s.name);
  return out;
}

// Two embedded OLE objects (picture OBJ records with storages MBD...): Excel names them
// "Object 1" and "Object 2".
TEST(CorpusDrawing, EmbeddedOleObjects) {
  auto book = Workbook::open(dataFile("ole2-embedding.xls"));
  const auto& sheet = book->sheet(1);
  EXPECT_EQ(namesOf(sheet), (std::vector<std::string>{"Object 1", "Object 2"}));
  EXPECT_EQ(sheet.drawing().shapes[0].objectKind, kind::Picture);
  EXPECT_TRUE(sheet.drawing().shapes[1].embeddedObject);
}

TEST(CorpusDrawing, NotesAndStoredNamesWithDrawingDataInContinueRecords) {
  auto book = Workbook::open(dataFile("DrawingAndComments.xls"));
  const auto& sheet = book->sheet(1);
  // The freeform's container follows its OBJ in CONTINUE records, not in an MSODRAWING.
  ASSERT_EQ(sheet.shapesCount(), 5);
  EXPECT_EQ(namesOf(sheet), (std::vector<std::string>{"Comment 1", "Comment 2", "Comment 3", "Овал 1", "Полилиния 2"}));
  const auto& shapes = sheet.drawing().shapes;
  EXPECT_EQ(shapes[0].objectKind, kind::Note);
  EXPECT_EQ(shapes[0].text, "evgeniy:\n1sdasdadsas\nsdasd");
  EXPECT_EQ(shapes[1].text, "evgeniy:\n21313213sfdf");
  ASSERT_TRUE(shapes[0].noteRow && shapes[0].noteCol);
  EXPECT_EQ(*shapes[0].noteRow, 6);  // the NOTE naming object 1 stands at F7
  EXPECT_EQ(*shapes[0].noteCol, 5);
  // Fill 0x00E1FFFF and 0x00BD814F as plain RGB.
  EXPECT_EQ(shapes[0].foreColor, 255 + 255 * 256 + 225 * 65536);
  EXPECT_EQ(shapes[3].objectKind, kind::Oval);
  EXPECT_EQ(shapes[3].foreColor, 0x4F + 0x81 * 256 + 0xBD * 65536);
  EXPECT_EQ(shapes[4].objectKind, kind::Polygon);
  EXPECT_EQ(sheet.drawing().unreadable, 0);
  EXPECT_EQ(book->sheet(2).shapesCount(), 0);
}

TEST(CorpusDrawing, ButtonMacroChartsAndEmbeddedChartSubstreams) {
  auto book = Workbook::open(dataFile("external_name.xls"));
  EXPECT_EQ(book->sheet(1).shapesCount(), 0);
  EXPECT_EQ(namesOf(book->sheet(2)), (std::vector<std::string>{"Chart 1", "Chart 2"}));
  const auto& sheet = book->sheet(3);
  EXPECT_EQ(namesOf(sheet), (std::vector<std::string>{"Chart 1", "cmdCreateWeeks", "Chart 3", "Chart 4"}));
  const auto& button = sheet.drawing().shapes[1];
  EXPECT_EQ(button.objectKind, kind::Button);
  EXPECT_EQ(button.text, "Create Weeks");
  // tNameX into the book the button was made in.
  EXPECT_EQ(button.onAction.substr(button.onAction.rfind('!')), "!CreateWeeks");
  EXPECT_EQ(sheet.drawing().shapes[0].objectKind, kind::Chart);
  EXPECT_TRUE(sheet.drawing().shapes[0].onAction.empty());
}

TEST(CorpusDrawing, PictureButtonDropDownAndChartSheetColours) {
  auto book = Workbook::open(dataFile("50939.xls"));
  int withShapes = 0;
  for (int i = 1; i <= book->sheetCount(); ++i) {
    const auto& sheet = book->sheet(i);
    if (sheet.name() == "sheet2") {
      ++withShapes;
      EXPECT_EQ(namesOf(sheet), (std::vector<std::string>{"Picture 132", "Button 540", "Drop Down 415"}));
      const auto& button = sheet.drawing().shapes[1];
      EXPECT_EQ(button.onAction, "Repair_Result_Formula");
      EXPECT_EQ(button.text, "Repair Results\nColumns");
      // Scheme colour 67 (button face) in Windows' classic grey.
      EXPECT_EQ(button.foreColor, 0xC0C0C0);
    } else if (sheet.name() == "sheet3") {
      ++withShapes;
      ASSERT_EQ(namesOf(sheet), (std::vector<std::string>{"Chart 5"}));
      EXPECT_EQ(sheet.drawing().shapes[0].foreColor, 0xFFFFFF);  // scheme colour 78: chart background
    }
  }
  EXPECT_EQ(withShapes, 2);
}

TEST(CorpusDrawing, TextBoxesWhoseTextAndContainersShareContinueRecords) {
  auto book = Workbook::open(dataFile("dg-text.xls"));
  const auto& sheet = book->sheet(1);
  ASSERT_EQ(sheet.shapesCount(), 5);
  for (int k = 0; k < 5; ++k) {
    const auto& s = sheet.drawing().shapes[static_cast<size_t>(k)];
    EXPECT_EQ(s.name, "TextBox " + std::to_string(k + 1));
    EXPECT_EQ(s.objectKind, kind::TextBox);
    EXPECT_EQ(s.objectId, 15 + k);
    EXPECT_EQ(s.text, "text-" + std::to_string(k + 1));
  }
}

TEST(CorpusDrawing, DefaultNamesTakeTheObjectId) {
  auto book = Workbook::open(dataFile("44010-TwoCharts.xls"));
  EXPECT_EQ(namesOf(book->sheet(1)),
            (std::vector<std::string>{"Text Box 1", "Text Box 2", "Text Box 7", "Text Box 8", "Text Box 17", "Text Box 18"}));
  EXPECT_EQ(book->sheet(1).drawing().shapes[0].text, "Les calculs d'allongement devront être reportés ici");
}

}  // namespace
}  // namespace zel::test
