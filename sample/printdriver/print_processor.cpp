// KPLPRINT.DLL, the KPLPrint print processor of the sample driver package.
//
// The sample printer takes RAW data only, so the print processor offers the one data type "RAW"
// and copies each job as it is from the spooled job to the printer's port. Its name sorts
// before "winprint": Wine 8's spooler lists print processors only up to "winprint" and refuses
// a printer whose processor it does not list.
#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <new>
#include <string>

namespace {

const wchar_t kRaw[] = L"RAW";
const DWORD kMagic = 0x50504B5A;  // "ZKPP"

// One open print processor: the printer (port) it prints to and the job's document details.
struct Processor {
    DWORD magic = kMagic;
    HANDLE printer = nullptr;
    HANDLE running = nullptr;  // manual-reset event, reset while the job is paused
    volatile LONG cancelled = 0;
    std::wstring document, outputFile;
    bool hasDocument = false, hasOutputFile = false;

    ~Processor()
    {
        magic = 0;
        if (printer)
            ClosePrinter(printer);
        if (running)
            CloseHandle(running);
    }
};

Processor* Get(HANDLE handle)
{
    auto* p = static_cast<Processor*>(handle);
    if (!p || p->magic != kMagic) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return p;
}

bool IsRaw(const wchar_t* datatype) { return datatype && lstrcmpiW(datatype, kRaw) == 0; }

// Writes all of buffer to the printer; false when the printer takes nothing more.
bool WriteAll(HANDLE printer, BYTE* buffer, DWORD size)
{
    while (size > 0) {
        DWORD written = 0;
        if (!WritePrinter(printer, buffer, size, &written) || written == 0 || written > size)
            return false;
        buffer += written;
        size -= written;
    }
    return true;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI EnumPrintProcessorDatatypesW(LPWSTR, LPWSTR, DWORD level,
                                                                          LPBYTE buffer, DWORD size,
                                                                          LPDWORD needed, LPDWORD returned)
{
    if (!needed || !returned) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *returned = 0;
    *needed = sizeof(DATATYPES_INFO_1W) + sizeof kRaw;
    if (level != 1) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }
    if (!buffer || size < *needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto* info = reinterpret_cast<DATATYPES_INFO_1W*>(buffer);
    auto* name = reinterpret_cast<wchar_t*>(info + 1);
    CopyMemory(name, kRaw, sizeof kRaw);
    info->pName = name;
    *returned = 1;
    return TRUE;
}

extern "C" __declspec(dllexport) HANDLE WINAPI OpenPrintProcessor(LPWSTR printerName,
                                                                  PPRINTPROCESSOROPENDATA data)
{
    if (!printerName || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!IsRaw(data->pDatatype)) {
        SetLastError(ERROR_INVALID_DATATYPE);
        return nullptr;
    }
    auto* p = new (std::nothrow) Processor;
    if (!p) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    p->running = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    if (!p->running || !OpenPrinterW(printerName, &p->printer, nullptr)) {
        p->printer = nullptr;
        DWORD error = GetLastError();
        delete p;
        SetLastError(error);
        return nullptr;
    }
    p->hasDocument = data->pDocumentName != nullptr;
    p->hasOutputFile = data->pOutputFile != nullptr;
    if (p->hasDocument)
        p->document = data->pDocumentName;
    if (p->hasOutputFile)
        p->outputFile = data->pOutputFile;
    return p;
}

// Copies the spooled job (opened by its name, "<printer>, Job <n>") to the printer as RAW data.
extern "C" __declspec(dllexport) BOOL WINAPI PrintDocumentOnPrintProcessor(HANDLE handle, LPWSTR documentName)
{
    Processor* p = Get(handle);
    if (!p)
        return FALSE;
    HANDLE job = nullptr;
    if (!documentName || !OpenPrinterW(documentName, &job, nullptr))
        return FALSE;

    DOC_INFO_1W info;
    info.pDocName = p->hasDocument ? &p->document[0] : nullptr;
    info.pOutputFile = p->hasOutputFile ? &p->outputFile[0] : nullptr;
    info.pDatatype = const_cast<wchar_t*>(kRaw);
    if (!StartDocPrinterW(p->printer, 1, reinterpret_cast<LPBYTE>(&info))) {
        DWORD error = GetLastError();
        ClosePrinter(job);
        SetLastError(error);
        return FALSE;
    }
    bool ok = true;
    DWORD error = ERROR_SUCCESS;
    BYTE buffer[4096];
    for (;;) {
        // A paused job waits here until it is resumed or cancelled.
        WaitForSingleObject(p->running, INFINITE);
        if (InterlockedCompareExchange(&p->cancelled, 0, 0))
            break;
        DWORD read = 0;
        if (!ReadPrinter(job, buffer, sizeof buffer, &read) || !WriteAll(p->printer, buffer, read)) {
            ok = false;
            error = GetLastError();
            break;
        }
        if (read == 0)
            break;
    }
    ClosePrinter(job);
    if (!EndDocPrinter(p->printer) && ok) {
        ok = false;
        error = GetLastError();
    }
    SetLastError(error);
    return ok;
}

extern "C" __declspec(dllexport) BOOL WINAPI ControlPrintProcessor(HANDLE handle, DWORD command)
{
    Processor* p = Get(handle);
    if (!p)
        return FALSE;
    switch (command) {
    case JOB_CONTROL_PAUSE:
        return ResetEvent(p->running);
    case JOB_CONTROL_RESUME:
        return SetEvent(p->running);
    case JOB_CONTROL_CANCEL:
        InterlockedExchange(&p->cancelled, 1);
        return SetEvent(p->running);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}

extern "C" __declspec(dllexport) BOOL WINAPI ClosePrintProcessor(HANDLE handle)
{
    Processor* p = Get(handle);
    if (!p)
        return FALSE;
    delete p;
    return TRUE;
}

// One page per sheet, in order, one copy: the job's data goes out as it is.
extern "C" __declspec(dllexport) DWORD WINAPI GetPrintProcessorCapabilities(LPWSTR datatype, DWORD,
                                                                            LPBYTE buffer, DWORD size,
                                                                            LPDWORD needed)
{
    if (!datatype || !needed)
        return ERROR_INVALID_PARAMETER;
    if (!IsRaw(datatype))
        return ERROR_INVALID_DATATYPE;
    *needed = sizeof(PRINTPROCESSOR_CAPS_1);
    if (!buffer || size < *needed)
        return ERROR_INSUFFICIENT_BUFFER;
    PRINTPROCESSOR_CAPS_1 caps;
    caps.dwLevel = 1;
    caps.dwNupOptions = 1;
    caps.dwPageOrderFlags = NORMAL_PRINT;
    caps.dwNumberOfCopies = 1;
    CopyMemory(buffer, &caps, sizeof caps);
    return ERROR_SUCCESS;
}
