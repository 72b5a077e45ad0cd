#include "analytics/source/src/Identity.h"

#include <windows.h>

#include "analytics/source/src/DeviceProfile.h"
#include "utils/Text.h"

namespace tandry {
namespace tracking {

namespace {
constexpr const wchar_t* kBase = L"Base";

std::string Read(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[128] = {};
    ::GetPrivateProfileStringW(section, key, L"", buffer, 128, file.c_str());
    return Utils::ToNarrow(buffer, CP_UTF8);
}

void Write(const std::wstring& file, const wchar_t* section, const wchar_t* key, const std::string& value) {
    ::WritePrivateProfileStringW(section, key, Utils::ToWide(value, CP_UTF8).c_str(), file.c_str());
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
} // namespace

void LoadIdentity(TrackerState& state) {
    state.UserId.clear();
    state.DistinctId.clear();
    state.PrimaryDistinctId.clear();
    state.URL.clear();
    state.isLogined = false;
    const std::wstring file = Utils::ToWide(state.configurePath, CP_UTF8);
    if (!file.empty() && FileExists(file)) {
        state.DistinctId = Read(file, kBase, L"DistinctId");
        state.PrimaryDistinctId = Read(file, kBase, L"PrimaryDistinctId");
        if (state.PrimaryDistinctId.empty()) state.PrimaryDistinctId = state.DistinctId;
        state.UserId = Read(file, kBase, L"UserId");
        state.UserVipLevel = static_cast<int>(::GetPrivateProfileIntW(kBase, L"UserVipLevel", 0, file.c_str()));
        state.isLogined = Read(file, kBase, L"isLogined") == "OK";
        state.URL = Read(file, kBase, L"URL");
    }
    if (state.DistinctId.empty()) {
        state.DistinctId = NewDeviceId();
        SaveIdentity(state);
    }
}

void ReconcileIdentity(TrackerState& state, const std::string& serverUrl) {
    if (state.URL == serverUrl && !state.DistinctId.empty()) return;
    state.UserId.clear();
    state.isLogined = false;
    if (state.PrimaryDistinctId.empty()) {
        state.DistinctId = NewDeviceId();
        state.PrimaryDistinctId = state.DistinctId;
    } else {
        state.DistinctId = state.PrimaryDistinctId;
    }
    state.URL = serverUrl;
    SaveIdentity(state);
}

void SaveIdentity(const TrackerState& state) {
    const std::wstring file = Utils::ToWide(state.configurePath, CP_UTF8);
    if (file.empty()) return;
    Write(file, kBase, L"DistinctId", state.DistinctId);
    Write(file, kBase, L"PrimaryDistinctId", state.PrimaryDistinctId);
    Write(file, kBase, L"UserId", state.UserId);
    Write(file, kBase, L"UserVipLevel", std::to_string(state.UserVipLevel));
    Write(file, kBase, L"URL", state.URL);
    Write(file, kBase, L"isLogined", state.isLogined ? "OK" : "NG");
}

void WriteUninstallInfo(const std::string& configurePath, const std::string& appStore, const std::string& appName,
                        const std::string& appVersion) {
    const std::wstring file = Utils::ToWide(configurePath, CP_UTF8);
    if (file.empty()) return;
    Write(file, L"UninstallInfo", L"AppStore", appStore);
    Write(file, L"UninstallInfo", L"AppName", appName);
    Write(file, L"UninstallInfo", L"AppVersion", appVersion);
}

} // namespace tracking
} // namespace tandry
