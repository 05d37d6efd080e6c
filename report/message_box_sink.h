// MessageSink shown as real message boxes with the program's caption.
#pragma once
#include "app/core/message_box.h"

class QWidget;

namespace zel::report {

class MessageBoxSink final : public MessageSink {
 public:
  explicit MessageBoxSink(QWidget* parent) : parent_(parent) {}
  MsgAnswer show(const std::string& text, MsgButtons buttons) override;

 private:
  QWidget* parent_;
};

}  // namespace zel::report
