// ICU collator for locale "ja" behind an SQLite collation. The collator is created once and
// shared: ICU's compare functions are safe to call from several connections.
#include "report/japanese_collation.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/stringpiece.h>

#include <memory>

namespace zel::report {
namespace {

const icu::Collator* japaneseCollator() {
  static const std::unique_ptr<icu::Collator> collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> c(icu::Collator::createInstance(icu::Locale::getJapanese(), status));
    if (U_FAILURE(status)) return std::unique_ptr<icu::Collator>();
    // Tertiary strength: kana of either script sort together, ties broken consistently.
    c->setStrength(icu::Collator::TERTIARY);
    return c;
  }();
  return collator.get();
}

int collate(void*, int lenA, const void* a, int lenB, const void* b) {
  const icu::Collator* c = japaneseCollator();
  UErrorCode status = U_ZERO_ERROR;
  icu::StringPiece pa(static_cast<const char*>(a), lenA), pb(static_cast<const char*>(b), lenB);
  UCollationResult r = c->compareUTF8(pa, pb, status);
  if (U_FAILURE(status)) {
    // Invalid UTF-8 cannot reach here through our writers; fall back to byte order.
    const int n = lenA < lenB ? lenA : lenB;
    const int m = std::char_traits<char>::compare(static_cast<const char*>(a), static_cast<const char*>(b), n);
    return m != 0 ? m : lenA - lenB;
  }
  return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

}  // namespace

bool registerJapaneseCollation(sqlite3* db) {
  if (!japaneseCollator()) return false;
  return sqlite3_create_collation_v2(db, kJapaneseCollation, SQLITE_UTF8, nullptr, collate, nullptr) == SQLITE_OK;
}

int compareJapanese(std::string_view a, std::string_view b) {
  if (!japaneseCollator()) return a.compare(b);
  return collate(nullptr, static_cast<int>(a.size()), a.data(), static_cast<int>(b.size()), b.data());
}

}  // namespace zel::report
