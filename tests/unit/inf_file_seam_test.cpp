// InfFile with SetupAPI faked: where the INF is opened from, the class check, texts longer
// than a name field, a failing step of the description.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "framework/strings.h"
#include "package/inf_file.h"
#include "package/package.h"
#include "res/resource.h"
#include "support/scoped_api.h"

namespace {

// A small INF held in memory, answering the SetupAPI calls that InfFile makes.
class FakeInf {
public:
    struct Line {
        std::string key;
        std::vector<std::string> fields;
    };
    using Section = std::pair<std::string, std::vector<Line>>;

    std::vector<Section> sections;
    std::string openedPath, openedClass;
    DWORD openedStyle = 0;
    int opens = 0, closes = 0;
    std::string moduleName = "C:\\pkg\\setup.exe";
    // Called before a field is read; a test may throw from it.
    std::function<void(const Line&, DWORD)> onField;

    const HINF kHandle = reinterpret_cast<HINF>(0x7730);

    FakeInf()
    {
        api_->GetModuleFileNameA = [this](HMODULE, LPSTR buf, DWORD size) -> DWORD {
            size_t n = std::min<size_t>(moduleName.size(), size);
            std::memcpy(buf, moduleName.data(), n);
            if (n < size)
                buf[n] = '\0';
            return static_cast<DWORD>(n);
        };
        api_->SetupOpenInfFileA = [this](PCSTR path, PCSTR cls, DWORD style, PUINT) -> HINF {
            openedPath = path;
            openedClass = cls ? cls : "";
            openedStyle = style;
            ++opens;
            return kHandle;
        };
        api_->SetupOpenAppendInfFileA = [](PCSTR, HINF, PUINT) -> BOOL { return TRUE; };
        api_->SetupCloseInfFile = [this](HINF h) {
            EXPECT_EQ(h, kHandle);
            ++closes;
        };
        api_->SetupGetLineCountA = [this](HINF, PCSTR name) -> LONG {
            const Section* s = Find(name);
            return s ? static_cast<LONG>(s->second.size()) : -1;
        };
        api_->SetupFindFirstLineA = [this](HINF h, PCSTR name, PCSTR key, PINFCONTEXT ctx) -> BOOL {
            EXPECT_EQ(h, kHandle);
            for (size_t i = 0; i < sections.size(); ++i) {
                if (!framework::EqualNoCase(sections[i].first, name))
                    continue;
                const std::vector<Line>& lines = sections[i].second;
                for (size_t j = 0; j < lines.size(); ++j) {
                    if (!key || framework::EqualNoCase(lines[j].key, key)) {
                        ctx->Inf = h;
                        ctx->CurrentInf = h;
                        ctx->Section = static_cast<UINT>(i);
                        ctx->Line = static_cast<UINT>(j);
                        return TRUE;
                    }
                }
            }
            return FALSE;
        };
        api_->SetupFindNextLine = [this](PINFCONTEXT in, PINFCONTEXT out) -> BOOL {
            if (failNextLine || in->Line + 1 >= sections[in->Section].second.size())
                return FALSE;
            *out = *in;
            ++out->Line;
            return TRUE;
        };
        api_->SetupGetFieldCount = [this](PINFCONTEXT ctx) -> DWORD {
            return static_cast<DWORD>(LineOf(ctx).fields.size());
        };
        api_->SetupGetStringFieldA = [this](PINFCONTEXT ctx, DWORD index, PSTR buf, DWORD size,
                                            PDWORD required) -> BOOL {
            const Line& line = LineOf(ctx);
            if (onField)
                onField(line, index);
            if (index > line.fields.size())
                return FALSE;
            return Answer(index == 0 ? line.key : line.fields[index - 1], buf, size, required);
        };
        api_->SetupGetLineTextA = [this](PINFCONTEXT ctx, HINF, PCSTR, PCSTR, PSTR buf, DWORD size,
                                         PDWORD required) -> BOOL {
            std::string text;
            for (const std::string& f : LineOf(ctx).fields)
                text += (text.empty() ? "" : ",") + f;
            return Answer(text, buf, size, required);
        };
    }

    void Add(const std::string& section, const std::string& key, std::vector<std::string> fields)
    {
        Section* s = Find(section.c_str());
        if (!s) {
            sections.push_back({section, {}});
            s = &sections.back();
        }
        s->second.push_back({key, std::move(fields)});
    }

    // Field `index` (0: the first after the key) of the first line keyed `key` in the section.
    void Set(const std::string& section, const std::string& key, size_t index, const std::string& value)
    {
        for (Line& line : Find(section.c_str())->second)
            if (line.key == key) {
                line.fields.at(index) = value;
                return;
            }
    }

    bool failNextLine = false;

private:
    Section* Find(PCSTR name)
    {
        for (Section& s : sections)
            if (framework::EqualNoCase(s.first, name))
                return &s;
        return nullptr;
    }
    const Line& LineOf(PINFCONTEXT ctx) const { return sections[ctx->Section].second[ctx->Line]; }

