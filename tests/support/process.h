// Starting and ending the program under test from a test process, and the Wine
// settings that a test changes for it.
#pragma once
#include <windows.h>
#include <string>

namespace e2e {

// Generous upper bound for every wait of the end-to-end tests: it only keeps a
// broken run from hanging; no test measures time with it.
constexpr DWORD kWaitMs = 20000;
// The same for steps that install or copy (a click on Finish, say).
constexpr DWORD kLongWaitMs = 120000;

// A child process. The destructor kills it when it is still running, so a failed
// test never leaves a window behind for the next one.
class Process {
public:
    Process() = default;
    ~Process();
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // CreateProcessA on exe with the command line "exe" args, in currentDir
    // (empty: the test's own). False with Error() set when it cannot start.
    // `suspended`: its first thread waits for Resume().
    bool Start(const std::string& exe, const std::string& args = {},
               const std::string& currentDir = {}, bool suspended = false);
    bool Resume();

    bool Started() const { return m_process != nullptr; }
    bool Running() const;

    // Waits up to timeoutMs for the process to end; true when it has ended.
    bool WaitForExit(DWORD timeoutMs = kWaitMs);

    // The exit code once ended; STILL_ACTIVE while running; ~0u when not started.
    DWORD ExitCode() const;

    // Ends a running process (exit code 0xDEAD) and waits for it.
    void Kill();

    DWORD Id() const { return m_pid; }
    DWORD MainThreadId() const { return m_tid; }
    HANDLE Handle() const { return m_process; }
    const std::string& Error() const { return m_error; }

private:
    void Close();

    HANDLE m_process = nullptr;
    DWORD m_pid = 0;
    DWORD m_tid = 0;
    std::string m_error;
};

// Sets HKCU\Software\Wine\AppDefaults\<exeName>\Version (e.g. "win7") for
// programs started afterwards, and deletes the value again at destruction, so
// that the prefix goes back to its default Windows version.
class ScopedWineVersion {
public:
    ScopedWineVersion(const std::string& exeName, const std::string& version);
    ~ScopedWineVersion();
    ScopedWineVersion(const ScopedWineVersion&) = delete;
    ScopedWineVersion& operator=(const ScopedWineVersion&) = delete;

    bool Ok() const { return m_ok; }

    // Removes a per-program Version value (one left over by a crashed run, say).
    static void Clear(const std::string& exeName);

private:
    std::string m_exeName;
    bool m_ok = false;
};

// Sets a string value in the registry for the test's duration; at destruction
// the earlier value comes back, or the value (and the keys created for it) go.
class ScopedRegistryString {
public:
    ScopedRegistryString(HKEY root, const std::string& path, const std::string& name,
                         const std::string& value);
    ~ScopedRegistryString();
    ScopedRegistryString(const ScopedRegistryString&) = delete;
    ScopedRegistryString& operator=(const ScopedRegistryString&) = delete;

    bool Ok() const { return m_ok; }

private:
    HKEY m_root;
    std::string m_path;
    std::string m_name;
    std::string m_created;     // the outermost key this object created ("" if none)
    bool m_hadValue = false;
    std::string m_previous;
    bool m_ok = false;
};

// Copies a file; true on success (overwrites).
bool CopyFileTo(const std::string& from, const std::string& to);

bool FileExists(const std::string& path);

}  // namespace e2e
