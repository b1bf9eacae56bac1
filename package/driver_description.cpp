// The driver description read out of the driver INF: driver, data, configuration and
// help files, the dependent files, the print processor and the default data type.
#include <cstring>

#include "framework/strings.h"
#include "package/inf_fields.h"
#include "package/inf_file.h"
#include "platform/api.h"
#include "res/resource.h"

using framework::LoadText;

namespace {

// A name marked with an at sign (a single file in CopyFiles) loses its first character.
std::string WithoutAtSign(const std::string& name)
{
    if (name.find('@') == std::string::npos)
        return name;
    return name.substr(1);
}

// Appends names to a multi-string ("a\0b\0\0"), keeping its closing NUL. Names are never
// cut: returns false when one is longer than a name field holds.
bool AppendToMultiString(std::string& list, size_t& length, const std::vector<std::string>& names)
{
    if (list.empty())
        list.push_back('\0');
    list.pop_back();
    bool fit = true;
    for (const std::string& name : names) {
        list += name;
        list.push_back('\0');
        length += name.size() + 1;
        fit = fit && name.size() <= framework::kMaxText;
    }
    list.push_back('\0');
    return fit;
}

}  // namespace

void InfFile::Describe()
{
    const std::string copyFiles = LoadText(IDS_KEY_COPYFILES);
    const std::string driverFile = LoadText(IDS_KEY_DRIVERFILE);
    const std::string configFile = LoadText(IDS_KEY_CONFIGFILE);
    const std::string helpFile = LoadText(IDS_KEY_HELPFILE);
    const std::string dataFile = LoadText(IDS_KEY_DATAFILE);
    const std::string dataSection = LoadText(IDS_KEY_DATASECTION);
    const std::string maker = LoadText(IDS_SECTION_MAKER);
    const std::string needs = LoadText(IDS_KEY_NEEDS);
    if (copyFiles.empty() || driverFile.empty() || configFile.empty() || helpFile.empty() ||
        dataFile.empty() || dataSection.empty() || maker.empty() || needs.empty())
        return;
    const std::string& model = m_szModelName;
    m_bNameTooLong = false;
    // A file field of the data section; one that does not fit is noted, never cut.
    auto readFileField = [&](const std::string& key, std::string& field) {
        bool tooLong = false;
        field = GetModelValue(model, key, dataSection.c_str(), &tooLong);
        m_bNameTooLong = m_bNameTooLong || tooLong;
    };

    // Each step on its own: a failing step leaves its fields as they were.
    auto step = [](auto&& run) {
        try {
            run();
        } catch (...) {
        }
    };
    step([&] {
        if (m_bHasInclude)
            ReadPrintProcessor(model);
    });
    step([&] {
        bool tooLong = false;
        std::string value = GetModelValue(model, dataFile, dataSection.c_str(), &tooLong);
        if (value.empty() && !tooLong)
            value = GetModelValue(model, copyFiles, nullptr, &tooLong);
        m_bNameTooLong = m_bNameTooLong || tooLong;
        m_szDataFile = WithoutAtSign(value);
    });
    step([&] { readFileField(driverFile, m_szDriverFile); });
    step([&] { readFileField(configFile, m_szConfigFile); });
    step([&] { readFileField(helpFile, m_szHelpFile); });
    step([&] { ReadDependentFiles(model, copyFiles, maker, needs); });
}

void InfFile::ReadDependentFiles(const std::string& model, const std::string& copyFiles, const std::string& maker,
                                 const std::string& needs)
{
    size_t length = 0;
    std::string files = CollectCopyFiles(model, copyFiles, &length);
    if (m_bHasInclude) {
        // The files of the first section that the install section needs from the included
        // INF, when its first CopyFiles entry names a section.
        std::string install = GetField(maker, model.c_str(), 1);
        std::string needed = GetField(install, needs.c_str(), 1);
        std::string neededFiles = GetField(needed, copyFiles.c_str(), 1);
        if (!AppendToMultiString(files, length, GetSectionLines(neededFiles)))
            m_bNameTooLong = true;
    }
    m_szDependentFiles = std::move(files);
    m_nDependentFilesLength = length;
}

std::string InfFile::CollectCopyFiles(const std::string& model, const std::string& key,
                                      size_t* lengthBytes)
{
    std::string list(1, '\0');
    size_t length = 0;
    const std::string maker = LoadText(IDS_SECTION_MAKER);
    std::string install = maker.empty() ? std::string() : GetField(maker, model.c_str(), 1);
    INFCONTEXT line;
    if (IsOpen() && !install.empty() &&
        sys().SetupFindFirstLineA(m_hInf, install.c_str(), key.c_str(), &line)) {
        DWORD count = sys().SetupGetFieldCount(&line);
        for (DWORD i = 1; i <= count; ++i) {
            std::string field = inffields::WholeField(&line, i);
            if (field.empty())
                continue;  // an empty entry names nothing; the entries behind it still count
            INFCONTEXT first;
            bool fit = true;
            if (sys().SetupFindFirstLineA(m_hInf, field.c_str(), nullptr, &first)) {
                fit = AppendToMultiString(list, length, GetSectionLines(field));
            } else {
                std::string name = WithoutAtSign(field);
                if (!name.empty())
                    fit = AppendToMultiString(list, length, {name});
            }
            if (!fit)
                m_bNameTooLong = true;
        }
    }
    if (lengthBytes)
        *lengthBytes = length;
    return list;
}

void InfFile::ReadPrintProcessor(const std::string& model)
{
    if (model.empty())
        return;
    const std::string maker = LoadText(IDS_SECTION_MAKER);
    const std::string printProcessor = LoadText(IDS_KEY_PRINTPROCESSOR);
    const std::string defaultData = LoadText(IDS_KEY_DEFAULTDATA);
    const std::string dataSection = LoadText(IDS_KEY_DATASECTION);
    if (maker.empty() || printProcessor.empty() || defaultData.empty() || dataSection.empty())
        return;
    std::string install = GetField(maker, model.c_str(), 1);
    // A field that does not fit is noted (GetField only ever sets the flag), never cut or
    // dropped: an empty one would quietly mean the system's print processor or data type.
    bool tooLong = false;
    m_szPrintProcessor = GetField(install, printProcessor.c_str(), 1, &tooLong);
    m_szPrintProcessorFile = GetField(install, printProcessor.c_str(), 2, &tooLong);
    m_szDefaultDataType = GetField(install, defaultData.c_str(), 1, &tooLong);
    if (m_szDefaultDataType.empty() && !tooLong)
        m_szDefaultDataType = GetModelValue(model, defaultData, dataSection.c_str(), &tooLong);
    if (tooLong)
        m_bNameTooLong = true;
}
