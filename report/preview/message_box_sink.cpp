// Message boxes through QMessageBox, without an icon as the original's plain message boxes.
#include "report/preview/message_box_sink.h"

#include "core/vb_error.h"

#include <QMessageBox>

namespace zel::report {

MsgAnswer MessageBoxSink::show(const std::string& text, MsgButtons buttons) {
  // The texts separate their lines with CR alone; the dialog wants LF.
  QString body = QString::fromStdString(text);
  body.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kCaption), body,
                  buttons == MsgButtons::OkCancel ? (QMessageBox::Ok | QMessageBox::Cancel) : QMessageBox::Ok,
                  owner() ? owner() : parent_);
  box.setDefaultButton(QMessageBox::Ok);
  return box.exec() == QMessageBox::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
}

}  // namespace zel::report
