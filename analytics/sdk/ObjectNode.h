#pragma once
// Typed values and the key-ordered JSON object they live in.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace analytics_sdk {
namespace utils {

class ObjectNode;

class PropertyValue {
public:
    enum class Kind { Number, Integer, String, Boolean, Object };

    static PropertyValue Number(double value);
    static PropertyValue Integer(int64_t value);
    static PropertyValue String(std::string value);
    static PropertyValue Boolean(bool value);
    static PropertyValue Object(const ObjectNode& value);

    Kind kind() const { return kind_; }
    double number() const { return number_; }
    int64_t integer() const { return integer_; }
    const std::string& text() const { return text_; }
    bool boolean() const { return boolean_; }
    const ObjectNode* object() const { return object_.get(); }

    void AppendJson(std::string& out) const;

private:
    Kind kind_ = Kind::Boolean;
    double number_ = 0.0;
    int64_t integer_ = 0;
    std::string text_;
    bool boolean_ = false;
    std::shared_ptr<const ObjectNode> object_;
};

// Entries sorted by byte-wise key comparison; the JSON form has no white space.
class ObjectNode {
public:
    virtual ~ObjectNode() = default;

    // Stores a nested object under a key.
    virtual void SetObject(const std::string& key, const ObjectNode& value);

    void SetValue(const std::string& key, PropertyValue value);
    bool Has(const std::string& key) const { return entries_.count(key) != 0; }
    const PropertyValue* Find(const std::string& key) const;
    size_t Size() const { return entries_.size(); }
    const std::map<std::string, PropertyValue>& Entries() const { return entries_; }

    std::string ToJson() const;
    void AppendJson(std::string& out) const;

protected:
    std::map<std::string, PropertyValue> entries_;
};

// Six significant digits; exponent form (two digits at least) below 1e-4 and
// from 1e6 on; no trailing zeros. JSON has no form for NaN or infinities, so
// those become null rather than spoiling the whole batch.
std::string FormatNumber(double value);

// The bytes between double quotes, with only \b \t \n \f \r \" \\ escaped.
void AppendJsonString(std::string& out, const std::string& text);

} // namespace utils
} // namespace analytics_sdk
