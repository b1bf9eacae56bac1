// The monitor INF scan: the text scan on the shared cases (here built for Windows and run
// under Wine), and the record that reads the file, with the file calls faked.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "native/monitor_inf_cases.h"
#include "install/port_monitor.h"
#include "native/monitor_inf_invariants.h"
#include "package/monitor_inf.h"
#include "package/monitor_inf_text.h"
#include "seam_fakes.h"
#include "support/scoped_api.h"
#include "support/wizard_texts.h"

namespace {

using monitorinf_cases::Case;

class MonitorInfTextScan : public testing::TestWithParam<Case> {};

TEST_P(MonitorInfTextScan, FindsWhatTheCaseExpects)
{
    const Case& c = GetParam();
    monitorinf::ScanResult r = monitorinf::ScanMonitorInfText(c.text, c.major, c.minor);
    EXPECT_EQ(r.monitorName, c.monitor);
    EXPECT_EQ(r.optionValue, c.option);
    EXPECT_EQ(r.dllName, c.dll);
    EXPECT_EQ(r.files, c.files);
    EXPECT_EQ(r.nameTooLong, c.tooLong);
    std::string why;
    EXPECT_TRUE(monitorinf_cases::HoldsInvariants(c.text, r, &why)) << why;
}

std::string CaseName(const testing::TestParamInfo<Case>& info)
{
    std::string n = std::to_string(info.index) + "_";
    for (char ch : info.param.name)
        n += (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ? ch : '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(SharedCases, MonitorInfTextScan, testing::ValuesIn(monitorinf_cases::AllCases()),
                         CaseName);

TEST(MonitorInfName, ByWindowsVersion)
{
    EXPECT_EQ(MonitorInfName(5, 0), "monitor.inf");
    EXPECT_EQ(MonitorInfName(5, 1), "monitorxp.inf");
    EXPECT_EQ(MonitorInfName(5, 2), "monitorxp.inf");
}

// The file calls of the seam faked: a file with the given content, read in small pieces.
class FakeMonitorFile {
public:
    explicit FakeMonitorFile(std::string content) : content_(std::move(content))
    {
        api_->CreateFileA = [this](LPCSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                                   DWORD, HANDLE) -> HANDLE {
            openedName = name;
            EXPECT_EQ(access, static_cast<DWORD>(GENERIC_READ));
            EXPECT_EQ(disposition, static_cast<DWORD>(OPEN_EXISTING));
            if (!exists) {
                api_->SetLastError(ERROR_FILE_NOT_FOUND);
                return INVALID_HANDLE_VALUE;
            }
            ++openHandles;
            return kHandle;
        };
        api_->ReadFile = [this](HANDLE h, LPVOID buf, DWORD want, LPDWORD got, LPOVERLAPPED) -> BOOL {
            EXPECT_EQ(h, kHandle);
            if (failRead)
                return FALSE;
            size_t n = std::min<size_t>({want, content_.size() - pos_, 1000});
            std::copy_n(content_.data() + pos_, n, static_cast<char*>(buf));
            pos_ += n;
            bytesRequestedMax = std::max<size_t>(bytesRequestedMax, pos_ - n + want);
            *got = static_cast<DWORD>(n);
            return TRUE;
        };
        api_->CloseHandle = [this](HANDLE h) -> BOOL {
            EXPECT_EQ(h, kHandle);
            --openHandles;
            return TRUE;
        };
        seamfakes::RecordBoxes(*api_, boxes);
    }

    const HANDLE kHandle = reinterpret_cast<HANDLE>(0x7730);
    bool exists = true;
    bool failRead = false;
    int openHandles = 0;
    size_t bytesRequestedMax = 0;
    std::string openedName;
    std::vector<seamfakes::Box> boxes;

private:
    platform::ScopedApi api_;
    std::string content_;
    size_t pos_ = 0;
};

TEST(MonitorInfScan, ReadsAndScansTheFileForTheVersion)
{
    FakeMonitorFile xpFile(monitorinf_cases::XpInf());
    MonitorInfScan xp("C:\\pkg\\kpmonitor", "monitorxp.inf", 5, 1);
    EXPECT_EQ(xpFile.openedName, "C:\\pkg\\kpmonitor\\monitorxp.inf");
    EXPECT_EQ(xpFile.openHandles, 0);
    EXPECT_TRUE(xpFile.boxes.empty());
    EXPECT_EQ(xp.m_szInfName, "monitorxp.inf");
    EXPECT_EQ(xp.m_szMonitorName, "ZRN 7730 Language/Port Monitor");
    EXPECT_EQ(xp.m_szOptionValue, "ZRNKPMON.DLL");
    EXPECT_EQ(xp.m_szDllName, "ZRNKPMON.DLL");
    EXPECT_EQ(xp.m_szFileList, monitorinf_cases::kXpFiles);
}

TEST(MonitorInfScan, TheOptionsLayoutOnWindows2000)
{
    FakeMonitorFile file(monitorinf_cases::W2kInf());
    MonitorInfScan scan("C:\\pkg\\kpmonitor", "monitor.inf", 5, 0);
    EXPECT_EQ(scan.m_szOptionValue, "ZRNMON");
    EXPECT_EQ(scan.m_szDllName, "ZRNKPMON.DLL");
    EXPECT_EQ(scan.m_szFileList, monitorinf_cases::kW2kFiles);
}

TEST(MonitorInfScan, ReadsNoMoreThan26000Bytes)
{
    std::string big = monitorinf_cases::PaddedTo("; padding\r\n", 26000) + monitorinf_cases::XpInf();
    FakeMonitorFile file(big);
    MonitorInfScan scan("C:\\pkg\\kpmonitor", "monitorxp.inf", 5, 1);
    EXPECT_LE(file.bytesRequestedMax, 26000u);
    EXPECT_TRUE(scan.m_szMonitorName.empty());
    EXPECT_TRUE(scan.m_szFileList.empty());
}

TEST(MonitorInfScan, AFileThatCannotBeOpenedIsReportedByName)
{
    FakeMonitorFile file("");
    file.exists = false;
    MonitorInfScan scan("C:\\pkg\\kpmonitor", "monitorxp.inf", 5, 1);
    EXPECT_TRUE(file.boxes.empty());  // its callers tell
    EXPECT_TRUE(TellMonitorInfProblem(nullptr, scan));
    ASSERT_EQ(file.boxes.size(), 1u);
    EXPECT_EQ(file.boxes[0].owner, nullptr);
    EXPECT_EQ(file.boxes[0].text, "Unable to open file: monitorxp.inf.\nInstallation aborted.");
    EXPECT_EQ(file.boxes[0].caption, texts::kBoxCaption);
    EXPECT_EQ(file.boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_EQ(scan.m_szInfName, "monitorxp.inf");
    EXPECT_TRUE(scan.m_szFileList.empty());
    EXPECT_TRUE(scan.m_szDllName.empty());
    EXPECT_TRUE(scan.m_szMonitorName.empty());
    EXPECT_TRUE(scan.m_szOptionValue.empty());
}

TEST(MonitorInfScan, AReadErrorLeavesTheRecordEmptyWithoutAMessage)
{
    FakeMonitorFile file(monitorinf_cases::XpInf());
    file.failRead = true;
    MonitorInfScan scan("C:\\pkg\\kpmonitor", "monitorxp.inf", 5, 1);
    EXPECT_TRUE(file.boxes.empty());
    EXPECT_EQ(file.openHandles, 0);
    EXPECT_EQ(scan.m_szInfName, "monitorxp.inf");
    EXPECT_TRUE(scan.m_szFileList.empty());
    EXPECT_TRUE(scan.m_szDllName.empty());
    EXPECT_TRUE(scan.m_szMonitorName.empty());
    EXPECT_TRUE(scan.m_szOptionValue.empty());
}

TEST(MonitorInfScan, ALongNameIsCutInTheRecordButOpenedWhole)
{
    std::string name = std::string(300, 'n') + ".inf";
    FakeMonitorFile file("");
    file.exists = false;
    MonitorInfScan scan("C:\\pkg\\kpmonitor", name, 5, 1);
    EXPECT_EQ(file.openedName, "C:\\pkg\\kpmonitor\\" + name);
    EXPECT_EQ(scan.m_szInfName, name.substr(0, 259));
    TellMonitorInfProblem(nullptr, scan);
    ASSERT_EQ(file.boxes.size(), 1u);
    EXPECT_EQ(file.boxes[0].text, "Unable to open file: " + name.substr(0, 259) + ".\nInstallation aborted.");
}

}  // namespace
