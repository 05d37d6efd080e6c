// Message boxes through QMessageBox, without an icon as the original's plain message boxes.
#include "report/preview/message_box_sink.h"


#include <QMessageBox>

namespace zel::report {

MsgAnswer MessageBoxSink::present(const std::string& text, MsgButtons buttons, const std::string& caption) {
  // The texts separate their lines with CR alone; the dialog wants LF.
  QString body = QString::fromStdString(text);
  body.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), body,
                  buttons == MsgButtons::OkCancel ? (QMessageBox::Ok | QMessageBox::Cancel) : QMessageBox::Ok,
                  owner() ? owner() : parent_);
  box.setDefaultButton(QMessageBox::Ok);
  return box.exec() == QMessageBox::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
}

}  // namespace zel::report
