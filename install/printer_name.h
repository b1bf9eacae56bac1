// The rules that a new printer's name must pass, for the printer page and the command line.
#pragma once
#include <string>

#include "platform/win.h"

// Longest printer name.
constexpr int kMaxPrinterNameLength = 220;

// True when a printer may be created under this (trimmed) name. Otherwise tells the user
// why (owned by owner, through the steps' feedback) and returns false. The rules, first
// match wins: empty; a printer the spooler opens under that name; one of = , ; \ * ? / < > | " :
// or longer than kMaxPrinterNameLength.
bool ValidatePrinterName(HWND owner, const std::string& name);

// The last rule alone: no forbidden character, at most kMaxPrinterNameLength characters.
bool IsLegalPrinterName(const std::string& name);
