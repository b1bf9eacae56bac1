// The driver INF's discovery and the check of its catalog.
#include "package/inf_discovery.h"

#include <cstring>

#include "framework/ansi_text.h"
#include "framework/strings.h"
#include "package/inf_file.h"
#include "package/package.h"
#include "platform/api.h"
#include "platform/handles.h"
#include "res/resource.h"

bool IsDriverInfFile(const std::string& infPath)
{
    InfFile inf(infPath, std::string());
    return inf.IsDriverInf();
}

int InfHasCatalogFile(const std::string& infPath)
{
    const std::string version = framework::LoadText(IDS_SECTION_VERSION);
    if (version.empty())
        return 0;
    std::string catalog;
    {
        InfFile inf(infPath, std::string());
        catalog = inf.GetField(version, "CatalogFile", 1);
    }
    if (catalog.empty())
        return 0;
    // The name is taken as it stands, relative to the INF's directory.
    const size_t slash = framework::FindLastCharacter(infPath, '\\');
    const std::string path = slash == std::string::npos ? catalog : infPath.substr(0, slash + 1) + catalog;
    WIN32_FIND_DATAA fd;
    std::memset(&fd, 0, sizeof fd);
    platform::FindHandle found(sys().FindFirstFileA(path.c_str(), &fd));
    if (!found)
        return 0;
    return fd.nFileSizeHigh != 0 || fd.nFileSizeLow != 0 ? 1 : 0;
}

std::string FirstDriverInf(const std::vector<std::string>& candidates,
                           const std::function<bool(const std::string&)>& isDriverInf)
{
    for (const std::string& name : candidates)
        if (isDriverInf(name))
            return name;
    return {};
}

std::string FindPackageDriverInf(const Package& package)
{
    const std::string pattern = framework::LoadText(IDS_INF_PATTERN);
    if (pattern.empty())
        return {};
    return FirstDriverInf(ListInfFiles(package.root, pattern),
                          [&package](const std::string& name) { return IsDriverInfFile(package.Path(name)); });
}
