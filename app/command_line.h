// The command line of setup.exe. Without arguments the program is the wizard; with a task it
// installs, copies or uninstalls without the pages, for scripts and administrators.
//
//   /install [/name:NAME] (/port:PORT | /newport) [/default] [/share:NAME] [/testpage] [/x86:DIR]
//   /copy:DIR   /uninstall [/name:NAME | /all]   /quiet  /yes  /log:FILE  /?
//
// Options start with "/" or "-", their names are matched without regard to case, and a value
// follows a colon; quotes keep spaces together and are removed ("/name:My printer" in quotes,
// or /name:"My printer").
#pragma once
#include <string>
#include <vector>

#include "platform/win.h"

enum class Task {
    Wizard,     // no task given: the pages (a log may still be asked for)
    Install,
    Copy,
    Uninstall,
    Usage,      // /?
};

struct CommandLine {
    Task task = Task::Wizard;
    std::string name;        // /name, empty when not given (the model name then)
    std::string port;        // /port
    bool newPort = false;    // /newport
    std::string directory;   // /copy:DIR
    std::string logFile;     // /log:FILE
    bool quiet = false;      // /quiet: no page, no message box
    bool yes = false;        // /yes: every question answered Yes
    bool all = false;        // /all: every printer of the package's driver (uninstall)
    bool makeDefault = false;   // /default: the printer becomes the user's default
    std::string shareName;      // /share:NAME
    bool testPage = false;      // /testpage
    std::string x86Directory;   // /x86:DIR: the x86 package whose driver is added (x64 only)

    // Why the line was refused: a string-table text with %s for errorArgument; 0 when good.
    UINT errorId = 0;
    std::string errorArgument;
};

// The arguments split as the command line groups them: blanks separate, quotes group and
// are removed.
std::vector<std::string> SplitArguments(const std::string& arguments);

// Reads the arguments (the command line after the program's name).
CommandLine ParseCommandLine(const std::string& arguments);
