// Fakes of the seam shared by the tests of the installation steps: shell copies, message
// boxes, spooler enumerations and a directory listing.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "support/scoped_api.h"

namespace installfakes {

// The entries of a multi-string, up to its closing empty string.
inline std::vector<std::string> SplitList(const char* list)
{
    std::vector<std::string> out;
    if (!list)
        return out;
    while (*list) {
        out.emplace_back(list);
        list += out.back().size() + 1;
    }
    return out;
}

struct ShellCopy {
    HWND owner;
    UINT operation;
    FILEOP_FLAGS flags;
    bool hasTitle;
    std::vector<std::string> sources;
    std::vector<std::string> destination;  // the pTo list: one entry expected
};

struct Box {
    HWND owner;
    std::string text, caption;
    UINT style;
};

// Records shell copies and message boxes; the directory creation of the copy is recorded
// and not done.
struct Recorder {
    std::vector<ShellCopy> copies;
    std::vector<Box> boxes;
    std::vector<std::string> createdDirectories;

    void Install(platform::Api& api)
    {
        api.SHFileOperationA = [this](LPSHFILEOPSTRUCTA op) {
            copies.push_back({op->hwnd, op->wFunc, op->fFlags, op->lpszProgressTitle != nullptr,
                              SplitList(op->pFrom), SplitList(op->pTo)});
            return 0;
        };
        api.MessageBoxA = [this](HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
            boxes.push_back({owner, text ? text : "", caption ? caption : "", style});
            return IDOK;
        };
        api.CreateDirectoryA = [this](LPCSTR path, LPSECURITY_ATTRIBUTES) {
            createdDirectories.emplace_back(path);
            return TRUE;
        };
    }
};

// Fills an enumeration buffer with records of type T, each with one string field set by
// `set`, the strings laid out after the records as the spooler does.
template <typename T, typename Set>
BOOL FillEnumeration(const std::vector<std::string>& names, Set set, LPBYTE buffer, DWORD size,
                     LPDWORD needed, LPDWORD returned)
{
    DWORD total = static_cast<DWORD>(names.size() * sizeof(T));
    for (const std::string& n : names)
        total += static_cast<DWORD>(n.size() + 1);
    *needed = total;
    *returned = 0;
    if (names.empty())
        return TRUE;
    if (!buffer || size < total) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memset(buffer, 0, size);
    T* records = reinterpret_cast<T*>(buffer);
    char* strings = reinterpret_cast<char*>(buffer + names.size() * sizeof(T));
    for (size_t i = 0; i < names.size(); ++i) {
        std::memcpy(strings, names[i].c_str(), names[i].size() + 1);
        set(records[i], strings);
        strings += names[i].size() + 1;
    }
    *returned = static_cast<DWORD>(names.size());
    return TRUE;
}

// A directory listing served by FindFirstFileA / FindNextFileA / FindClose.
struct FakeListing {
    struct Entry {
        std::string name;
        DWORD attributes;
        DWORD size;
    };
    std::vector<Entry> entries;
    std::vector<std::string> patterns;
    size_t next = 0;
    int open = 0;

    void Install(platform::Api& api)
    {
        static char token;
        HANDLE handle = &token;
        api.FindFirstFileA = [this, handle](LPCSTR pattern, LPWIN32_FIND_DATAA data) {
            patterns.emplace_back(pattern);
            next = 0;
            if (entries.empty()) {
                SetLastError(ERROR_FILE_NOT_FOUND);
                return INVALID_HANDLE_VALUE;
            }
            ++open;
            Fill(data);
            return handle;
        };
        api.FindNextFileA = [this](HANDLE, LPWIN32_FIND_DATAA data) {
            if (next >= entries.size()) {
                SetLastError(ERROR_NO_MORE_FILES);
                return FALSE;
            }
            Fill(data);
            return TRUE;
        };
        api.FindClose = [this](HANDLE) {
            --open;
            return TRUE;
        };
    }

private:
    void Fill(LPWIN32_FIND_DATAA data)
    {
        std::memset(data, 0, sizeof *data);
        const Entry& e = entries[next++];
        std::strncpy(data->cFileName, e.name.c_str(), MAX_PATH - 1);
        data->dwFileAttributes = e.attributes;
        data->nFileSizeLow = e.size;
    }
};

// The current directory as the program sees it.
inline void SetCurrentDirectoryTo(platform::Api& api, const std::string& directory)
{
    api.GetCurrentDirectoryA = [directory](DWORD size, LPSTR buffer) -> DWORD {
        if (size <= directory.size())
            return static_cast<DWORD>(directory.size() + 1);
        std::memcpy(buffer, directory.c_str(), directory.size() + 1);
        return static_cast<DWORD>(directory.size());
    };
}

// Copies text into a caller's buffer as the spooler's directory queries do.
inline BOOL AnswerDirectory(const std::string& directory, LPBYTE buffer, DWORD size,
                            LPDWORD needed)
{
    *needed = static_cast<DWORD>(directory.size() + 1);
    if (size < *needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, directory.c_str(), directory.size() + 1);
    return TRUE;
}

}  // namespace installfakes
