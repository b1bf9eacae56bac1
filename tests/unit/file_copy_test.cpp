// Copying files with the shell, and the copy task of the wizard.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "app/wizard_app.h"
#include "install/file_copy.h"
#include "install_fakes.h"
#include "support/wizard_texts.h"

using installfakes::FakeListing;
using installfakes::Recorder;
using testing::ElementsAre;

namespace {

class FileCopyTest : public testing::Test {
protected:
    void SetUp() override
    {
        recorder.Install(*api);
        api->GetFileAttributesA = [this](LPCSTR path) -> DWORD {
            return existing.count(path) ? FILE_ATTRIBUTE_DIRECTORY : INVALID_FILE_ATTRIBUTES;
        };
    }

    platform::ScopedApi api;
    Recorder recorder;
    std::set<std::string> existing{"C:\\", "C:\\out"};
    const std::string pkg = "C:\\pkg";
};

TEST_F(FileCopyTest, OneShellCopyOfFullPathsIntoTheDirectory)
{
    CopyFilesToDirectory(pkg, {"A.DLL", "B.INF"}, "C:\\out");
    ASSERT_EQ(recorder.copies.size(), 1u);
    const auto& c = recorder.copies[0];
    EXPECT_EQ(c.owner, nullptr);
    EXPECT_EQ(c.operation, static_cast<UINT>(FO_COPY));
    EXPECT_EQ(c.flags, 0x210);
    EXPECT_FALSE(c.hasTitle);
    EXPECT_THAT(c.sources, ElementsAre("C:\\pkg\\A.DLL", "C:\\pkg\\B.INF"));
    EXPECT_THAT(c.destination, ElementsAre("C:\\out\\"));
    EXPECT_TRUE(recorder.createdDirectories.empty());
}

TEST_F(FileCopyTest, MissingDestinationIsCreatedBeforeTheCopy)
{
    // A single file into a missing directory would become a file of that name.
    std::vector<std::string> createdBeforeCopy;
    auto copy = (*api).SHFileOperationA;
    api->SHFileOperationA = [&](LPSHFILEOPSTRUCTA op) {
        createdBeforeCopy = recorder.createdDirectories;
        return copy(op);
    };
    CopyFilesToDirectory(pkg, {"ONE.DLL"}, "C:\\out\\new\\deeper\\.");
    EXPECT_THAT(createdBeforeCopy, ElementsAre("C:\\out\\new", "C:\\out\\new\\deeper"));
    ASSERT_EQ(recorder.copies.size(), 1u);
    EXPECT_THAT(recorder.copies[0].destination, ElementsAre("C:\\out\\new\\deeper\\.\\"));
}

TEST_F(FileCopyTest, DoubleBytePathsAreSplitOnlyAtTheirOwnBackslashes)
{
    seamfakes::UseCodePage932(*api);
    api->GetFullPathNameA = [](LPCSTR path, DWORD size, LPSTR buf, LPSTR*) { return seamfakes::AnswerText(path, buf, size); };
    // The source's last byte is the second of a character.
    CopyFilesToDirectory("C:\\\x83\x5C", {"A.DLL"}, "C:\\out\\\x95\x5C\\\x83\x7C");
    EXPECT_THAT(recorder.createdDirectories, ElementsAre("C:\\out\\\x95\x5C", "C:\\out\\\x95\x5C\\\x83\x7C"));
    ASSERT_EQ(recorder.copies.size(), 1u);
    EXPECT_THAT(recorder.copies[0].sources, ElementsAre("C:\\\x83\x5C\\A.DLL"));
    EXPECT_THAT(recorder.copies[0].destination, ElementsAre("C:\\out\\\x95\x5C\\\x83\x7C\\"));
}

TEST_F(FileCopyTest, SourcesFromARootDirectoryAndAnyNumberOfNames)
{
    std::vector<std::string> names;
    for (int i = 0; i < 3000; ++i)  // far more than 26000 bytes of paths
        names.push_back("FILE_WITH_A_LONG_NAME_" + std::to_string(i) + ".DAT");
    CopyFilesToDirectory("C:\\", names, "C:\\out\\");
    ASSERT_EQ(recorder.copies.size(), 1u);
    const auto& c = recorder.copies[0];
    ASSERT_EQ(c.sources.size(), names.size());
    EXPECT_EQ(c.sources.front(), "C:\\" + names.front());
    EXPECT_EQ(c.sources.back(), "C:\\" + names.back());
    EXPECT_THAT(c.destination, ElementsAre("C:\\out\\"));
}

TEST_F(FileCopyTest, NothingToCopyOrNoDestinationMakesNoCopy)
{
    CopyFilesToDirectory(pkg, {}, "C:\\out\\new");
    CopyFilesToDirectory(pkg, {"A.DLL"}, "");  // "\" would be the root of the drive
    CopyFilesToDirectory("", {"A.DLL"}, "C:\\out");  // the current directory's files
    EXPECT_TRUE(recorder.copies.empty());
    EXPECT_TRUE(recorder.createdDirectories.empty());
}

TEST_F(FileCopyTest, DirectoryFilesAreAllFilesButNoSubDirectories)
{
    FakeListing listing;
    listing.entries = {{".", FILE_ATTRIBUTE_DIRECTORY, 0},
                       {"..", FILE_ATTRIBUTE_DIRECTORY, 0},
                       {"setup.exe", FILE_ATTRIBUTE_ARCHIVE, 10},
                       {"kpmonitor", FILE_ATTRIBUTE_DIRECTORY, 0},
                       {"HIDDEN.SYS", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 1},
                       {"READONLY.INF", FILE_ATTRIBUTE_READONLY, 1}};
    listing.Install(*api);
    CopyDirectoryFiles(pkg, "C:\\out");
    EXPECT_THAT(listing.patterns, ElementsAre("C:\\pkg\\*.*"));
    EXPECT_EQ(listing.open, 0);
    ASSERT_EQ(recorder.copies.size(), 1u);
    EXPECT_THAT(recorder.copies[0].sources,
                ElementsAre("C:\\pkg\\setup.exe", "C:\\pkg\\HIDDEN.SYS", "C:\\pkg\\READONLY.INF"));

    recorder.copies.clear();
    CopyDirectoryFiles(pkg, "");
    EXPECT_TRUE(recorder.copies.empty());
}

class CopyDriverTest : public FileCopyTest {
protected:
    void SetUp() override
    {
        FileCopyTest::SetUp();
        listing.entries = {{"setup.exe", 0, 1}};
        listing.Install(*api);
        app.m_package.root = pkg;
        existing.insert("C:\\pkg\\kpmonitor");
    }

    FakeListing listing;
    WizardApp app;
};

TEST_F(CopyDriverTest, FilesThenTheMonitorDirectoryBesideThem)
{
    app.CopyDriverToDirectory("C:\\out\\.");
    EXPECT_THAT(listing.patterns, ElementsAre("C:\\pkg\\*.*", "C:\\pkg\\kpmonitor\\*.*"));
    ASSERT_EQ(recorder.copies.size(), 2u);
    EXPECT_THAT(recorder.copies[0].destination, ElementsAre("C:\\out\\.\\"));
    EXPECT_THAT(recorder.copies[1].destination, ElementsAre("C:\\out\\.\\kpmonitor\\"));
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(CopyDriverTest, WithoutMonitorDirectoryOnlyTheFiles)
{
    existing.erase("C:\\pkg\\kpmonitor");
    app.CopyDriverToDirectory("C:\\out\\.");
    ASSERT_EQ(recorder.copies.size(), 1u);
    EXPECT_THAT(recorder.copies[0].destination, ElementsAre("C:\\out\\.\\"));
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(CopyDriverTest, EmptyDestinationCopiesNothing)
{
    app.CopyDriverToDirectory("");
    EXPECT_TRUE(recorder.copies.empty());
}

}  // namespace
