// Removing the package's print processor and its file.
#include "framework/paths.h"
#include "framework/strings.h"
#include "install/print_processor.h"
#include "install/spooler_list.h"
#include "install/uninstall.h"
#include "platform/api.h"

namespace {

// Whether the spooler lists the print processor (letter case aside); false when it cannot
// list them.
bool IsListed(const std::string& name, bool& listed)
{
    listed = false;
    return ReadSpoolerList<PRINTPROCESSOR_INFO_1A>(
        [](LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD count) {
            return sys().EnumPrintProcessorsA(nullptr, nullptr, 1, buffer, size, needed, count);
        },
        [&](const PRINTPROCESSOR_INFO_1A& p) { listed = listed || framework::EqualNoCase(FieldText(p.pName), name); });
}

}  // namespace

bool IsPrintProcessorListed(const std::string& name)
{
    bool listed = false;
    return IsListed(name, listed) && listed;
}

void RemovePrintProcessor(const std::string& name, const std::string& fileName,
                          const std::vector<PrinterRecord>& others, UninstallReport& report)
{
    if (name.empty())
        return;
    const std::string part = "print processor " + name;
    for (const PrinterRecord& printer : others) {
        if (framework::EqualNoCase(printer.printProcessor, name)) {
            report.push_back({part, PartState::Kept, "printer " + printer.name + " uses it"});
            return;
        }
    }
    bool listed = false;
    if (!IsListed(name, listed)) {
        report.push_back({part, PartState::Failed, "the spooler cannot list its print processors: " +
                                                       ErrorReason(sys().GetLastError())});
        return;
    }
    if (listed) {
        std::string processor = name;
        if (!sys().DeletePrintProcessorA(nullptr, nullptr, &processor[0])) {
            report.push_back({part, PartState::Failed, ErrorReason(sys().GetLastError())});
            return;
        }
        // Wine 8's DeletePrintProcessorA deletes nothing and reports success; the file stays
        // while the spooler lists the print processor.
        if (!IsListed(name, listed) || listed) {
            report.push_back({part, PartState::Failed, "the spooler still lists it, so its file stays"});
            return;
        }
        report.push_back({part, PartState::Removed, ""});
    } else {
        report.push_back({part, PartState::Absent, ""});
    }
    const std::string directory = PrintProcessorDirectory(nullptr);
    if (!directory.empty() && !fileName.empty())
        DeleteLeftoverFile(framework::JoinPath(directory, fileName), report);
}
