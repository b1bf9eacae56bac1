// Opening the driver INF through SetupAPI, and the lookups on it.
#include "package/inf_file.h"

#include <cstring>

#include "framework/ansi_text.h"
#include "framework/paths.h"
#include "framework/strings.h"
#include "package/inf_fields.h"
#include "platform/api.h"
#include "platform/handles.h"
#include "res/resource.h"

using framework::LoadText;

std::vector<std::string> ListInfFiles(const std::string& directory, const std::string& pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    std::memset(&fd, 0, sizeof fd);
    platform::FindHandle search(sys().FindFirstFileA(framework::JoinPath(directory, pattern).c_str(), &fd));
    if (!search)
        return names;
    do {
        names.emplace_back(fd.cFileName, strnlen(fd.cFileName, sizeof fd.cFileName));
        std::memset(&fd, 0, sizeof fd);
    } while (sys().FindNextFileA(search.get(), &fd));
    return names;
}

InfFile::InfFile(const std::string& infPath, const std::string& modelName)
    : m_szInfName(framework::Truncate(infPath)), m_szModelName(framework::Truncate(modelName))
{
    const std::string infClass = LoadText(IDS_CLASS_PRINTER);
    const std::string includeKey = LoadText(IDS_KEY_INCLUDE);
    if (infClass.empty() || includeKey.empty())
        return;

    if (infPath.size() >= MAX_PATH)
        return;  // a path the ANSI calls cannot take

    m_hInf = sys().SetupOpenInfFileA(infPath.c_str(), infClass.c_str(), INF_STYLE_WIN4, nullptr);
    if (m_hInf == INVALID_HANDLE_VALUE)
        return;
    // Wine's SetupOpenInfFileA opens an INF of any class; Windows refuses a class other
    // than the one asked for. Check it here so that both behave alike.
    if (!inffields::HasClass(m_hInf, infClass)) {
        sys().SetupCloseInfFile(m_hInf);
        m_hInf = INVALID_HANDLE_VALUE;
        sys().SetLastError(ERROR_CLASS_MISMATCH);
        return;
    }

    if (!m_szModelName.empty()) {
        // Only the first field of Include is used: at most one file is appended. A bare
        // name is found by SetupAPI's own search of the system's INF directories.
        std::string include = GetModelValue(m_szModelName, includeKey, nullptr);
        if (!include.empty()) {
            m_bHasInclude = 1;
            sys().SetupOpenAppendInfFileA(include.c_str(), m_hInf, nullptr);
        }
    }
}

InfFile::~InfFile()
{
    if (m_hInf != INVALID_HANDLE_VALUE)
        sys().SetupCloseInfFile(m_hInf);
}

std::string InfFile::GetField(const std::string& section, const char* key, DWORD index,
                              bool* tooLong) const
{
    if (!IsOpen() || section.empty())
        return {};
    INFCONTEXT ctx;
    if (!sys().SetupFindFirstLineA(m_hInf, section.c_str(), key, &ctx))
        return {};
    // A field that does not exist or does not fit in a name field gives the empty string.
    return inffields::ShortField(&ctx, index, tooLong);
}

std::string InfFile::GetModelValue(const std::string& model, const std::string& key,
                                   const char* redirectKey, bool* tooLong) const
{
    const std::string maker = LoadText(IDS_SECTION_MAKER);
    if (maker.empty())
        return {};
    std::string section = GetField(maker, model.c_str(), 1);
    if (redirectKey)
        section = GetField(section, redirectKey, 1);
    return GetField(section, key.c_str(), 1, tooLong);
}

std::vector<std::string> InfFile::GetSectionLines(const std::string& section,
                                                  size_t* lengthBytes) const
{
    std::vector<std::string> lines;
    size_t length = 0;
    if (IsOpen() && !section.empty()) {
        INFCONTEXT ctx;
        LONG count = sys().SetupGetLineCountA(m_hInf, section.c_str());
        if (count >= 1 && sys().SetupFindFirstLineA(m_hInf, section.c_str(), nullptr, &ctx)) {
            for (LONG i = 0; i < count; ++i) {
                std::string text = inffields::LineText(&ctx);
                // A line without text would end the list for every reader; leave it out.
                if (!text.empty()) {
                    length += text.size() + 1;
                    lines.push_back(std::move(text));
                }
                if (i + 1 < count && !sys().SetupFindNextLine(&ctx, &ctx))
                    break;
            }
        }
    }
    if (lengthBytes)
        *lengthBytes = length;
    return lines;
}

bool InfFile::IsDriverInf() const
{
    const std::string maker = LoadText(IDS_SECTION_MAKER);
    if (!IsOpen() || maker.empty())
        return false;
    INFCONTEXT ctx;
    return sys().SetupFindFirstLineA(m_hInf, maker.c_str(), nullptr, &ctx) != FALSE;
}
