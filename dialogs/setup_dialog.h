// frmSetUp: chooses what the report headers print (file name, full path, a free text or
// nothing) and writes it as the one row of T_XlTitle.
#pragma once
#include "core/message_box.h"
#include "dialogs/header_choice.h"

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zel {

class SetupDialog : public QDialog {
  Q_OBJECT
 public:
  // dbPath gives the result database to write; workbookPath gives lblDBName's caption.
  SetupDialog(QWidget* parent, MessageSink& messages, std::function<std::string()> dbPath,
              std::function<std::string()> workbookPath);

  // Shows the dialog modeless; runs the set-up steps unless it was last closed by OK.
  void showDialog();
  const HeaderChoice& choice() const { return choice_; }

  QCheckBox* chkFile = nullptr;
  QCheckBox* chkPath = nullptr;
  QCheckBox* chkSetUp = nullptr;
  QGroupBox* framSetUp = nullptr;
  QLineEdit* txtNini = nullptr;
  QPushButton* cmdOK = nullptr;
  QLabel* lblMsg = nullptr;

 public slots:
  void chkFile_Click();
  void chkPath_Click();
  void chkSetUp_Click();
  void cmdOK_Click();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Form_Load();
  MessageSink& messages_;
  std::function<std::string()> dbPath_;
  std::function<std::string()> workbookPath_;
  HeaderChoice choice_;
  bool keptByOk_ = false;  // hidden by OK: shown again as it was left
};

}  // namespace zel
