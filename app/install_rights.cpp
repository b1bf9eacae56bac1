#include "app/install_rights.h"

#include <cstdio>

#include "app/install_status.h"
#include "app/wizard_app.h"
#include "platform/api.h"
#include "platform/handles.h"

using platform::KernelHandle;
using platform::LocalMemory;
using platform::SidHandle;

namespace {

// The two access rights of the check, and the generic rights mapped onto them.
constexpr DWORD kAccessRead = 1;
constexpr DWORD kAccessWrite = 2;

// Ends the thread's impersonation when the check ends, however it ends.
class Impersonation {
public:
    Impersonation() : active_(sys().ImpersonateSelf(SecurityImpersonation) != FALSE) {}
    ~Impersonation()
    {
        if (active_)
            sys().RevertToSelf();
    }
    Impersonation(const Impersonation&) = delete;
    Impersonation& operator=(const Impersonation&) = delete;

private:
    bool active_;
};

// The thread's own token, or the process token when the thread has none. AccessCheck takes
// only an impersonation token (a primary token fails with ERROR_NO_IMPERSONATION_TOKEN), so the
// process token is used through an identification-level copy of it.
KernelHandle OpenToken()
{
    KernelHandle token;
    if (sys().OpenThreadToken(sys().GetCurrentThread(), TOKEN_QUERY, FALSE, token.receive()))
        return token;
    token.reset();
    if (sys().GetLastError() != ERROR_NO_TOKEN)
        return token;
    KernelHandle processToken;
    if (sys().OpenProcessToken(sys().GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, processToken.receive()) &&
        !sys().DuplicateToken(processToken.get(), SecurityIdentification, token.receive()))
        token.reset();
    return token;
}

}  // namespace

BOOL IsAdministrator(DWORD aliasRid)
{
    Impersonation impersonation;

    KernelHandle token = OpenToken();
    if (!token)
        return FALSE;

    SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
    SidHandle alias;
    if (!sys().AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, aliasRid, 0, 0, 0, 0, 0, 0,
                                        alias.receive()))
        return FALSE;

    LocalMemory descriptor(sys().LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH));
    if (!descriptor || !sys().InitializeSecurityDescriptor(descriptor.get(), SECURITY_DESCRIPTOR_REVISION))
        return FALSE;

    // The list header, one access-allowed entry without its SidStart placeholder, and the identifier.
    DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + sys().GetLengthSid(alias.get());
    LocalMemory acl(sys().LocalAlloc(LPTR, aclSize));
    auto* list = static_cast<PACL>(acl.get());
    if (!acl || !sys().InitializeAcl(list, aclSize, ACL_REVISION2) ||
        !sys().AddAccessAllowedAce(list, ACL_REVISION2, kAccessRead | kAccessWrite, alias.get()) ||
        !sys().SetSecurityDescriptorDacl(descriptor.get(), TRUE, list, FALSE))
        return FALSE;
    sys().SetSecurityDescriptorGroup(descriptor.get(), alias.get(), FALSE);
    sys().SetSecurityDescriptorOwner(descriptor.get(), alias.get(), FALSE);
    if (!sys().IsValidSecurityDescriptor(descriptor.get()))
        return FALSE;

    GENERIC_MAPPING mapping = {kAccessRead, kAccessWrite, 0, kAccessRead | kAccessWrite};
    PRIVILEGE_SET privileges = {};
    DWORD privilegesLength = sizeof privileges;
    DWORD granted = 0;
    BOOL accessStatus = FALSE;
    if (!sys().AccessCheck(descriptor.get(), token.get(), kAccessRead, &mapping, &privileges, &privilegesLength,
                           &granted, &accessStatus)) {
        std::printf("AccessCheck() failed with error %lu\n", sys().GetLastError());
        std::fflush(stdout);
        return FALSE;
    }
    return accessStatus;
}

void WizardApp::CheckInstallRights()
{
    if (m_versionInfo.dwPlatformId != VER_PLATFORM_WIN32_NT || m_versionInfo.dwMajorVersion != 5) {
        InstallStatus = INSTALL_NOT_ALLOWED;
        return;
    }
    if (!IsAdministrator(DOMAIN_ALIAS_RID_ADMINS))
        InstallStatus = INSTALL_NOT_ALLOWED;
}
