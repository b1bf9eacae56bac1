// Cases of the monitor INF text scan, shared by the native (sanitized) test program and
// the unit tests that run under Wine. Plain standard C++.
#pragma once
#include <initializer_list>
#include <string>
#include <vector>

namespace monitorinf_cases {

struct Case {
    std::string name;
    std::string text;
    unsigned major;
    unsigned minor;
    std::vector<std::string> files;
    std::string dll;
    std::string monitor;
    std::string option;
    bool tooLong = false;  // a name longer than 259 characters refuses the whole scan
};

// Lines joined and ended by CR LF, as an INF written on Windows has them.
inline std::string Crlf(std::initializer_list<std::string> lines)
{
    std::string out;
    for (const std::string& l : lines)
        out += l + "\r\n";
    return out;
}

// The text with the first occurrence of `from` replaced (the case must contain it).
inline std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    size_t at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

const char kMonitor[] = "ZRN 7730 Language/Port Monitor";

// monitorxp.inf as the package ships it: the [PortMonitors] layout.
inline std::string XpInf()
{
    return Crlf({"; ZRN 7730 Language/Port Monitor for Windows XP",
                 "[Version]",
                 "Signature=\"$Windows NT$\"",
                 "Class=Printer",
                 "Provider=%ZRN%",
                 "",
                 "[PortMonitors]",
                 "\"ZRN 7730 Language/Port Monitor\" = ZRNKPMON.DLL",
                 "",
                 "[SourceDisksNames]",
                 "1=\"ZRN 7730 Printer Software\",,",
                 "",
                 "[SourceDisksFiles]",
                 "ZRNKPMON.DLL = 1",
                 "ZRNKPMUI.DLL = 1",
                 "ZRNKPRES.DLL=1,,",
                 "",
                 "; end of the file list",
                 "[Strings]",
                 "ZRN=\"ZRN\""});
}

// monitor.inf as the package ships it: the [Options] layout.
inline std::string W2kInf()
{
    return Crlf({"; ZRN 7730 Language/Port Monitor for Windows 2000",
                 "[Identification]",
                 "OptionType = MONITOR",
                 "",
                 "[Options]",
                 "\"ZRN 7730 Language/Port Monitor\" = ZRNMON",
                 "",
                 "[Files-ZRNMON]",
                 "2,ZRNKPMON.DLL , SIZE=40000",
                 "2,ZRNKPMUI.DLL , SIZE=30000",
                 "",
                 "[MonitorDll-ZRNMON]",
                 "2,ZRNKPMON.DLL,SIZE=40000",
                 "",
                 "[Source Media Descriptions]",
                 "1 = \"ZRN 7730 Printer Software\""});
}

const std::vector<std::string> kXpFiles = {"ZRNKPMON.DLL", "ZRNKPMUI.DLL", "ZRNKPRES.DLL"};
const std::vector<std::string> kW2kFiles = {"ZRNKPMON.DLL", "ZRNKPMUI.DLL"};

// A text that is exactly `size` bytes long: `head`, then comment lines of padding.
inline std::string PaddedTo(const std::string& head, size_t size)
{
    std::string out = head;
    while (out.size() + 40 <= size)
        out += "; ----------------------------------\r\n";  // 38 bytes
    out.append(size - out.size(), ' ');
    return out;
}

inline std::vector<Case> AllCases()
{
    const std::string xp = XpInf();
    const std::string w2k = W2kInf();
    std::vector<Case> c;

    // The two layouts, each on the version that reads it.
    c.push_back({"xp layout on 5.1", xp, 5, 1, kXpFiles, "ZRNKPMON.DLL", kMonitor, "ZRNKPMON.DLL"});
    c.push_back({"2000 layout on 5.0", w2k, 5, 0, kW2kFiles, "ZRNKPMON.DLL", kMonitor, "ZRNMON"});
    // Server 2003 and XP x64 read monitorxp.inf, in its own layout.
    c.push_back({"xp layout on 5.2", xp, 5, 2, kXpFiles, "ZRNKPMON.DLL", kMonitor, "ZRNKPMON.DLL"});
    c.push_back({"xp layout on 5.0 has no [Options]", xp, 5, 0, {}, "", "", ""});
    c.push_back({"2000 layout on 5.1 has no [PortMonitors]", w2k, 5, 1, {}, "", "", ""});

    // The DLL name: fixed on 5.1, read from the first "2," after the file section on 5.0.
    c.push_back({"5.1 dll name whatever the INF says",
                 Replace(xp, "= ZRNKPMON.DLL", "= OTHERMON.DLL"), 5, 1, kXpFiles, "ZRNKPMON.DLL", kMonitor,
                 "OTHERMON.DLL"});
    c.push_back({"5.0 dll name from the first 2, after the file section",
                 Replace(w2k, "2,ZRNKPMON.DLL,SIZE", "1,X,2,OTHERMON.DLL,SIZE"), 5, 0, kW2kFiles,
                 "OTHERMON.DLL", kMonitor, "ZRNMON"});
    c.push_back({"5.0 dll name needs one character before its comma",
                 Replace(w2k, "2,ZRNKPMON.DLL,SIZE", "2,,K,"), 5, 0, kW2kFiles, ",K", kMonitor, "ZRNMON"});

    // "2," anywhere in the [Options] file section starts a name.
    c.push_back({"2, in the middle of a line",
                 Replace(w2k, "2,ZRNKPMUI.DLL , SIZE=30000", "1,SKIPPED.DLL 2,ZRNKPMUI.DLL , SIZE=30000"), 5,
                 0, kW2kFiles, "ZRNKPMON.DLL", kMonitor, "ZRNMON"});
    c.push_back({"2, after a comma of another field",
                 Replace(w2k, "SIZE=30000", "SIZE=30002,EXTRA.DLL x"), 5, 0,
                 {"ZRNKPMON.DLL", "ZRNKPMUI.DLL", "EXTRA.DLL"}, "ZRNKPMON.DLL", kMonitor, "ZRNMON"});

    // The value after "=": spaces skipped, a tab kept, trailing spaces kept.
    c.push_back({"tab after = kept", Replace(xp, "= ZRNKPMON.DLL", "=\tZRNKPMON.DLL"), 5, 1, kXpFiles,
                 "ZRNKPMON.DLL", kMonitor, "\tZRNKPMON.DLL"});
    c.push_back({"trailing spaces kept", Replace(xp, "= ZRNKPMON.DLL", "=   ZRNKPMON.DLL  "), 5, 1,
                 kXpFiles, "ZRNKPMON.DLL", kMonitor, "ZRNKPMON.DLL  "});
    c.push_back({"trailing spaces are part of the section name looked for",
                 Replace(w2k, "= ZRNMON", "= ZRNMON  "), 5, 0, {}, "", kMonitor, "ZRNMON  "});
    c.push_back({"no space after =", Replace(w2k, "= ZRNMON", "=ZRNMON"), 5, 0, kW2kFiles, "ZRNKPMON.DLL",
                 kMonitor, "ZRNMON"});

    // UTF-16 text ends at its first NUL byte: nothing is found.
    {
        std::string wide = "\xFF\xFE";
        for (char ch : xp) {
            wide += ch;
            wide += '\0';
        }
        c.push_back({"UTF-16 finds nothing on 5.1", wide, 5, 1, {}, "", "", ""});
        std::string wide2 = "\xFF\xFE";
        for (char ch : w2k) {
            wide2 += ch;
            wide2 += '\0';
        }
        c.push_back({"UTF-16 finds nothing on 5.0", wide2, 5, 0, {}, "", "", ""});
    }
    c.push_back({"text ends at a NUL byte", Replace(xp, "[SourceDisksFiles]", std::string("\0[Source", 8)), 5,
                 1, {}, "", kMonitor, "ZRNKPMON.DLL"});

    // Only the first 26000 bytes are scanned.
    {
        std::string pre = xp.substr(0, xp.find("[SourceDisksFiles]"));
        std::string entries =
            Crlf({"[SourceDisksFiles]", "ZRNKPMON.DLL = 1", "ZRNKPMUI.DLL = 1", "ZRNKPRES.DLL=1,,", ""});
        std::string after = ";\r\n[Strings]\r\n";
        // The ';' that closes the entries at byte 25999, the last one scanned, and at 26000.
        c.push_back({"closing ; at byte 25999 is seen", PaddedTo(pre, 25999 - entries.size()) + entries + after, 5,
                     1, kXpFiles, "ZRNKPMON.DLL", kMonitor, "ZRNKPMON.DLL"});
        c.push_back({"closing ; at byte 26000 is not seen", PaddedTo(pre, 26000 - entries.size()) + entries + after,
                     5, 1, {}, "", kMonitor, "ZRNKPMON.DLL"});
        c.push_back({"markers after byte 26000 are not seen", PaddedTo("; padding\r\n", 26000) + xp, 5, 1, {}, "",
                     "", ""});
    }

    // Every marker missing in turn, [PortMonitors] layout.
    c.push_back({"xp: no header", Replace(xp, "[PortMonitors]", "[PortMonitor]"), 5, 1, {}, "", "", ""});
    c.push_back({"xp: no quote after the header",
                 xp.substr(0, xp.find("[PortMonitors]")) + "[PortMonitors]\r\nMonitor = X\r\n", 5, 1, {}, "",
                 "", ""});
    {
        // Only the first quote after the header left: no closing quote anywhere behind it.
        std::string t = xp.substr(0, xp.find("[PortMonitors]")) + "[PortMonitors]\r\n\"Monitor = X\r\n";
        c.push_back({"xp: no closing quote", t, 5, 1, {}, "", "", ""});
    }
    {
        std::string t = xp.substr(0, xp.find("\"ZRN 7730 Language/Port Monitor\" =")) + "\"Mon\"";
        c.push_back({"xp: no =", t, 5, 1, {}, "", "Mon", ""});
        c.push_back({"xp: no CR after the value", t + " = VALUE\n", 5, 1, {}, "", "Mon", ""});
    }
    c.push_back({"xp: no [SourceDisksFiles]", Replace(xp, "[SourceDisksFiles]", "[SourceDiskFiles]"), 5, 1, {},
                 "", kMonitor, "ZRNKPMON.DLL"});
    c.push_back({"xp: no ; after the entries", xp.substr(0, xp.find("; end")), 5, 1, {}, "", kMonitor,
                 "ZRNKPMON.DLL"});
    c.push_back({"xp: no = after an entry",
                 Replace(xp.substr(0, xp.find("[Strings]")), "ZRNKPRES.DLL=1,,", "ZRNKPRES.DLL"), 5, 1,
                 {"ZRNKPMON.DLL", "ZRNKPMUI.DLL"}, "", kMonitor, "ZRNKPMON.DLL"});

    // [SourceDisksFiles] entries: the blank line before ';', the empty name.
    c.push_back({"xp: last entry read without a blank line before ;",
                 Replace(xp, "ZRNKPRES.DLL=1,,\r\n\r\n", "ZRNKPRES.DLL=1,,\r\n"), 5, 1, kXpFiles,
                 "ZRNKPMON.DLL", kMonitor, "ZRNKPMON.DLL"});
    c.push_back({"xp: an entry beginning with a space is skipped, the rest kept",
                 Replace(xp, "ZRNKPMUI.DLL = 1", " ZRNKPMUI.DLL = 1"), 5, 1, {"ZRNKPMON.DLL", "ZRNKPRES.DLL"},
                 "ZRNKPMON.DLL", kMonitor, "ZRNKPMON.DLL"});
    c.push_back({"xp: ; right after the header", Replace(xp, "[SourceDisksFiles]\r\n", "[SourceDisksFiles] ;\r\n"),
                 5, 1, {}, "ZRNKPMON.DLL", kMonitor, "ZRNKPMON.DLL"});

    // Every marker missing in turn, [Options] layout.
    c.push_back({"2000: no header", Replace(w2k, "[Options]", "[Option]"), 5, 0, {}, "", "", ""});
    c.push_back({"2000: no =", w2k.substr(0, w2k.find(" = ZRNMON")), 5, 0, {}, "", kMonitor, ""});
    c.push_back({"2000: no file section",
                 Replace(Replace(w2k, "[Files-ZRNMON]", "[Files ZRNMON]"), "[MonitorDll-", "[MonitorDll "), 5, 0,
                 {}, "", kMonitor, "ZRNMON"});
    c.push_back({"2000: file section last in the file", w2k.substr(0, w2k.find("[MonitorDll")), 5, 0, {}, "",
                 kMonitor, "ZRNMON"});
    c.push_back({"2000: no space after a name",
                 w2k.substr(0, w2k.find("[Files-ZRNMON]")) + "[Files-ZRNMON]\r\n2,A.DLL \r\n2,B.DLL\r\n[X]", 5,
                 0, {"A.DLL"}, "", kMonitor, "ZRNMON"});
    c.push_back({"2000: no 2, after the file section", Replace(w2k, "2,ZRNKPMON.DLL,SIZE", "1,ZRNKPMON.DLL,SIZE"),
                 5, 0, kW2kFiles, "", kMonitor, "ZRNMON"});
    c.push_back({"2000: no comma after the dll name", w2k.substr(0, w2k.find("2,ZRNKPMON.DLL,SIZE")) + "2,X", 5,
                 0, kW2kFiles, "", kMonitor, "ZRNMON"});
    c.push_back({"2000: 2, with an empty name is skipped", Replace(w2k, "2,ZRNKPMON.DLL , SIZE", "2, SIZE"), 5,
                 0, {"ZRNKPMUI.DLL"}, "ZRNKPMON.DLL", kMonitor, "ZRNMON"});

    // A name longer than its field (259 characters) is never cut, which would name another
    // file: it refuses the whole scan. One of 259 is kept; a long list is kept whole.
    {
        std::string l260(260, 'L');
        std::string l259(259, 'L');
        c.push_back({"long monitor name", Replace(xp, "\"" + std::string(kMonitor) + "\"", "\"" + l260 + "\""), 5, 1, {}, "", "",
                     "", true});
        c.push_back({"long option value", Replace(xp, "= ZRNKPMON.DLL", "= " + l260), 5, 1, {}, "", "", "", true});
        c.push_back({"long file name", Replace(xp, "ZRNKPMUI.DLL = 1", l260 + " = 1"), 5, 1, {}, "", "", "", true});
        c.push_back({"file name of 259 characters", Replace(xp, "ZRNKPMUI.DLL = 1", l259 + " = 1"), 5, 1,
                     {"ZRNKPMON.DLL", l259, "ZRNKPRES.DLL"}, "ZRNKPMON.DLL", kMonitor, "ZRNKPMON.DLL"});
        c.push_back({"long dll name on 5.0", Replace(w2k, "2,ZRNKPMON.DLL,SIZE", "2," + l260 + ",SIZE"), 5, 0, {}, "",
                     "", "", true});

        std::string entries;
        std::vector<std::string> many;
        for (int i = 0; i < 500; ++i) {
            std::string n = "ZRNFILE" + std::to_string(1000 + i) + ".DLL";  // 15 bytes
            entries += n + " = 1\r\n";
            many.push_back(n);
        }
        std::string t = Replace(xp, "ZRNKPMON.DLL = 1\r\nZRNKPMUI.DLL = 1\r\nZRNKPRES.DLL=1,,\r\n", entries);
        c.push_back({"a file list longer than 6500 bytes is kept whole", t, 5, 1, many, "ZRNKPMON.DLL", kMonitor,
                     "ZRNKPMON.DLL"});
    }

    // Degenerate texts.
    c.push_back({"empty text", "", 5, 1, {}, "", "", ""});
    c.push_back({"header at the very end", "[PortMonitors]", 5, 1, {}, "", "", ""});
    c.push_back({"[SourceDisksFiles] at the very end", Replace(xp, "[SourceDisksFiles]", "") + "[SourceDisksFiles]",
                 5, 1, {}, "", kMonitor, "ZRNKPMON.DLL"});
    c.push_back({"value at the very end", "[Options]\"M\"=", 5, 0, {}, "", "M", ""});
    c.push_back({"spaces up to the end", "[Options]\"M\"=    ", 5, 0, {}, "", "M", ""});
    c.push_back({"2, at the end of the file section", "[Options]\"M\"=V\r\n[a-V]x 2,[", 5, 0, {}, "", "M", "V"});
    c.push_back({"2, at the very end", "[Options]\"M\"=V\r\n[a-V]\r\n[b]2,", 5, 0, {}, "", "M", "V"});
    return c;
}

}  // namespace monitorinf_cases
