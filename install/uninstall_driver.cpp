// Removing the printer driver, the files the spooler leaves of it, and the INF copy.
#include <algorithm>

#include "framework/ansi_text.h"
#include "framework/paths.h"
#include "framework/strings.h"
#include "install/driver_install.h"
#include "install/oem_inf.h"
#include "install/spooler_list.h"
#include "install/uninstall.h"
#include "platform/api.h"

using framework::EqualNoCase;

namespace {

struct DriverRecord {
    std::string name;
    std::vector<std::string> files;  // full paths, as the spooler gives them
};

std::string BaseName(const std::string& path)
{
    return path.substr(framework::FindLastCharacter(path, '\\') + 1);
}

// The drivers of an environment (null: the machine's own).
bool ListDrivers(std::vector<DriverRecord>& drivers, const char* environment = nullptr)
{
    drivers.clear();
    return ReadSpoolerList<DRIVER_INFO_3A>(
        [environment](LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD count) {
            return sys().EnumPrinterDriversA(nullptr, const_cast<char*>(environment), 3, buffer, size, needed, count);
        },
        [&](const DRIVER_INFO_3A& d) {
            DriverRecord record{FieldText(d.pName), {}};
            for (const char* file : {d.pDriverPath, d.pDataFile, d.pConfigFile, d.pHelpFile})
                if (file && *file)
                    record.files.emplace_back(file);
            for (const char* p = d.pDependentFiles; p && *p; p += std::string(p).size() + 1)
                record.files.emplace_back(p);
            drivers.push_back(record);
        });
}

// A driver that names the file: by its path, or by its name alone (`byName`).
const DriverRecord* DriverUsing(const std::vector<DriverRecord>& drivers, const std::string& path, bool byName)
{
    for (const DriverRecord& driver : drivers)
        for (const std::string& file : driver.files)
            if (byName ? EqualNoCase(BaseName(file), BaseName(path)) : EqualNoCase(file, path))
                return &driver;
    return nullptr;
}

// The files of the deleted driver that no remaining driver names, in the spooler's
// directory of the driver and where the install task put them for the spooler.
void RemoveDriverFiles(const std::vector<std::string>& files, const std::vector<DriverRecord>& remaining,
                       UninstallReport& report, const char* environment)
{
    const std::string staging = PrinterDriverDirectory(environment);
    for (const std::string& path : files) {
        if (const DriverRecord* user = DriverUsing(remaining, path, false)) {
            report.push_back({"file " + path, PartState::Kept, "driver " + user->name + " uses it"});
            continue;
        }
        DeleteLeftoverFile(path, report);
        const std::string staged = staging.empty() ? std::string() : framework::JoinPath(staging, BaseName(path));
        if (!staged.empty() && !EqualNoCase(staged, path) && !DriverUsing(remaining, path, true))
            DeleteLeftoverFile(staged, report);
    }
}

}  // namespace

bool IsDriverInstalled(const std::string& driver, const char* environment)
{
    std::vector<DriverRecord> drivers;
    return ListDrivers(drivers, environment) && std::any_of(drivers.begin(), drivers.end(), [&](const DriverRecord& d) {
               return EqualNoCase(d.name, driver);
           });
}

bool RemoveDriver(const std::string& driver, const std::vector<PrinterRecord>& others, UninstallReport& report,
                  const char* environment)
{
    const std::string part = "driver " + driver + (environment ? std::string(" for ") + environment : "");
    for (const PrinterRecord& printer : others) {
        if (EqualNoCase(printer.driver, driver)) {
            report.push_back({part, PartState::Kept, "printer " + printer.name + " uses it"});
            return false;
        }
    }
    std::vector<DriverRecord> drivers;
    if (!ListDrivers(drivers, environment)) {
        report.push_back({part, PartState::Failed, "the spooler cannot list its drivers: " +
                                                       ErrorReason(sys().GetLastError())});
        return false;
    }
    // Every version of the driver goes; their files are gathered first.
    bool installed = false;
    std::vector<std::string> files;
    for (const DriverRecord& record : drivers) {
        if (!EqualNoCase(record.name, driver))
            continue;
        installed = true;
        for (const std::string& file : record.files)
            if (std::none_of(files.begin(), files.end(), [&](const std::string& f) { return EqualNoCase(f, file); }))
                files.push_back(file);
    }
    if (!installed) {
        report.push_back({part, PartState::Absent, ""});
        return true;
    }

    // Without flags the spooler deletes the driver and leaves its files, on Windows and
    // Wine alike (Wine 8 refuses every flag); the files are deleted below.
    std::string name = driver;
    if (!sys().DeletePrinterDriverExA(nullptr, const_cast<char*>(environment), &name[0], 0, 0)) {
        report.push_back({part, PartState::Failed, ErrorReason(sys().GetLastError())});
        return false;
    }
    report.push_back({part, PartState::Removed, ""});

    if (!ListDrivers(drivers, environment)) {
        report.push_back({"files of " + part, PartState::Failed, "the spooler cannot list the other drivers: " +
                                                                    ErrorReason(sys().GetLastError())});
        return true;
    }
    RemoveDriverFiles(files, drivers, report, environment);
    return true;
}

void RemoveOemInfCopy(const std::string& infPath, UninstallReport& report)
{
    const std::string copy = FindOemInfCopy(infPath);
    if (copy.empty()) {
        report.push_back({"INF copy of " + BaseName(infPath), PartState::Absent, ""});
        return;
    }
    const std::string part = "INF copy " + copy;
    // Forced: no printer uses the driver any more, and no device is ever bound to a printer
    // INF, so forcing removes nothing that is in use; Wine 8 deletes the file only when
    // forced. Windows 2000 has no such call: the copy (made by a file copy there) and its
    // precompiled .pnf are deleted as files.
    if (!sys().SetupUninstallOEMInfA(BaseName(copy).c_str(), SUOI_FORCEDELETE, nullptr)) {
        DWORD error = sys().GetLastError();
        if (error != ERROR_CALL_NOT_IMPLEMENTED || !sys().DeleteFileA(copy.c_str())) {
            report.push_back({part, PartState::Failed, ErrorReason(sys().GetLastError())});
            return;
        }
        sys().DeleteFileA((copy.substr(0, copy.size() - 4) + ".pnf").c_str());
    }
    DWORD attributes = sys().GetFileAttributesA(copy.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        report.push_back({part, PartState::Failed, "SetupAPI left it in place"});
    else
        report.push_back({part, PartState::Removed, ""});
}
