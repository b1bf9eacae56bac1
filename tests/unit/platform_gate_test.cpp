// Start-up: only Windows NT 5.x runs the wizard.
#include <gtest/gtest.h>

#include "app/install_status.h"
#include "seam_fakes.h"
#include "support/fake_wizard.h"
#include "support/scoped_api.h"
#include "support/wizard_texts.h"

namespace {

struct GateResult {
    bool wizardRan;
    std::vector<seamfakes::Box> boxes;
};

GateResult RunGate(DWORD platform, DWORD major, DWORD minor, bool versionCallFails = false)
{
    platform::ScopedApi api;
    GateResult r{false, {}};
    api->GetVersionExA = [=](LPOSVERSIONINFOA v) -> BOOL {
        if (versionCallFails)
            return FALSE;
        v->dwPlatformId = platform;
        v->dwMajorVersion = major;
        v->dwMinorVersion = minor;
        return TRUE;
    };
    seamfakes::RecordBoxes(*api, r.boxes);
    fakes::FakeWizardApp app;
    app.welcome->ThenResult(PAGE_CANCEL);
    EXPECT_FALSE(app.InitInstance());
    r.wizardRan = app.welcome->shown > 0;
    if (r.wizardRan) {
        EXPECT_EQ(app.m_szDriverName, "ZRN 7730");
        EXPECT_EQ(app.m_nTask, 0u);
    }
    return r;
}

TEST(PlatformGate, WindowsNt5RunsTheWizard)
{
    for (DWORD minor : {0u, 1u, 2u}) {
        GateResult r = RunGate(VER_PLATFORM_WIN32_NT, 5, minor);
        EXPECT_TRUE(r.wizardRan) << "5." << minor;
        EXPECT_TRUE(r.boxes.empty());
    }
}

TEST(PlatformGate, OtherSystemsAreRefusedWithTheMessage)
{
    struct {
        DWORD platform, major, minor;
        bool fails;
    } refused[] = {
        {VER_PLATFORM_WIN32_NT, 4, 0, false},      {VER_PLATFORM_WIN32_WINDOWS, 4, 10, false},
        {VER_PLATFORM_WIN32_WINDOWS, 5, 0, false}, {VER_PLATFORM_WIN32_NT, 6, 0, false},
        {VER_PLATFORM_WIN32_NT, 6, 1, false},      {VER_PLATFORM_WIN32_NT, 10, 0, false},
        {VER_PLATFORM_WIN32_NT, 5, 1, true},  // the version call failed: zeroed record
    };
    for (const auto& c : refused) {
        GateResult r = RunGate(c.platform, c.major, c.minor, c.fails);
        EXPECT_FALSE(r.wizardRan) << c.platform << " " << c.major << "." << c.minor;
        ASSERT_EQ(r.boxes.size(), 1u);
        EXPECT_EQ(r.boxes[0].text, texts::kWrongSystem);
        EXPECT_EQ(r.boxes[0].caption, texts::kBoxCaption);
        EXPECT_EQ(r.boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
        EXPECT_EQ(r.boxes[0].owner, nullptr);
    }
}

}  // namespace

// Windows 2000 lacks SetupUninstallOEMInfA: the seam looks it up when called, so that the
// program still starts there, and reaches the system's function where it exists.
TEST(LateBoundCallTest, ReachesTheSystemsFunction)
{
    EXPECT_FALSE(platform::RealApi().SetupUninstallOEMInfA(nullptr, 0, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}
