// The driver INF's discovery and the check of its catalog.
#include "package/inf_discovery.h"

#include <cstring>

#include "framework/strings.h"
#include "package/inf_file.h"
#include "platform/api.h"
#include "platform/handles.h"
#include "res/resource.h"

bool IsDriverInfFile(const std::string& infName)
{
    InfFile inf(infName, std::string());
    return inf.IsDriverInf();
}

int InfHasCatalogFile(const std::string& infName)
{
    const std::string version = framework::LoadText(IDS_SECTION_VERSION);
    if (version.empty())
        return 0;
    std::string catalog;
    {
        InfFile inf(infName, std::string());
        catalog = inf.GetField(version, "CatalogFile", 1);
    }
    if (catalog.empty())
        return 0;
    // The name is taken as it stands, relative to the current directory.
    WIN32_FIND_DATAA fd;
    std::memset(&fd, 0, sizeof fd);
    platform::FindHandle found(sys().FindFirstFileA(catalog.c_str(), &fd));
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
