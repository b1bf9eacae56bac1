// Small fakes of the seam that many unit tests share: message boxes recorded instead of shown,
// multi-strings split, texts and spooler enumerations answered into the caller's buffer.
#pragma once
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "support/scoped_api.h"

namespace seamfakes {

struct Box {
    HWND owner;
    std::string text, caption;
    UINT style;
};

// Records every message box in `boxes` and answers it with `answer`.
inline void RecordBoxes(platform::Api& api, std::vector<Box>& boxes, int answer = IDOK)
{
    api.MessageBoxA = [&boxes, answer](HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
        boxes.push_back({owner, text ? text : "", caption ? caption : "", style});
        return answer;
    };
}

// The ANSI code page of Japanese Windows, 932: lead bytes 0x81-0x9F and 0xE0-0xFC, and a second
// byte that can be '\\' (0x5C, as in "\x83\x5C") or '|' (0x7C, as in "\x83\x7C").
inline void UseCodePage932(platform::Api& api)
{
    api.GetACP = []() -> UINT { return 932; };
    api.IsDBCSLeadByteEx = [](UINT cp, BYTE b) -> BOOL {
        return cp == 932 && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
    };
}

// The entries of a multi-string, up to its closing empty string.
inline std::vector<std::string> SplitList(const char* list)
{
    std::vector<std::string> out;
    while (list && *list) {
        out.emplace_back(list);
        list += out.back().size() + 1;
    }
    return out;
}

// Answers a text as GetCurrentDirectoryA and its kind do: the length, or the size needed with
// the terminating nul when the buffer is too small.
inline DWORD AnswerText(const std::string& text, LPSTR buffer, DWORD size)
{
    if (size <= text.size())
        return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

// The current directory as the program sees it.
inline void SetCurrentDirectoryTo(platform::Api& api, const std::string& directory)
{
    api.GetCurrentDirectoryA = [directory](DWORD size, LPSTR buffer) { return AnswerText(directory, buffer, size); };
}

// Enumeration buffers laid out as the spooler lays them out: records, then their strings.
template <typename T>
BOOL FillRecords(const std::vector<std::vector<std::string>>& rows,
                 const std::function<void(T&, const std::vector<char*>&)>& set, LPBYTE buffer, DWORD size,
                 LPDWORD needed, LPDWORD returned)
{
    DWORD total = static_cast<DWORD>(rows.size() * sizeof(T));
    for (const auto& row : rows)
        for (const std::string& s : row)
            total += static_cast<DWORD>(s.size() + 1);
    *needed = total;
    *returned = 0;
    if (!buffer || size < total) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return rows.empty() ? TRUE : FALSE;
    }
    std::memset(buffer, 0, size);
    T* records = reinterpret_cast<T*>(buffer);
    char* strings = reinterpret_cast<char*>(buffer + rows.size() * sizeof(T));
    for (size_t i = 0; i < rows.size(); ++i) {
        std::vector<char*> at;
        for (const std::string& s : rows[i]) {
            std::memcpy(strings, s.c_str(), s.size() + 1);
            at.push_back(strings);
            strings += s.size() + 1;
        }
        set(records[i], at);
    }
    *returned = static_cast<DWORD>(rows.size());
    return TRUE;
}

// The same for records with one string each.
template <typename T>
BOOL FillEnumeration(const std::vector<std::string>& names, void (*set)(T&, char*), LPBYTE buffer, DWORD size,
                     LPDWORD needed, LPDWORD returned)
{
    std::vector<std::vector<std::string>> rows;
    for (const std::string& n : names)
        rows.push_back({n});
    return FillRecords<T>(
        rows, [set](T& r, const std::vector<char*>& s) { set(r, s[0]); }, buffer, size, needed, returned);
}

}  // namespace seamfakes
