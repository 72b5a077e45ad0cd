#include "utils/Security.h"

#include <windows.h>
#include <lm.h>
#include <wtsapi32.h>

namespace Utils {

bool IsRunningAsAdmin() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    if (!::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                    &admins))
        return false;
    BOOL member = FALSE;
    if (!::CheckTokenMembership(nullptr, admins, &member)) member = FALSE;
    ::FreeSid(admins);
    return member != FALSE;
}

bool IsUserAdmin(const std::wstring& userName) {
    LPBYTE buffer = nullptr;
    if (::NetUserGetInfo(nullptr, userName.c_str(), 1, &buffer) != NERR_Success || !buffer) return false;
    const bool admin = reinterpret_cast<USER_INFO_1*>(buffer)->usri1_priv == USER_PRIV_ADMIN;
    ::NetApiBufferFree(buffer);
    return admin;
}

bool GetActiveSessionUserName(std::wstring& userName) {
    const DWORD session = ::WTSGetActiveConsoleSessionId();
    if (session == 0xFFFFFFFF) return false;
    LPWSTR name = nullptr;
    DWORD bytes = 0;
    if (!::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, WTSUserName, &name, &bytes) || !name)
        return false;
    userName = name;
    ::WTSFreeMemory(name);
    return true;
}

} // namespace Utils
