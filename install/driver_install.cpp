// Installing the package's printer driver into the local spooler.
#include <memory>
#include <vector>

#include "app/install_status.h"
#include "app/wizard_app.h"
#include "framework/message_box.h"
#include "framework/strings.h"
#include "install/file_copy.h"
#include "install/oem_inf.h"
#include "install/print_processor.h"
#include "package/inf_file.h"
#include "platform/api.h"
#include "res/resource.h"

namespace {

// The names of a multi-string ("a\0b\0\0"), up to its closing empty string.
std::vector<std::string> SplitMultiString(const std::string& list)
{
    std::vector<std::string> names;
    size_t pos = 0;
    while (pos < list.size()) {
        size_t end = list.find('\0', pos);
        if (end == std::string::npos)
            end = list.size();
        if (end == pos)
            break;
        names.push_back(list.substr(pos, end - pos));
        pos = end + 1;
    }
    return names;
}

char* Text(std::string& s) { return &s[0]; }

}  // namespace

int WizardApp::InstallDriver(const std::string& infName, const std::string& driverName,
                             const char* environment)
{
    std::unique_ptr<InfFile> inf;
    try {
        inf = std::make_unique<InfFile>(infName, driverName);
        inf->Describe();
    } catch (...) {
        return 0;
    }

    // A file name cut to fit would name another file: refuse before anything is copied.
    if (inf->m_bNameTooLong) {
        framework::ShowSystemError(nullptr, ERROR_FILENAME_EXCED_RANGE, IDS_INSTALL_FAILED_CAPTION);
        InstallStatus = INSTALL_DRIVER_FAILED;
        return 0;
    }

    // Every field of the description fits a 260-byte buffer: none is longer than 259 characters.
    m_strPrintProcessor = inf->m_szPrintProcessor;
    std::string printProcessorFile = inf->m_szPrintProcessorFile;
    std::string defaultDataType = inf->m_szDefaultDataType;
    std::string driverFile = inf->m_szDriverFile;
    std::string dataFile = inf->m_szDataFile;
    std::string configFile = inf->m_szConfigFile;
    std::string helpFile = inf->m_szHelpFile;
    std::vector<std::string> dependentFiles = SplitMultiString(inf->m_szDependentFiles);
    // The printer created next takes the same data type: Wine's spooler refuses a queue
    // without one, and Windows would fall back to the driver's default, which this is.
    m_strDefaultDataType = defaultDataType.empty() ? "RAW" : defaultDataType;

    if (!printProcessorFile.empty())
        InstallPrintProcessor(inf->m_szPrintProcessor, printProcessorFile, environment);

    char driverDirectory[MAX_PATH + 1] = {};
    DWORD needed = 0;
    if (!sys().GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(environment), 1,
                                          reinterpret_cast<LPBYTE>(driverDirectory), MAX_PATH,
                                          &needed))
        return 0;
    CopyFilesToDirectory(dependentFiles, driverDirectory);

    CopyInfToSystemDirectory(infName, !infName.empty() && HasCatalogFile(infName) != 0);

    std::string name = driverName;
    std::string dependentList = framework::ToMultiString(dependentFiles);
    DRIVER_INFO_3A info = {};
    info.cVersion = 3;
    info.pName = Text(name);
    info.pEnvironment = const_cast<char*>(environment);
    info.pDriverPath = Text(driverFile);
    info.pDataFile = Text(dataFile);
    info.pConfigFile = Text(configFile);
    info.pHelpFile = Text(helpFile);
    info.pDependentFiles = Text(dependentList);
    info.pMonitorName = nullptr;
    info.pDefaultDataType = Text(defaultDataType);

    BOOL added = sys().AddPrinterDriverExA(nullptr, 3, reinterpret_cast<LPBYTE>(&info),
                                           APD_COPY_ALL_FILES);
    if (!added) {
        framework::ShowSystemError(nullptr, sys().GetLastError(), IDS_INSTALL_FAILED_CAPTION);
        InstallStatus = INSTALL_DRIVER_FAILED;
        return 0;
    }
    return added;
}
