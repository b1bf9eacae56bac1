#include "app/command_line.h"

#include <cstring>

#include "framework/strings.h"
#include "res/resource.h"

namespace {

struct Option {
    const char* name;
    bool takesValue;
};

const Option kOptions[] = {
    {"install", false}, {"copy", true},  {"uninstall", false}, {"name", true}, {"port", true},
    {"newport", false}, {"quiet", false}, {"yes", false},      {"log", true}, {"all", false},
};

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

    const std::string n = option->name;
    if (n == "install")
        return SetTask(line, Task::Install, spelled);
    if (n == "uninstall")
        return SetTask(line, Task::Uninstall, spelled);
    if (n == "copy") {
        line.directory = value;
        return SetTask(line, Task::Copy, spelled);
    }
    if (n == "name")
        line.name = value;
    else if (n == "port")
        line.port = value;
    else if (n == "newport")
        line.newPort = true;
    else if (n == "quiet")
        line.quiet = true;
    else if (n == "yes")
        line.yes = true;
    else if (n == "log")
        line.logFile = value;
    else if (n == "all")
        line.all = true;
    return true;
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
    auto only = [&](const char* name, std::initializer_list<Task> tasks) {
        if (!has(name))
            return true;
        for (Task t : tasks)
            if (line.task == t)
                return true;
        return Refuse(line, IDS_CMD_NOT_FOR_TASK, std::string("/") + name);
    };
    if (!only("name", {Task::Install, Task::Uninstall}) || !only("port", {Task::Install}) ||
        !only("newport", {Task::Install}) || !only("all", {Task::Uninstall}) ||
        !only("quiet", {Task::Install, Task::Copy, Task::Uninstall}) ||
        !only("yes", {Task::Install, Task::Copy, Task::Uninstall}))
        return false;
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
