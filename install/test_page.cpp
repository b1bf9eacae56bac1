#include "install/test_page.h"

#include <vector>

#include "framework/strings.h"
#include "platform/api.h"
#include "platform/handles.h"

namespace {

constexpr DWORD kPollMs = 250;
constexpr DWORD kJobFailed = JOB_STATUS_ERROR | JOB_STATUS_OFFLINE | JOB_STATUS_PAPEROUT | JOB_STATUS_BLOCKED_DEVQ |
                             JOB_STATUS_USER_INTERVENTION | JOB_STATUS_DELETED;

std::string Failure(const std::string& step)
{
    return step + ": " + framework::SystemErrorText(sys().GetLastError());
}

// The device context of a printer, deleted with it.
class PrinterDc {
public:
    explicit PrinterDc(const std::string& printer) : dc_(sys().CreateDCA("WINSPOOL", printer.c_str(), nullptr, nullptr)) {}
    ~PrinterDc()
    {
        if (dc_)
            sys().DeleteDC(dc_);
    }
    PrinterDc(const PrinterDc&) = delete;
    PrinterDc& operator=(const PrinterDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

std::vector<std::string> PageLines(const std::string& printer, const std::string& driver, const std::string& port)
{
    SYSTEMTIME now = {};
    sys().GetLocalTime(&now);
    return {"Windows Printer Test Page",
            "You have correctly installed your printer on this computer.",
            "Printer name: " + printer,
            "Printer model: " + driver,
            "Port name(s): " + port,
            framework::Format("Date: %04u-%02u-%02u", now.wYear, now.wMonth, now.wDay),
            framework::Format("Time: %02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond)};
}

// Draws the page as one document; the job's id, or 0 with the reason.
DWORD PrintPage(const std::string& printer, const std::vector<std::string>& lines, std::string& reason)
{
    PrinterDc dc(printer);
    if (!dc.get()) {
        reason = Failure("the printer gives no device context");
        return 0;
    }
    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = "Test Page";
    const int job = sys().StartDocA(dc.get(), &doc);
    if (job <= 0) {
        reason = Failure("the document could not be started");
        return 0;
    }
    const int inch = sys().GetDeviceCaps(dc.get(), LOGPIXELSY);
    const int step = inch > 0 ? inch / 4 : 50;
    bool drawn = sys().StartPage(dc.get()) > 0;
    int y = step * 4;
    for (const std::string& line : lines) {
        drawn = drawn && sys().TextOutA(dc.get(), step * 4, y, line.c_str(), static_cast<int>(line.size()));
        y += step;
    }
    drawn = drawn && sys().EndPage(dc.get()) > 0;
    if (!drawn) {
        reason = Failure("the page could not be drawn");
        sys().AbortDoc(dc.get());
        return 0;
    }
    if (sys().EndDoc(dc.get()) <= 0) {
        reason = Failure("the document could not be ended");
        return 0;
    }
    return static_cast<DWORD>(job);
}

enum class Job { Gone, Queued, Unknown };

// Where the job is: gone from the printer's queue (the spooler no longer knows its id), still
// in it (with its status), or not to be told.
Job FindJob(HANDLE printer, DWORD jobId, DWORD& status)
{
    DWORD needed = 0;
    if (!sys().GetJobA(printer, jobId, 1, nullptr, 0, &needed)) {
        const DWORD error = sys().GetLastError();
        if (error == ERROR_INVALID_PARAMETER)
            return Job::Gone;
        if (error != ERROR_INSUFFICIENT_BUFFER || needed < sizeof(JOB_INFO_1A))
            return Job::Unknown;
    }
    std::vector<BYTE> buf(needed < sizeof(JOB_INFO_1A) ? sizeof(JOB_INFO_1A) : needed);
    if (!sys().GetJobA(printer, jobId, 1, buf.data(), static_cast<DWORD>(buf.size()), &needed))
        return sys().GetLastError() == ERROR_INVALID_PARAMETER ? Job::Gone : Job::Unknown;
    status = reinterpret_cast<const JOB_INFO_1A*>(buf.data())->Status;
    return Job::Queued;
}

// Whether the printer's queue is empty, as the printer's own record counts its jobs; false
// when the record cannot be read. For a spooler that cannot tell about one job (Wine's).
bool QueueEmpty(HANDLE printer, bool& empty)
{
    DWORD needed = 0;
    sys().GetPrinterA(printer, 2, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_2A))
        return false;
    std::vector<BYTE> buf(needed);
    if (!sys().GetPrinterA(printer, 2, buf.data(), needed, &needed))
        return false;
    empty = reinterpret_cast<const PRINTER_INFO_2A*>(buf.data())->cJobs == 0;
    return true;
}

}  // namespace

TestPageResult PrintTestPage(const std::string& printer, const std::string& driver, const std::string& port,
                             DWORD waitMs)
{
    TestPageResult result;
    const DWORD job = PrintPage(printer, PageLines(printer, driver, port), result.reason);
    if (job == 0)
        return result;

    std::string name = printer;
    platform::PrinterHandle queue;
    if (!sys().OpenPrinterA(&name[0], queue.receive(), nullptr)) {
        result.reason = Failure("the printer cannot be opened to follow the job");
        return result;
    }
    const DWORD start = sys().GetTickCount();
    for (;;) {
        DWORD status = 0;
        switch (FindJob(queue.get(), job, status)) {
        case Job::Gone:
            result.printed = true;
            return result;
        case Job::Unknown: {
            bool empty = false;
            if (!QueueEmpty(queue.get(), empty)) {
                result.reason = Failure("the printer's queue cannot be read");
                return result;
            }
            if (empty) {
                result.printed = true;
                return result;
            }
            break;
        }
        case Job::Queued:
            break;
        }
        if (status & kJobFailed) {
            result.reason = framework::Format("the job %lu reports the status 0x%lx", job, status);
            return result;
        }
        if (sys().GetTickCount() - start >= waitMs) {
            result.reason = framework::Format("the job %lu is still in the queue after %lu s", job, waitMs / 1000);
            return result;
        }
        sys().Sleep(kPollMs);
    }
}
