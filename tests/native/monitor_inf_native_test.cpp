// The monitor INF text scan built natively, run under AddressSanitizer and
// UndefinedBehaviorSanitizer: the shared cases, then a seeded random-mutation pass.
//   monitor_inf_native_test [--mutations N] [--write-corpus DIR]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "monitor_inf_cases.h"
#include "monitor_inf_invariants.h"
#include "package/monitor_inf_text.h"

namespace {

int g_passed = 0;
int g_failed = 0;

std::string Show(const std::string& s)
{
    std::string out;
    for (unsigned char ch : s.substr(0, 60)) {
        if (ch == '\r')
            out += "\\r";
        else if (ch == '\n')
            out += "\\n";
        else if (ch == '\t')
            out += "\\t";
        else if (ch < 32 || ch > 126)
            out += "?";
        else
            out += static_cast<char>(ch);
    }
    if (s.size() > 60)
        out += "...(" + std::to_string(s.size()) + ")";
    return "\"" + out + "\"";
}

bool Same(const char* caseName, const char* what, const std::string& got, const std::string& want)
{
    if (got == want)
        return true;
    std::printf("[  FAILED  ] %s: %s is %s, expected %s\n", caseName, what, Show(got).c_str(),
                Show(want).c_str());
    return false;
}

void RunCase(const monitorinf_cases::Case& c)
{
    monitorinf::ScanResult r = monitorinf::ScanMonitorInfText(c.text, c.major, c.minor);
    bool ok = Same(c.name.c_str(), "monitor name", r.monitorName, c.monitor);
    ok = Same(c.name.c_str(), "option value", r.optionValue, c.option) && ok;
    ok = Same(c.name.c_str(), "dll name", r.dllName, c.dll) && ok;
    ok = Same(c.name.c_str(), "refusal", r.nameTooLong ? "yes" : "no", c.tooLong ? "yes" : "no") && ok;
    if (r.files.size() != c.files.size()) {
        std::printf("[  FAILED  ] %s: %zu files, expected %zu\n", c.name.c_str(), r.files.size(),
                    c.files.size());
        ok = false;
    } else {
        for (size_t i = 0; i < c.files.size(); ++i)
            ok = Same(c.name.c_str(), ("file " + std::to_string(i)).c_str(), r.files[i], c.files[i]) && ok;
    }
    std::string why;
    if (!monitorinf_cases::HoldsInvariants(c.text, r, &why)) {
        std::printf("[  FAILED  ] %s: %s\n", c.name.c_str(), why.c_str());
        ok = false;
    }
    if (ok) {
        ++g_passed;
        std::printf("[       OK ] %s\n", c.name.c_str());
    } else {
        ++g_failed;
    }
}

// Mutates a case text: flips, inserts and deletes bytes, with a bias to the markers.
std::string Mutate(std::string s, std::mt19937& rng)
{
    static const char* const kPieces[] = {"\"", "=", " ", "\r", "\r\n", ";", "[", "]", "-", "2,", ",", "\t",
                                          "" /* a NUL byte */, "[PortMonitors]", "[Options]",
                                          "[SourceDisksFiles]"};
    int edits = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < edits; ++i) {
        size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
        switch (rng() % 4) {
        case 0:
            if (!s.empty() && at < s.size())
                s[at] = static_cast<char>(rng() & 0xFF);
            break;
        case 1: {
            const char* piece = kPieces[rng() % (sizeof kPieces / sizeof kPieces[0])];
            s.insert(at, piece[0] ? std::string(piece) : std::string(1, '\0'));
            break;
        }
        case 2:
            if (!s.empty() && at < s.size())
                s.erase(at, 1 + rng() % 16);
            break;
        default:
            if (!s.empty())
                s = s.substr(0, at);
            break;
        }
    }
    return s;
}

void RunMutations(long count)
{
    std::mt19937 rng(7730);
    std::vector<monitorinf_cases::Case> cases = monitorinf_cases::AllCases();
    long bad = 0;
    for (long i = 0; i < count; ++i) {
        const monitorinf_cases::Case& base = cases[rng() % cases.size()];
        std::string text = Mutate(base.text, rng);
        unsigned minor = rng() % 3;
        monitorinf::ScanResult r = monitorinf::ScanMonitorInfText(text, 5, minor);
        std::string why;
        if (!monitorinf_cases::HoldsInvariants(text, r, &why)) {
            if (++bad <= 5)
                std::printf("[  FAILED  ] mutation %ld: %s\n", i, why.c_str());
        }
    }
    if (bad == 0) {
        ++g_passed;
        std::printf("[       OK ] %ld random mutations (seed 7730)\n", count);
    } else {
        ++g_failed;
        std::printf("[  FAILED  ] %ld of %ld random mutations broke an invariant\n", bad, count);
    }
}

void WriteCorpus(const std::string& dir)
{
    int n = 0;
    for (const monitorinf_cases::Case& c : monitorinf_cases::AllCases()) {
        // The fuzz target reads the version from the first byte.
        std::ofstream out(dir + "/case" + std::to_string(n++), std::ios::binary);
        out.put(static_cast<char>(c.minor));
        out.write(c.text.data(), static_cast<std::streamsize>(c.text.size()));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    long mutations = 20000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--mutations") == 0) {
            mutations = std::atol(argv[i + 1]);
        } else if (std::strcmp(argv[i], "--write-corpus") == 0) {
            WriteCorpus(argv[i + 1]);
            return 0;
        }
    }
    for (const monitorinf_cases::Case& c : monitorinf_cases::AllCases())
        RunCase(c);
    if (mutations > 0)
        RunMutations(mutations);
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
