#pragma once
// The XML subset of skin documents: elements, double-quoted attributes,
// character data, the five predefined entities; comments and processing
// instructions are skipped.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace SkinUI {

class CSkinMarkup;

// A view of one element of a parsed document; valid while the document lives.
class CMarkupNode {
public:
    CMarkupNode() = default;
    bool IsValid() const { return owner_ != nullptr; }
    CMarkupNode GetParent() const;
    CMarkupNode GetSibling() const;
    CMarkupNode GetChild() const;
    CMarkupNode GetChild(const std::wstring& name) const;  // first child with that name
    bool HasChildren() const;
    bool HasSiblings() const;

    const std::wstring& GetName() const;
    const std::wstring& GetValue() const;  // character data

    int GetAttributeCount() const;
    const std::wstring& GetAttributeName(int index) const;
    const std::wstring& GetAttributeValue(int index) const;
    bool HasAttribute(const std::wstring& name) const;
    // The first attribute of that exact name; empty when absent.
    std::wstring GetAttributeValue(const std::wstring& name) const;

private:
    friend class CSkinMarkup;
    CMarkupNode(const CSkinMarkup* owner, int index) : owner_(owner), index_(index) {}
    const CSkinMarkup* owner_ = nullptr;
    int index_ = -1;
};

enum class MarkupEncoding { Utf8 = 0, SystemCodePage = 1, Utf16 = 2 };

class CSkinMarkup {
public:
    // At most this many attributes are kept per element; further ones are ignored.
    static const int kMaxAttributes = 64;
    // Skin files larger than this are refused.
    static const size_t kMaxFileSize = 4194304;

    CSkinMarkup() = default;
    explicit CSkinMarkup(const std::wstring& text) { Load(text); }

    bool Load(const std::wstring& text);
    // Converts raw bytes (with the byte-order mark rules of each encoding) and parses.
    bool LoadFromMem(const unsigned char* bytes, size_t size, MarkupEncoding encoding = MarkupEncoding::Utf8);
    // One skin document through the shared archive, or the skin folder.
    bool LoadFromFile(const std::wstring& name, MarkupEncoding encoding = MarkupEncoding::Utf8);
    void Release();
    bool IsValid() const { return valid_; }

    CMarkupNode GetRoot() const;

    // The last error, at most 99 characters, and a copy of at most 49
    // characters of the text where parsing stopped.
    const std::wstring& GetLastErrorMessage() const { return errorMessage_; }
    const std::wstring& GetLastErrorLocation() const { return errorLocation_; }

private:
    friend class CMarkupNode;
    struct Element {
        std::wstring name;
        std::wstring data;
        std::vector<std::pair<std::wstring, std::wstring>> attributes;
        int parent = -1;
        int child = -1;
        int next = -1;
        size_t position = 0;  // where the element's text starts
    };

    bool Parse();
    bool ParseAttributes(size_t& pos, Element& element);
    std::wstring ReadName(size_t& pos) const;
    std::wstring DecodeEntities(size_t from, size_t to) const;
    void SkipWhiteSpace(size_t& pos) const;
    bool Fail(const wchar_t* message, size_t pos);

    std::wstring text_;
    std::vector<Element> elements_;
    bool valid_ = false;
    std::wstring errorMessage_;
    std::wstring errorLocation_;
};

} // namespace SkinUI
