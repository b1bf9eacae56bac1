#include "install/server_options.h"

#include <vector>

#include "framework/ansi_text.h"
#include "framework/strings.h"
#include "install/uninstall.h"
#include "platform/api.h"
#include "platform/handles.h"

namespace {

constexpr size_t kMaxShareName = 80;
const char kShareNameForbidden[] = "\\/:*?\"<>|,=";

// The printer's level-2 record, as the spooler lists it, in buf. A listing leaves the driver
// alone, where a GetPrinter of the record has Wine's spooler client load the driver's files
// into this process, which keeps them in use and so keeps a failed run from taking them out.
PRINTER_INFO_2A* FindPrinterRecord(const std::string& printer, std::vector<BYTE>& buf, DWORD& error)
{
    DWORD needed = 0, count = 0;
    sys().EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    buf.assign(needed, 0);
    if (needed == 0 ||
        !sys().EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buf.data(), needed, &needed, &count)) {
        error = sys().GetLastError();
        return nullptr;
    }
    auto* records = reinterpret_cast<PRINTER_INFO_2A*>(buf.data());
    for (DWORD i = 0; i < count && (i + 1) * sizeof(PRINTER_INFO_2A) <= buf.size(); ++i)
        if (records[i].pPrinterName && framework::EqualNoCase(records[i].pPrinterName, printer))
            return &records[i];
    error = ERROR_INVALID_PRINTER_NAME;
    return nullptr;
}

}  // namespace

std::string DefaultPrinter()
{
    DWORD size = 0;
    sys().GetDefaultPrinterA(nullptr, &size);
    if (size == 0)
        return {};
    std::vector<char> name(size + 1, '\0');
    if (!sys().GetDefaultPrinterA(name.data(), &size))
        return {};
    return name.data();
}

bool MakeDefaultPrinter(const std::string& printer, DWORD& error)
{
    if (sys().SetDefaultPrinterA(printer.c_str()))
        return true;
    error = sys().GetLastError();
    return false;
}

bool RunsAsSystem()
{
    // By the token's user, whose name differs from one language of Windows to another.
    platform::KernelHandle token;
    if (!sys().OpenProcessToken(sys().GetCurrentProcess(), TOKEN_QUERY, token.receive()))
        return false;
    DWORD size = 0;
    sys().GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (size < sizeof(TOKEN_USER) || !sys().GetTokenInformation(token.get(), TokenUser, user.data(), size, &size))
        return false;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    platform::SidHandle system;
    if (!sys().AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, system.receive()))
        return false;
    return sys().EqualSid(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid, system.get()) != FALSE;
}

bool IsLegalShareName(const std::string& name)
{
    return !framework::Trim(name).empty() && name.size() <= kMaxShareName &&
           framework::FindFirstOfCharacters(name, kShareNameForbidden) == std::string::npos;
}

std::string PrinterSharedAs(const std::string& shareName, const std::string& printer)
{
    std::vector<PrinterRecord> printers;
    if (!ListLocalPrinters(printers))
        return {};
    for (const PrinterRecord& p : printers)
        if (framework::EqualNoCase(p.shareName, shareName) && !framework::EqualNoCase(p.name, printer))
            return p.name;
    return {};
}

bool ReadSharing(const std::string& printer, Sharing& sharing, DWORD& error)
{
    std::vector<BYTE> buf;
    const PRINTER_INFO_2A* info = FindPrinterRecord(printer, buf, error);
    if (!info)
        return false;
    sharing.shared = (info->Attributes & PRINTER_ATTRIBUTE_SHARED) != 0;
    sharing.shareName = info->pShareName ? info->pShareName : "";
    return true;
}

bool SetSharing(const std::string& printer, const Sharing& sharing, DWORD& error)
{
    std::vector<BYTE> buf;
    PRINTER_INFO_2A* info = FindPrinterRecord(printer, buf, error);
    if (!info)
        return false;
    std::string name = printer;
    platform::PrinterHandle handle;
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!sys().OpenPrinterA(&name[0], handle.receive(), &defaults)) {
        error = sys().GetLastError();
        return false;
    }
    std::string shareName = sharing.shareName;
    if (sharing.shared)
        info->Attributes |= PRINTER_ATTRIBUTE_SHARED;
    else
        info->Attributes &= ~static_cast<DWORD>(PRINTER_ATTRIBUTE_SHARED);
    info->pShareName = shareName.empty() ? nullptr : &shareName[0];
    // The settings and the security stay as they are: null leaves each unchanged.
    info->pDevMode = nullptr;
    info->pSecurityDescriptor = nullptr;
    if (sys().SetPrinterA(handle.get(), 2, reinterpret_cast<LPBYTE>(info), 0))
        return true;
    error = sys().GetLastError();
    return false;
}
