// What setup.exe does with its command line: the wizard when there is none; otherwise the
// usage, the refusal of a bad line, the wizard with a log, or a task without the pages.
#pragma once
#include <string>

#include "install/exit_codes.h"

class WizardApp;

// Runs the program for the arguments (the command line after the program's name) and
// returns the process's exit code.
ExitCode RunProgram(WizardApp& app, const std::string& arguments);
