#pragma once
// An event's property set: flat (no nested objects), checked strings.
#include <cstdint>
#include <string>

#include "analytics/sdk/ObjectNode.h"

namespace analytics_sdk {

class PropertiesNode : public utils::ObjectNode {
public:
    // A property set holds no nested objects: this does nothing.
    void SetObject(const std::string& key, const utils::ObjectNode& value) override;

    // False (and nothing stored) when the value fails the string check.
    bool SetString(const std::string& key, const std::string& value);
    void SetNumber(const std::string& key, double value);
    void SetInteger(const std::string& key, int64_t value);
    void SetBool(const std::string& key, bool value);

    // Copies every entry of other over this set's entries.
    void Merge(const utils::ObjectNode& other);
    // Every key passes the key check ("Property Key").
    bool Check() const;
};

// 1 to 100 bytes, a variable name of A-Z a-z 0-9 $ _ (no digit first).
bool CheckKey(const std::string& key, const std::string& label);
// 1 to 255 bytes.
bool CheckId(const std::string& id, const std::string& label);
// At most 8192 bytes of valid UTF-8 without control bytes other than tab, LF, CR.
bool CheckString(const std::string& key, const std::string& value);
bool IsValidUtf8Text(const std::string& value);
// Well-formed UTF-8 (no overlong forms, surrogates or cut sequences); ASCII
// control bytes other than tab, LF and CR only when allowed.
bool IsWellFormedUtf8(const std::string& value, bool allowControlBytes);

} // namespace analytics_sdk
