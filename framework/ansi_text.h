// Character-wise reading of text in the system's ANSI code page. On the double-byte code
// pages (932, 936, 949, 950) the second byte of a character can be '\\' or '|': it belongs to
// that character and is never a separator or a forbidden character of its own.
#pragma once
#include <string>
#include <vector>

namespace framework {

// The first character `c` (a single-byte character) at or after `from`, which must be where
// a character begins; npos when there is none.
size_t FindCharacter(const std::string& s, char c, size_t from = 0);
// The last character `c`; npos when there is none.
size_t FindLastCharacter(const std::string& s, char c);
// The first character that is one of `set` (single-byte characters); npos when there is none.
size_t FindFirstOfCharacters(const std::string& s, const char* set);
// True when the last character of `s` is `c`.
bool EndsWithCharacter(const std::string& s, char c);
// The parts of `s` between its characters `c`, empty ones included ("a\\\\b" is a, "", b).
std::vector<std::string> SplitAtCharacter(const std::string& s, char c);
// `s` with the ASCII letters that are characters of their own in upper case.
std::string UpperCaseAscii(std::string s);
// `s` cut to at most n bytes without leaving half of a double-byte character.
std::string CutToBytes(const std::string& s, size_t n);

}  // namespace framework
