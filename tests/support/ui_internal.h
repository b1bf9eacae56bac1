// Helpers shared by the ui_*.cpp files of the test driver (not for tests).
#pragma once
#include <windows.h>
#include <cstddef>

namespace e2e {
namespace detail {

class Deadline {
public:
    explicit Deadline(DWORD timeoutMs);
    DWORD Left() const;
    bool Over() const { return Left() == 0; }

private:
    DWORD m_end;
};

// SendMessageTimeoutA; false when the window is gone or did not answer in time.
bool Send(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result, DWORD timeoutMs);
// The answer, or `fallback` when there was none.
LRESULT SendOr(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT fallback);

// Memory in the process that owns a window, for the messages of common
// controls, which carry pointers that no one translates between processes.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    bool Ok() const { return m_address != nullptr; }
    // The address as the owning process sees it.
    char* At(size_t offset) const { return static_cast<char*>(m_address) + offset; }
    LPARAM Param(size_t offset = 0) const { return reinterpret_cast<LPARAM>(At(offset)); }
    bool Write(const void* data, size_t size, size_t offset = 0);
    bool Read(void* data, size_t size, size_t offset = 0) const;

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
    size_t m_size = 0;
};

}  // namespace detail
}  // namespace e2e
