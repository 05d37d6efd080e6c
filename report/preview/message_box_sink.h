// MessageSink shown as real message boxes with the program's caption: the one sink of the
// window, its dialogs and the preview windows. A box goes over the window that owns the message
// (MessageSink::showOver), else over the main window.
#pragma once
#include "core/message_box.h"

class QWidget;

namespace zel::report {

class MessageBoxSink final : public MessageSink {
 public:
  explicit MessageBoxSink(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

 protected:
  MsgAnswer present(const std::string& text, MsgButtons buttons, const std::string& caption) override;

 private:
  QWidget* parent_;
};

}  // namespace zel::report
