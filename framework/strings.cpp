#include "framework/strings.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "framework/ansi_text.h"
#include "platform/api.h"

namespace framework {

HINSTANCE ResourceModule()
{
    return sys().GetModuleHandleA(nullptr);
}

std::string LoadText(UINT id)
{
    char buf[kMaxText + 1] = {};
    int n = sys().LoadStringA(ResourceModule(), id, buf, sizeof buf);
    if (n <= 0)
        return {};
    return std::string(buf, static_cast<size_t>(n) < sizeof buf ? n : kMaxText);
}

std::string LoadFullText(UINT id)
{
    for (size_t size = 1024;; size *= 2) {
        std::vector<char> buf(size);
        int n = sys().LoadStringA(ResourceModule(), id, buf.data(), static_cast<int>(size));
        if (n <= 0)
            return {};
        if (static_cast<size_t>(n) < size - 1 || size >= 65536)
            return std::string(buf.data(), static_cast<size_t>(n));
    }
}

std::string LoadTextWith(UINT id, const std::string& insert)
{
    std::string text = LoadText(id);
    size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, insert);
    return text;
}

std::string Format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        std::vector<char> buf(static_cast<size_t>(n) + 1);
        std::vsnprintf(buf.data(), buf.size(), fmt, args);
        out.assign(buf.data(), static_cast<size_t>(n));
    }
    va_end(args);
    return out;
}

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string Truncate(const std::string& s, size_t n)
{
    return CutToBytes(s, n);
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    // A double-byte character's second byte can be a letter's code: only characters of
    // their own are folded.
    return a.size() == b.size() && UpperCaseAscii(a) == UpperCaseAscii(b);
}

std::string SystemErrorText(DWORD code)
{
    char* text = nullptr;
    DWORD n = sys().FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0,
        nullptr);
    std::string out;
    if (text) {
        out.assign(text, n);
        sys().LocalFree(text);
    }
    return out;
}

std::string ToMultiString(const std::vector<std::string>& names)
{
    std::string out;
    for (const std::string& n : names) {
        out += n;
        out += '\0';
    }
    out += '\0';
    return out;
}

}  // namespace framework
