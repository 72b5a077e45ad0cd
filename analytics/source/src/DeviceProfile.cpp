#include "analytics/source/src/DeviceProfile.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <random>

#include "analytics/source/src/QzException.h"
#include "utils/Folders.h"
#include "utils/Text.h"

namespace tandry {
namespace tracking {

namespace {

std::string Utf8(const std::wstring& text) {
    return Utils::ToNarrow(text, CP_UTF8);
}
std::wstring Wide(const std::string& text) {
    return Utils::ToWide(text, CP_UTF8);
}
std::string Slashes(std::string text) {
    for (char& c : text) {
        if (c == '/') c = '\\';
    }
    return text;
}

bool VersionNumbers(DWORD& major, DWORD& minor, DWORD& build) {
    major = minor = build = 0;
    HMODULE ntdll = ::LoadLibraryW(L"ntdll.dll");
    if (!ntdll) return false;
    using Fn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetNtVersionNumbers")));
    if (fn) fn(&major, &minor, &build);
    ::FreeLibrary(ntdll);
    return fn != nullptr;
}

bool Is64BitSystem() {
    using Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    if (fn && fn(::GetCurrentProcess(), &wow64)) return wow64 != FALSE;
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
           info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

std::string FallbackDeviceId() {
    std::random_device device;
    std::mt19937 random(device() ^ static_cast<unsigned>(::GetTickCount()));
    auto draw = [&](unsigned limit) { return static_cast<unsigned>(random() % limit); };
    char text[64];
    std::snprintf(text, sizeof(text), "%x%x-%x-%x-%x-%x%x%x", draw(0x10000), draw(0x10000), draw(0x10000),
                  0x4000 + draw(0x1000), 0x8000 + draw(0x3FFF), draw(0x10000), draw(0x10000), draw(0x10000));
    return text;
}

std::string LocaleText(LCTYPE type, bool& ok) {
    char buffer[16] = {};
    if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof(buffer)) == 0) {
        ok = false;
        return std::string();
    }
    return buffer;
}

} // namespace

bool IsUtf8(const std::string& text) {
    return analytics_sdk::IsWellFormedUtf8(text, true);
}

std::string ToUtf8Text(const std::string& text) {
    if (IsUtf8(text)) return text;
    return Utf8(Utils::ToWide(text, CP_ACP));
}

std::string BaseFolder() {
    DWORD major = 0, minor = 0, build = 0;
    if (!VersionNumbers(major, minor, build)) return std::string();
    const bool sevenOrLater = major > 6 || (major == 6 && minor >= 1);
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, sevenOrLater ? CSIDL_LOCAL_APPDATA : CSIDL_COMMON_DOCUMENTS, nullptr,
                                  SHGFP_TYPE_CURRENT, folder)))
        return std::string();
    wchar_t shortPath[MAX_PATH] = {};
    const DWORD length = ::GetShortPathNameW(folder, shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return Utf8(shortPath);
}

std::string OverrideConfigurePathFor(const std::wstring& executablePath) {
    std::wstring folder = executablePath;
    for (wchar_t& c : folder) {
        if (c == L'/') c = L'\\';
    }
    const size_t slash = folder.find_last_of(L'\\');
    folder = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
    const std::wstring setIni = folder + L"Set.ini";
    const DWORD attributes = ::GetFileAttributesW(setIni.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::string();
    wchar_t value[128] = {};
    ::GetPrivateProfileStringW(L"Install", L"QZAnalyticsIni", L"", value, 128, setIni.c_str());
    return Slashes(Utf8(value));
}

std::string OverrideConfigurePath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return OverrideConfigurePathFor(std::wstring(path, length));
}

DataPaths DataPathsFor(const std::string& overridePath, const std::string& baseFolder, const std::string& appName) {
    DataPaths paths;
    const std::string configured = Slashes(overridePath);
    const size_t slash = configured.find_last_of('\\');
    if (configured.empty() || slash == std::string::npos) {
        paths.dataDir = baseFolder + "\\QZLocal\\" + appName + "\\";
        paths.configurePath = paths.dataDir + appName + "_QZSConfigure.ini";
    } else {
        paths.dataDir = configured.substr(0, slash) + "\\";
        paths.configurePath = configured;
    }
    return paths;
}

