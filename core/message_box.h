// Message boxes of the window behind a small interface, so the window shows real dialogs
// while tests read the text, the caption and give the answer.
#pragma once
#include "core/vb_error.h"

#include <string>

class QWidget;  // only carried through: the window a message belongs to

namespace zel {

enum class MsgButtons { Ok, OkCancel };
enum class MsgAnswer { Ok, Cancel };

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows text (lines separated by "\r" as in the original) under the caption (an empty one
  // is the program's caption) and returns the button chosen.
  MsgAnswer show(const std::string& text, MsgButtons buttons, const std::string& caption = kCaption) {
    return present(text, buttons, caption.empty() ? std::string(kCaption) : caption);
  }

  // The same, over `owner`: the window whose command the message belongs to. The box stays
  // with that window and the focus returns there; sinks without windows ignore it.
  MsgAnswer showOver(QWidget* owner, const std::string& text, MsgButtons buttons,
                     const std::string& caption = kCaption) {
    OwnerScope scope(*this, owner);
    return show(text, buttons, caption);
  }

 protected:
  virtual MsgAnswer present(const std::string& text, MsgButtons buttons, const std::string& caption) = 0;
  // The owner of the message being shown (nullptr: the sink's own default window).
  QWidget* owner() const { return owner_; }

 private:
  class OwnerScope {
   public:
    OwnerScope(MessageSink& sink, QWidget* owner) : sink_(sink), before_(sink.owner_) { sink.owner_ = owner; }
    ~OwnerScope() { sink_.owner_ = before_; }
    OwnerScope(const OwnerScope&) = delete;
    OwnerScope& operator=(const OwnerScope&) = delete;

   private:
    MessageSink& sink_;
    QWidget* before_;
  };
  QWidget* owner_ = nullptr;
};

}  // namespace zel
