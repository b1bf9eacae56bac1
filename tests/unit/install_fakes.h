// Fakes of the seam shared by the tests of the installation steps: shell copies, message
// boxes, a directory listing and the spooler's directory queries.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "seam_fakes.h"

namespace installfakes {

struct ShellCopy {
    HWND owner;
    UINT operation;
    FILEOP_FLAGS flags;
    bool hasTitle;
    std::vector<std::string> sources;
    std::vector<std::string> destination;  // the pTo list: one entry expected
};

// Records shell copies and message boxes; the directory creation of the copy is recorded
// and not done. Each copy answers copyResult (0: done).
struct Recorder {
    int copyResult = 0;
    std::vector<ShellCopy> copies;
    std::vector<seamfakes::Box> boxes;
    std::vector<std::string> createdDirectories;

    void Install(platform::Api& api)
    {
        api.SHFileOperationA = [this](LPSHFILEOPSTRUCTA op) {
            copies.push_back({op->hwnd, op->wFunc, op->fFlags, op->lpszProgressTitle != nullptr,
                              seamfakes::SplitList(op->pFrom), seamfakes::SplitList(op->pTo)});
            return copyResult;
        };
        seamfakes::RecordBoxes(api, boxes);
        api.CreateDirectoryA = [this](LPCSTR path, LPSECURITY_ATTRIBUTES) {
            createdDirectories.emplace_back(path);
            return TRUE;
        };
    }
};

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
