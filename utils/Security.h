#pragma once
// Privileges and the console session's user.
#include <string>

namespace Utils {

// The process token is in the built-in Administrators group.
bool IsRunningAsAdmin();
// The local account has the administrator privilege level.
bool IsUserAdmin(const std::wstring& userName);
// The user of the session attached to the physical console.
bool GetActiveSessionUserName(std::wstring& userName);

} // namespace Utils
