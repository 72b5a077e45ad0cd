#include "analytics/source/src/QzContextProperties.h"

#include "analytics/source/src/QzException.h"

namespace tandry {
namespace tracking {

namespace {
std::string Overflow(QzEventType kind) {
    return "QzEvent[" + std::to_string(static_cast<int>(kind)) + "] overflow!";
}
bool IsKnown(QzEventType kind) {
    const int index = static_cast<int>(kind);
    return index >= 0 && index < kQzEventTypeCount;
}
bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsUpperOrDigit(char c) {
    return IsUpper(c) || (c >= '0' && c <= '9');
}
} // namespace

void QzContextProperties::setProperty(const std::string& key, const std::string& value,
                                      const std::vector<QzEventType>& kinds) {
    if (properties_.count(key)) QZ_THROW("Property[" + key + "] already exist!");
    auto stored = std::make_shared<const std::string>(value);
    properties_.emplace(key, stored);
    for (const QzEventType kind : kinds) {
        if (!IsKnown(kind)) QZ_THROW(Overflow(kind));
        perKind_[static_cast<size_t>(kind)].push_back(Entry{key, stored});
    }
}

const std::vector<QzContextProperties::Entry>& QzContextProperties::getEventProperties(QzEventType kind) const {
    if (!IsKnown(kind)) QZ_THROW(Overflow(kind));
    return perKind_[static_cast<size_t>(kind)];
}

bool QzContextProperties::isValidABValue(const std::string& value) {
    if (value.empty()) return false;
    if (value.size() >= 4) QZ_THROW("value's length is great than 3.");
    if (!IsUpper(value[0])) QZ_THROW("First char is not in A to Z");
    if (value.size() > 1 && !IsUpperOrDigit(value[1])) QZ_THROW("second char is not in A to Z and 0 to 9");
    if (value.size() > 2 && !IsUpperOrDigit(value[2])) QZ_THROW("third char is not in A to Z and 0 to 9");
    return true;
}

} // namespace tracking
} // namespace tandry
