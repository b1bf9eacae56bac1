#include "package/package.h"

#include "framework/ansi_text.h"
#include "framework/paths.h"
#include "package/printer_model.h"
#include "platform/api.h"

std::string Package::Path(const std::string& name) const
{
    return framework::JoinPath(root, name);
}

std::string Package::MonitorDirectory() const
{
    return Path(kModel.monitorDirectory);
}

std::string Package::MonitorPath(const std::string& name) const
{
    return framework::JoinPath(MonitorDirectory(), name);
}

Package ProgramPackage()
{
    char path[MAX_PATH + 1] = {};
    DWORD n = sys().GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {};  // no name, or a name cut short by the system
    std::string s(path, n);
    size_t slash = framework::FindLastCharacter(s, '\\');
    if (slash == std::string::npos)
        return {};
    // "C:\setup.exe" keeps its root's backslash.
    return {s.substr(0, slash == 2 ? 3 : slash)};
}
