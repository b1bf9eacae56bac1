// The operations that the controller runs between pages: each asks the installation steps
// (install/) or the package reading (package/) and keeps what they return.
#include "app/install_status.h"
#include "app/wizard_app.h"
#include "install/copy_driver.h"
#include "install/driver_install.h"
#include "install/port_monitor.h"
#include "install/printer_create.h"
#include "package/inf_discovery.h"
#include "package/inf_file.h"
#include "platform/api.h"

std::vector<std::string> WizardApp::ListInfFiles(const std::string& pattern)
{
    return ::ListInfFiles(m_package.root, pattern);
}

bool WizardApp::IsDriverInf(const std::string& infName)
{
    return IsDriverInfFile(m_package.Path(infName));
}

int WizardApp::HasCatalogFile(const std::string& infName)
{
    return InfHasCatalogFile(m_package.Path(infName));
}

bool WizardApp::InstallPortMonitor(PrinterPageBase& page)
{
    return InstallPackagePortMonitor(page.GetSafeHwnd(), m_package, m_versionInfo.dwMajorVersion, m_versionInfo.dwMinorVersion);
}

int WizardApp::InstallDriver(const std::string& infName, const std::string& driverName, const char* environment)
{
    DriverInstallResult result = InstallPrinterDriver(m_package, infName, driverName, environment);
    if (result.described) {
        m_strPrintProcessor = result.printProcessor;
        m_strDefaultDataType = result.defaultDataType;
    }
    if (result.reported)
        InstallStatus = INSTALL_DRIVER_FAILED;
    return result.added;
}

int WizardApp::CreatePrinter(const char* serverName, const std::string& printerName,
                             const std::string& driverName, const std::string& portName, const char* comment,
                             const char* location, const char* sepFile)
{
    PrinterQueueSettings settings;
    settings.serverName = serverName;
    settings.printerName = printerName;
    settings.driverName = driverName;
    settings.portName = portName;
    settings.comment = comment;
    settings.location = location;
    settings.sepFile = sepFile;
    settings.printProcessor = m_strPrintProcessor;
    settings.dataType = m_strDefaultDataType;
    PrinterCreateResult result = CreatePrinterQueue(settings);
    if (result.reported)
        InstallStatus = INSTALL_PRINTER_FAILED;
    return result.created;
}

void WizardApp::CopyDriverToDirectory(const std::string& destination)
{
    CopyDriverPackage(m_package, destination);
}

void WizardApp::OpenPrintersFolder()
{
    LPITEMIDLIST items = nullptr;
    if (FAILED(sys().SHGetSpecialFolderLocation(nullptr, CSIDL_PRINTERS, &items)) || !items)
        return;
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_IDLIST;
    info.lpVerb = "open";
    info.nShow = SW_SHOWNORMAL;
    info.lpIDList = items;
    sys().ShellExecuteExA(&info);
    LPMALLOC shellAlloc = nullptr;
    if (SUCCEEDED(sys().SHGetMalloc(&shellAlloc)) && shellAlloc) {
        shellAlloc->Free(items);
        shellAlloc->Release();
    }
}

void WizardApp::OpenCopiedDirectory(const std::string& directory)
{
    if (directory.empty())
        return;
    sys().ShellExecuteA(nullptr, nullptr, directory.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
