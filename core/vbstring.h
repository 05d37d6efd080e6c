// VB-style text helpers. Text is UTF-8 in memory, but lengths, cuts and positions
// count UTF-16 units as VB does; every cut here keeps surrogate pairs whole.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

std::u16string toU16(std::string_view utf8);   // invalid bytes become U+FFFD
std::string toU8(std::u16string_view utf16);   // lone surrogates become U+FFFD
bool isValidUtf8(std::string_view bytes);

// Decode bytes in a Windows code page (932, 1252, 65001, ...) to UTF-8.
std::string decodeCodePage(std::string_view bytes, int codePage);
// The code page has a converter (decodeCodePage reads the others as Windows-1252).
bool canDecodeCodePage(int codePage);
// Read text that may come from Windows: UTF-8 when valid (BOM dropped), else CP932.
std::string decodeWindowsText(std::string_view bytes);

namespace vb {
// 1-based positions and counts in UTF-16 units, as VB's string functions.
long len(std::u16string_view s);
std::u16string left(std::u16string_view s, long n);
std::u16string right(std::u16string_view s, long n);
std::u16string mid(std::u16string_view s, long start, long n = -1);  // n < 0: to the end
long inStr(std::u16string_view s, std::u16string_view find, long start = 1);  // 0 = not found
long inStrRev(std::u16string_view s, std::u16string_view find);
std::u16string ucase(std::u16string_view s);   // ASCII and full-width Latin letters
std::u16string lcase(std::u16string_view s);
std::u16string trim(std::u16string_view s);    // blanks (U+0020) only, as VB's Trim
std::u16string ltrim(std::u16string_view s);
std::u16string rtrim(std::u16string_view s);

// UTF-8 convenience forms.
long len(std::string_view s);
std::string left(std::string_view s, long n);
std::string mid(std::string_view s, long start, long n = -1);
std::string trim(std::string_view s);
std::string rtrim(std::string_view s);
std::string ucase(std::string_view s);
}  // namespace vb

// ASCII letters lowered, other bytes unchanged: for comparing file, field and font names.
std::string asciiLower(std::string_view s);

// The first n UTF-16 units of s, never splitting a surrogate pair; then trailing blanks removed
// when trimRight is set. This is the "cut to n characters, trailing blanks removed" of the fields.
std::string cutText(std::string_view s, long n, bool trimRight = true);

}  // namespace zel
