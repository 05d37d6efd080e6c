// The "JAPANESE" collation for SQLite: ICU's Japanese rules, so that hiragana, katakana and
// half-width katakana names sort in syllabary order as a Japanese reader expects.
#pragma once
#include <sqlite3.h>

#include <string_view>

namespace zel::report {

inline constexpr const char* kJapaneseCollation = "JAPANESE";

// Registers the collation on a connection; returns false when ICU has no Japanese rules.
bool registerJapaneseCollation(sqlite3* db);

// The same comparison outside SQL (<0, 0, >0).
int compareJapanese(std::string_view a, std::string_view b);

}  // namespace zel::report
