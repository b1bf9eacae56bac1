// Creating the printer queue: the server service check, the printer record, the reports.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/install_status.h"
#include "app/wizard_app.h"
#include "framework/message_box.h"
#include "framework/wait_cursor.h"
#include "install_fakes.h"
#include "service_fakes.h"
#include "support/wizard_texts.h"

using installfakes::Recorder;

namespace {

std::string Str(const char* s) { return s ? s : "<null>"; }

class PrinterCreateTest : public testing::Test {
protected:
    void SetUp() override
    {
        recorder.Install(*api);
        // The server service, opened with no more than a query needs.
        scm.managerGrant = SC_MANAGER_CONNECT;
        scm.serviceGrant = SERVICE_QUERY_STATUS;
        scm.Add("lanmanserver");
        api->AddPrinterA = [this](LPSTR server, DWORD level, LPBYTE data) -> HANDLE {
            ++addCalls;
            cursorDepth = framework::WaitCursor::Depth();
            server_ = Str(server);
            level_ = level;
            record = *reinterpret_cast<PRINTER_INFO_2A*>(data);
            printerName = Str(record.pPrinterName);
            portName = Str(record.pPortName);
            driverName = Str(record.pDriverName);
            printProcessor = Str(record.pPrintProcessor);
            dataType = Str(record.pDatatype);
            if (addError) {
                SetLastError(addError);
                return nullptr;
            }
            return kPrinter;
        };
        api->ClosePrinter = [this](HANDLE h) {
            closedPrinters.push_back(h);
            return TRUE;
        };
    }

    int Create()
    {
        return app.CreatePrinter(nullptr, "My ZRN", "ZRN 7730", "ZRNKP1:", nullptr, nullptr,
                                 nullptr);
    }

    HANDLE const kPrinter = reinterpret_cast<HANDLE>(0x300);

    platform::ScopedApi api;
    Recorder recorder;
    servicefakes::ServiceManager scm{*api};
    WizardApp app;
    DWORD addError = 0;
    int addCalls = 0;
    int cursorDepth = 0;
    std::vector<HANDLE> closedPrinters;
    PRINTER_INFO_2A record = {};
    std::string server_, printerName, portName, driverName, printProcessor, dataType;
    DWORD level_ = 0;
};

TEST_F(PrinterCreateTest, QueueRecordNamesThePackagesProcessorAndDataType)
{
    app.m_strPrintProcessor = "KPLPrint";
    app.m_strDefaultDataType = "NT EMF 1.008";
    int depthBefore = framework::WaitCursor::Depth();
    EXPECT_NE(Create(), 0);
    EXPECT_EQ(cursorDepth, depthBefore + 1);
    EXPECT_EQ(framework::WaitCursor::Depth(), depthBefore);

    EXPECT_EQ(server_, "<null>");
    EXPECT_EQ(level_, 2u);
    EXPECT_EQ(record.pServerName, nullptr);
    EXPECT_EQ(printerName, "My ZRN");
    EXPECT_EQ(record.pShareName, nullptr);
    EXPECT_EQ(portName, "ZRNKP1:");
    EXPECT_EQ(driverName, "ZRN 7730");
    EXPECT_EQ(record.pComment, nullptr);
    EXPECT_EQ(record.pLocation, nullptr);
    EXPECT_EQ(record.pDevMode, nullptr);
    EXPECT_EQ(record.pSepFile, nullptr);
    EXPECT_EQ(printProcessor, "KPLPrint");
    EXPECT_EQ(dataType, "NT EMF 1.008");
    EXPECT_EQ(record.pParameters, nullptr);
    EXPECT_EQ(record.pSecurityDescriptor, nullptr);
    EXPECT_EQ(record.Attributes, 0u);
    EXPECT_EQ(record.Priority + record.DefaultPriority + record.StartTime + record.UntilTime +
                  record.Status + record.cJobs + record.AveragePPM,
              0u);

    EXPECT_EQ(closedPrinters, std::vector<HANDLE>{kPrinter});
    EXPECT_TRUE(scm.names.empty());
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(app.InstallStatus, 0);
}

TEST_F(PrinterCreateTest, WithoutPackageProcessorWinPrintAndRaw)
{
    EXPECT_NE(Create(), 0);
    EXPECT_EQ(printProcessor, "WinPrint");
    EXPECT_EQ(dataType, "RAW");
}

TEST_F(PrinterCreateTest, StoppedServerServicePasses)
{
    scm.Add("lanmanserver").queries = {{SERVICE_STOPPED}};
    EXPECT_NE(Create(), 0);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(app.InstallStatus, 0);
}

TEST_F(PrinterCreateTest, UnreachableServerServiceIsReportedAndThePrinterStillCreated)
{
    struct Case {
        DWORD* error;
        DWORD code;
    } cases[] = {{&scm.managerError, ERROR_ACCESS_DENIED},
                 {&scm.Add("lanmanserver").openError, ERROR_SERVICE_DOES_NOT_EXIST},
                 {&scm.Add("lanmanserver").queryError, ERROR_NOT_ENOUGH_MEMORY}};
    for (const Case& c : cases) {
        scm.managerError = scm.Add("lanmanserver").openError = scm.Add("lanmanserver").queryError = 0;
        *c.error = c.code;
        recorder.boxes.clear();
        app.InstallStatus = 0;
        addCalls = 0;
        EXPECT_NE(Create(), 0) << c.code;
        EXPECT_EQ(addCalls, 1);
        ASSERT_EQ(recorder.boxes.size(), 1u) << c.code;
        EXPECT_EQ(recorder.boxes[0].owner, nullptr);
        EXPECT_EQ(recorder.boxes[0].text, framework::SystemErrorText(c.code));
        EXPECT_EQ(recorder.boxes[0].caption, texts::kInstallFailedCaption);
        EXPECT_EQ(recorder.boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
        EXPECT_EQ(app.InstallStatus, INSTALL_PRINTER_FAILED);
        EXPECT_TRUE(scm.names.empty());
    }
}

TEST_F(PrinterCreateTest, RefusedPrinterIsReported)
{
    addError = ERROR_PRINTER_ALREADY_EXISTS;
    EXPECT_EQ(Create(), 0);
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, framework::SystemErrorText(ERROR_PRINTER_ALREADY_EXISTS));
    EXPECT_EQ(recorder.boxes[0].caption, texts::kInstallFailedCaption);
    EXPECT_EQ(app.InstallStatus, INSTALL_PRINTER_FAILED);
    EXPECT_TRUE(closedPrinters.empty());
}

}  // namespace