    BOOL Answer(const std::string& s, PSTR buf, DWORD size, PDWORD required)
    {
        DWORD need = static_cast<DWORD>(s.size() + 1);
        if (required)
            *required = need;
        if (!buf)
            return TRUE;
        if (size < need) {
            api_->SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::memcpy(buf, s.c_str(), need);
        return TRUE;
    }

    platform::ScopedApi api_;
};

// A driver INF of printer class with one model.
void AddDriverInf(FakeInf& inf)
{
    inf.Add("Version", "Signature", {"$Windows NT$"});
    inf.Add("Version", "Class", {"Printer"});
    inf.Add("ZRN", "ZRN 7730", {"ZRN7730"});
    inf.Add("ZRN7730", "CopyFiles", {"ZRNFILES", "@ZRN7730.PPD"});
    inf.Add("ZRN7730", "DataSection", {"DATA"});
    inf.Add("DATA", "DriverFile", {"PSCRIPT5.DLL"});
    inf.Add("DATA", "DataFile", {"ZRN7730.PPD"});
    inf.Add("DATA", "ConfigFile", {"PS5UI.DLL"});
    inf.Add("DATA", "HelpFile", {"PSCRIPT.HLP"});
    inf.Add("ZRNFILES", "", {"PSCRIPT5.DLL"});
    inf.Add("ZRNFILES", "", {"PS5UI.DLL"});
}

TEST(InfFileSeam, OpensTheInfFromTheProgramsDirectoryAsAPrinterInf)
{
    FakeInf fake;
    AddDriverInf(fake);
    {
        InfFile inf(ProgramPackage().Path("zrn.inf"), "");
        EXPECT_TRUE(inf.IsOpen());
        EXPECT_EQ(fake.openedPath, "C:\\pkg\\zrn.inf");
        EXPECT_EQ(fake.openedClass, "Printer");
        EXPECT_EQ(fake.openedStyle, static_cast<DWORD>(INF_STYLE_WIN4));
        EXPECT_TRUE(inf.IsDriverInf());
    }
    EXPECT_EQ(fake.closes, 1);
}

TEST(InfFileSeam, AModuleNameCutShortBySystemGivesNoPackage)
{
    FakeInf fake;
    AddDriverInf(fake);
    fake.moduleName = "C:\\" + std::string(300, 'd') + "\\setup.exe";
    EXPECT_EQ(ProgramPackage().root, "");
}

TEST(InfFileSeam, APathLongerThanTheAnsiCallsTakeOpensNothing)
{
    FakeInf fake;
    AddDriverInf(fake);
    InfFile inf("C:\\" + std::string(253, 'n') + ".inf", "");
    EXPECT_FALSE(inf.IsOpen());
    EXPECT_EQ(fake.opens, 0);
    EXPECT_EQ(inf.m_szInfName.size(), 259u);
}

TEST(InfFileSeam, TheClassIsComparedWithoutRegardToCase)
{
    FakeInf fake;
    fake.Add("Version", "Class", {"PRINTER"});
    fake.Add("ZRN", "ZRN 7730", {"ZRN7730"});
    InfFile inf("zrn.inf", "");
    EXPECT_TRUE(inf.IsOpen());
    EXPECT_TRUE(inf.IsDriverInf());
}

TEST(InfFileSeam, AnotherClassIsRefusedAndClosed)
{
    FakeInf fake;
    fake.Add("Version", "Class", {"Ports"});
    fake.Add("ZRN", "ZRN 7730", {"ZRN7730"});
    InfFile inf("zrn.inf", "");
    EXPECT_FALSE(inf.IsOpen());
    EXPECT_EQ(fake.closes, 1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_MISMATCH));
    EXPECT_FALSE(inf.IsDriverInf());
}

TEST(InfFileSeam, WithoutAClassLineThePrinterClassGuidCounts)
{
    {
        FakeInf fake;
        fake.Add("Version", "ClassGUID", {"{4d36e979-e325-11ce-bfc1-08002be10318}"});
        fake.Add("ZRN", "ZRN 7730", {"ZRN7730"});
        InfFile inf("zrn.inf", "");
        EXPECT_TRUE(inf.IsDriverInf());
    }
    {
        FakeInf fake;
        fake.Add("Version", "ClassGUID", {"{4D36E978-E325-11CE-BFC1-08002BE10318}"});  // Ports
        fake.Add("ZRN", "ZRN 7730", {"ZRN7730"});
        InfFile inf("zrn.inf", "");
        EXPECT_FALSE(inf.IsOpen());
    }
    {
        FakeInf fake;
        fake.Add("Version", "Signature", {"$Windows NT$"});
        fake.Add("ZRN", "ZRN 7730", {"ZRN7730"});
        InfFile inf("zrn.inf", "");
        EXPECT_FALSE(inf.IsOpen());
    }
}

TEST(InfFileSeam, AMissingStringOfTheTableLeavesTheInfUnopened)
{
    FakeInf fake;
    AddDriverInf(fake);
    platform::ScopedApi api;
    auto real = api->LoadStringA;
    api->LoadStringA = [real](HINSTANCE h, UINT id, LPSTR buf, int size) {
        return id == IDS_KEY_INCLUDE ? 0 : real(h, id, buf, size);
    };
    InfFile inf("zrn.inf", "ZRN 7730");
    EXPECT_FALSE(inf.IsOpen());
    EXPECT_EQ(fake.opens, 0);
}

TEST(InfFileSeam, TextsLongerThanANameFieldAreKeptWholeAndMarkedAndEmptyEntriesSkipped)
{
    FakeInf fake;
    AddDriverInf(fake);
    std::string longName(300, 'x');
    fake.Add("LONG", "", {longName});
    fake.Add("LONG", "", {"A.DLL", longName});
    fake.Add("LONG", "", {});
    fake.Add("LONG", "", {"B.DLL"});
    fake.Add("ZRN7730", "Other", {"", "LONG", longName, "@C.DLL"});
    InfFile inf("zrn.inf", "ZRN 7730");

    size_t length = 0;
    std::vector<std::string> lines = inf.GetSectionLines("LONG", &length);
    std::vector<std::string> want = {longName, "A.DLL," + longName, "B.DLL"};
    EXPECT_EQ(lines, want);
    EXPECT_EQ(length, 301u + 307u + 6u);

    // GetField keeps its rule: a field that does not fit gives the empty string.
    EXPECT_EQ(inf.GetField("LONG", nullptr, 1), "");

    std::string files = inf.CollectCopyFiles("ZRN 7730", "Other", &length);
    std::string expect = longName + '\0' + "A.DLL," + longName + '\0' + "B.DLL" + '\0' + longName + '\0' +
                         "C.DLL" + '\0' + '\0';
    EXPECT_EQ(files, expect);
    EXPECT_EQ(length, expect.size() - 1);
    EXPECT_TRUE(inf.m_bNameTooLong);
}

// Every field of the description holds 259 characters; a longer one marks the description,
// whichever field it is and whatever fits after it.
TEST(InfFileSeam, EveryFieldHolds259CharactersAndALongerOneMarksTheDescription)
{
    const struct {
        const char* section;
        const char* key;
        size_t index;
    } fields[] = {{"ZRN7730", "PrintProcessor", 0}, {"ZRN7730", "PrintProcessor", 1}, {"ZRN7730", "DefaultData", 0},
                  {"DATA", "DataFile", 0},          {"DATA", "DriverFile", 0},        {"DATA", "ConfigFile", 0},
                  {"DATA", "HelpFile", 0},          {"ZRNFILES", "", 0}};
    for (const auto& field : fields) {
        for (size_t length : {259u, 260u}) {
            FakeInf fake;
            AddDriverInf(fake);
            fake.Add("ZRN7730", "Include", {"base.inf"});
            fake.Add("ZRN7730", "PrintProcessor", {"KPLPrint", "KPLPRINT.DLL"});
            fake.Add("ZRN7730", "DefaultData", {"RAW"});
            fake.Set(field.section, field.key, field.index, std::string(length, 'n'));
            InfFile inf("zrn.inf", "ZRN 7730");
            inf.Describe();
            EXPECT_EQ(inf.m_bNameTooLong, length > 259) << field.key << " " << field.index << ": " << length;
        }
    }
}

TEST(InfFileSeam, AFailingMoveToTheNextLineEndsTheSectionList)
{
    FakeInf fake;
    AddDriverInf(fake);
    fake.failNextLine = true;
    InfFile inf("zrn.inf", "");
    size_t length = 0;
    EXPECT_EQ(inf.GetSectionLines("ZRNFILES", &length), std::vector<std::string>{"PSCRIPT5.DLL"});
    EXPECT_EQ(length, 13u);
}

TEST(InfFileSeam, AFailingStepOfTheDescriptionLeavesItsFieldAndTheOthersGoOn)
{
    FakeInf fake;
    AddDriverInf(fake);
    InfFile inf("zrn.inf", "ZRN 7730");
    inf.m_szDriverFile = "before";
    fake.onField = [](const FakeInf::Line& line, DWORD) {
        if (line.key == "DriverFile")
            throw std::bad_alloc();
    };
    inf.Describe();
    EXPECT_EQ(inf.m_szDriverFile, "before");
    EXPECT_EQ(inf.m_szDataFile, "ZRN7730.PPD");
    EXPECT_EQ(inf.m_szConfigFile, "PS5UI.DLL");
    EXPECT_EQ(inf.m_szHelpFile, "PSCRIPT.HLP");
    EXPECT_EQ(inf.m_szDependentFiles, std::string("PSCRIPT5.DLL\0PS5UI.DLL\0ZRN7730.PPD\0\0", 36));
    EXPECT_EQ(inf.m_nDependentFilesLength, 35u);
}

}  // namespace
