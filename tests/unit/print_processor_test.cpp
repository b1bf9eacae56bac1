// Installing the package's print processor: an old one of the same name is deleted, or
// moved aside while a queue uses it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "framework/message_box.h"
#include "install/print_processor.h"
#include "install_fakes.h"
#include "support/wizard_texts.h"

using installfakes::Recorder;
using testing::ElementsAre;

namespace {

const char kDirectory[] = "C:\\windows\\system32\\spool\\prtprocs\\w32x86";
const char kTemporary[] = "C:\\windows\\system32\\spool\\prtprocs\\w32x86\\set1A.tmp";

class PrintProcessorTest : public testing::Test {
protected:
    void SetUp() override
    {
        recorder.Install(*api);
        api->GetFileAttributesA = [](LPCSTR) -> DWORD { return FILE_ATTRIBUTE_DIRECTORY; };
        api->EnumPrintProcessorsA = [this](LPSTR server, LPSTR env, DWORD level, LPBYTE buf,
                                           DWORD size, LPDWORD needed, LPDWORD count) -> BOOL {
            EXPECT_EQ(server, nullptr);
            EXPECT_EQ(env, nullptr);
            EXPECT_EQ(level, 1u);
            if (buf && processorListFails) {
                SetLastError(ERROR_ACCESS_DENIED);
                return FALSE;
            }
            return seamfakes::FillEnumeration<PRINTPROCESSOR_INFO_1A>(
                processors, [](PRINTPROCESSOR_INFO_1A& r, char* s) { r.pName = s; }, buf, size,
                needed, count);
        };
        api->EnumPrintersA = [this](DWORD flags, LPSTR name, DWORD level, LPBYTE buf, DWORD size,
                                    LPDWORD needed, LPDWORD count) -> BOOL {
            ++printerEnumerations;
            EXPECT_EQ(flags, static_cast<DWORD>(PRINTER_ENUM_LOCAL));
            EXPECT_EQ(name, nullptr);
            EXPECT_EQ(level, 2u);
            if (buf && printerListFails) {
                SetLastError(ERROR_OUTOFMEMORY);
                return FALSE;
            }
            return seamfakes::FillEnumeration<PRINTER_INFO_2A>(
                printersUsing, [](PRINTER_INFO_2A& r, char* s) { r.pPrintProcessor = s; }, buf,
                size, needed, count);
        };
        api->DeletePrintProcessorA = [this](LPSTR server, LPSTR env, LPSTR name) {
            events.push_back(std::string("delete ") + (server ? "server " : "") +
                             (env ? "env " : "") + name);
            return TRUE;
        };
        api->GetPrintProcessorDirectoryA = [this](LPSTR, LPSTR, DWORD level, LPBYTE buf,
                                                  DWORD size, LPDWORD needed) -> BOOL {
            EXPECT_EQ(level, 1u);
            if (directoryFails) {
                SetLastError(ERROR_INVALID_ENVIRONMENT);
                return FALSE;
            }
            return installfakes::AnswerDirectory(kDirectory, buf, size, needed);
        };
        api->GetTempFileNameA = [this](LPCSTR dir, LPCSTR prefix, UINT unique, LPSTR out) {
            events.push_back(std::string("temp ") + dir + " " + prefix + " " +
                             std::to_string(unique));
            std::strcpy(out, kTemporary);
            return 0x1Au;
        };
        api->DeleteFileA = [this](LPCSTR path) {
            events.push_back(std::string("remove ") + path);
            return TRUE;
        };
        api->MoveFileExA = [this](LPCSTR from, LPCSTR to, DWORD) -> BOOL {
            events.push_back(std::string("move ") + from + " " + to);
            return moveSucceeds;
        };
        auto copy = (*api).SHFileOperationA;
        api->SHFileOperationA = [this, copy](LPSHFILEOPSTRUCTA op) {
            events.push_back("copy");
            return copy(op);
        };
        api->AddPrintProcessorA = [this](LPSTR server, LPSTR env, LPSTR path, LPSTR name) {
            events.push_back(std::string("add ") + (server ? "server " : "") +
                             (env ? "env " : "") + path + " " + name);
            SetLastError(addError);
            return addError == ERROR_SUCCESS;
        };
    }

    bool Install() { return InstallPrintProcessor("C:\\pkg", "KPLPrint", "KPLPRINT.DLL", nullptr); }

