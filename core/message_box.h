// Message boxes of the window ("Zelvarin97 Ver 1.1" caption) behind a small interface, so the
// window shows real dialogs while tests read the text and give the answer.
#pragma once
#include <string>

namespace zel {

enum class MsgButtons { Ok, OkCancel };
enum class MsgAnswer { Ok, Cancel };

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows text (lines separated by "\r" as in the original) and returns the button chosen.
  virtual MsgAnswer show(const std::string& text, MsgButtons buttons) = 0;
};

}  // namespace zel