void CreateFolderPath(const std::string& path) {
    std::string folder = Slashes(path);
    if (folder.empty()) return;
    if (folder.back() != '\\') folder += '\\';
    Utils::CreateDirectories(Wide(folder));
}

std::string NewDeviceId() {
    GUID guid{};
    HRESULT result = ::CoCreateGuid(&guid);
    for (int retry = 0; FAILED(result) && retry < 10; ++retry) result = ::CoCreateGuid(&guid);
    if (FAILED(result)) return FallbackDeviceId();
    char text[40];
    std::snprintf(text, sizeof(text), "%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                  static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                  guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

std::string OsVersionNameFor(unsigned long major, unsigned long minor, unsigned long build, bool is64Bit,
                             bool serverR2) {
    build &= 0xFFFF;
    if (major <= 4) return "XP-";
    if (major == 5) {
        if (minor == 0) return "2K";
        if (minor == 1) return "XP";
        if (minor == 2) {
            if (is64Bit) return "XP64";
            return serverR2 ? "Server 2003 R2" : "Server 2003";
        }
        return "XP+";
    }
    if (major == 6) {
        switch (minor) {
        case 0: return is64Bit ? "Vista64" : "Vista";
        case 1: return is64Bit ? "7" : "7-32";
        case 2: return is64Bit ? "8" : "8-32";
        case 3: return "8.1";
        default: return "8.1+";
        }
    }
    if (major == 10) {
        if (minor == 0) return build < 22000 ? "10" : "11";
        return "11+";
    }
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build);
}

std::string OsVersionName() {
    DWORD major = 0, minor = 0, build = 0;
    if (!VersionNumbers(major, minor, build)) return "XP-";
    return OsVersionNameFor(major, minor, build, Is64BitSystem(), ::GetSystemMetrics(SM_SERVERR2) != 0);
}

analytics_sdk::PropertiesNode CommonProperties(const CommonPropertyInput& input) {
    analytics_sdk::PropertiesNode set;
    set.SetString("qz_app_id", input.appName);
    set.SetString("$app_version", input.appVersion);
    set.SetString("$app_id", input.appName);
    set.SetString("qz_app_store", input.appStore);
    switch (input.edition) {
    case QzEdition::china: set.SetString("qz_edition", "china"); break;
    case QzEdition::overseas: set.SetString("qz_edition", "overseas"); break;
    default: QZ_THROW("Unknown edition [" + std::to_string(static_cast<int>(input.edition)) + "]!");
    }
    if (!input.dlAppId.empty()) set.SetString("qz_dlapp_id", input.dlAppId);
    if (!input.dlAppVersion.empty()) set.SetString("qz_dlapp_version", input.dlAppVersion);
    set.SetString("qz_app_platform", "Windows");
    set.SetString("qz_track_type", "Client");
    set.SetString("qz_sdk_version", "3.3.8");
    set.SetString("qz_sdk", "WindowsCPP");
    set.SetString("$os", "Windows");
    set.SetString("$os_version", OsVersionName());
    bool localeOk = true;
    const std::string language = LocaleText(LOCALE_SISO639LANGNAME, localeOk);
    const std::string country = LocaleText(LOCALE_SISO3166CTRYNAME, localeOk);
    set.SetString("qz_l10n_locale", localeOk ? language + "_" + country : std::string());
    set.SetString("qz_l10n_language", localeOk ? language : std::string());
    set.SetString("qz_l10n_country", localeOk ? country : std::string());
    set.SetInteger("$screen_height", ::GetSystemMetrics(SM_CYSCREEN));
    set.SetInteger("$screen_width", ::GetSystemMetrics(SM_CXSCREEN));
    if (!input.userId.empty()) set.SetString("qz_user_id", input.userId);
    return set;
}

} // namespace tracking
} // namespace tandry
