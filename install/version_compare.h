// Comparing version texts such as "1.0.0.1".
#pragma once
#include <string>

// Compares two version texts: below 0 when a is older than b, 0 when they are the same
// version, above 0 when a is newer. The texts are split at dots and compared component by
// component, a missing component counting as "0" ("1.9" equals "1.9.0"). Within a component
// its leading digits compare as a number of any length, leading zeros ignored ("1.10" is
// newer than "1.9"), then the rest of it byte by byte, each byte unsigned, a rest that ends
// where the other goes on being the smaller ("1.9" is older than "1.9a"). This is a total
// order: any texts compare the same way however they are paired.
int CompareVersions(const std::string& a, const std::string& b);
