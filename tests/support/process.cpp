#include "support/process.h"

#include <utility>
#include <vector>

namespace e2e {

Process::~Process()
{
    Kill();
    Close();
}

Process::Process(Process&& other) noexcept
    : m_process(std::exchange(other.m_process, nullptr)),
      m_pid(std::exchange(other.m_pid, 0)),
      m_tid(std::exchange(other.m_tid, 0)),
      m_error(std::move(other.m_error))
{
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        Kill();
        Close();
        m_process = std::exchange(other.m_process, nullptr);
        m_pid = std::exchange(other.m_pid, 0);
        m_tid = std::exchange(other.m_tid, 0);
        m_error = std::move(other.m_error);
    }
    return *this;
}

void Process::Close()
{
    if (m_process)
        CloseHandle(m_process);
    m_process = nullptr;
}

bool Process::Start(const std::string& exe, const std::string& args, const std::string& currentDir, bool suspended)
{
    Kill();
    Close();
    m_error.clear();

    std::string cmd = "\"" + exe + "\"";
    if (!args.empty())
        cmd += " " + args;
    std::vector<char> cmdLine(cmd.begin(), cmd.end());
    cmdLine.push_back('\0');

    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe.c_str(), cmdLine.data(), nullptr, nullptr, FALSE, suspended ? CREATE_SUSPENDED : 0, nullptr,
                        currentDir.empty() ? nullptr : currentDir.c_str(), &si, &pi)) {
        m_error = "CreateProcessA(" + exe + ") failed with error " + std::to_string(GetLastError());
        return false;
    }
    CloseHandle(pi.hThread);
    m_process = pi.hProcess;
    m_pid = pi.dwProcessId;
    m_tid = pi.dwThreadId;
    return true;
}

bool Process::Resume()
{
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, m_tid);
    const bool resumed = thread && ResumeThread(thread) != DWORD(-1);
    if (thread)
        CloseHandle(thread);
    return resumed;
}

bool Process::Running() const
{
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(DWORD timeoutMs)
{
    return m_process && WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const
{
    DWORD code = ~0u;
    if (!m_process || !GetExitCodeProcess(m_process, &code))
        return ~0u;
    return code;
}

void Process::Kill()
{
    if (Running()) {
        TerminateProcess(m_process, 0xDEAD);
        WaitForSingleObject(m_process, 5000);
    }
}

// ---------------------------------------------------------------------------

static std::string AppDefaultsKey(const std::string& exeName)
{
    return "Software\\Wine\\AppDefaults\\" + exeName;
}

ScopedWineVersion::ScopedWineVersion(const std::string& exeName, const std::string& version)
    : m_exeName(exeName)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, AppDefaultsKey(exeName).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    m_ok = RegSetValueExA(key, "Version", 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(version.c_str()),
                          static_cast<DWORD>(version.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
}

ScopedWineVersion::~ScopedWineVersion()
{
    Clear(m_exeName);
}

void ScopedWineVersion::Clear(const std::string& exeName)
{
    const std::string path = AppDefaultsKey(exeName);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE, &key)
        != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, "Version");
    DWORD subKeys = 0, values = 0;
    const bool empty = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                                        &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS
                       && subKeys == 0 && values == 0;
    RegCloseKey(key);
    if (empty)
        RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

ScopedRegistryString::ScopedRegistryString(HKEY root, const std::string& path,
                                           const std::string& name, const std::string& value)
    : m_root(root), m_path(path), m_name(name)
{
    // Find the outermost missing key, so that exactly what was added goes again.
    std::string probe = path;
    for (;;) {
        HKEY k = nullptr;
        if (RegOpenKeyExA(root, probe.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS) {
            RegCloseKey(k);
            break;
        }
        m_created = probe;
        const size_t cut = probe.find_last_of('\\');
        if (cut == std::string::npos)
            break;
        probe.resize(cut);
    }

    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS
        && type == REG_SZ) {
        std::vector<char> old(size + 1, '\0');
        if (RegQueryValueExA(key, name.c_str(), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(old.data()), &size) == ERROR_SUCCESS) {
            m_hadValue = true;
            m_previous = old.data();
        }
    }
    m_ok = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
}

static void DeleteKeyTree(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS) {
        char sub[256];
        for (;;) {
            DWORD len = sizeof sub;
            if (RegEnumKeyExA(key, 0, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            DeleteKeyTree(root, path + "\\" + sub);
        }
        RegCloseKey(key);
    }
    RegDeleteKeyA(root, path.c_str());
}

ScopedRegistryString::~ScopedRegistryString()
{
    if (!m_created.empty()) {
        DeleteKeyTree(m_root, m_created);
        return;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(m_root, m_path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    if (m_hadValue)
        RegSetValueExA(key, m_name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(m_previous.c_str()),
                       static_cast<DWORD>(m_previous.size() + 1));
    else
        RegDeleteValueA(key, m_name.c_str());
    RegCloseKey(key);
}

bool CopyFileTo(const std::string& from, const std::string& to)
{
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool FileExists(const std::string& path)
{
    const DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace e2e
