#include "app/command_line.h"

#include <cstring>

#include "framework/strings.h"
#include "install/server_options.h"
#include "res/resource.h"

namespace {

// Records why the line is refused; the first reason found is the one told.
bool Refuse(CommandLine& line, UINT id, const std::string& argument = std::string())
{
    if (line.errorId == 0) {
        line.errorId = id;
        line.errorArgument = argument;
    }
    return false;
}

bool SetTask(CommandLine& line, Task task, const std::string& argument)
{
    if (line.task != Task::Wizard && line.task != task)
        return Refuse(line, IDS_CMD_ONE_TASK, argument);
    line.task = task;
    return true;
}

constexpr unsigned Bit(Task task)
{
    return 1u << static_cast<unsigned>(task);
}

constexpr unsigned kTasks = Bit(Task::Install) | Bit(Task::Copy) | Bit(Task::Uninstall);

// One option of the command line: its name, whether it takes a value, the tasks it is
// allowed with, and what it does to the line (false, with the reason, when it cannot).
// A new option is one row here, its field in CommandLine and its line in the usage text.
struct Option {
    const char* name;
    bool takesValue;
    unsigned tasks;
    bool (*take)(CommandLine& line, const std::string& value, const std::string& spelled);
};

// In the order in which options not allowed with the task are told.
const Option kOptions[] = {
    {"install", false, kTasks,
     [](CommandLine& l, const std::string&, const std::string& s) { return SetTask(l, Task::Install, s); }},
    {"copy", true, kTasks,
     [](CommandLine& l, const std::string& v, const std::string& s) {
         l.directory = v;
         return SetTask(l, Task::Copy, s);
     }},
    {"uninstall", false, kTasks,
     [](CommandLine& l, const std::string&, const std::string& s) { return SetTask(l, Task::Uninstall, s); }},
    {"name", true, Bit(Task::Install) | Bit(Task::Uninstall),
     [](CommandLine& l, const std::string& v, const std::string&) { return l.name = v, true; }},
    {"port", true, Bit(Task::Install), [](CommandLine& l, const std::string& v, const std::string&) { return l.port = v, true; }},
    {"newport", false, Bit(Task::Install),
     [](CommandLine& l, const std::string&, const std::string&) { return l.newPort = true; }},
    {"all", false, Bit(Task::Uninstall), [](CommandLine& l, const std::string&, const std::string&) { return l.all = true; }},
    {"quiet", false, kTasks, [](CommandLine& l, const std::string&, const std::string&) { return l.quiet = true; }},
    {"yes", false, kTasks, [](CommandLine& l, const std::string&, const std::string&) { return l.yes = true; }},
    {"log", true, kTasks | Bit(Task::Wizard),
     [](CommandLine& l, const std::string& v, const std::string&) { return l.logFile = v, true; }},
    {"default", false, Bit(Task::Install),
     [](CommandLine& l, const std::string&, const std::string&) { return l.makeDefault = true; }},
    {"share", true, Bit(Task::Install),
     [](CommandLine& l, const std::string& v, const std::string&) {
         l.shareName = v;
         return IsLegalShareName(v) || Refuse(l, IDS_CMD_BAD_SHARE_NAME, v);
     }},
    {"testpage", false, Bit(Task::Install),
     [](CommandLine& l, const std::string&, const std::string&) { return l.testPage = true; }},
    // A 32-bit Windows has no other environment whose driver the program could add.
    {"x86", true, Bit(Task::Install),
     [](CommandLine& l, const std::string& v, const std::string&) {
         l.x86Directory = v;
         return sizeof(void*) == 8 || Refuse(l, IDS_CMD_X86_ON_X64_ONLY);
     }},
};

// Takes one option; false (with the reason) when it cannot be taken.
bool Take(CommandLine& line, const std::string& argument, std::vector<std::string>& seen)
{
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-'))
        return Refuse(line, IDS_CMD_UNKNOWN_OPTION, argument);
    size_t colon = argument.find(':');
    std::string name = argument.substr(1, colon == std::string::npos ? std::string::npos : colon - 1);
    const Option* option = nullptr;
    for (const Option& o : kOptions)
        if (framework::EqualNoCase(name, o.name))
            option = &o;
    if (!option)
        return Refuse(line, IDS_CMD_UNKNOWN_OPTION, argument);
    const std::string spelled = std::string("/") + option->name;
    for (const std::string& s : seen)
        if (s == option->name)
            return Refuse(line, IDS_CMD_OPTION_TWICE, spelled);
    seen.push_back(option->name);

    std::string value = colon == std::string::npos ? std::string() : argument.substr(colon + 1);
    if (option->takesValue && value.empty())
        return Refuse(line, IDS_CMD_NEEDS_VALUE, spelled);
    if (!option->takesValue && colon != std::string::npos)
        return Refuse(line, IDS_CMD_TAKES_NO_VALUE, spelled);

    return option->take(line, value, spelled);
}

// The options that each task takes, checked once every option is read.
bool CheckCombination(CommandLine& line, const std::vector<std::string>& seen)
{
    auto has = [&](const char* name) {
        for (const std::string& s : seen)
            if (s == name)
                return true;
        return false;
    };
    for (const Option& option : kOptions)
        if (has(option.name) && !(option.tasks & Bit(line.task)))
            return Refuse(line, IDS_CMD_NOT_FOR_TASK, std::string("/") + option.name);
    if (line.task == Task::Install && line.port.empty() == !line.newPort)
        return Refuse(line, IDS_CMD_INSTALL_PORT);
    if (line.all && has("name"))
        return Refuse(line, IDS_CMD_ALL_OR_NAME);
    return true;
}

}  // namespace

std::vector<std::string> SplitArguments(const std::string& arguments)
{
    std::vector<std::string> out;
    std::string current;
    bool quoted = false;
    bool any = false;
    for (char c : arguments) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            if (any)
                out.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        out.push_back(current);
    return out;
}

CommandLine ParseCommandLine(const std::string& arguments)
{
    CommandLine line;
    const std::vector<std::string> all = SplitArguments(arguments);
    for (const std::string& argument : all) {
        if (argument == "/?" || argument == "-?") {
            line.task = Task::Usage;  // whatever else the line holds, but /quiet
            for (const std::string& other : all)
                line.quiet = line.quiet || framework::EqualNoCase(other, "/quiet") || framework::EqualNoCase(other, "-quiet");
            return line;
        }
    }
    // Every argument is read, also after a bad one: /quiet and /log still tell how to
    // refuse the line.
    std::vector<std::string> seen;
    for (const std::string& argument : all)
        Take(line, argument, seen);
    if (line.errorId == 0)
        CheckCombination(line, seen);
    return line;
}
