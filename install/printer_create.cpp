// Creating the printer queue once the driver is in the spooler.
#include "install/printer_create.h"

#include "framework/wait_cursor.h"
#include "install/feedback.h"
#include "platform/api.h"
#include "platform/handles.h"
#include "res/resource.h"

namespace {

const char kServerService[] = "lanmanserver";
const char kStandardPrintProcessor[] = "WinPrint";
const char kRawDataType[] = "RAW";

char* Text(const std::string& s) { return const_cast<char*>(s.c_str()); }
char* Text(const char* s) { return const_cast<char*>(s); }

// Opens the server service and asks for its status (the state itself does not matter).
// On failure, error gets the code of the step that failed (before any handle is closed).
bool CheckServerService(DWORD& error)
{
    platform::ServiceHandle manager(sys().OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        error = sys().GetLastError();
        return false;
    }
    platform::ServiceHandle service(
        sys().OpenServiceA(manager.get(), kServerService, SERVICE_QUERY_STATUS));
    SERVICE_STATUS status = {};
    if (!service || !sys().QueryServiceStatus(service.get(), &status)) {
        error = sys().GetLastError();
        return false;
    }
    return true;
}

}  // namespace

PrinterCreateResult CreatePrinterQueue(const PrinterQueueSettings& settings)
{
    framework::ScopedWaitCursor wait;
    PrinterCreateResult result;

    const std::string printProcessor =
        settings.printProcessor.empty() ? std::string(kStandardPrintProcessor) : settings.printProcessor;
    // Windows takes a missing data type as the driver's default; Wine's spooler refuses the
    // queue without one. The driver's own default (from its installation) works on both.
    const std::string dataType = settings.dataType.empty() ? std::string(kRawDataType) : settings.dataType;

    PRINTER_INFO_2A info = {};
    info.pServerName = nullptr;
    info.pPrinterName = Text(settings.printerName);
    std::string shareName = settings.shareName;
    info.pShareName = shareName.empty() ? nullptr : &shareName[0];
    info.pPortName = Text(settings.portName);
    info.pDriverName = Text(settings.driverName);
    info.pComment = Text(settings.comment);
    info.pLocation = Text(settings.location);
    info.pDevMode = nullptr;
    info.pSepFile = Text(settings.sepFile);
    info.pPrintProcessor = Text(printProcessor);
    info.pDatatype = Text(dataType);
    info.pParameters = nullptr;
    info.pSecurityDescriptor = nullptr;
    info.Attributes = shareName.empty() ? 0 : PRINTER_ATTRIBUTE_SHARED;

    // A server service that cannot be reached is reported, but the queue is still created.
    DWORD serverError = 0;
    if (!CheckServerService(serverError)) {
        TellSystemError(nullptr, serverError, IDS_INSTALL_FAILED_CAPTION);
        result.reported = true;
    }

    platform::PrinterHandle printer(
        sys().AddPrinterA(Text(settings.serverName), 2, reinterpret_cast<LPBYTE>(&info)));
    if (!printer) {
        TellSystemError(nullptr, sys().GetLastError(), IDS_INSTALL_FAILED_CAPTION);
        result.reported = true;
        return result;
    }
    result.created = 1;
    return result;
}
