// Message boxes of the window behind a small interface, so the window shows real dialogs
// while tests read the text, the caption and give the answer.
#pragma once
#include "core/vb_error.h"

#include <string>

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

 protected:
  virtual MsgAnswer present(const std::string& text, MsgButtons buttons, const std::string& caption) = 0;
};

}  // namespace zel
