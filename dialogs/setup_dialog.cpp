// The report-header dialog: check boxes drive HdrFile/HdrPath/HdrFree; OK writes T_XlTitle.
#include "dialogs/setup_dialog.h"

#include "core/result_db.h"
#include "core/vb_error.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zel {

SetupDialog::SetupDialog(QWidget* parent, MessageSink& messages, std::function<std::string()> dbPath,
                         std::function<std::string()> workbookPath)
    : QDialog(parent), messages_(messages), dbPath_(std::move(dbPath)), workbookPath_(std::move(workbookPath)) {
  setObjectName("frmSetUp");
  setWindowTitle(QString::fromUtf8(kCaption));
  setModal(false);
  auto* layout = new QVBoxLayout(this);  // owned by the dialog (Qt parent ownership)
  framSetUp = new QGroupBox(this);
  framSetUp->setObjectName("framSetUp");
  auto* frameLayout = new QVBoxLayout(framSetUp);
  chkFile = new QCheckBox(QString::fromUtf8("各種レポートへファイル名を印字する"), framSetUp);
  chkFile->setObjectName("chkFile");
  chkPath = new QCheckBox(QString::fromUtf8("ファイル名をフルパスで表示する"), framSetUp);
  chkPath->setObjectName("chkPath");
  frameLayout->addWidget(chkFile);
  frameLayout->addWidget(chkPath);
  layout->addWidget(framSetUp);
  chkSetUp = new QCheckBox(QString::fromUtf8("任意の文字を印字する"), this);
  chkSetUp->setObjectName("chkSetUp");
  layout->addWidget(chkSetUp);
  txtNini = new QLineEdit(this);
  txtNini->setObjectName("txtNini");
  txtNini->setMinimumWidth(320);
  layout->addWidget(txtNini);
  lblMsg = new QLabel(this);
  lblMsg->setObjectName("lblMsg");
  lblMsg->setFrameShape(QFrame::Panel);
  lblMsg->setFrameShadow(QFrame::Sunken);
  lblMsg->setMinimumHeight(24);
  layout->addWidget(lblMsg);
  cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdOK->setObjectName("cmdOK");
  cmdOK->setAutoDefault(false);
  layout->addWidget(cmdOK, 0, Qt::AlignRight);

  connect(chkFile, &QCheckBox::clicked, this, &SetupDialog::chkFile_Click);
  connect(chkPath, &QCheckBox::clicked, this, &SetupDialog::chkPath_Click);
  connect(chkSetUp, &QCheckBox::clicked, this, &SetupDialog::chkSetUp_Click);
  connect(cmdOK, &QPushButton::clicked, this, &SetupDialog::cmdOK_Click);
}

void SetupDialog::showDialog() {
  if (!keptByOk_) Form_Load();
  keptByOk_ = false;
  show();
  raise();
  activateWindow();
}

void SetupDialog::Form_Load() {
  chkSetUp->setChecked(true);
  chkSetUp_Click();
  choice_.HdrFree = 1;
  chkFile->setChecked(choice_.HdrFile == 1);
  chkPath->setChecked(choice_.HdrPath == 1);
  framSetUp->setEnabled(false);
  lblMsg->setText(QString::fromStdString(choice_.HdrMode));
}

void SetupDialog::chkFile_Click() { choice_.HdrFile = chkFile->isChecked() ? 1 : 0; }
void SetupDialog::chkPath_Click() { choice_.HdrPath = chkPath->isChecked() ? 1 : 0; }

void SetupDialog::chkSetUp_Click() {
  if (chkSetUp->isChecked()) {
    choice_.HdrFree = 1;
    chkFile->setChecked(false);
    chkPath->setChecked(false);
    choice_.HdrFile = 0;
    choice_.HdrPath = 0;
    chkFile->setEnabled(false);
    chkPath->setEnabled(false);
    framSetUp->setEnabled(false);
    txtNini->setEnabled(true);
  } else {
    choice_.HdrFree = 0;
    framSetUp->setEnabled(true);
    chkFile->setEnabled(true);
    chkPath->setEnabled(true);
    txtNini->setEnabled(false);
    txtNini->clear();
    chkFile->setChecked(choice_.HdrFile == 1);
    chkPath->setChecked(choice_.HdrPath == 1);
  }
}

void SetupDialog::cmdOK_Click() {
  try {
    HeaderRow row = headerRowFor(choice_, workbookPath_(), txtNini->text().toStdString());
    // The empty free text is refused before the table is touched, so the earlier choice stays.
    if (row.refused) {
      // The box belongs to this dialog, so the typing goes on in txtNini after it.
      messages_.showOver(this, "印字する文字を入力して下さい。", MsgButtons::Ok);
      activateWindow();
      txtNini->setFocus();
      return;
    }
    ResultDb db(dbPath_());
    ResultDb::Run run(db);
    TableWriter rs(db, "T_XlTitle");
    db.clearTable("T_XlTitle");
    if (row.fileName) {
      rs.addNew();
      rs.set("FileName", *row.fileName);
      rs.update();
    }
    choice_.HdrMode = row.mode;
    lblMsg->setText(QString::fromStdString(row.mode));
    keptByOk_ = true;
    hide();
  } catch (const VbError& e) {
    messages_.showOver(this, commonErrorMessage("場所:ファイル名印刷指定", e.number(), e.description()), MsgButtons::Ok);
  } catch (const std::exception& e) {
    messages_.showOver(this, commonErrorMessage("場所:ファイル名印刷指定", err::DatabaseError, e.what()), MsgButtons::Ok);
  }
}

void SetupDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    focusNextChild();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace zel
