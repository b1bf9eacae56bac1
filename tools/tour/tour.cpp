// The run command's tour: setup.exe on the sample package, driven as a user would drive it,
// on the machine (Wine prefix) it is given. It installs a printer with a new port made through
// the port monitor's own dialog, prints a RAW test page to it, then copies the driver package
// to a directory. Every page, message box and dialog it meets is saved as a screenshot, and
// what got installed is printed.
//
//   tour.exe PACKAGE_DIR SCREENSHOT_DIR
//
// Exit code 0 when both tasks went through, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sample/kpmonitor_shared.h"
#include "support/scenario_flows.h"
#include "support/scenario_machine.h"
#include "support/ui_driver.h"

namespace {

using namespace scenario;

const char kCopyDestination[] = "C:\\ZRN 7730 driver copy";

class Screenshots {
public:
    explicit Screenshots(std::string dir) : m_dir(std::move(dir)) { CreateDirectoryA(m_dir.c_str(), nullptr); }

    void Take(HWND window, const std::string& name)
    {
        // Let the window paint itself completely before its picture is taken.
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        e2e::Sync(window);
        Sleep(150);
        char number[8];
        std::snprintf(number, sizeof number, "%02d-", ++m_count);
        const std::string target = m_dir + "\\" + number + name + ".bmp";
        const std::string saved = e2e::SaveScreenshot(window, std::string("tour-") + number + name);
        if (saved.empty() || !MoveFileExA(saved.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
            std::printf("   (no screenshot of %s)\n", name.c_str());
            return;
        }
        m_taken.push_back(target);
    }

    const std::vector<std::string>& Taken() const { return m_taken; }

private:
    std::string m_dir;
    int m_count = 0;
    std::vector<std::string> m_taken;
};

std::string PortType(const std::string& port)
{
    const std::string key = std::string(KPMON_PORTS_KEY) + "\\" + port;
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return "?";
    DWORD type = 0, size = sizeof type, kind = 0;
    LONG r = RegQueryValueExA(h, KPMON_VALUE_TYPE, nullptr, &kind, reinterpret_cast<BYTE*>(&type), &size);
    RegCloseKey(h);
    if (r != ERROR_SUCCESS)
        return "?";
    return type == kpmonitor::kTypeUsb ? "USB" : "COM " + std::to_string(type);
}

void Line(const char* what, const std::string& text)
{
    std::printf("  %-16s %s\n", what, text.c_str());
}

bool InstallTask(const std::string& package, Screenshots& shots)
{
    std::printf("== install task: setup.exe in %s\n", package.c_str());
    Wizard wizard;
    wizard.OnScreen([&shots](HWND w, const std::string& name) { shots.Take(w, name); });
    InstallChoices choices;   // the suggested name "ZRN 7730", a new port with the proposed name, USB
    InstallOutcome outcome;
    if (!RunInstall(wizard, package, choices, &outcome)) {
        std::printf("   the install task did not go through: %s\n", wizard.Error().c_str());
        return false;
    }
    std::printf("   spooler question: %s; port made in the monitor's dialog: %s; Printers folder opened: %s\n",
                outcome.spoolerAsked ? "asked, answered Yes" : "not asked", outcome.port.c_str(),
                outcome.printersOpened ? "yes" : "no");

    std::printf("== installed\n");
    bool ok = true;
    PrinterQueue queue;
    if (FindPrinter(choices.printerName, &queue)) {
        Line("printer", "\"" + queue.name + "\" on " + queue.port + ", driver \"" + queue.driver +
                            "\", print processor " + queue.printProcessor + ", data type " + queue.dataType);
    } else {
        Line("printer", "(none named \"" + choices.printerName + "\")");
        ok = false;
    }
    const std::vector<PrinterDriver> drivers = Drivers();
    if (const PrinterDriver* d = FindDriver(drivers, kDriverName)) {
        Line("driver", "\"" + d->name + "\" (" + d->environment + "), default data type " + d->defaultDataType);
        for (const std::string& f : {d->driverPath, d->dataFile, d->configFile, d->helpFile})
            Line("", f);
        for (const std::string& f : d->dependentFiles)
            Line("", "dependent: " + f);
    } else {
        Line("driver", "(none)");
        ok = false;
    }
    const bool processor = Contains(PrintProcessors(), kPrintProcessor);
    Line("print processor",
         processor ? std::string(kPrintProcessor) + ": " + PrintProcessorDirectory() + "\\" + kPrintProcessorFile
                   : "(none)");
    ok = ok && processor;
    const std::vector<PortMonitor> monitors = Monitors();
    if (const PortMonitor* m = FindMonitorByDll(monitors, kMonitorDll)) {
        Line("monitor", "\"" + m->name + "\": " + SystemDirectory() + "\\" + m->dll + ", version " +
                            FileVersionOf(SystemDirectory() + "\\" + m->dll));
    } else {
        Line("monitor", "(none)");
        ok = false;
    }
    const std::vector<SpoolerPort> ports = Ports();
    if (const SpoolerPort* p = FindPort(ports, outcome.port))
        Line("port", p->name + " of \"" + p->monitor + "\", physical port " + PortType(p->name));
    else
        ok = false;
    for (const std::string& inf : InfCopiesOf(package + "\\" + kDriverInf))
        Line("INF", InfDirectory() + "\\" + inf);

    // A RAW page through the new queue, to the monitor's output file for the port.
    const std::string page = "\x1b" "E ZRN 7730 test page from the tour\r\n\f";
    std::string error;
    if (ok && PrintRaw(choices.printerName, page, &error)) {
        const std::string file = MonitorOutputFile(outcome.port);
        const bool arrived = ReadFileBytes(file) == page;
        Line("test page", std::to_string(page.size()) + " bytes printed; " + file +
                              (arrived ? " holds them" : " does NOT hold them"));
        ok = arrived;
    } else {
        Line("test page", "not printed " + error);
        ok = false;
    }
    return ok && outcome.printersOpened;
}

bool CopyTask(const std::string& package, Screenshots& shots)
{
    std::printf("== copy task: setup.exe in %s, destination %s\n", package.c_str(), kCopyDestination);
    Wizard wizard;
    wizard.OnScreen([&shots](HWND w, const std::string& name) {
        // The welcome page was shown once already.
        if (name != "welcome")
            shots.Take(w, name);
    });
    bool opened = false;
    if (!RunCopy(wizard, package, kCopyDestination, &opened)) {
        std::printf("   the copy task did not go through: %s\n", wizard.Error().c_str());
        return false;
    }
    const std::vector<std::string> copied = TreeOf(kCopyDestination);
    std::printf("   %u files and directories copied; directory opened in the shell: %s\n",
                static_cast<unsigned>(copied.size()), opened ? "yes" : "no");
    for (const std::string& name : copied)
        Line("", std::string(kCopyDestination) + "\\" + name);
    return copied == TreeOf(package) && opened;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: tour.exe PACKAGE_DIR SCREENSHOT_DIR\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    const std::string package = argv[1];
    Screenshots shots(argv[2]);

    const bool installed = InstallTask(package, shots);
    const bool copied = CopyTask(package, shots);

    std::printf("== %u screenshots (BMP) saved in %s\n", static_cast<unsigned>(shots.Taken().size()), argv[2]);
    std::printf("== %s\n", installed && copied ? "tour complete" : "tour FAILED");
    return installed && copied ? 0 : 1;
}
