// The text of the summary page, composed from its three fields.
#include <gtest/gtest.h>

#include <string>

#include "pages/summary_page.h"

namespace {

std::string Compose(const std::string& name, const std::string& port, const std::string& dest)
{
    return SummaryPage::ComposeSummary(name, port, dest);
}

TEST(SummaryText, InstallShowsPrinterNameThenPort)
{
    EXPECT_EQ("\r\n\r\nPrinter name:\r\n\tZRN 7730\r\n\r\nPort:\r\n\tKPL1:", Compose("ZRN 7730", "KPL1:", ""));
}

TEST(SummaryText, CopyShowsTheDestinationAlone)
{
    EXPECT_EQ("\r\n\r\nDestination directory:\r\n\tC:\\Drivers\\ZRN", Compose("", "", "C:\\Drivers\\ZRN"));
}

TEST(SummaryText, AnEmptyFieldContributesNothingNotEvenItsHeading)
{
    EXPECT_EQ("", Compose("", "", ""));
    EXPECT_EQ("\r\n\r\nPort:\r\n\tFILE:", Compose("", "FILE:", ""));
    EXPECT_EQ("\r\n\r\nPrinter name:\r\n\tP", Compose("P", "", ""));
    EXPECT_EQ("\r\n\r\nPrinter name:\r\n\tP\r\n\r\nDestination directory:\r\n\tD", Compose("P", "", "D"));
}

TEST(SummaryText, ThreeFullFieldsAreShownWhole)
{
    const std::string name(259, 'n'), port(259, 'p'), dest = "C:\\" + std::string(256, 'd');
    std::string text = Compose(name, port, dest);
    EXPECT_EQ("\r\n\r\nPrinter name:\r\n\t" + name + "\r\n\r\nPort:\r\n\t" + port +
                  "\r\n\r\nDestination directory:\r\n\t" + dest,
              text);
    EXPECT_GT(text.size(), 3 * 259u);
}

TEST(SummaryText, FieldsAreStoredUpTo259Characters)
{
    SummaryPage page;
    page.SetPrinterName(std::string(300, 'n').c_str());
    page.SetPort(nullptr);
    page.SetDestination("D:\\x");
    EXPECT_EQ(std::string(259, 'n'), page.m_szPrinterName);
    EXPECT_EQ("", page.m_szPort);
    EXPECT_EQ("D:\\x", page.m_szDestination);
}

}  // namespace
