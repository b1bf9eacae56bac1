// The administrator check: the descriptor it builds, the token it uses, and what it answers,
// with the token and the access check scripted and the descriptor built by the real calls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/install_rights.h"
#include "app/install_status.h"
#include "app/wizard_app.h"
#include "support/scoped_api.h"

namespace {

using Calls = std::vector<std::string>;

HANDLE FakeHandle(uintptr_t v)
{
    return reinterpret_cast<HANDLE>(v);
}

const HANDLE kThreadToken = FakeHandle(0x1100);
const HANDLE kProcessToken = FakeHandle(0x2200);
const HANDLE kCopiedToken = FakeHandle(0x3300);

// The descriptor grants read and write to S-1-5-32-<rid> only, and names it owner and group.
void ExpectDescriptorFor(PSECURITY_DESCRIPTOR sd, DWORD rid)
{
    SID_IDENTIFIER_AUTHORITY nt = {SECURITY_NT_AUTHORITY};
    PSID expected = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, rid, 0, 0, 0, 0, 0, 0, &expected));
    BOOL present = FALSE, defaulted = TRUE;
    PACL acl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(sd, &present, &acl, &defaulted));
    EXPECT_TRUE(present);
    EXPECT_FALSE(defaulted);
    ASSERT_NE(acl, nullptr);
    EXPECT_EQ(acl->AclRevision, ACL_REVISION2);
    ASSERT_EQ(acl->AceCount, 1);
    void* ace = nullptr;
    ASSERT_TRUE(GetAce(acl, 0, &ace));
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(allowed->Mask, 3u);
    EXPECT_TRUE(EqualSid(&allowed->SidStart, expected));
    PSID owner = nullptr, group = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorOwner(sd, &owner, &defaulted));
    EXPECT_TRUE(owner && EqualSid(owner, expected));
    ASSERT_TRUE(GetSecurityDescriptorGroup(sd, &group, &defaulted));
    EXPECT_TRUE(group && EqualSid(group, expected));
    FreeSid(expected);
}

class InstallRightsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        api->ImpersonateSelf = [this](SECURITY_IMPERSONATION_LEVEL level) {
            EXPECT_EQ(level, SecurityImpersonation);
            calls.push_back("impersonate");
            return impersonates;
        };
        api->RevertToSelf = [this]() {
            calls.push_back("revert");
            return TRUE;
        };
        api->OpenThreadToken = [this](HANDLE thread, DWORD access, BOOL asSelf, PHANDLE out) {
            EXPECT_EQ(thread, GetCurrentThread());
            EXPECT_EQ(access, static_cast<DWORD>(TOKEN_QUERY));
            EXPECT_FALSE(asSelf);
            calls.push_back("thread token");
            if (threadTokenError) {
                SetLastError(threadTokenError);
                return FALSE;
            }
            *out = kThreadToken;
            return TRUE;
        };
        api->OpenProcessToken = [this](HANDLE process, DWORD access, PHANDLE out) {
            EXPECT_EQ(process, GetCurrentProcess());
            EXPECT_EQ(access, static_cast<DWORD>(TOKEN_QUERY | TOKEN_DUPLICATE));
            calls.push_back("process token");
            if (!processTokenOk) {
                SetLastError(ERROR_ACCESS_DENIED);
                return FALSE;
            }
            *out = kProcessToken;
            return TRUE;
        };
        api->DuplicateToken = [this](HANDLE token, SECURITY_IMPERSONATION_LEVEL level, PHANDLE out) {
            EXPECT_EQ(token, kProcessToken);
            EXPECT_EQ(level, SecurityIdentification);
            calls.push_back("copy token");
            if (!duplicateOk) {
                SetLastError(ERROR_NOT_ENOUGH_MEMORY);
                return FALSE;
            }
            *out = kCopiedToken;
            return TRUE;
        };
        api->CloseHandle = [this](HANDLE h) {
            closed.push_back(h);
            return TRUE;
        };
        api->FreeSid = [this](PSID sid) {
            ++sidsFreed;
            return FreeSid(sid);
        };
        api->LocalFree = [this](HLOCAL h) {
            ++localsFreed;
            return LocalFree(h);
        };
        api->AccessCheck = [this](PSECURITY_DESCRIPTOR sd, HANDLE token, DWORD desired, PGENERIC_MAPPING mapping,
                                  PPRIVILEGE_SET privileges, LPDWORD privilegesLength, LPDWORD granted,
                                  LPBOOL status) {
            calls.push_back("access check");
            checkedToken = token;
            ExpectDescriptorFor(sd, DOMAIN_ALIAS_RID_ADMINS);
            EXPECT_EQ(desired, 1u);
            EXPECT_EQ(mapping->GenericRead, 1u);
            EXPECT_EQ(mapping->GenericWrite, 2u);
            EXPECT_EQ(mapping->GenericExecute, 0u);
            EXPECT_EQ(mapping->GenericAll, 3u);
            EXPECT_NE(privileges, nullptr);
            EXPECT_EQ(*privilegesLength, 20u);
            if (accessCheckError) {
                SetLastError(accessCheckError);
                return FALSE;
            }
            *granted = member ? 1 : 0;
            *status = member;
            return TRUE;
        };
    }

    // Everything obtained was released: the token, the identifier, the descriptor and the list.
    void ExpectReleased(size_t locals = 2)
    {
        EXPECT_EQ(sidsFreed, 1);
        EXPECT_EQ(localsFreed, static_cast<int>(locals));
        EXPECT_EQ(closed, std::vector<HANDLE>{kThreadToken});
    }

    platform::ScopedApi api;
    BOOL impersonates = TRUE;
    DWORD threadTokenError = 0;
    bool processTokenOk = true;
    bool duplicateOk = true;
    DWORD accessCheckError = 0;
    BOOL member = TRUE;

    Calls calls;
    std::vector<HANDLE> closed;
    HANDLE checkedToken = nullptr;
    int sidsFreed = 0;
    int localsFreed = 0;
};

