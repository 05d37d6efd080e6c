// Gauge arithmetic, error messages and the result database pattern.
#include "core/progress.h"
#include "core/result_store.h"
#include "core/vb_error.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace zel;

TEST(RoundHalfUp, ExactHalves) {
  EXPECT_EQ(RoundHalfUp(2.5, 0), 3);
  EXPECT_EQ(RoundHalfUp(1.25, 1), 1.3);
  EXPECT_EQ(RoundHalfUp(125.0, -1), 130);
  EXPECT_EQ(RoundHalfUp(0.125, 2), 0.13);
  EXPECT_EQ(RoundHalfUp(-2.5, 0), -2);
  EXPECT_EQ(RoundHalfUp(2.4999, 0), 2);
}

TEST(Gauge, Steps) {
  EXPECT_EQ(GaugeStepper(3).percentAfter(3), 99);
  EXPECT_EQ(GaugeStepper(8).step(), 13);
  EXPECT_EQ(GaugeStepper(200).step(), 1);
  EXPECT_EQ(GaugeStepper(201).step(), 0);
  EXPECT_EQ(GaugeStepper(300).percentAfter(150), 0);
  EXPECT_EQ(GaugeStepper(0).step(), 0);
}

TEST(ErrorMessage, BothVariants) {
  EXPECT_EQ(commonErrorMessage("場所:起動時", 2449, "x"),
            "場所:起動時ｴﾗｰNo:2449\rシステムが不安定です。\r詳細はヘルプを参照下さい。\rシステムを終了します。");
  EXPECT_TRUE(isUnstableError(2999));
  EXPECT_FALSE(isUnstableError(2448));
  EXPECT_FALSE(isUnstableError(3000));
  EXPECT_EQ(commonErrorMessage("場所:セル情報", 3000, "壊れています"),
            "場所:セル情報ｴﾗｰNo:3000\r場所とｴﾗｰNoを控えメールをお願いします。\r内容:壊れています");
  EXPECT_EQ(commonErrorMessage("場所:保存", 53, "d", MailLine::SaveLoad),
            "場所:保存ｴﾗｰNo:53\r場所、ｴﾗｰNo、内容を控えメールをお願いします。\r内容:d");
}

TEST(ResultDb, PatternSecondRunAndFailureAndMissingTable) {
  zel::test::TempDir dir;
  auto paths = programPathsFor(dir.str());
  ASSERT_TRUE(prepareProgramFolder(paths));
  {
    ResultDb db = openAnalyzeDb(paths);
    for (const auto& t : resultTableNames()) EXPECT_TRUE(db.hasTable(t)) << t;
    for (int run = 0; run < 2; ++run) {
      ResultDb::Run r(db);
      db.clearTable("T_XlName");
      TableWriter rs(db, "T_XlName");
      for (int i = 0; i < 3 + run; ++i) {
        rs.addNew();
        rs.set("sheetmei", "S");   // field names are case-insensitive, set in any order
        rs.set("StCell", "A" + std::to_string(i));
        rs.set("labelname", "n");
        rs.update();
      }
    }
    EXPECT_EQ(std::get<int64_t>(db.query("SELECT COUNT(*) FROM T_XlName")[0][0]), 4);
    EXPECT_EQ(dbValueText(db.query("SELECT StCell || LabelName || SheetMei FROM T_XlName ORDER BY StCell")[0][0]), "A0nS");
    // A run that fails midway keeps the rows it added.
    try {
      ResultDb::Run r(db);
      db.clearTable("T_XlName");
      TableWriter rs(db, "T_XlName");
      rs.addNew();
      rs.set("StCell", "B1");
      rs.update();
      rs.addNew();
      rs.set("NoSuchField", 1);
      FAIL();
    } catch (const DbError&) {
    }
    EXPECT_EQ(std::get<int64_t>(db.query("SELECT COUNT(*) FROM T_XlName")[0][0]), 1);
    db.exec("DROP TABLE T_XlFile");
  }
  ResultDb db = openAnalyzeDb(paths);
  EXPECT_TRUE(db.hasTable("T_XlFile"));
  EXPECT_EQ(std::get<int64_t>(db.query("SELECT COUNT(*) FROM T_XlName")[0][0]), 1);
  DoneFlags f;
  f.fObj = 3;
  HeaderTexts h;
  h.Title = "仕様書";
  writeSaveFlagRow(db, "Book1.xls", f, 2, h);
  auto rows = db.query("SELECT ObjName, fObj, mSs, Title FROM T_XlSaveFlag");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(dbValueText(rows[0][0]), "Book1.xls");
  EXPECT_EQ(dbValueText(rows[0][1]), "3");
  EXPECT_EQ(dbValueText(rows[0][3]), "仕様書");
}

// Rows gathered for multi-row statements come out as single-row writes would: in order, the
// fields not set Null (also when an earlier row of the batch set them), the last partial batch
// written by flush, and rows added before an error still written when the writer goes away.
TEST(ResultDb, GatheredRowsWrittenInOrder) {
  zel::test::TempDir dir;
  auto paths = programPathsFor(dir.str());
  ASSERT_TRUE(prepareProgramFolder(paths));
  ResultDb db = openAnalyzeDb(paths);
  {
    ResultDb::Run r(db);
    TableWriter rs(db, "T_XlName", 4);
    const size_t cell = rs.field("StCell"), label = rs.field("LabelName");
    for (int i = 0; i < 10; ++i) {
      rs.addNew();
      rs.setAt(cell, "A" + std::to_string(i));
      if (i % 3 == 0) rs.setAt(label, std::string(40, 'x') + std::to_string(i));  // beyond a short string's room
      rs.update();
    }
    EXPECT_EQ(std::get<int64_t>(db.query("SELECT COUNT(*) FROM T_XlName")[0][0]), 8);
    rs.flush();
  }
  auto rows = db.query("SELECT StCell, LabelName FROM T_XlName ORDER BY rowid");
  ASSERT_EQ(rows.size(), 10u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(dbValueText(rows[i][0]), "A" + std::to_string(i));
    if (i % 3 == 0)
      EXPECT_EQ(dbValueText(rows[i][1]), std::string(40, 'x') + std::to_string(i));
    else
      EXPECT_TRUE(std::holds_alternative<std::monostate>(rows[i][1])) << i;
  }
  try {
    ResultDb::Run r(db);
    db.clearTable("T_XlName");
    TableWriter rs(db, "T_XlName", 4);
    for (int i = 0; i < 2; ++i) {
      rs.addNew();
      rs.set("StCell", "B" + std::to_string(i));
      rs.update();
    }
    rs.addNew();
    rs.set("NoSuchField", 1);
    FAIL();
  } catch (const DbError&) {
  }
  EXPECT_EQ(dbValueText(db.query("SELECT group_concat(StCell) FROM T_XlName")[0][0]), "B0,B1");
}
