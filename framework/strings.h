// Text helpers: strings from the program's string table, printf-style formatting, trimming.
#pragma once
#include <string>
#include <vector>

#include "platform/win.h"

namespace framework {

// Longest text a string-table entry or a path field holds (a 260-byte buffer with its NUL).
constexpr size_t kMaxText = 259;

// The module whose resources the program uses (the executable).
HINSTANCE ResourceModule();

// Loads a string of the program's string table; empty when it is missing.
std::string LoadText(UINT id);
// A string-table text of any length ("" when missing).
std::string LoadFullText(UINT id);
// A string-table text with `insert` in place of its first %s.
std::string LoadTextWith(UINT id, const std::string& insert);

// sprintf into a std::string.
std::string Format(const char* fmt, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Removes leading and trailing blanks, tabs, CR, LF, vertical tabs and form feeds.
std::string Trim(const std::string& s);

// Cuts a text to at most n bytes, never through a double-byte character.
std::string Truncate(const std::string& s, size_t n = kMaxText);

// Compares without regard to letter case (ASCII letters that are characters of their own, as
// the system's lstrcmpi does for names).
bool EqualNoCase(const std::string& a, const std::string& b);

// The system's message text for an error code (system table, neutral language,
// no inserts); empty when the system has none.
std::string SystemErrorText(DWORD code);

// A NUL-separated, double-NUL-terminated list built from names ("a\0b\0\0").
std::string ToMultiString(const std::vector<std::string>& names);

}  // namespace framework
