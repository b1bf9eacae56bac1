// setup.exe's command line read into its record, as one table of cases.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "res/resource.h"

namespace {

// The record as one line: the task, then each option that is set; or the refusal.
std::string Summary(const CommandLine& c)
{
    if (c.errorId != 0)
        return "refused " + std::to_string(c.errorId) + " " + c.errorArgument + (c.quiet ? " quiet" : "") +
               (c.logFile.empty() ? "" : " log=" + c.logFile);
    const char* tasks[] = {"wizard", "install", "copy", "uninstall", "usage"};
    std::string s = tasks[static_cast<int>(c.task)];
    for (auto [name, value] : {std::pair<const char*, std::string>{"name", c.name}, {"port", c.port},
                               {"dir", c.directory}, {"log", c.logFile}, {"share", c.shareName},
                               {"x86", c.x86Directory}})
        if (!value.empty())
            s += std::string(" ") + name + "=" + value;
    return s + (c.newPort ? " newport" : "") + (c.all ? " all" : "") + (c.quiet ? " quiet" : "") + (c.yes ? " yes" : "") +
           (c.makeDefault ? " default" : "") + (c.testPage ? " testpage" : "");
}

TEST(CommandLine, EachLineReadsAsItsRecord)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", "wizard"},
        {"  ", "wizard"},
        {"/log:C:\\w.log", "wizard log=C:\\w.log"},
        {"/install /port:FILE:", "install port=FILE:"},
        {"-INSTALL -NewPort /Quiet /YES", "install newport quiet yes"},
        {"/install /name:\"My printer\" /port:KPL1:", "install name=My printer port=KPL1:"},
        {"\"/copy:C:\\My dir\\\" /quiet", "copy dir=C:\\My dir\\ quiet"},
        {"/uninstall /name:Office /log:\"C:\\a b.log\" /yes", "uninstall name=Office log=C:\\a b.log yes"},
        {"/?", "usage"},
        {"/install /bogus -?", "usage"},
        {"/? /QUIET", "usage quiet"},
        {"/uninstall /all /quiet", "uninstall all quiet"},
        {"/uninstall /all /name:A", "refused " + std::to_string(IDS_CMD_ALL_OR_NAME) + " "},
        {"/install /all /port:A", "refused " + std::to_string(IDS_CMD_NOT_FOR_TASK) + " /all"},
        {"/bogus", "refused " + std::to_string(IDS_CMD_UNKNOWN_OPTION) + " /bogus"},
        {"install", "refused " + std::to_string(IDS_CMD_UNKNOWN_OPTION) + " install"},
        {"/install /Install /port:A", "refused " + std::to_string(IDS_CMD_OPTION_TWICE) + " /install"},
        {"/copy", "refused " + std::to_string(IDS_CMD_NEEDS_VALUE) + " /copy"},
        {"/install:yes /port:A", "refused " + std::to_string(IDS_CMD_TAKES_NO_VALUE) + " /install"},
        {"/install /copy:C:\\x /port:A", "refused " + std::to_string(IDS_CMD_ONE_TASK) + " /copy"},
        {"/port:A", "refused " + std::to_string(IDS_CMD_NOT_FOR_TASK) + " /port"},
        {"/quiet /yes", "refused " + std::to_string(IDS_CMD_NOT_FOR_TASK) + " /quiet quiet"},
        {"/copy:C:\\x /name:N", "refused " + std::to_string(IDS_CMD_NOT_FOR_TASK) + " /name"},
        {"/uninstall /newport", "refused " + std::to_string(IDS_CMD_NOT_FOR_TASK) + " /newport"},
        {"/install", "refused " + std::to_string(IDS_CMD_INSTALL_PORT) + " "},
        {"/install /port:A /newport", "refused " + std::to_string(IDS_CMD_INSTALL_PORT) + " "},
        // A print server's options.
        {"/install /newport /default /share:Office_1 /testpage", "install share=Office_1 newport default testpage"},
        {"/copy:C:\\x /default", "refused " + std::to_string(IDS_CMD_NOT_FOR_TASK) + " /default"},
        {"/install /newport /share:a,b", "refused " + std::to_string(IDS_CMD_BAD_SHARE_NAME) + " a,b"},
        {"/install /newport /share:" + std::string(81, 's'), "refused " + std::to_string(IDS_CMD_BAD_SHARE_NAME) + " " + std::string(81, 's')},
        {"/install /newport \"/share:  \"", "refused " + std::to_string(IDS_CMD_BAD_SHARE_NAME) + "   "},
        // The 32-bit program has no other driver to add.
        {"/install /newport /x86:D:\\x86", sizeof(void*) == 8 ? "install x86=D:\\x86 newport"
                                                            : "refused " + std::to_string(IDS_CMD_X86_ON_X64_ONLY) + " "},
        // Everything is read after a bad option: the refusal itself is quiet and logged.
        {"/bogus /quiet /log:C:\\r.log", "refused " + std::to_string(IDS_CMD_UNKNOWN_OPTION) +
                                             " /bogus quiet log=C:\\r.log"},
    };
    for (const auto& [arguments, expected] : cases)
        EXPECT_EQ(expected, Summary(ParseCommandLine(arguments))) << arguments;
}

}  // namespace
