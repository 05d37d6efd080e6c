// Feedback of frmZelvarin: Enter moving the focus, mouse-over hints in txtMesege, select-all of
// the header boxes, message boxes and the common error report of the commands.
#include "app/frm_zelvarin.h"

#include "app/window_progress.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace zel {
namespace {

constexpr const char* kHintProperty = "zelHint";
constexpr const char* kSelectAllProperty = "zelSelectAll";

}  // namespace

void frmZelvarin::installKeyAndHintFilters() {
  const std::pair<QPushButton*, const char*> hints[] = {
      {cmdHyousi[0], "表紙を印刷します。"},
      {cmdHyousi[1], "表紙を印刷します。"},
      {cmdHyousi[2], "表紙を印刷します。"},
      {cmdObject, "オブジェクトの一覧を印刷します。"},
      {cmdCell, "セルの情報を印刷します。"},
      {cmdKansu, "モジュールの一覧を印刷します。"},
      {cmdModule, "モジュールの情報を印刷します。"},
      {cmdXlShape, "図形の一覧を印刷します。"},
      {cmdName, "セル名前の一覧を印刷します。"},
      {cmdSheet, "シートイメージを印刷します。"},
      {cmdFile, "ファイル一覧を印刷します。"},
      {cmdComment, "コメント一覧を印刷します。"},
      {cmdModStep, "モジュール・ステップ一覧を印刷します。"},
      {cmdAddin, "アドイン一覧を印刷します。"},
      {cmdHensu, "変数情報を取得します。"},
      {cmdHensuU, "ユーザー定義型一覧を印刷します。"},
      {cmdHensuT, "定数一覧を印刷します。"},
      {cmdHensuH, "変数一覧を印刷します。"},
      {cmdInyoSaki, "プロシージャ引用先一覧を印刷します。"},
      {cmdLinkMoto, "リンク先を検索します。"},
      {cmdTimeCheck, "処理時間(概算)を計算表示します。"},
  };
  for (const auto& [b, text] : hints) {
    b->setProperty(kHintProperty, QString::fromUtf8(text));
    b->setMouseTracking(true);
  }
  // Mouse moves over the window background clear the hint. Frames and buttons keep their moves
  // to themselves, so a move over a frame leaves the hint as it is.
  centralWidget()->setMouseTracking(true);
  centralWidget()->installEventFilter(this);
  for (QGroupBox* g : findChildren<QGroupBox*>()) g->setAttribute(Qt::WA_NoMousePropagation);
  for (QPushButton* b : findChildren<QPushButton*>()) b->setAttribute(Qt::WA_NoMousePropagation);
  lblDBName->setMouseTracking(true);
  lblDBName->setAttribute(Qt::WA_NoMousePropagation);

  for (QLineEdit* t : {txtTitle, txtSystem, txtCompany, txtBumon, txtAuther, txtDate}) t->setProperty(kSelectAllProperty, true);

  // Every control that can take the focus sees Enter before it acts on it.
  for (QWidget* w : centralWidget()->findChildren<QWidget*>())
    if (w->focusPolicy() != Qt::NoFocus) w->installEventFilter(this);
}

bool frmZelvarin::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      // Form_KeyPress: Enter moves to the next control in tab order; the key still reaches
      // the control.
      if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && watched != centralWidget())
        focusNextChild();
      break;
    }
    case QEvent::Enter:
    case QEvent::MouseMove:
      if (watched == centralWidget() || watched == lblDBName) clearHint();
      else showHint(watched);
      break;
    case QEvent::FocusIn:
      if (auto* t = qobject_cast<QLineEdit*>(watched); t && t->property(kSelectAllProperty).toBool())
        QTimer::singleShot(0, t, &QLineEdit::selectAll);  // SelectAllText, after the click has placed the cursor
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

void frmZelvarin::showHint(QObject* control) {
  QVariant hint = control->property(kHintProperty);
  if (hint.isValid()) txtMesege->setText(hint.toString());
}

void frmZelvarin::clearHint() {
  if (!txtMesege->text().isEmpty()) txtMesege->clear();
}

MsgAnswer frmZelvarin::message(const std::string& text, MsgButtons buttons, const std::string& caption) {
  if (!services_.sink) return MsgAnswer::Ok;
  // A box shown while a command is busy (a run reaching a message) gets the normal pointer.
  const bool hourglass = QApplication::overrideCursor() != nullptr;
  if (hourglass) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const MsgAnswer answer = services_.sink->showOver(this, text, buttons, caption);
  if (hourglass) QApplication::restoreOverrideCursor();
  return answer;
}

HeaderTexts frmZelvarin::headerTexts() const {
  auto text = [](const QLineEdit* box) { return box->text().toStdString(); };
  return HeaderTexts{text(txtTitle), text(txtSystem), text(txtCompany), text(txtBumon), text(txtAuther), text(txtDate)};
}

void frmZelvarin::showTextStarts() {
  for (QLineEdit* t : {txtTitle, txtSystem, txtCompany, txtBumon, txtAuther, txtDate}) t->setCursorPosition(0);
}

void frmZelvarin::restoreAfterCommand() {
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  setEnabled(true);
}

bool frmZelvarin::reportCommandError(const std::string& place, long number, const std::string& description,
                                     MailLine mail, bool unstableVariant) {
  std::string text;
  if (unstableVariant || !isUnstableError(number)) {
    text = commonErrorMessage(place, number, description, mail);
  } else {
    // Handlers without the "unstable" variant always show the mail-request layout.
    text = place + "ｴﾗｰNo:" + std::to_string(number) + "\r" +
           (mail == MailLine::SaveLoad ? "場所、ｴﾗｰNo、内容を控えメールをお願いします。" : "場所とｴﾗｰNoを控えメールをお願いします。") +
           "\r内容:" + description;
  }
  message(text);
  restoreAfterCommand();
  if (unstableVariant && isUnstableError(number)) m1z_Click();
  return exiting_;
}

}  // namespace zel
