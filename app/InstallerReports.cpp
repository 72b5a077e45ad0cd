#include "app/InstallerReports.h"

#include <windows.h>
#include <objbase.h>

#include <cmath>
#include <climits>

#include "analytics/source/src/QzException.h"
#include "analytics/source/src/TrackerApi.h"
#include "app/InstallerConfig.h"
#include "utils/HardDiskManager.h"
#include "utils/Log.h"
#include "utils/Network.h"
#include "utils/Text.h"

using tandry::tracking::QzContextProperties;
using tandry::tracking::QzEventType;

namespace {

constexpr size_t kReasonLimit = 200;

std::string Utf8(const std::wstring& text) {
    return Utils::ToNarrow(text, CP_UTF8);
}

// The tracker to report to, or empty when analytics is off or none runs.
std::shared_ptr<tandry::tracking::Tracker> ActiveTracker() {
    if (!InstallerConfig::Instance().IsEnableAppAnalytics) return nullptr;
    return tandry::tracking::CurrentTracker();
}

// A refused A/B value must not cost the event: it goes without one.
void AttachAbGroup(const ReportProperties& properties, QzContextProperties& context, QzEventType kind) {
    const auto ab = properties.find(L"AB");
    if (ab == properties.end()) return;
    const std::string value = Utf8(ab->second);
    try {
        if (QzContextProperties::isValidABValue(value)) context.setProperty("qzc_ab", value, {kind});
    } catch (const tandry::tracking::QzException& error) {
        LogLine(L"AB value refused: %s", Utils::ToWide(error.what(), CP_UTF8).c_str());
    }
}

// The record's value as the reports print it; NaN and out-of-range values
// would be undefined as an integer.
long TruncatedCode(double value) {
    if (!std::isfinite(value)) return 0;
    if (value >= static_cast<double>(LONG_MAX)) return LONG_MAX;
    if (value <= static_cast<double>(LONG_MIN)) return LONG_MIN;
    return static_cast<long>(value);
}

// At most 200 characters, never half a surrogate pair.
std::wstring Limited(std::wstring text) {
    if (text.size() <= kReasonLimit) return text;
    text.resize(kReasonLimit);
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
    return text;
}

std::wstring WritePermissionText(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !::DeleteFileW(path.c_str())) return L"无权限";
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return L"无权限";
    ::CloseHandle(file);
    ::DeleteFileW(path.c_str());
    return L"可读";
}

double FreeGigabytes(const std::wstring& path) {
    Utils::HardDiskManager disk;
    if (path.size() < 2 || !disk.CheckFreeSpace(path.substr(0, 2))) return 0.0;
    return static_cast<double>(disk.FreeBytesAvailable()) / 1073741824.0;
}

// The network-list manager needs COM on this thread; the reports may run
// on any thread.
int NetworkState() {
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int state = Utils::CheckNetwork();
    if (SUCCEEDED(com)) ::CoUninitialize();
    return state;
}

} // namespace

void ReportTask(const std::wstring& name, float value, const ReportProperties& properties,
                const std::wstring& description) {
    try {
        const auto tracker = ActiveTracker();
        if (!tracker) return;
        QzContextProperties context;
        AttachAbGroup(properties, context, QzEventType::Task);
        tandry::tracking::QzEventTask event;
        event.name = Utf8(name);
        event.reason = Utf8(description);
        event.elapsed = std::make_shared<float>(value);
        event.result = std::make_shared<tandry::tracking::QzResult>(tandry::tracking::QzResult::Success);
        tracker->trackTask(event, context);
    } catch (...) {
        // Reporting never fails towards the installer.
    }
}

void ReportClick(const ReportProperties& properties, const std::wstring& name) {
    try {
        const auto tracker = ActiveTracker();
        if (!tracker) return;
        QzContextProperties context;
        AttachAbGroup(properties, context, QzEventType::Click);
        tandry::tracking::QzEventClick event;
        event.name = Utf8(name);
        event.clickType = tandry::tracking::QzClickType::Button;
        tracker->trackClick(event, context);
    } catch (...) {
    }
}

void ReportPageView(const ReportProperties& properties) {
    try {
        const auto tracker = ActiveTracker();
        if (!tracker) return;
        QzContextProperties context;
        AttachAbGroup(properties, context, QzEventType::View);
        tandry::tracking::QzEventView event;
        event.name = Utf8(L"安装中");
        tracker->trackView(event, context);
    } catch (...) {
    }
}

void ReportCrash() {
    try {
        const auto tracker = ActiveTracker();
        if (!tracker) return;
        tracker->trackCrash(Utf8(L"崩溃"));
    } catch (...) {
    }
}

void ReportFailureReason(const InstallerEventRecord& record, bool isDownload) {
    try {
        if (!ActiveTracker()) return;
        const std::wstring text =
            Limited(Utils::FormatText(L":1.code=%ld；2.msg=%s", TruncatedCode(record.value), record.text.c_str()));
        ReportTask(isDownload ? L"下载失败原因" : L"安装失败原因", 0.0f,
                   {{L"AB", InstallerConfig::Instance().AbGroup}}, text);
    } catch (...) {
    }
}

void ReportDownloadFailure(const InstallerEventRecord& record, const std::wstring& packagePath) {
    try {
        if (!ActiveTracker()) return;
        const int network = NetworkState();
        const std::wstring permission = WritePermissionText(packagePath);
        const double gigabytes = FreeGigabytes(packagePath);
        const std::wstring text = Limited(Utils::FormatText(
            L"1.code=%ld；2.msg=%s；3.缓存磁盘容量=%.2fG；4.缓存读写权限=%s；5.服务器连接状态code=%d",
            TruncatedCode(record.value), record.text.c_str(), gigabytes, permission.c_str(), network));
        ReportTask(L"下载失败原因", 0.0f, {{L"AB", InstallerConfig::Instance().AbGroup}}, text);
    } catch (...) {
    }
}
