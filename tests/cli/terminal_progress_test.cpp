// The command line's progress bar: drawn in place on a terminal, silent elsewhere.
#include "cli/terminal_progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string contents(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string s;
  for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
  return s;
}

}  // namespace

TEST(TerminalProgress, BarShowsThePercentageAndClampsTheBar) {
  EXPECT_EQ(zel::cli::progressBar(0, 10), "[----------]   0%");
  EXPECT_EQ(zel::cli::progressBar(33, 10), "[###-------]  33%");
  EXPECT_EQ(zel::cli::progressBar(104, 10), "[##########] 104%");  // document modules push past 100
  EXPECT_EQ(zel::cli::progressBar(-5, 10), "[----------]  -5%");
}

TEST(TerminalProgress, DrawsOnlyOnATerminal) {
  std::unique_ptr<std::FILE, FileCloser> file(std::tmpfile());
  ASSERT_TRUE(file);
  {
    zel::cli::TerminalProgress quiet(file.get());
    EXPECT_FALSE(quiet.drawing());
    quiet.setStatus("ﾓｼﾞｭｰﾙ情報　取得中");
    quiet.showGauge(50);
  }
  EXPECT_EQ(contents(file.get()), "");
  {
    zel::cli::TerminalProgress forced(file.get(), true);
    forced.setStatus("終了しました");
    forced.showGauge(100);
  }
  std::string drawn = contents(file.get());
  EXPECT_NE(drawn.find("100% 終了しました"), std::string::npos) << drawn;
  EXPECT_EQ(drawn.back(), '\n');  // the line is ended when the progress goes away
  EXPECT_EQ(drawn.front(), '\r');
}
