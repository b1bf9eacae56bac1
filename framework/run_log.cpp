#include "framework/run_log.h"

#include "framework/strings.h"
#include "platform/api.h"
#include "platform/handles.h"

namespace framework {

namespace {

platform::FileHandle& LogFile()
{
    static platform::FileHandle file;
    return file;
}

std::string OneLine(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            while (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n'))
                ++i;
            out += " / ";
        } else {
            out += c;
        }
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '/'))
        out.pop_back();
    return out;
}

}  // namespace

bool OpenLog(const std::string& path, DWORD& error)
{
    // Appended to, never replaced: a log that an administrator keeps for several runs (or
    // several machines) loses nothing.
    platform::FileHandle file(sys().CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = sys().GetLastError();
        return false;
    }
    LogFile() = std::move(file);
    return true;
}

void CloseLog()
{
    LogFile().reset();
}

bool LogOpen()
{
    return LogFile().valid();
}

void Log(const std::string& text)
{
    if (!LogOpen())
        return;
    DWORD saved = sys().GetLastError();
    SYSTEMTIME t = {};
    sys().GetLocalTime(&t);
    std::string line = Format("%04u-%02u-%02u %02u:%02u:%02u.%03u ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                              t.wSecond, t.wMilliseconds) +
                       OneLine(text) + "\r\n";
    DWORD written = 0;
    sys().WriteFile(LogFile().get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    sys().SetLastError(saved);
}

std::string Outcome(bool ok, DWORD error)
{
    if (ok)
        return "ok";
    return "failed: " + std::to_string(error) + " " + OneLine(SystemErrorText(error));
}

}  // namespace framework
