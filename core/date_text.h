// Dates as the result tables store them: text "yyyy/mm/dd hh:nn:ss" in local time.
#pragma once
#include <ctime>
#include <string>

namespace zel {

std::string dateTimeText(std::time_t t);
std::string todayText();  // "yyyy/mm/dd"

}  // namespace zel
