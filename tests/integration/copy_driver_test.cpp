// The copy task against Wine's real shell copy and file system, with the sample package.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/wizard_app.h"
#include "framework/file.h"
#include "install/copy_driver.h"
#include "install/file_copy.h"
#include "package/package.h"
#include "support/paths.h"
#include "support/scoped_api.h"

using testing::UnorderedElementsAreArray;

namespace {

std::vector<std::string> Entries(const std::string& directory, bool directories)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((directory + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string n = fd.cFileName;
            bool isDirectory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (n != "." && n != ".." && isDirectory == directories)
                names.push_back(n);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    return names;
}

std::vector<std::string> Files(const std::string& d) { return Entries(d, false); }
std::vector<std::string> Directories(const std::string& d) { return Entries(d, true); }

std::string ReadAll(const std::string& path)
{
    std::string text;
    framework::ReadWholeFile(path, text);
    return text;
}

void CopyFiles(const std::string& from, const std::string& to)
{
    for (const std::string& n : Files(from))
        CopyFileA((from + "\\" + n).c_str(), (to + "\\" + n).c_str(), FALSE);
}

std::string CurrentDirectory()
{
    char dir[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, dir);
    return dir;
}

class CopyDriverTest : public testing::Test {
protected:
    void SetUp() override
    {
        GetCurrentDirectoryA(MAX_PATH, savedDirectory);
        api->MessageBoxA = [this](HWND, LPCSTR text, LPCSTR, UINT) {
            boxes.emplace_back(text);
            return IDOK;
        };
        package = testpaths::MakeTempDir("copypkg");
        target = testpaths::MakeTempDir("copydest");
        ASSERT_FALSE(package.empty());
        ASSERT_FALSE(target.empty());
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(savedDirectory);
        testpaths::RemoveTree(package);
        testpaths::RemoveTree(target);
    }

    // The sample package, with a sub-directory of its own and one below kpmonitor.
    void LayOutSamplePackage()
    {
        const std::string source = testpaths::PackageDir();
        ASSERT_FALSE(Files(source).empty()) << "no sample package in " << source;
        ASSERT_FALSE(Files(source + "\\kpmonitor").empty());
        CreateDirectoryA((package + "\\kpmonitor").c_str(), nullptr);
        CreateDirectoryA((package + "\\other").c_str(), nullptr);
        CreateDirectoryA((package + "\\kpmonitor\\deeper").c_str(), nullptr);
        CopyFiles(source, package);
        CopyFiles(source + "\\kpmonitor", package + "\\kpmonitor");
        testpaths::WriteText(package + "\\other\\other.txt", "not copied");
        testpaths::WriteText(package + "\\kpmonitor\\deeper\\deeper.txt", "not copied");
    }

    platform::ScopedApi api;
    std::vector<std::string> boxes;
    WizardApp app;
    std::string package, target;
    char savedDirectory[MAX_PATH] = {};
};

TEST_F(CopyDriverTest, PackageAndMonitorGoIntoANewNestedDirectory)
{
    LayOutSamplePackage();
    app.m_package.root = package;
    const std::string destination = target + "\\new\\nested";

    app.CopyDriverToDirectory(destination + "\\.");

    EXPECT_EQ(CurrentDirectory(), savedDirectory);  // the package is never made current
    EXPECT_TRUE(boxes.empty());
    EXPECT_THAT(Files(destination), UnorderedElementsAreArray(Files(package)));
    EXPECT_THAT(Directories(destination), testing::ElementsAre("kpmonitor"));
    EXPECT_THAT(Files(destination + "\\kpmonitor"),
                UnorderedElementsAreArray(Files(package + "\\kpmonitor")));
    EXPECT_TRUE(Directories(destination + "\\kpmonitor").empty());
    for (const std::string& n : Files(package))
        EXPECT_EQ(ReadAll(destination + "\\" + n), ReadAll(package + "\\" + n)) << n;
}

TEST_F(CopyDriverTest, ExistingFilesAreOverwritten)
{
    LayOutSamplePackage();
    app.m_package.root = package;
    CreateDirectoryA((target + "\\kpmonitor").c_str(), nullptr);
    testpaths::WriteText(target + "\\readme.txt", "old readme");
    testpaths::WriteText(target + "\\kpmonitor\\monitor.inf", "old monitor inf");

    app.CopyDriverToDirectory(target + "\\.");

    EXPECT_EQ(ReadAll(target + "\\readme.txt"), ReadAll(package + "\\readme.txt"));
    EXPECT_EQ(ReadAll(target + "\\kpmonitor\\monitor.inf"),
              ReadAll(package + "\\kpmonitor\\monitor.inf"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(CopyDriverTest, OneFileLandsInsideAMissingDirectory)
{
    // A package without kpmonitor, and a single file copied on its own.
    testpaths::WriteText(package + "\\only.txt", "one file");

    EXPECT_TRUE(CopyDriverPackage(Package{package}, target + "\\a\\."));  // no kpmonitor to copy is no failure
    EXPECT_EQ(ReadAll(target + "\\a\\only.txt"), "one file");
    EXPECT_TRUE(Directories(target + "\\a").empty());

    CopyFilesToDirectory(package, {"only.txt"}, target + "\\b\\c");
    EXPECT_EQ(ReadAll(target + "\\b\\c\\only.txt"), "one file");
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
