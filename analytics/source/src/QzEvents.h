#pragma once
// The typed event records the installer fills.
#include <memory>
#include <string>

namespace tandry {
namespace tracking {

// Indexes context properties by event kind.
enum class QzEventType : int {
    Activity = 0,
    PaLaunchPal = 1,
    Login = 2,
    Click = 3,
    View = 4,
    Cashier = 5,
    Share = 6,
    Task = 7,
    File = 8,
    Order = 9,
    Payment = 10,
    Uninstall = 11,
    Update = 12,
    Crashed = 13,
    AppOpenNotification = 14,
};
constexpr int kQzEventTypeCount = 15;

enum class QzClickType : int { Button = 0, Banner = 1, Tutorial = 2, File = 3, Others = 4 };
enum class QzResult : int { Success = 0, Cancelled = 1, Fail = 2, Unknown = 3 };
enum class QzEdition : int { china = 0, overseas = 1 };

// Texts are byte strings: UTF-8, or the system ANSI code page (converted).
// Optional numbers are absent when their pointer is empty.
struct QzEventClick {
    std::string aname;
    std::string name;
    QzClickType clickType = QzClickType::Others;
    std::string title;
    std::string module;
    std::string position;
    std::shared_ptr<int> tabIndex;
    std::string tabName;
    std::shared_ptr<int> bannerIndex;
    std::string bannerName;
};

struct QzEventView {
    std::string aname;
    std::string name;
    std::string title;
    std::string position;
};

struct QzEventTask {
    std::string aname;
    std::string name;
    std::string reason;
    std::shared_ptr<float> elapsed;
    std::shared_ptr<QzResult> result;
};

} // namespace tracking
} // namespace tandry
