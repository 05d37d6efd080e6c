// Message boxes: lines separated by CR in the texts become line breaks.
#include "report/message_box_sink.h"

#include "app/core/vb_error.h"

#include <QMessageBox>

namespace zel::report {

MsgAnswer MessageBoxSink::show(const std::string& text, MsgButtons buttons) {
  QString t = QString::fromUtf8(text);
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  const auto b = buttons == MsgButtons::OkCancel ? (QMessageBox::Ok | QMessageBox::Cancel) : QMessageBox::Ok;
  const auto r = QMessageBox::information(parent_, QString::fromUtf8(kCaption), t, b);
  return r == QMessageBox::Cancel ? MsgAnswer::Cancel : MsgAnswer::Ok;
}

}  // namespace zel::report
