// The destination directory checks of the copy task, on a faked file system: qualifying a
// typed path with the current drive, probing the drive, normalising, refusing names, and
// creating a directory with its parents.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/paths.h"
#include "framework/strings.h"
#include "install/destination_path.h"
#include "seam_fakes.h"
#include "support/scoped_api.h"
#include "support/wizard_texts.h"

using destination::CheckDestinationText;
using destination::JudgeDirectoryName;
using destination::MakeDirectoryPath;
using destination::NameVerdict;
using testing::ElementsAre;

namespace {

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A small machine: ready drives, existing directories (compared without case), a current
// directory, and the message boxes shown.
class FakeMachine {
public:
    FakeMachine()
    {
        api_->GetCurrentDirectoryA = [this](DWORD size, LPSTR buf) { return seamfakes::AnswerText(cwd_, buf, size); };
        api_->FindFirstFileA = [this](LPCSTR pattern, LPWIN32_FIND_DATAA data) -> HANDLE {
            probes.push_back(pattern);
            std::string p = pattern;
            if (p.size() == 6 && p.substr(1) == ":\\*.*" && readyDrives_.count(Lower(p.substr(0, 1)))) {
                *data = {};
                lstrcpyA(data->cFileName, "Windows");
                data->dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
                return reinterpret_cast<HANDLE>(0x1234);
            }
            return INVALID_HANDLE_VALUE;
        };
        api_->FindClose = [this](HANDLE) -> BOOL {
            ++closed;
            return TRUE;
        };
        api_->CreateDirectoryA = [this](LPCSTR path, LPSECURITY_ATTRIBUTES) -> BOOL {
            created.push_back(path);
            return Create(path);
        };
        seamfakes::RecordBoxes(*api_, boxes);
    }

    void SetCurrentDirectory(const std::string& dir) { cwd_ = dir; }
    void AddDrive(char letter) { readyDrives_.insert(Lower(std::string(1, letter))); }
    void AddDirectory(const std::string& dir) { dirs_.insert(Lower(dir)); }
    bool Exists(const std::string& dir) const { return dirs_.count(Lower(dir)) != 0; }
    void FailEveryCreation() { failAll_ = true; }

    std::vector<std::string> probes;
    std::vector<std::string> created;
    std::vector<seamfakes::Box> boxes;
    int closed = 0;

private:
    bool Create(const std::string& path)
    {
        if (failAll_)
            return false;
        std::string p = path;
        while (p.size() > 3 && p.back() == '\\')
            p.pop_back();
        size_t cut = p.find_last_of('\\');
        if (cut == std::string::npos || Exists(p))
            return false;
        std::string parent = p.substr(0, cut);
        if (parent.size() == 2)
            parent += '\\';
        if (!Exists(parent))
            return false;
        AddDirectory(p);
        return true;
    }

    platform::ScopedApi api_;
    std::string cwd_ = "C:\\";
    std::set<std::string> readyDrives_;
    std::set<std::string> dirs_ = {"c:\\", "d:\\"};
    bool failAll_ = false;
};

class DestinationCheckTest : public testing::Test {
protected:
    DestinationCheckTest()
    {
        machine.AddDrive('C');
        machine.AddDrive('D');
    }

    // Runs the page's checks; the normalised path when they accept it, "refused" otherwise.
    std::string Check(const std::string& typed)
    {
        std::string path;
        return CheckDestinationText(nullptr, typed, path) ? path : "refused";
    }

    std::string LastText() const { return machine.boxes.empty() ? "" : machine.boxes.back().text; }

