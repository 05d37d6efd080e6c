// Widget-free parts of the window (placement, command line) and the
// window's layout: captions not cut, controls not overlapping.
#include "window_fixture.h"

#include "core/profile_file.h"
#include "app/startup_args.h"
#include "app/window_settings.h"

#include <QGroupBox>

namespace fs = std::filesystem;

namespace zel::test {
namespace {

TEST(WindowPlacementFile, MissingValuesAndTextDefaultToZero) {
  TempDir d;
  std::string ini = d.file("Zelvarin.ini");
  WindowPlacement none = readWindowPlacement(ini);
  EXPECT_EQ(none.TopTwips, 0);
  EXPECT_EQ(none.LeftTwips, 0);
  EXPECT_EQ(none.DefFolder, "0");
  writeFile(ini, "[pos]\r\nt=12ab\r\nL=-45\r\n[DEF]\r\nFolder=/x/y/\r\n");
  WindowPlacement p = readWindowPlacement(ini);
  EXPECT_EQ(p.TopTwips, 12);
  EXPECT_EQ(p.LeftTwips, -45);
  EXPECT_EQ(p.DefFolder, "/x/y/");
  EXPECT_EQ(leadingWholeNumber("99999999999999999999999"), LONG_MAX);
  EXPECT_EQ(leadingWholeNumber("abc"), 0);
}

TEST(StartupArguments, HomeOptionAndResultFileText) {
  std::string error;
  auto a = parseStartupArgs({"--home", "/tmp/h", "\"/r/a b.xdb\""}, &error);
  ASSERT_TRUE(a);
  EXPECT_EQ(a->home, "/tmp/h");
  EXPECT_EQ(a->commandLine, "\"/r/a b.xdb\"");
  auto split = parseStartupArgs({"/r/a", "b.xdb", "--home=/h"}, &error);
  ASSERT_TRUE(split);
  EXPECT_EQ(split->commandLine, "/r/a b.xdb");
  EXPECT_EQ(split->home, "/h");
  auto none = parseStartupArgs({}, &error);
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->home.empty());
  EXPECT_TRUE(none->commandLine.empty());
  EXPECT_FALSE(parseStartupArgs({"--home"}, &error));
  EXPECT_FALSE(parseStartupArgs({"--home="}, &error));
  EXPECT_FALSE(parseStartupArgs({"--verbose"}, &error));
  EXPECT_FALSE(error.empty());
  // Relative paths name places in the folder the program was started in.
  TempDir start;
  std::filesystem::current_path(start.path());
  const std::string here = std::filesystem::current_path().string();
  auto rel = parseStartupArgs({"--home", "rel/h", "\"sub/a b.xdb\""}, &error);
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  ASSERT_TRUE(rel);
  EXPECT_EQ(rel->home, here + "/rel/h");
  EXPECT_EQ(rel->commandLine, here + "/sub/a b.xdb");
}

// Geometry in the window's coordinates.
QRect windowRect(QWidget* w, QWidget* top) { return QRect(w->mapTo(top, QPoint(0, 0)), w->size()); }

TEST_F(WindowTest, CaptionsFitAndControlsDoNotOverlap) {
  auto w = started();
  w->show();
  QApplication::processEvents();
  // Every button and label shows its whole caption.
  for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
    if (b->isHidden() || b->text().isEmpty()) continue;
    EXPECT_GE(b->width(), b->minimumSizeHint().width()) << b->objectName().toStdString();
    EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text())) << b->objectName().toStdString();
  }
  for (QLabel* l : w->findChildren<QLabel*>()) {
    if (l->isHidden() || l->text().isEmpty()) continue;
    EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text())) << l->objectName().toStdString();
  }
  // Siblings inside one frame never overlap, and every control lies inside its window.
  QRect client = w->rect();
  for (QWidget* parent : w->findChildren<QWidget*>()) {
    if (parent->window() != w.get() || !parent->isVisible()) continue;  // combo box pop-ups are windows of their own
    std::vector<QWidget*> kids;
    for (QObject* o : parent->children())
      if (auto* k = qobject_cast<QWidget*>(o); k && !k->isHidden() && !k->isWindow()) kids.push_back(k);
    for (size_t i = 0; i < kids.size(); ++i) {
      EXPECT_TRUE(client.contains(windowRect(kids[i], w.get()))) << kids[i]->objectName().toStdString();
      for (size_t j = i + 1; j < kids.size(); ++j)
        EXPECT_FALSE(kids[i]->geometry().intersects(kids[j]->geometry()))
            << kids[i]->objectName().toStdString() << " / " << kids[j]->objectName().toStdString();
    }
  }
  EXPECT_EQ(w->minimumSize(), w->maximumSize());  // fixed-size window
}

}  // namespace
}  // namespace zel::test
