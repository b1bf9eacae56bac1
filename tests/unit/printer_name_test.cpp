// The printer name check of the printer page: its rules, their order and its messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/printer_name.h"
#include "res/resource.h"
#include "seam_fakes.h"
#include "support/scoped_api.h"
#include "support/wizard_texts.h"

namespace {

const HANDLE kPrinter = reinterpret_cast<HANDLE>(0x4711);
const HWND kOwner = reinterpret_cast<HWND>(0x1234);

class PrinterNameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        api->OpenPrinterA = [this](LPSTR name, LPHANDLE handle, LPPRINTER_DEFAULTSA defaults) -> BOOL {
            opened.push_back(name ? name : "<null>");
            EXPECT_EQ(nullptr, defaults);
            for (const std::string& p : printers)
                if (p == name) {
                    *handle = kPrinter;
                    return TRUE;
                }
            SetLastError(ERROR_INVALID_PRINTER_NAME);
            return FALSE;
        };
        api->ClosePrinter = [this](HANDLE h) -> BOOL {
            EXPECT_EQ(kPrinter, h);
            ++closed;
            return TRUE;
        };
        api->MessageBoxA = [this](HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
            boxes.push_back(text);
            EXPECT_EQ(kOwner, owner);
            EXPECT_STREQ(texts::kBoxCaption, caption);
            EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONHAND), style);
            return IDOK;
        };
    }

    // The text of the one box shown for the name, or "" when it was accepted.
    std::string Refusal(const std::string& name)
    {
        boxes.clear();
        bool accepted = ValidatePrinterName(kOwner, name);
        EXPECT_EQ(accepted, boxes.empty()) << name;
        EXPECT_LE(boxes.size(), 1u) << name;
        return boxes.empty() ? std::string() : boxes.front();
    }

    platform::ScopedApi api;
    std::vector<std::string> printers;
    std::vector<std::string> opened;
    std::vector<std::string> boxes;
    int closed = 0;
};

TEST_F(PrinterNameTest, AnOrdinaryNewNameIsAccepted)
{
    EXPECT_EQ("", Refusal("ZRN 7730"));
    EXPECT_EQ(std::vector<std::string>{"ZRN 7730"}, opened);
    EXPECT_EQ(0, closed);
}

TEST_F(PrinterNameTest, AnEmptyNameIsRefusedBeforeTheSpoolerIsAsked)
{
    EXPECT_EQ(texts::kBlankName, Refusal(""));
    EXPECT_TRUE(opened.empty());
}

TEST_F(PrinterNameTest, ANameTheSpoolerOpensIsRefusedAndItsHandleClosed)
{
    printers = {"ZRN 7730"};
    EXPECT_EQ(texts::kNameExists, Refusal("ZRN 7730"));
    EXPECT_EQ(1, closed);
}

TEST_F(PrinterNameTest, TheExistenceTestComesBeforeTheCharacterTest)
{
    printers = {"\\\\server\\queue", "a,b"};
    EXPECT_EQ(texts::kNameExists, Refusal("\\\\server\\queue"));
    EXPECT_EQ(texts::kNameExists, Refusal("a,b"));
    EXPECT_EQ(2, closed);
}

TEST_F(PrinterNameTest, EachOfTheTwelveCharactersIsRefused)
{
    const std::string illegal = "=,;\\*?/<>|\":";
    ASSERT_EQ(12u, illegal.size());
    for (char c : illegal) {
        EXPECT_EQ(texts::kIllegalName, Refusal(std::string("ZRN") + c + "7730")) << c;
        EXPECT_EQ(texts::kIllegalName, Refusal(std::string(1, c))) << c;
    }
    // Comma, equals sign and semicolon are refused although the message does not list them.
    EXPECT_EQ(texts::kIllegalName, Refusal("Office, 2nd floor"));
    EXPECT_EQ(texts::kIllegalName, Refusal("a=b"));
    EXPECT_EQ(texts::kIllegalName, Refusal("x;y"));
    EXPECT_EQ(0, closed);
}

TEST_F(PrinterNameTest, OtherCharactersAreAccepted)
{
    // "!" is named in the message but is not one of the refused characters.
    for (const char* name : {"Printer!", "A & B", "ZRN-7730 #2 (copy)", "x.y_z", "'quoted'", "[a]{b}", "~@$%^+"})
        EXPECT_EQ("", Refusal(name)) << name;
}

TEST_F(PrinterNameTest, DoubleByteCharactersWhoseSecondByteIsABackslashOrBarAreAccepted)
{
    seamfakes::UseCodePage932(*api);
    for (const char* name : {"\x95\x5C\x8E\xA6", "\x83\x5C\x83\x74\x83\x67", "\x83\x7C"})  // 表示, ソフト, ポ
        EXPECT_EQ("", Refusal(name)) << name;
    for (const char* name : {"\x83\x5C\\", "\x95\x5C|", "|\x83\x7C"})
        EXPECT_EQ(texts::kIllegalName, Refusal(name)) << name;
}

TEST_F(PrinterNameTest, NamesLongerThanTheBoxAllowsAreRefused)
{
    EXPECT_EQ("", Refusal(std::string(220, 'n')));
    EXPECT_EQ(texts::kIllegalName, Refusal(std::string(221, 'n')));
}

}  // namespace
