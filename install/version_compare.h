// Comparing version texts such as "1.0.0.1".
#pragma once
#include <string>

// Compares two version texts: below 0 when a is older than b, 0 when they are the same
// version, above 0 when a is newer. Dotted numbers ("1.10", "5.1.2600.0") compare by their
// numbers, component by component, a missing component counting as 0 ("1.9" equals
// "1.9.0"); any other text compares byte by byte, each byte taken as unsigned, a text that
// ends where the other goes on being the smaller.
int CompareVersions(const std::string& a, const std::string& b);

// True for one or more runs of decimal digits separated by single dots.
bool IsDottedNumber(const std::string& text);
