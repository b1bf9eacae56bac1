#include "support/scenario_children.h"

#include <winternl.h>

#include <algorithm>
#include <cctype>

#include "support/process.h"

namespace scenario {

namespace {

const ULONG_PTR kJobKey = 1;
const ULONG_PTR kStopKey = 2;
// How long a child is looked at for its command line before it counts as unreadable: as long
// as a scenario waits for a child. A process that starts slowly (a loaded host) fills in its
// parameters late; a shorter look left it unread while the scenario went on waiting for it.
const DWORD kReadForMs = e2e::kWaitMs;

using QueryProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool ReadAt(HANDLE process, const void* at, void* into, SIZE_T size)
{
    SIZE_T got = 0;
    return ReadProcessMemory(process, at, into, size, &got) && got == size;
}

}  // namespace

std::string CommandLineOf(HANDLE process)
{
    static const auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    if (!query)
        return {};
    PROCESS_BASIC_INFORMATION basic = {};
    ULONG length = 0;
    if (query(process, ProcessBasicInformation, &basic, sizeof basic, &length) != 0 || !basic.PebBaseAddress)
        return {};
    PEB peb = {};
    RTL_USER_PROCESS_PARAMETERS params = {};
    if (!ReadAt(process, basic.PebBaseAddress, &peb, sizeof peb) || !peb.ProcessParameters ||
        !ReadAt(process, peb.ProcessParameters, &params, sizeof params) || !params.CommandLine.Buffer ||
        params.CommandLine.Length == 0)
        return {};
    std::wstring wide(params.CommandLine.Length / sizeof(wchar_t), L'\0');
    // A process that is still starting can show its parameters before their text is in
    // place: NULs inside the line mean "not yet".
    if (!ReadAt(process, params.CommandLine.Buffer, &wide[0], params.CommandLine.Length) ||
        wide.find(L'\0') != std::wstring::npos)
        return {};
    int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &out[0], n, nullptr, nullptr);
    return out;
}

ChildWatch::ChildWatch()
{
    m_job = CreateJobObjectA(nullptr, nullptr);
    if (!m_job)
        return;
    HANDLE port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
    if (!port)
        return;
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT link = {};
    link.CompletionKey = reinterpret_cast<PVOID>(kJobKey);
    link.CompletionPort = port;
    if (!SetInformationJobObject(m_job, JobObjectAssociateCompletionPortInformation, &link, sizeof link)) {
        CloseHandle(port);
        return;
    }
    m_port = port;
    m_thread = std::thread([this] { Run(); });
}

ChildWatch::~ChildWatch()
{
    if (m_thread.joinable()) {
        PostQueuedCompletionStatus(m_port, 0, kStopKey, nullptr);
        m_thread.join();
    }
    for (HANDLE h : m_handles)
        CloseHandle(h);
    if (m_port)
        CloseHandle(m_port);
    if (m_job)
        CloseHandle(m_job);
}

bool ChildWatch::Watch(HANDLE process, DWORD pid)
{
    if (!Ok())
        return false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_watched = pid;
    }
    return AssignProcessToJobObject(m_job, process) != 0;
}

void ChildWatch::Run()
{
    struct Pending {
        DWORD pid;
        HANDLE handle;
        DWORD since;
    };
    std::vector<Pending> pending;
    for (;;) {
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED data = nullptr;
        // While a child waits to be read, look at it every few milliseconds.
        BOOL got = GetQueuedCompletionStatus(m_port, &message, &key, &data, pending.empty() ? INFINITE : 5);
        if (got && key == kStopKey)
            break;
        if (got && key == kJobKey && message == JOB_OBJECT_MSG_NEW_PROCESS) {
            const DWORD pid = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(data));
            bool watched;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                watched = pid == m_watched;
            }
            if (!watched) {
                // Held until the watch ends, so that the id cannot be reused meanwhile.
                HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE | PROCESS_TERMINATE,
                                       FALSE, pid);
                std::lock_guard<std::mutex> lock(m_mutex);
                m_children.push_back({pid, ""});
                if (h) {
                    m_handles.push_back(h);
                    pending.push_back({pid, h, GetTickCount()});
                }
            }
        }
        for (auto it = pending.begin(); it != pending.end();) {
            std::string line = CommandLineOf(it->handle);
            // Wine can show a starting process's handle as signalled while the process runs on
            // (seen with the shell's explorer under load): only an exit code tells it ended.
            DWORD code = STILL_ACTIVE;
            bool ended = WaitForSingleObject(it->handle, 0) == WAIT_OBJECT_0 &&
                         GetExitCodeProcess(it->handle, &code) && code != STILL_ACTIVE;
            if (line.empty() && !ended && GetTickCount() - it->since < kReadForMs) {
                ++it;
                continue;
            }
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (line.empty())
                    line = ended ? "(ended before it was read, exit code " + std::to_string(code) + ")" : std::string();
                for (ChildProcess& c : m_children)
                    if (c.pid == it->pid)
                        c.commandLine = line;
            }
            it = pending.erase(it);
        }
    }
}

std::vector<ChildProcess> ChildWatch::Children() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_children;
}

bool ChildWatch::WaitForChild(const std::string& text, DWORD timeoutMs, ChildProcess* found) const
{
    const std::string wanted = Lower(text);
    const DWORD start = GetTickCount();
    for (;;) {
        for (const ChildProcess& c : Children()) {
            if (Lower(c.commandLine).find(wanted) != std::string::npos) {
                if (found)
                    *found = c;
                return true;
            }
        }
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
}

std::string ChildWatch::Describe() const
{
    std::string out;
    for (const ChildProcess& c : Children()) {
        if (!out.empty())
            out += "; ";
        out += std::to_string(c.pid) + ": " + (c.commandLine.empty() ? "(unread)" : c.commandLine);
    }
    return out.empty() ? "(no child processes)" : out;
}

void ChildWatch::EndChildren()
{
    std::vector<HANDLE> handles;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        handles = m_handles;
    }
    for (HANDLE h : handles) {
        if (WaitForSingleObject(h, 0) == WAIT_TIMEOUT) {
            TerminateProcess(h, 1);
            WaitForSingleObject(h, 5000);
        }
    }
}

}  // namespace scenario