TEST_F(InstallRightsTest, AdministratorIsGrantedAccess)
{
    EXPECT_TRUE(IsAdministrator(DOMAIN_ALIAS_RID_ADMINS));
    EXPECT_EQ(calls, (Calls{"impersonate", "thread token", "access check", "revert"}));
    EXPECT_EQ(checkedToken, kThreadToken);
    ExpectReleased();
}

TEST_F(InstallRightsTest, StandardUserIsRefused)
{
    member = FALSE;
    EXPECT_FALSE(IsAdministrator(DOMAIN_ALIAS_RID_ADMINS));
    EXPECT_EQ(calls.back(), "revert");
    ExpectReleased();
}

TEST_F(InstallRightsTest, FailedAccessCheckWritesTheDiagnosticLineAndEndsTheImpersonation)
{
    accessCheckError = ERROR_INVALID_SECURITY_DESCR;
    testing::internal::CaptureStdout();
    BOOL result = IsAdministrator(DOMAIN_ALIAS_RID_ADMINS);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(result);
    EXPECT_EQ(out, "AccessCheck() failed with error 1338\n");
    EXPECT_EQ(calls.back(), "revert");
    ExpectReleased();
}

TEST_F(InstallRightsTest, ThreadWithoutATokenUsesACopyOfTheProcessToken)
{
    threadTokenError = ERROR_NO_TOKEN;
    EXPECT_TRUE(IsAdministrator(DOMAIN_ALIAS_RID_ADMINS));
    EXPECT_EQ(calls, (Calls{"impersonate", "thread token", "process token", "copy token", "access check", "revert"}));
    EXPECT_EQ(checkedToken, kCopiedToken);
    EXPECT_EQ(closed, (std::vector<HANDLE>{kProcessToken, kCopiedToken}));

    member = FALSE;
    EXPECT_FALSE(IsAdministrator(DOMAIN_ALIAS_RID_ADMINS));
}

TEST_F(InstallRightsTest, TokenThatCannotBeOpenedRefuses)
{
    threadTokenError = ERROR_ACCESS_DENIED;  // not "no token": the process token is not tried
    EXPECT_FALSE(IsAdministrator(DOMAIN_ALIAS_RID_ADMINS));
    EXPECT_EQ(calls, (Calls{"impersonate", "thread token", "revert"}));

    calls.clear();
    threadTokenError = ERROR_NO_TOKEN;
    processTokenOk = false;
    EXPECT_FALSE(IsAdministrator(DOMAIN_ALIAS_RID_ADMINS));
    EXPECT_EQ(calls, (Calls{"impersonate", "thread token", "process token", "revert"}));

    calls.clear();
    processTokenOk = true;
    duplicateOk = false;
    EXPECT_FALSE(IsAdministrator(DOMAIN_ALIAS_RID_ADMINS));
    EXPECT_EQ(calls, (Calls{"impersonate", "thread token", "process token", "copy token", "revert"}));
    EXPECT_EQ(closed, std::vector<HANDLE>{kProcessToken});
    EXPECT_EQ(sidsFreed, 0);
}

TEST_F(InstallRightsTest, WithoutImpersonationThereIsNothingToRevert)
{
    impersonates = FALSE;
    threadTokenError = ERROR_NO_TOKEN;
    EXPECT_TRUE(IsAdministrator(DOMAIN_ALIAS_RID_ADMINS));
    EXPECT_EQ(calls, (Calls{"impersonate", "thread token", "process token", "copy token", "access check"}));
}

