#pragma once
// What the tracker knows about the machine: where its files live, the device
// id, the operating system's name and the common properties of every event.
#include <string>

#include "analytics/sdk/PropertiesNode.h"
#include "analytics/source/src/QzEvents.h"

namespace tandry {
namespace tracking {

// Valid UTF-8 stays; anything else is taken as ANSI text and converted.
std::string ToUtf8Text(const std::string& text);
bool IsUtf8(const std::string& text);

// Local application data (Windows 7 and later) or common documents, in the
// 8.3 short form; empty when any step fails. UTF-8.
std::string BaseFolder();

// "Set.ini" beside the executable, section "Install", key "QZAnalyticsIni",
// with "/" turned into "\"; empty when there is none.
std::string OverrideConfigurePath();
std::string OverrideConfigurePathFor(const std::wstring& executablePath);

struct DataPaths {
    std::string dataDir;        // ends with "\"
    std::string configurePath;  // the identity INI file
};
// The override when it names a file in a folder, otherwise
// base + "\QZLocal\" + appName + "\" + appName + "_QZSConfigure.ini".
DataPaths DataPathsFor(const std::string& overridePath, const std::string& baseFolder, const std::string& appName);
// Creates every missing level, stopping at the first that cannot be made.
void CreateFolderPath(const std::string& path);

// A GUID as "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X".
std::string NewDeviceId();

// "$os_version": "7" (64-bit) or "7-32", "10", "11", ...
std::string OsVersionNameFor(unsigned long major, unsigned long minor, unsigned long build, bool is64Bit,
                             bool serverR2);
std::string OsVersionName();

struct CommonPropertyInput {
    std::string appName;
    std::string appVersion;
    std::string appStore;
    std::string dlAppId;
    std::string dlAppVersion;
    QzEdition edition = QzEdition::china;
    std::string userId;
};
// The super properties of every record; raises QzException for an unknown edition.
analytics_sdk::PropertiesNode CommonProperties(const CommonPropertyInput& input);

} // namespace tracking
} // namespace tandry
