#include "analytics/sdk/ObjectNode.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace analytics_sdk {
namespace utils {

PropertyValue PropertyValue::Number(double value) {
    PropertyValue v;
    v.kind_ = Kind::Number;
    v.number_ = value;
    return v;
}

PropertyValue PropertyValue::Integer(int64_t value) {
    PropertyValue v;
    v.kind_ = Kind::Integer;
    v.integer_ = value;
    return v;
}

PropertyValue PropertyValue::String(std::string value) {
    PropertyValue v;
    v.kind_ = Kind::String;
    v.text_ = std::move(value);
    return v;
}

PropertyValue PropertyValue::Boolean(bool value) {
    PropertyValue v;
    v.kind_ = Kind::Boolean;
    v.boolean_ = value;
    return v;
}

PropertyValue PropertyValue::Object(const ObjectNode& value) {
    PropertyValue v;
    v.kind_ = Kind::Object;
    // A plain copy of the entries: a nested object is data, not behaviour.
    auto copy = std::make_shared<ObjectNode>();
    for (const auto& entry : value.Entries()) copy->SetValue(entry.first, entry.second);
    v.object_ = std::move(copy);
    return v;
}

void PropertyValue::AppendJson(std::string& out) const {
    switch (kind_) {
    case Kind::Number:
        out += FormatNumber(number_);
        break;
    case Kind::Integer:
        out += std::to_string(integer_);
        break;
    case Kind::String:
        AppendJsonString(out, text_);
        break;
    case Kind::Boolean:
        out += boolean_ ? "true" : "false";
        break;
    case Kind::Object:
        if (object_) {
            object_->AppendJson(out);
        } else {
            out += "{}";
        }
        break;
    }
}

void ObjectNode::SetObject(const std::string& key, const ObjectNode& value) {
    SetValue(key, PropertyValue::Object(value));
}

void ObjectNode::SetValue(const std::string& key, PropertyValue value) {
    entries_[key] = std::move(value);
}

const PropertyValue* ObjectNode::Find(const std::string& key) const {
    const auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second;
}

std::string ObjectNode::ToJson() const {
    std::string out;
    AppendJson(out);
    return out;
}

void ObjectNode::AppendJson(std::string& out) const {
    out += '{';
    bool first = true;
    for (const auto& entry : entries_) {
        if (!first) out += ',';
        first = false;
        out += '"';
        out += entry.first;
        out += "\":";
        entry.second.AppendJson(out);
    }
    out += '}';
}

namespace {
// Drops trailing zeros of a fraction, and the point when nothing follows it.
void TrimFraction(std::string& digits) {
    if (digits.find('.') == std::string::npos) return;
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    if (!digits.empty() && digits.back() == '.') digits.pop_back();
}
} // namespace

std::string FormatNumber(double value) {
    if (!std::isfinite(value)) return "null";
    if (value == 0.0) return std::signbit(value) ? "-0" : "0";
    // The decimal exponent after rounding to six significant digits; the C
    // runtime's own %g differs between runtimes in its exponent width.
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.5e", value);
    const char* e = std::strchr(buffer, 'e');
    if (!e) return buffer;
    const int exponent = std::atoi(e + 1);
    if (exponent < -4 || exponent >= 6) {
        std::string mantissa(buffer, static_cast<size_t>(e - buffer));
        TrimFraction(mantissa);
        char tail[16];
        std::snprintf(tail, sizeof(tail), "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return mantissa + tail;
    }
    std::snprintf(buffer, sizeof(buffer), "%.*f", 5 - exponent, value);
    std::string fixed(buffer);
    TrimFraction(fixed);
    return fixed;
}

void AppendJsonString(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '\b': out += "\\b"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\f': out += "\\f"; break;
        case '\r': out += "\\r"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default: out += c; break;
        }
    }
    out += '"';
}

} // namespace utils
} // namespace analytics_sdk
