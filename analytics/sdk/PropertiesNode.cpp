#include "analytics/sdk/PropertiesNode.h"

#include "analytics/sdk/Diagnostics.h"

namespace analytics_sdk {

namespace {
constexpr size_t kMaxKeyLength = 100;
constexpr size_t kMaxIdLength = 255;
constexpr size_t kMaxStringLength = 8192;

bool IsLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool InRange(unsigned char c, unsigned char low, unsigned char high) {
    return c >= low && c <= high;
}
} // namespace

void PropertiesNode::SetObject(const std::string&, const utils::ObjectNode&) {}

bool PropertiesNode::SetString(const std::string& key, const std::string& value) {
    if (!CheckString(key, value)) return false;
    SetValue(key, utils::PropertyValue::String(value));
    return true;
}

void PropertiesNode::SetNumber(const std::string& key, double value) {
    SetValue(key, utils::PropertyValue::Number(value));
}

void PropertiesNode::SetInteger(const std::string& key, int64_t value) {
    SetValue(key, utils::PropertyValue::Integer(value));
}

void PropertiesNode::SetBool(const std::string& key, bool value) {
    SetValue(key, utils::PropertyValue::Boolean(value));
}

void PropertiesNode::Merge(const utils::ObjectNode& other) {
    for (const auto& entry : other.Entries()) entries_[entry.first] = entry.second;
}

bool PropertiesNode::Check() const {
    for (const auto& entry : entries_) {
        if (!CheckKey(entry.first, "Property Key")) return false;
    }
    return true;
}

bool CheckKey(const std::string& key, const std::string& label) {
    if (key.empty() || key.size() > kMaxKeyLength) {
        Diagnostic("The " + label + " is empty or too long, max length is 100");
        return false;
    }
    for (size_t i = 0; i < key.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(key[i]);
        const bool ok = IsLetter(c) || c == '$' || c == '_' || (i > 0 && IsDigit(c));
        if (!ok) {
            Diagnostic("The " + label + " need to be a valid variable name.");
            return false;
        }
    }
    return true;
}

bool CheckId(const std::string& id, const std::string& label) {
    if (id.empty()) {
        Diagnostic("The " + label + " is empty.");
        return false;
    }
    if (id.size() > kMaxIdLength) {
        Diagnostic("The " + label + " is too long, max length is 255.");
        return false;
    }
    return true;
}

bool IsValidUtf8Text(const std::string& value) {
    return IsWellFormedUtf8(value, false);
}

bool IsWellFormedUtf8(const std::string& value, bool allowControlBytes) {
    const size_t size = value.size();
    size_t i = 0;
    auto at = [&](size_t k) { return static_cast<unsigned char>(value[k]); };
    while (i < size) {
        const unsigned char c = at(i);
        if (c == 0x09 || c == 0x0A || c == 0x0D || InRange(c, 0x20, 0x7E) || (allowControlBytes && c < 0x80)) {
            i += 1;
            continue;
        }
        // The number of continuation bytes and the allowed range of the first one.
        size_t tail = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (InRange(c, 0xC2, 0xDF)) {
            tail = 1;
        } else if (c == 0xE0) {
            tail = 2;
            low = 0xA0;
        } else if (InRange(c, 0xE1, 0xEC) || InRange(c, 0xEE, 0xEF)) {
            tail = 2;
        } else if (c == 0xED) {
            tail = 2;
            high = 0x9F;
        } else if (c == 0xF0) {
            tail = 3;
            low = 0x90;
        } else if (InRange(c, 0xF1, 0xF3)) {
            tail = 3;
        } else if (c == 0xF4) {
            tail = 3;
            high = 0x8F;
        } else {
            return false;
        }
        // A sequence cut short by the end of the value is invalid.
        if (i + tail >= size) return false;
        if (!InRange(at(i + 1), low, high)) return false;
        for (size_t k = 2; k <= tail; ++k) {
            if (!InRange(at(i + k), 0x80, 0xBF)) return false;
        }
        i += tail + 1;
    }
    return true;
}

bool CheckString(const std::string& key, const std::string& value) {
    if (value.size() > kMaxStringLength) {
        Diagnostic("String property '" + key + "' is too long, value: " + value);
        return false;
    }
    if (!IsValidUtf8Text(value)) {
        Diagnostic("String property '" + key + "' is not valid UTF-8 string, value: " + value);
        return false;
    }
    return true;
}

} // namespace analytics_sdk