    FakeMachine machine;
};

TEST_F(DestinationCheckTest, QualifiesWithTheCurrentDriveAndNormalisesSeparators)
{
    machine.SetCurrentDirectory("D:\\");
    EXPECT_EQ(Check("tools"), "D:\\tools");
    EXPECT_EQ(Check("\\tools"), "D:\\tools");
    EXPECT_EQ(Check("C:tools"), "C:\\tools");
    EXPECT_EQ(Check("C:/work/drv"), "C:\\work\\drv");
    EXPECT_EQ(Check("c:\\Work\\Drv"), "c:\\Work\\Drv");
    EXPECT_TRUE(machine.boxes.empty());
    // The drive named first is the one probed, at its root.
    EXPECT_EQ(machine.probes.front(), "D:\\*.*");
    EXPECT_EQ(machine.probes.back(), "c:\\*.*");
    EXPECT_EQ(machine.closed, static_cast<int>(machine.probes.size()));
}

TEST_F(DestinationCheckTest, ADriveWhoseRootCannotBeListedIsRefused)
{
    std::string path = "unchanged";
    EXPECT_FALSE(CheckDestinationText(nullptr, "E:\\drivers", path));
    EXPECT_EQ(path, "unchanged");
    ASSERT_EQ(machine.boxes.size(), 1u);
    EXPECT_EQ(machine.boxes[0].text, "Cannot copy files to this drive.");
    EXPECT_EQ(machine.boxes[0].caption, texts::kBoxCaption);
    EXPECT_EQ(machine.boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_THAT(machine.probes, ElementsAre("E:\\*.*"));
    EXPECT_EQ(machine.closed, 0);
}

TEST_F(DestinationCheckTest, ACurrentDirectoryWithoutADriveLetterRefusesARelativePath)
{
    machine.SetCurrentDirectory("\\\\server\\share");
    EXPECT_EQ(Check("tools"), "refused");
    EXPECT_EQ(LastText(), "Cannot copy files to this drive.");
}

TEST_F(DestinationCheckTest, ADriveRootIsNoDirectory)
{
    for (const char* typed : {"C:", "C:\\", "C:/", "\\"}) {
        machine.boxes.clear();
        EXPECT_EQ(Check(typed), "refused") << typed;
        ASSERT_EQ(machine.boxes.size(), 1u) << typed;
        EXPECT_EQ(machine.boxes[0].text, texts::kNoDirectory);
        EXPECT_EQ(machine.boxes[0].caption, texts::kBoxCaption);
        EXPECT_EQ(machine.boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    }
}

TEST_F(DestinationCheckTest, ForbiddenCharactersDoubleAndLeadingBackslashesAreIllegal)
{
    const char* typed[] = {"C:\\a:b",     "C:\\a*",        "C:\\a?",     "C:\\\"a\"",       "C:\\a<b",
                           "C:\\a>b",     "C:\\a|b",       "C:\\a\\\\b", "C:\\\\server\\share",
                           "C:\\x/\\y",   "\\\\server\\share"};
    for (const char* t : typed) {
        machine.boxes.clear();
        EXPECT_EQ(Check(t), "refused") << t;
        ASSERT_EQ(machine.boxes.size(), 1u) << t;
        EXPECT_EQ(machine.boxes[0].text, texts::kIllegalName) << t;
        EXPECT_EQ(machine.boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    }
    // Characters the checks let through.
    EXPECT_EQ(Check("C:\\a b!#$%&'()+,;=@[]^_`{}~"), "C:\\a b!#$%&'()+,;=@[]^_`{}~");
}

TEST_F(DestinationCheckTest, RecycleBinFoldersAreRefused)
{
    EXPECT_EQ(Check("C:\\recycler"), "refused");
    EXPECT_EQ(LastText(), texts::kRecyclerRefused);
    EXPECT_EQ(Check("C:\\Recycled"), "refused");
    EXPECT_EQ(LastText(), "Cannot copy files or folders to the RECYCLED folder.");
    EXPECT_EQ(Check("c:\\Recycled\\x"), "refused");
    EXPECT_EQ(LastText(), "Cannot copy files or folders to the Recycled\\x folder.");
    EXPECT_EQ(Check("c:/recycled/x"), "refused");
    EXPECT_EQ(LastText(), "Cannot copy files or folders to the recycled\\x folder.");
    ASSERT_EQ(machine.boxes.size(), 4u);
    EXPECT_EQ(machine.boxes[0].caption, texts::kBoxCaption);
    EXPECT_EQ(machine.boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));

    machine.boxes.clear();
    EXPECT_EQ(Check("C:\\recycler\\x"), "C:\\recycler\\x");
    EXPECT_EQ(Check("C:\\Recycle1"), "C:\\Recycle1");
    EXPECT_EQ(Check("C:\\MyDriver"), "C:\\MyDriver");
    EXPECT_EQ(Check("C:\\Recycledx"), "C:\\Recycledx");
    EXPECT_TRUE(machine.boxes.empty());
}

TEST_F(DestinationCheckTest, APathLongerThan259CharactersAfterQualifyingIsRefusedNotCut)
{
    machine.SetCurrentDirectory("D:\\");
    std::string name(256, 'n');  // "D:\" + 256 = 259
    EXPECT_EQ(Check("D:\\" + name), "D:\\" + name);
    EXPECT_EQ(Check(name), "D:\\" + name);  // qualified and normalised to exactly 259
    EXPECT_TRUE(machine.boxes.empty());

    name += 'n';
    std::string path;
    EXPECT_FALSE(CheckDestinationText(nullptr, name, path));  // 257 typed, 260 after
    EXPECT_EQ(path, "D:\\" + name);
    EXPECT_EQ(LastText(), texts::kPathTooLong);
    EXPECT_EQ(Check("D:\\" + name), "refused");
    EXPECT_EQ(Check("D:\\" + std::string(400, 'x')), "refused");
    EXPECT_EQ(machine.boxes.size(), 3u);
}

TEST_F(DestinationCheckTest, DotComponentsDeviceNamesAndTrailingDotsOrSpacesAreSeenThrough)
{
    const std::string root = texts::kNoDirectory, illegal = texts::kIllegalName;
    const std::pair<const char*, std::string> cases[] = {
        {"C:\\.", root}, {"C:\\x\\..", root}, {"C:/x/../..\\.", root}, {"C:\\nul", illegal}, {"C:\\con", illegal},
        {"C:\\aux\\x", illegal}, {"C:\\x\\Nul.txt", illegal}, {"C:\\com9", illegal}, {"C:\\LPT1 .a", illegal},
        {"C:\\x.", illegal}, {"C:\\x \\y", illegal}, {"C:\\x\\...", illegal}, {"C:\\com10", "C:\\com10"},
        {"C:\\x\\..\\Recycled", "Cannot copy files or folders to the RECYCLED folder."},
        {"C:\\x\\.\\y\\..\\z\\", "C:\\x\\z"}, {"C:\\nulx\\.x\\ x", "C:\\nulx\\.x\\ x"}};
    for (const auto& [typed, outcome] : cases) {
        std::string path = Check(typed);
        EXPECT_EQ(path == "refused" ? LastText() : path, outcome) << typed;
    }
}

TEST_F(DestinationCheckTest, DoubleByteNamesAreReadByCharacter)
{
    platform::ScopedApi api;
    seamfakes::UseCodePage932(*api);
    // ポート, ソ\表示, ソ\x\..: second bytes '|' and '\\'; a real '|' or doubled '\\' stays illegal.
    const std::pair<const char*, const char*> accepted[] = {
        {"C:\\\x83\x7C\x81\x5B\x83\x67", "C:\\\x83\x7C\x81\x5B\x83\x67"},
        {"C:\\\x83\x5C\\\x95\x5C\x8E\xA6", "C:\\\x83\x5C\\\x95\x5C\x8E\xA6"},
        {"C:\\\x83\x5C\\x\\..", "C:\\\x83\x5C"}};
    for (const auto& [typed, path] : accepted)
        EXPECT_EQ(Check(typed), path);
    for (const char* typed : {"C:\\\x83\x5C|", "C:\\\x83\x5C\\\\x"})
        EXPECT_EQ(Check(typed), "refused") << typed;
    EXPECT_EQ(framework::JoinPath("C:\\\x83\x5C", "x"), "C:\\\x83\x5C\\x");
    EXPECT_TRUE(framework::EqualNoCase("\x83\x61x", "\x83\x61X"));
    EXPECT_FALSE(framework::EqualNoCase("\x83\x61", "\x83\x41"));  // two characters, not one in two cases
}

TEST(DirectoryNameTest, VerdictsAndTheNameShown)
{
    std::string shown;
    EXPECT_EQ(JudgeDirectoryName("", &shown), NameVerdict::Empty);
    EXPECT_EQ(JudgeDirectoryName("tools", &shown), NameVerdict::Accepted);
    EXPECT_EQ(JudgeDirectoryName("tools\\", &shown), NameVerdict::Accepted);
    EXPECT_EQ(JudgeDirectoryName("\\tools", &shown), NameVerdict::Illegal);
    EXPECT_EQ(JudgeDirectoryName("reCycleR", &shown), NameVerdict::RecycleBin);
    EXPECT_EQ(shown, "RECYCLER");
    EXPECT_EQ(JudgeDirectoryName("RECYCLED\\", &shown), NameVerdict::RecycleBin);
    EXPECT_EQ(shown, "RECYCLED\\");
    EXPECT_EQ(JudgeDirectoryName("RECYCLER\\a", &shown), NameVerdict::Accepted);
}

TEST(NormalizeTest, SlashesAndTheBackslashBehindTheColon)
{
    using destination::NormalizeDirectoryPath;
    EXPECT_EQ(NormalizeDirectoryPath("C:tools"), "C:\\tools");
    EXPECT_EQ(NormalizeDirectoryPath("C:"), "C:\\");
    EXPECT_EQ(NormalizeDirectoryPath("C:/a/b/"), "C:\\a\\b\\");
    EXPECT_EQ(NormalizeDirectoryPath("C:\\a"), "C:\\a");
}

TEST(JoinPathTest, OneBackslashBetween)
{
    using framework::JoinPath;
    EXPECT_EQ(JoinPath("C:", "Tools"), "C:\\Tools");
    EXPECT_EQ(JoinPath("C:\\", "Tools"), "C:\\Tools");
    EXPECT_EQ(JoinPath("C:\\Tools", "Drivers"), "C:\\Tools\\Drivers");
}

TEST(MakeDirectoryPathTest, CreatesTheMissingParentsFirst)
{
    FakeMachine machine;
    machine.AddDirectory("C:\\work");
    EXPECT_GE(MakeDirectoryPath("C:\\work\\a\\b\\c"), 0);
    EXPECT_TRUE(machine.Exists("C:\\work\\a"));
    EXPECT_TRUE(machine.Exists("C:\\work\\a\\b"));
    EXPECT_TRUE(machine.Exists("C:\\work\\a\\b\\c"));
    EXPECT_THAT(machine.created, ElementsAre("C:\\work\\a\\b\\c", "C:\\work\\a\\b", "C:\\work\\a", "C:\\work\\a\\b",
                                             "C:\\work\\a\\b\\c"));
}

TEST(MakeDirectoryPathTest, ADriveRootCountsAsCreated)
{
    FakeMachine machine;
    EXPECT_GE(MakeDirectoryPath("C:\\"), 0);
    EXPECT_GE(MakeDirectoryPath("C:"), 0);
    EXPECT_GE(MakeDirectoryPath(""), 0);
    EXPECT_TRUE(machine.created.empty());
}

TEST(MakeDirectoryPathTest, EndsOnPathsThatCannotBeMade)
{
    FakeMachine machine;
    machine.FailEveryCreation();
    EXPECT_EQ(MakeDirectoryPath("tools"), -1);  // no backslash: no parent to make
    EXPECT_EQ(machine.created.size(), 1u);

    machine.created.clear();
    EXPECT_EQ(MakeDirectoryPath("C:\\a\\b"), -1);
    // The parent is tried, its parent (the root) counts as made, the parent is tried once
    // more and fails: the path itself is not tried again.
    EXPECT_THAT(machine.created, ElementsAre("C:\\a\\b", "C:\\a", "C:\\a"));

    machine.created.clear();
    EXPECT_EQ(MakeDirectoryPath("X:\\\\\\\\"), -1);
    EXPECT_LE(machine.created.size(), 8u);

    machine.created.clear();
    EXPECT_EQ(MakeDirectoryPath("abcd\\efgh"), -1);
    EXPECT_THAT(machine.created, ElementsAre("abcd\\efgh", "abcd"));
}

TEST(MakeDirectoryPathTest, CreateDestinationDirectoryLeavesAnExistingDirectoryAlone)
{
    FakeMachine machine;
    machine.AddDirectory("C:\\drv");
    destination::CreateDestinationDirectory("C:\\drv");
    EXPECT_TRUE(machine.Exists("C:\\drv"));
    EXPECT_TRUE(machine.boxes.empty());
    destination::CreateDestinationDirectory("C:\\x\\y");
    EXPECT_TRUE(machine.Exists("C:\\x\\y"));
}

}  // namespace
