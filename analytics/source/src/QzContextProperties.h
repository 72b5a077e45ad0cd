#pragma once
// Extra properties the caller attaches to single event kinds.
#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "analytics/source/src/QzEvents.h"

namespace tandry {
namespace tracking {

class QzContextProperties {
public:
    struct Entry {
        std::string key;
        std::shared_ptr<const std::string> value;
    };

    // Raises QzException for a key already present or a kind of 15 or more
    // (kinds before it keep their entry).
    void setProperty(const std::string& key, const std::string& value, const std::vector<QzEventType>& kinds);
    // Raises QzException for a kind of 15 or more.
    const std::vector<Entry>& getEventProperties(QzEventType kind) const;

    // Empty -> false; up to three bytes: A-Z, then A-Z or 0-9. Anything else
    // raises QzException with the reason.
    static bool isValidABValue(const std::string& value);

private:
    std::unordered_map<std::string, std::shared_ptr<const std::string>> properties_;
    std::array<std::vector<Entry>, kQzEventTypeCount> perKind_;
};

} // namespace tracking
} // namespace tandry
