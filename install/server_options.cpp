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

std::string PrinterSharedAs(const std::string& shareName, const std::string& printer,
                            const std::vector<PrinterRecord>& printers)
{
    for (const PrinterRecord& p : printers)
        if (p.shared && framework::EqualNoCase(p.shareName, shareName) && !framework::EqualNoCase(p.name, printer))
            return p.name;
    return {};
}

// The printer's record comes from the spooler's listing: a listing leaves the driver alone,
// where a GetPrinter of the record has Wine's spooler client load the driver's files into this
// process, which keeps them in use and so keeps a failed run from taking them out.
bool SetSharing(const std::string& printer, const Sharing& sharing, DWORD& error)
{
    std::string name = printer;
    platform::PrinterHandle handle;
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!sys().OpenPrinterA(&name[0], handle.receive(), &defaults)) {
        error = sys().GetLastError();
        return false;
    }
    bool found = false;
    bool set = false;
    const bool listed = VisitLocalPrinters([&](const PRINTER_INFO_2A& record) {
        if (found || !record.pPrinterName || !framework::EqualNoCase(record.pPrinterName, printer))
            return;
        found = true;
        PRINTER_INFO_2A info = record;
        std::string shareName = sharing.shareName;
        if (sharing.shared)
            info.Attributes |= PRINTER_ATTRIBUTE_SHARED;
        else
            info.Attributes &= ~static_cast<DWORD>(PRINTER_ATTRIBUTE_SHARED);
        info.pShareName = shareName.empty() ? nullptr : &shareName[0];
        // The settings and the security stay as they are: null leaves each unchanged.
        info.pDevMode = nullptr;
        info.pSecurityDescriptor = nullptr;
        set = sys().SetPrinterA(handle.get(), 2, reinterpret_cast<LPBYTE>(&info), 0) != FALSE;
        if (!set)
            error = sys().GetLastError();
    });
    if (!listed)
        error = sys().GetLastError();
    else if (!found)
        error = ERROR_INVALID_PRINTER_NAME;
    return set;
}