// Each step that builds the descriptor can fail; the check then refuses, without an access
// check, and still releases what it obtained and ends the impersonation.
TEST_F(InstallRightsTest, FailingDescriptorStepRefusesAndReleasesEverything)
{
    struct Step {
        const char* name;
        std::function<void(platform::Api&)> fail;
        int sids;
        int locals;
    };
    const std::vector<Step> steps = {
        {"AllocateAndInitializeSid",
         [](platform::Api& a) {
             a.AllocateAndInitializeSid = [](PSID_IDENTIFIER_AUTHORITY, BYTE, DWORD, DWORD, DWORD, DWORD, DWORD,
                                             DWORD, DWORD, DWORD, PSID*) { return FALSE; };
         },
         0, 0},
        {"LocalAlloc (descriptor)",
         [](platform::Api& a) { a.LocalAlloc = [](UINT, SIZE_T) -> HLOCAL { return nullptr; }; }, 1, 0},
        {"LocalAlloc (list)",
         [](platform::Api& a) {
             auto real = a.LocalAlloc;
             a.LocalAlloc = [real](UINT flags, SIZE_T n) -> HLOCAL {
                 return n == SECURITY_DESCRIPTOR_MIN_LENGTH ? real(flags, n) : nullptr;
             };
         },
         1, 1},
        {"InitializeSecurityDescriptor",
         [](platform::Api& a) { a.InitializeSecurityDescriptor = [](PSECURITY_DESCRIPTOR, DWORD) { return FALSE; }; },
         1, 1},
        {"InitializeAcl", [](platform::Api& a) { a.InitializeAcl = [](PACL, DWORD, DWORD) { return FALSE; }; }, 1,
         2},
        {"AddAccessAllowedAce",
         [](platform::Api& a) { a.AddAccessAllowedAce = [](PACL, DWORD, DWORD, PSID) { return FALSE; }; }, 1, 2},
        {"SetSecurityDescriptorDacl",
         [](platform::Api& a) {
             a.SetSecurityDescriptorDacl = [](PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL) { return FALSE; };
         },
         1, 2},
        {"IsValidSecurityDescriptor",
         [](platform::Api& a) { a.IsValidSecurityDescriptor = [](PSECURITY_DESCRIPTOR) { return FALSE; }; }, 1, 2},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        platform::ScopedApi inner;
        step.fail(*inner);
        calls.clear();
        closed.clear();
        sidsFreed = localsFreed = 0;
        EXPECT_FALSE(IsAdministrator(DOMAIN_ALIAS_RID_ADMINS));
        EXPECT_EQ(calls, (Calls{"impersonate", "thread token", "revert"}));
        EXPECT_EQ(sidsFreed, step.sids);
        EXPECT_EQ(localsFreed, step.locals);
        EXPECT_EQ(closed, std::vector<HANDLE>{kThreadToken});
    }
}

TEST_F(InstallRightsTest, OwnerAndGroupResultsAreNotTested)
{
    api->SetSecurityDescriptorOwner = [](PSECURITY_DESCRIPTOR, PSID, BOOL) { return FALSE; };
    api->SetSecurityDescriptorGroup = [](PSECURITY_DESCRIPTOR, PSID, BOOL) { return FALSE; };
    api->AccessCheck = [](PSECURITY_DESCRIPTOR, HANDLE, DWORD, PGENERIC_MAPPING, PPRIVILEGE_SET, LPDWORD,
                          LPDWORD, LPBOOL status) {
        *status = TRUE;
        return TRUE;
    };
    EXPECT_TRUE(IsAdministrator(DOMAIN_ALIAS_RID_ADMINS));
}

// ---- CheckInstallRights ---------------------------------------------------------------

class CheckInstallRightsTest : public InstallRightsTest {
protected:
    void Check(DWORD platformId, DWORD major)
    {
        app.m_versionInfo.dwPlatformId = platformId;
        app.m_versionInfo.dwMajorVersion = major;
        calls.clear();
        app.CheckInstallRights();
    }
    WizardApp app;
};

TEST_F(CheckInstallRightsTest, AdministratorOnNt5KeepsTheStatus)
{
    for (DWORD minor : {0u, 1u, 2u}) {
        app.m_versionInfo.dwMinorVersion = minor;
        Check(VER_PLATFORM_WIN32_NT, 5);
        EXPECT_EQ(app.InstallStatus, 0);
        EXPECT_EQ(calls.size(), 4u);  // the check ran
    }
}

TEST_F(CheckInstallRightsTest, StandardUserIsNotAllowedToInstall)
{
    member = FALSE;
    Check(VER_PLATFORM_WIN32_NT, 5);
    EXPECT_EQ(app.InstallStatus, INSTALL_NOT_ALLOWED);

    // Once refused, a later passing check does not clear it.
    member = TRUE;
    Check(VER_PLATFORM_WIN32_NT, 5);
    EXPECT_EQ(app.InstallStatus, INSTALL_NOT_ALLOWED);
}

TEST_F(CheckInstallRightsTest, OtherPlatformsAreNotAllowedWithoutACheck)
{
    const std::pair<DWORD, DWORD> others[] = {
        {VER_PLATFORM_WIN32_NT, 4}, {VER_PLATFORM_WIN32_NT, 6}, {VER_PLATFORM_WIN32_WINDOWS, 5}, {0, 0}};
    for (const auto& o : others) {
        app.InstallStatus = 0;
        Check(o.first, o.second);
        EXPECT_EQ(app.InstallStatus, INSTALL_NOT_ALLOWED) << o.first << "." << o.second;
        EXPECT_TRUE(calls.empty());
    }
}

}  // namespace
