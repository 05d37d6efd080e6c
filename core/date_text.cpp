// Local-time date formatting for the result tables and the header boxes.
#include "core/date_text.h"

namespace zel {

std::string dateTimeText(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y/%m/%d %H:%M:%S", &tm);
  return buf;
}

std::string todayText() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[16];
  std::strftime(buf, sizeof buf, "%Y/%m/%d", &tm);
  return buf;
}

}  // namespace zel
