// Installing the package's printer driver into the local spooler.
#include "install/driver_install.h"

#include <memory>
#include <vector>

#include "framework/strings.h"
#include "install/feedback.h"
#include "install/file_copy.h"
#include "install/oem_inf.h"
#include "install/print_processor.h"
#include "package/inf_discovery.h"
#include "package/inf_file.h"
#include "package/package.h"
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

// The driver's files, as the INF describes them.
struct DriverFiles {
    std::string printProcessorFile;
    std::string driverFile, dataFile, configFile, helpFile;
    std::vector<std::string> dependentFiles;
};

// Adds the described driver; shows the spooler's refusal.
int AddDriver(const std::string& driverName, const char* environment, DriverFiles& files,
              std::string defaultDataType, bool& reported)
{
    std::string name = driverName;
    std::string dependentList = framework::ToMultiString(files.dependentFiles);
    DRIVER_INFO_3A info = {};
    info.cVersion = 3;
    info.pName = Text(name);
    info.pEnvironment = const_cast<char*>(environment);
    info.pDriverPath = Text(files.driverFile);
    info.pDataFile = Text(files.dataFile);
    info.pConfigFile = Text(files.configFile);
    info.pHelpFile = Text(files.helpFile);
    info.pDependentFiles = Text(dependentList);
    info.pMonitorName = nullptr;
    info.pDefaultDataType = Text(defaultDataType);

    BOOL added = sys().AddPrinterDriverExA(nullptr, 3, reinterpret_cast<LPBYTE>(&info), APD_COPY_ALL_FILES);
    if (!added) {
        TellSystemError(nullptr, sys().GetLastError(), IDS_INSTALL_FAILED_CAPTION);
        reported = true;
    }
    return added;
}

}  // namespace

std::string PrinterDriverDirectory(const char* environment)
{
    char directory[MAX_PATH + 1] = {};
    DWORD needed = 0;
    if (!sys().GetPrinterDriverDirectoryA(nullptr, const_cast<char*>(environment), 1,
                                          reinterpret_cast<LPBYTE>(directory), MAX_PATH, &needed))
        return {};
    return directory;
}

DriverInstallResult InstallPrinterDriver(const Package& package, const std::string& infName,
                                         const std::string& driverName, const char* environment,
                                         DriverExtras extras)
{
    const bool withExtras = extras == DriverExtras::PrintProcessorAndInf;
    DriverInstallResult result;
    const std::string infPath = package.Path(infName);
    std::unique_ptr<InfFile> inf;
    try {
        inf = std::make_unique<InfFile>(infPath, driverName);
        inf->Describe();
    } catch (...) {
        return result;
    }

    // A file name cut to fit would name another file: refuse before anything is copied.
    if (inf->m_bNameTooLong) {
        TellSystemError(nullptr, ERROR_FILENAME_EXCED_RANGE, IDS_INSTALL_FAILED_CAPTION);
        result.reported = true;
        return result;
    }

    // Every field of the description fits a 260-byte buffer: none is longer than 259 characters.
    result.described = true;
    result.printProcessor = inf->m_szPrintProcessor;
    // The printer created next takes the same data type: Wine's spooler refuses a queue
    // without one, and Windows would fall back to the driver's default, which this is.
    result.defaultDataType = inf->m_szDefaultDataType.empty() ? "RAW" : inf->m_szDefaultDataType;
    DriverFiles files{inf->m_szPrintProcessorFile, inf->m_szDriverFile, inf->m_szDataFile, inf->m_szConfigFile,
                      inf->m_szHelpFile, SplitMultiString(inf->m_szDependentFiles)};

    // A print processor that is not in place would break every job of the printer.
    if (withExtras && !files.printProcessorFile.empty() &&
        !InstallPrintProcessor(package.root, inf->m_szPrintProcessor, files.printProcessorFile, environment)) {
        result.reported = true;
        return result;
    }

    const std::string driverDirectory = PrinterDriverDirectory(environment);
    if (driverDirectory.empty())
        return result;
    // The spooler is not trusted to notice a missing file (Wine's does not): the driver is
    // added only with all its files in place.
    if (!CopyFilesToDirectory(package.root, files.dependentFiles, driverDirectory)) {
        StepFeedback().Tell(nullptr, framework::LoadTextWith(IDS_FILES_NOT_COPIED, driverDirectory),
                            IDS_INSTALL_FAILED_CAPTION, MB_OK | MB_ICONHAND);
        result.reported = true;
        return result;
    }

    if (withExtras && !infName.empty())
        CopyInfToSystemDirectory(infPath, InfHasCatalogFile(infPath) != 0);

    result.added = AddDriver(driverName, environment, files, inf->m_szDefaultDataType, result.reported);
    return result;
}
