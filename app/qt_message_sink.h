// MessageSink shown as QMessageBox with the window's caption.
#pragma once
#include "app/core/message_box.h"

class QWidget;

namespace zel {

class QtMessageSink final : public MessageSink {
 public:
  explicit QtMessageSink(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }
  MsgAnswer show(const std::string& text, MsgButtons buttons) override;

 private:
  QWidget* parent_;
};

}  // namespace zel