    platform::ScopedApi api;
    Recorder recorder;
    std::vector<std::string> processors{"WinPrint"};
    std::vector<std::string> printersUsing;
    std::vector<std::string> events;
    bool processorListFails = false;
    bool printerListFails = false;
    bool directoryFails = false;
    bool moveSucceeds = true;
    DWORD addError = ERROR_SUCCESS;
    int printerEnumerations = 0;
};

TEST_F(PrintProcessorTest, NotInstalledIsCopiedAndRegistered)
{
    Install();
    EXPECT_THAT(events, ElementsAre("copy", "add KPLPRINT.DLL KPLPrint"));
    EXPECT_EQ(printerEnumerations, 0);
    ASSERT_EQ(recorder.copies.size(), 1u);
    EXPECT_THAT(recorder.copies[0].sources, ElementsAre("C:\\pkg\\KPLPRINT.DLL"));
    EXPECT_THAT(recorder.copies[0].destination, ElementsAre(std::string(kDirectory) + "\\"));
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(PrintProcessorTest, NameInAnotherLetterCaseIsADifferentOne)
{
    processors = {"WinPrint", "kplprint", "KPLPRINT"};
    printersUsing = {"kplprint"};
    Install();
    EXPECT_THAT(events, ElementsAre("copy", "add KPLPRINT.DLL KPLPrint"));
    EXPECT_EQ(printerEnumerations, 0);
}

TEST_F(PrintProcessorTest, InstalledAndUnusedIsDeletedThenRegisteredAgain)
{
    processors = {"WinPrint", "KPLPrint"};
    printersUsing = {"WinPrint", "kplprint"};
    Install();
    EXPECT_THAT(events, ElementsAre("delete KPLPrint", "copy", "add KPLPRINT.DLL KPLPrint"));
}

TEST_F(PrintProcessorTest, NoLocalPrinterOrNoPrinterListCountsAsUnused)
{
    processors = {"KPLPrint"};
    Install();  // the printer list is empty
    EXPECT_THAT(events, ElementsAre("delete KPLPrint", "copy", "add KPLPRINT.DLL KPLPrint"));

    events.clear();
    printersUsing = {"KPLPrint"};
    printerListFails = true;
    Install();
    EXPECT_THAT(events, ElementsAre("delete KPLPrint", "copy", "add KPLPRINT.DLL KPLPrint"));
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(PrintProcessorTest, InUseTheOldFileIsMovedAsideAndTheRegistrationKept)
{
    processors = {"WinPrint", "KPLPrint"};
    printersUsing = {"WinPrint", "KPLPrint"};
    EXPECT_TRUE(Install());
    const std::string path = std::string(kDirectory) + "\\KPLPRINT.DLL";
    const std::string moved = std::string("temp ") + kDirectory + " set 0";
    EXPECT_THAT(events, ElementsAre(moved, std::string("remove ") + kTemporary, "move " + path + " " + kTemporary,
                                    "copy", std::string("remove ") + kTemporary, "add KPLPRINT.DLL KPLPrint"));
    EXPECT_TRUE(recorder.boxes.empty());

    // Windows answers that a print processor in use is installed already: its file is new.
    events.clear();
    addError = ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED;
    EXPECT_TRUE(Install());

    // A copy that fails puts the old file back and fails the step.
    events.clear();
    recorder.copyResult = ERROR_SHARING_VIOLATION;
    EXPECT_FALSE(Install());
    EXPECT_THAT(events, ElementsAre(moved, std::string("remove ") + kTemporary, "move " + path + " " + kTemporary,
                                    "copy", std::string("move ") + kTemporary + " " + path));
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "The files could not be copied into " + std::string(kDirectory) + ".");
}

TEST_F(PrintProcessorTest, RefusedRegistrationFailsTheStep)
{
    addError = ERROR_ACCESS_DENIED;
    EXPECT_FALSE(Install());
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, framework::SystemErrorText(ERROR_ACCESS_DENIED));
}

TEST_F(PrintProcessorTest, InUseWithoutAnOldFileNothingMoreIsRemoved)
{
    processors = {"KPLPrint"};
    printersUsing = {"KPLPrint"};
    moveSucceeds = false;
    Install();
    EXPECT_THAT(events, ElementsAre(std::string("temp ") + kDirectory + " set 0",
                                    std::string("remove ") + kTemporary,
                                    "move " + std::string(kDirectory) + "\\KPLPRINT.DLL " +
                                        kTemporary,
                                    "copy", "add KPLPRINT.DLL KPLPrint"));
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(PrintProcessorTest, FailedProcessorListIsReportedOnceAndInstallationGoesOn)
{
    processors = {"KPLPrint"};
    processorListFails = true;
    Install();
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].owner, nullptr);
    EXPECT_EQ(recorder.boxes[0].text, framework::SystemErrorText(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(recorder.boxes[0].text.empty());
    EXPECT_EQ(recorder.boxes[0].caption, texts::kInstallFailedCaption);
    EXPECT_EQ(recorder.boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_THAT(events, ElementsAre("copy", "add KPLPRINT.DLL KPLPrint"));
}

TEST_F(PrintProcessorTest, WithoutItsDirectoryNothingIsMovedOrCopied)
{
    processors = {"KPLPrint"};
    printersUsing = {"KPLPrint"};
    directoryFails = true;
    EXPECT_FALSE(Install());
    // A path built from an empty directory would name a file in the drive's root.
    EXPECT_TRUE(events.empty());
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, framework::SystemErrorText(ERROR_INVALID_ENVIRONMENT));
}

}  // namespace
