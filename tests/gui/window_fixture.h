// Shared set-up of the window tests: a program folder per test, a message sink that records
// and answers, a report runner that records which report was asked for.
#pragma once
#include "core/message_box.h"
#include "app/frm_zelvarin.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zel::test {

QApplication& guiApp();

class RecordingSink final : public MessageSink {
 public:
  struct Shown {
    std::string text;
    MsgButtons buttons;
    std::string caption;
    QWidget* owner;  // the window the box was shown over
  };

 protected:
  MsgAnswer present(const std::string& text, MsgButtons buttons, const std::string& caption) override {
    shown.push_back({text, buttons, caption, owner()});
    if (onShow) onShow();
    if (answers.empty()) return MsgAnswer::Ok;
    MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
  }

 public:
  std::vector<Shown> shown;
  std::deque<MsgAnswer> answers;
  std::function<void()> onShow;  // runs while the box is up
};

struct ReportCall {
  std::string dbPath, name;
  int mode;
  HeaderTexts header;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { guiApp(); }

  std::unique_ptr<frmZelvarin> makeWindow(const std::string& commandLine = {}, const std::string& home = {}) {
    WindowServices services;
    services.sink = &sink;
    services.reportPreview = [this](QWidget*, const std::string& db, const std::string& name, int mode,
                                    const HeaderTexts& header) {
      reports.push_back({db, name, mode, header});
    };
    services.openDialog = [this](QWidget*, const std::string& filter, const std::string& folder,
                                 const std::string& title) {
      dialogCalls.push_back({filter, folder, title});
      return openChoice;
    };
    services.saveDialog = [this](QWidget*, const std::string& filter, const std::string& folder,
                                 const std::string& title) {
      dialogCalls.push_back({filter, folder, title});
      return saveChoice;
    };
    services.openHelp = [this](const std::string& page) {
      helpPages.push_back(page);
      return helpViewerPresent;
    };
    return std::make_unique<frmZelvarin>(programPathsFor(home.empty() ? dir.str() : home), commandLine, services);
  }

  // A window whose start-up went through.
  std::unique_ptr<frmZelvarin> started(const std::string& commandLine = {}, const std::string& home = {}) {
    auto w = makeWindow(commandLine, home);
    EXPECT_TRUE(w->Form_Load());
    return w;
  }

  template <class T = QWidget>
  static T* child(QWidget& w, const char* name) {
    return w.findChild<T*>(QString::fromLatin1(name));
  }

  static bool enabled(QWidget& w, const char* name) { return child<QAbstractButton>(w, name)->isEnabled(); }
  static bool checked(QWidget& w, const char* name) { return child<QAbstractButton>(w, name)->isChecked(); }
  static void click(QWidget& w, const char* name) { child<QAbstractButton>(w, name)->click(); }
  static std::string text(QWidget& w, const char* box) { return child<QLineEdit>(w, box)->text().toStdString(); }
  static void setText(QWidget& w, const char* box, const char* utf8) {
    child<QLineEdit>(w, box)->setText(QString::fromUtf8(utf8));
  }
  static std::string openName(QWidget& w) { return child<QLabel>(w, "lblDBName")->text().toStdString(); }

  // A copy of a workbook of tests/data in the books folder.
  std::string copyToBooks(const std::string& name, const std::string& as = {}) {
    std::string target = books.file(as.empty() ? name : as);
    std::filesystem::copy_file(dataFile(name), target);
    return target;
  }
  // A started window that has opened a copy of the workbook through the menu, without a message.
  std::unique_ptr<frmZelvarin> windowWith(const std::string& book) {
    auto w = started();
    openChoice = copyToBooks(book);
    w->m1a_Click();
    EXPECT_TRUE(sink.shown.empty()) << sink.shown[0].text;
    return w;
  }

  struct DialogCall {
    std::string filter, folder, title;
  };
  TempDir dir, books;
  RecordingSink sink;
  std::vector<DialogCall> dialogCalls;
  std::string openChoice, saveChoice;  // what the file dialogs return
  std::vector<ReportCall> reports;
  std::vector<std::string> helpPages;  // what the help command asked the desktop to show
  bool helpViewerPresent = true;
};

}  // namespace zel::test
