// The common error message layouts.
#include "core/vb_error.h"

namespace zel {

bool isUnstableError(long number) { return number >= 2449 && number <= 2999; }

std::string commonErrorMessage(const std::string& place, long number, const std::string& description,
                               MailLine mail) {
  const std::string cr = "\r";
  std::string head = place + "ｴﾗｰNo:" + std::to_string(number) + cr;
  if (isUnstableError(number))
    return head + "システムが不安定です。" + cr + "詳細はヘルプを参照下さい。" + cr + "システムを終了します。";
  const char* mailLine = mail == MailLine::SaveLoad ? "場所、ｴﾗｰNo、内容を控えメールをお願いします。"
                                                    : "場所とｴﾗｰNoを控えメールをお願いします。";
  return head + mailLine + cr + "内容:" + description;
}

}  // namespace zel
