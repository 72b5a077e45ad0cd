#pragma once
#include <string>

#include "analytics/source/src/QzEvents.h"

namespace tandry {
namespace tracking {

// Texts are UTF-8 (ANSI text is converted). Empty eventLogPath and serverUrl
// take the defaults.
struct TrackerConfig {
    std::string appName;
    std::string appVersion;
    std::string appStore;
    std::string dlAppId;
    std::string dlAppVersion;
    std::string eventLogPath;
    QzEdition edition = QzEdition::china;
    std::string serverUrl;
};

} // namespace tracking
} // namespace tandry
