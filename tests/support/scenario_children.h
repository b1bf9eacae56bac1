// Which programs a process starts, e.g. the shell's explorer.exe when setup.exe opens the
// Printers folder or a directory.
//
// Under Wine 8 the shell opens a folder by starting "explorer.exe <folder>". For a directory
// that process shows a window captioned with the directory's name; for the Printers folder
// (the parsing name "::{20D04FE0-...}\::{2227A280-...}") Wine's explorer cannot make the folder
// and ends without a window. Either way the request is seen reliably as a new process: the
// watched process runs in a job object whose completion port reports every process that
// joins it (children join their parent's job), and the child's command line is read from its
// process parameters while it runs.
#pragma once
#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace scenario {

struct ChildProcess {
    DWORD pid = 0;
    std::string commandLine;   // empty when the process ended before it could be read
};

class ChildWatch {
public:
    ChildWatch();
    ~ChildWatch();
    ChildWatch(const ChildWatch&) = delete;
    ChildWatch& operator=(const ChildWatch&) = delete;

    bool Ok() const { return m_port != nullptr; }

    // Puts a started process into the job: every process it starts from now on is reported.
    bool Watch(HANDLE process, DWORD pid);

    // The processes that joined the job, the watched one excluded.
    std::vector<ChildProcess> Children() const;
    // Waits (bounded) for a child whose command line contains `text`, without regard to case.
    bool WaitForChild(const std::string& text, DWORD timeoutMs, ChildProcess* found = nullptr) const;
    // "pid: command line; ..." of all children, for failure messages.
    std::string Describe() const;

    // Ends the children that still run (the watched process is left alone).
    void EndChildren();

private:
    void Run();

    HANDLE m_job = nullptr;
    HANDLE m_port = nullptr;
    DWORD m_watched = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<ChildProcess> m_children;
    std::vector<HANDLE> m_handles;   // of the children, open until the watch ends
};

// The command line of a running process, read from its process parameters; "" when unreadable.
std::string CommandLineOf(HANDLE process);

// The shell's parsing names of the Printers folder (under My Computer).
constexpr const char* kPrintersFolderClsid = "{2227A280-3AEA-1069-A2DE-08002B30309D}";

}  // namespace scenario
