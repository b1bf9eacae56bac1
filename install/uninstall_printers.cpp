// The local printers and the deletion of one queue.
#include "framework/strings.h"
#include "install/spooler_list.h"
#include "install/uninstall.h"
#include "platform/api.h"
#include "platform/handles.h"

bool VisitLocalPrinters(const std::function<void(const PRINTER_INFO_2A&)>& visit)
{
    return ReadSpoolerList<PRINTER_INFO_2A>(
        [](LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD count) {
            return sys().EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, size, needed, count);
        },
        visit);
}

bool ListLocalPrinters(std::vector<PrinterRecord>& printers)
{
    printers.clear();
    return VisitLocalPrinters([&](const PRINTER_INFO_2A& p) {
        printers.push_back({FieldText(p.pPrinterName), FieldText(p.pPortName), FieldText(p.pDriverName),
                            FieldText(p.pPrintProcessor), FieldText(p.pShareName),
                            (p.Attributes & PRINTER_ATTRIBUTE_SHARED) != 0});
    });
}

const PrinterRecord* FindPrinter(const std::vector<PrinterRecord>& printers, const std::string& name)
{
    for (const PrinterRecord& printer : printers)
        if (framework::EqualNoCase(printer.name, name))
            return &printer;
    return nullptr;
}

std::vector<std::string> SplitPortList(const std::string& ports)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= ports.size()) {
        size_t comma = ports.find(',', start);
        if (comma == std::string::npos)
            comma = ports.size();
        std::string name = framework::Trim(ports.substr(start, comma - start));
        if (!name.empty())
            names.push_back(name);
        start = comma + 1;
    }
    return names;
}

bool DeletePrinterQueue(const std::string& name, std::vector<PrinterRecord>& others, UninstallReport& report)
{
    const std::string part = "printer " + name;
    std::string printer = name;
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    DWORD error = ERROR_SUCCESS;
    {
        platform::PrinterHandle handle;
        if (!sys().OpenPrinterA(&printer[0], handle.receive(), &defaults) || !sys().DeletePrinter(handle.get()))
            error = sys().GetLastError();
    }
    if (!ListLocalPrinters(others)) {
        report.push_back({part, PartState::Failed, "the spooler cannot list its printers: " +
                                                       ErrorReason(sys().GetLastError())});
        return false;
    }
    // A queue with jobs waiting stays listed until they are done.
    if (FindPrinter(others, name)) {
        const std::string reason =
            error != ERROR_SUCCESS ? ErrorReason(error) : "the spooler keeps it until its jobs are done";
        report.push_back({part, PartState::Failed, reason});
        return false;
    }
    report.push_back({part, PartState::Removed, ""});
    return true;
}
