// The string table that the program's messages, captions, file names and INF keys come from.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"

namespace {

struct TableEntry {
    UINT id;
    const char* text;
};

// The texts as the program must show and compare them.
const TableEntry kTable[] = {
    {2001, "Cannot copy files to this drive."},
    {2002, "ZRN 7730 Printer Software Wizard"},
    {2003, "No directory selected or created."},
    {2004, "The name you specified contains illegal characters ! \\ \\ / : * ? < > | , or is too long. "
           "Maximum length is 220 characters."},
    {2005, "Cannot copy files or folders to the %s folder."},
    {2006, "\r\n\r\nDestination directory:\r\n\t"},
    {2007, "Check the information about the files to be copied."},
    {2008, "Check the information about the printer driver to make sure that it is correct."},
    {2009, "Cannot install a printer with a blank name."},
    {2010, "A printer by that name or shared name is already installed.\nPlease choose a different name."},
    {2011, "\r\n\r\nPrinter name:\r\n\t"},
    {2012, "\r\n\r\nPort:\r\n\t"},
    {2013, "ZRN 7730 Language/Port Monitor"},
    {2014, "Port name"},
    {2015, "Related physical port"},
    {2016, "monitorxp.inf"},
    {2017, "monitor.inf"},
    {2018, "Windows_NT"},
    {2019, "OS"},
    {2020, "FILE:"},
    {2021, "*.*"},
    {2022, "*.inf"},
    {2023, "Printer"},
    {2024, "Include"},
    {2025, "CopyFiles"},
    {2026, "DriverFile"},
    {2027, "ConfigFile"},
    {2028, "HelpFile"},
    {2030, "DataFile"},
    {2031, "DataSection"},
    {2032, "Version"},
    {2033, "ZRN"},
    {2034, "Needs"},
    {2036, "DefaultData"},
    {2037, "PrintProcessor"},
    {2038, "Unable to complete the install."},
    {2039, "Application cannot run on this operating system"},
    {2040, "To install a printer driver, the spooler service must be running. The spooler is currently "
           "stopped.\n\nDo you want to start this service?"},
    {2041, "Unable to start the spooler service: "},
    {2043, "Drive %s: is not ready."},
    {2044, "Unable to open file: %s.\nInstallation aborted."},
    {2045, "To install this printer driver, the newest version of the ZRN KPL Language/Port Monitor must be "
           "installed.  During this installation, the spooler on this machine will be stopped and "
           "restarted.\n\nDo you want to proceed?"},
    {2046, "Unable to stop spooler: "},
    {2047, "Unable to restart spooler: "},
    {2048, "Some services that are dependent on the spooler service might not have successfully "
           "restarted: "},
    {2049, "readme.txt"},
    {2050, "open"},
    {2051, "The directory path is too long. A path can have at most 259 characters."},
};

// Ids inside the table's range that carry no text.
const UINT kUnused[] = {2029, 2035, 2042};

const WORD kLanguages[] = {
    MAKELANGID(LANG_ARABIC, SUBLANG_ARABIC_SAUDI_ARABIA),  // 1025
    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),          // 1033
    MAKELANGID(LANG_HEBREW, SUBLANG_DEFAULT),              // 1037
};

// What the program gets: LoadStringA from its own module, in a buffer far larger than any text
// so that a clipped text would show.
std::string Load(UINT id)
{
    char buffer[1024] = {};
    int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

// One string of one language's copy of the table, read from its RT_STRING block (16 counted
// UTF-16 strings). Returns false when the block or the string is missing.
bool ReadString(WORD language, UINT id, std::string* text)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceExA(module, RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), language);
    if (!found)
        return false;
    const WCHAR* p = static_cast<const WCHAR*>(LockResource(LoadResource(module, found)));
    const WCHAR* end = p + SizeofResource(module, found) / sizeof(WCHAR);
    for (UINT index = 0; index < id % 16; ++index) {
        if (p >= end)
            return false;
        p += 1 + *p;
    }
    if (p >= end || p + 1 + *p > end || *p == 0)
        return false;
    text->clear();
    for (const WCHAR* c = p + 1; c != p + 1 + *p; ++c) {
        if (*c > 0x7F)
            return false;  // every text is plain ASCII
        text->push_back(static_cast<char>(*c));
    }
    return true;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param)
{
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return TRUE;
}

TEST(StringTable, EveryIdLoadsItsExactText)
{
    for (const TableEntry& entry : kTable)
        EXPECT_EQ(entry.text, Load(entry.id)) << "string " << entry.id;
    for (UINT id : kUnused)
        EXPECT_EQ("", Load(id)) << "string " << id;
}

TEST(StringTable, EveryTextFitsThe259CharacterBuffer)
{
    for (const TableEntry& entry : kTable) {
        char buffer[260] = {};
        int length = LoadStringA(GetModuleHandleA(nullptr), entry.id, buffer, sizeof buffer);
        EXPECT_EQ(Load(entry.id), std::string(buffer, length > 0 ? length : 0)) << "string " << entry.id;
    }
}

TEST(StringTable, MonitorUpgradeQuestionKeepsDoubleBlankAndBlankLine)
{
    std::string text = Load(IDS_UPGRADE_MONITOR);
    EXPECT_NE(std::string::npos, text.find("installed.  During")) << text;
    EXPECT_EQ(std::string::npos, text.find("installed.   ")) << text;
    size_t question = text.find("Do you want to proceed?");
    ASSERT_NE(std::string::npos, question) << text;
    EXPECT_EQ("restarted.\n\nDo", text.substr(question - 12, 14));
    EXPECT_EQ(std::string::npos, text.find('\r'));
}

TEST(StringTable, SummarySectionHeadingsStartWithTwoLineBreaksAndEndWithTab)
{
    for (UINT id : {IDS_SECTION_DESTINATION, IDS_SECTION_PRINTER_NAME, IDS_SECTION_PORT}) {
        std::string text = Load(id);
        ASSERT_GT(text.size(), 6u) << "string " << id;
        EXPECT_EQ("\r\n\r\n", text.substr(0, 4)) << "string " << id;
        EXPECT_NE('\r', text[4]) << "string " << id;
        EXPECT_EQ(":\r\n\t", text.substr(text.size() - 4)) << "string " << id;
    }
}

TEST(StringTable, IllegalNameMessageHoldsBackslashesAndBar)
{
    std::string text = Load(IDS_ILLEGAL_NAME);
    EXPECT_NE(std::string::npos, text.find("characters ! \\ \\ / : * ? < > | , or")) << text;
}

TEST(StringTable, EachLanguageCarriesTheSameTexts)
{
    for (WORD language : kLanguages) {
        for (const TableEntry& entry : kTable) {
            std::string text;
            ASSERT_TRUE(ReadString(language, entry.id, &text))
                << "string " << entry.id << " missing in language " << language;
            EXPECT_EQ(entry.text, text) << "string " << entry.id << ", language " << language;
        }
        for (UINT id : kUnused) {
            std::string text;
            EXPECT_FALSE(ReadString(language, id, &text)) << "string " << id << ", language " << language;
        }
    }
}

TEST(StringTable, NoOtherLanguageCarriesTheTable)
{
    // The copies are exactly the three languages: a stray neutral or other copy would be picked
    // by the system on some machines.
    std::vector<WORD> languages;
    EnumResourceLanguagesA(GetModuleHandleA(nullptr), RT_STRING, MAKEINTRESOURCEA(IDS_WIZARD_CAPTION / 16 + 1),
                           CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(std::vector<WORD>(std::begin(kLanguages), std::end(kLanguages)), languages);
}

}  // namespace
