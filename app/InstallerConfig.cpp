#include "app/InstallerConfig.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "utils/CommandLine.h"
#include "utils/OsVersion.h"
#include "utils/Text.h"

#ifndef VELQUOR_PACKAGE_HOST
#define VELQUOR_PACKAGE_HOST "127.0.0.1"
#endif

namespace {

constexpr const wchar_t* kSection = L"Install";
constexpr DWORD kValueSize = 260;

// Products of the same maker whose packages have a 64-bit route.
constexpr int kProductsWith64BitRoute[] = {311, 327, 405, 418, 436};

std::wstring BuiltInDownloadUrl() {
    return L"http://" + Utils::ToWide(VELQUOR_PACKAGE_HOST, CP_UTF8) + L"/software/251";
}

std::wstring ReadText(const std::wstring& path, const wchar_t* key, const wchar_t* fallback) {
    wchar_t buffer[kValueSize] = {};
    ::GetPrivateProfileStringW(kSection, key, fallback, buffer, kValueSize, path.c_str());
    return buffer;
}

// The record wants a share between 0 and 1; anything else would overrun the bar.
double ClampScale(double scale) {
    return std::min(1.0, std::max(0.0, scale));
}

} // namespace

const wchar_t* const InstallerConfig::kConfigFileName = L"TandryInstallerConfig.ini";

InstallerConfig& InstallerConfig::Instance() {
    static InstallerConfig instance = [] {
        InstallerConfig config;
        config.LoadFile();
        config.ProductId = L"Velquor";
        config.InstallerVersion = L"1.7.9";
        return config;
    }();
    return instance;
}

InstallerConfig::InstallerConfig() {
    SetDefaults();
}

void InstallerConfig::SetDefaults() {
    ProductId = L"Velquor";
    InstallerVersion = L"1.7.9";
    InstallerFileName = L"NULL";
    DlAppNameSuffix = L".downloader";
    DlAppVersion.clear();
    InstCmd.clear();
    DownloadUrl = ExpandRoute(BuiltInDownloadUrl());
    DownloadType = 1;
    IsCheckNet = false;
    IsEnableAppAnalytics = true;
    DownloadScale = 0.7;
    HttpReady = true;
    AbGroup = L"IN";
}

void InstallerConfig::LoadFile() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    LoadFile(std::wstring(path, std::min<DWORD>(length, MAX_PATH)));
}

void InstallerConfig::LoadFile(const std::wstring& executablePath) {
    const size_t slash = executablePath.find_last_of(L"\\/");
    InstallerFileName = slash == std::wstring::npos ? executablePath : executablePath.substr(slash + 1);
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : executablePath.substr(0, slash);
    const std::wstring path = folder + L"\\" + kConfigFileName;

    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;

    DownloadUrl = ExpandRoute(ReadText(path, L"DownloadUrl", BuiltInDownloadUrl().c_str()));
    DownloadType = static_cast<int>(::GetPrivateProfileIntW(kSection, L"DownloadType", 1, path.c_str()));
    IsCheckNet = ReadText(path, L"IsCheckNet", L"true") == L"true";
    IsEnableAppAnalytics = ReadText(path, L"IsEnableAppAnalytics", L"true") == L"true";
    DlAppNameSuffix = ReadText(path, L"DlAppNameSuffix", L".downloader");
    DlAppVersion = ReadText(path, L"m_DlAppVersion", L"");
    double scale = 0.0;
    DownloadScale = Utils::ParseLeadingDouble(ReadText(path, L"DownloadScale", L"0.7"), scale) ? ClampScale(scale) : 0.0;
    InstCmd = ReadText(path, L"InstCmd", L"");
}

void InstallerConfig::ApplyCommandLine() {
    ApplyCommandLine(::GetCommandLineW());
}

void InstallerConfig::ApplyCommandLine(const std::wstring& commandLine) {
    Utils::CommandLine options;
    options.Parse(commandLine);
    if (options.Has(L"-downloadurl")) DownloadUrl = ExpandRoute(options.GetString(L"-downloadurl"));
    if (options.Has(L"-downloadtype")) DownloadType = options.GetInt(L"-downloadtype");
    // A value that is not a number keeps what the file or the defaults gave.
    if (options.Has(L"-downloadscale")) DownloadScale = ClampScale(options.GetDouble(L"-downloadscale", DownloadScale));
    if (options.Has(L"-ischecknet")) IsCheckNet = options.GetBool(L"-ischecknet");
    if (options.Has(L"-isenableappanalytics")) IsEnableAppAnalytics = options.GetBool(L"-isenableappanalytics");
    if (options.Has(L"-dlappnamesuffix")) DlAppNameSuffix = options.GetString(L"-dlappnamesuffix");
    if (options.Has(L"-dlappversion")) DlAppVersion = options.GetString(L"-dlappversion");
    if (options.Has(L"-instcmd")) InstCmd = options.GetString(L"-instcmd");
}

std::wstring InstallerConfig::ExpandRoute(const std::wstring& url) {
    if (url.find(L"${ROUTE}") == std::wstring::npos) return url;
    std::wstring family, name;
    Utils::GetOsVersionName(family, name);
    bool is64 = false;
    Utils::Is64BitOs(is64);
    return ExpandRoute(url, name, is64);
}

std::wstring InstallerConfig::ExpandRoute(const std::wstring& url, const std::wstring& osVersionName, bool is64BitOs) {
    if (url.find(L"${ROUTE}") == std::wstring::npos) return url;
    std::wstring route = L"download_silent";
    if (osVersionName.find(L"XP") != std::wstring::npos) {
        route = L"download_silent_xp";
    } else if (is64BitOs && std::find(std::begin(kProductsWith64BitRoute), std::end(kProductsWith64BitRoute),
                                      kProductNumber) != std::end(kProductsWith64BitRoute)) {
        route = L"download_silent_64";
    }
    return Utils::ReplaceAll(url, L"${ROUTE}", route);
}
