#include "ui/SkinMarkup.h"

#include <cwctype>

#include "ui/SkinResources.h"

namespace SkinUI {

namespace {
const std::wstring kEmpty;

bool IsNameChar(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' ||
           c == L':' || (c > 127 && std::iswalnum(c));
}
} // namespace

// ---- CMarkupNode ----

CMarkupNode CMarkupNode::GetParent() const {
    if (!owner_) return {};
    int p = owner_->elements_[index_].parent;
    return p < 0 ? CMarkupNode() : CMarkupNode(owner_, p);
}

CMarkupNode CMarkupNode::GetSibling() const {
    if (!owner_) return {};
    int s = owner_->elements_[index_].next;
    return s < 0 ? CMarkupNode() : CMarkupNode(owner_, s);
}

CMarkupNode CMarkupNode::GetChild() const {
    if (!owner_) return {};
    int c = owner_->elements_[index_].child;
    return c < 0 ? CMarkupNode() : CMarkupNode(owner_, c);
}

CMarkupNode CMarkupNode::GetChild(const std::wstring& name) const {
    for (CMarkupNode n = GetChild(); n.IsValid(); n = n.GetSibling())
        if (n.GetName() == name) return n;
    return {};
}

bool CMarkupNode::HasChildren() const { return owner_ && owner_->elements_[index_].child >= 0; }
bool CMarkupNode::HasSiblings() const { return owner_ && owner_->elements_[index_].next >= 0; }

const std::wstring& CMarkupNode::GetName() const { return owner_ ? owner_->elements_[index_].name : kEmpty; }
const std::wstring& CMarkupNode::GetValue() const { return owner_ ? owner_->elements_[index_].data : kEmpty; }

int CMarkupNode::GetAttributeCount() const {
    return owner_ ? static_cast<int>(owner_->elements_[index_].attributes.size()) : 0;
}

const std::wstring& CMarkupNode::GetAttributeName(int index) const {
    if (index < 0 || index >= GetAttributeCount()) return kEmpty;
    return owner_->elements_[index_].attributes[index].first;
}

const std::wstring& CMarkupNode::GetAttributeValue(int index) const {
    if (index < 0 || index >= GetAttributeCount()) return kEmpty;
    return owner_->elements_[index_].attributes[index].second;
}

bool CMarkupNode::HasAttribute(const std::wstring& name) const {
    if (!owner_) return false;
    for (const auto& a : owner_->elements_[index_].attributes)
        if (a.first == name) return true;
    return false;
}

std::wstring CMarkupNode::GetAttributeValue(const std::wstring& name) const {
    if (!owner_) return {};
    for (const auto& a : owner_->elements_[index_].attributes)
        if (a.first == name) return a.second;
    return {};
}

// ---- CSkinMarkup ----

void CSkinMarkup::Release() {
    text_.clear();
    elements_.clear();
    valid_ = false;
}

CMarkupNode CSkinMarkup::GetRoot() const {
    if (!valid_ || elements_.empty()) return {};
    return CMarkupNode(this, 0);
}

bool CSkinMarkup::Load(const std::wstring& text) {
    Release();
    errorMessage_.clear();
    errorLocation_.clear();
    text_ = text;
    valid_ = Parse();
    if (!valid_) elements_.clear();
    text_.clear();  // every element keeps its own copies
    text_.shrink_to_fit();
    return valid_;
}

bool CSkinMarkup::LoadFromMem(const unsigned char* bytes, size_t size, MarkupEncoding encoding) {
    Release();
    errorMessage_.clear();
    errorLocation_.clear();
    std::wstring text;
    if (encoding == MarkupEncoding::Utf16) {
        if (size < 2 || !((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
            errorMessage_ = L"Missing byte-order mark";
            return false;
        }
        bool bigEndian = bytes[0] == 0xFE;
        size_t units = (size - 2) / 2;
        text.resize(units);
        for (size_t i = 0; i < units; ++i) {
            unsigned char a = bytes[2 + 2 * i], b = bytes[3 + 2 * i];
            text[i] = bigEndian ? static_cast<wchar_t>((a << 8) | b) : static_cast<wchar_t>((b << 8) | a);
        }
    } else {
        UINT codePage = encoding == MarkupEncoding::Utf8 ? CP_UTF8 : CP_ACP;
        if (encoding == MarkupEncoding::Utf8 && size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB &&
            bytes[2] == 0xBF) {
            bytes += 3;
            size -= 3;
        }
        if (size > 0) {
            int n = ::MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(bytes),
                                          static_cast<int>(size), nullptr, 0);
            text.resize(n);
            if (n > 0)
                ::MultiByteToWideChar(codePage, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(size),
                                      &text[0], n);
        }
    }
    return Load(text);
}

bool CSkinMarkup::LoadFromFile(const std::wstring& name, MarkupEncoding encoding) {
    Release();
    errorMessage_.clear();
    errorLocation_.clear();
    std::vector<unsigned char> bytes;
    std::wstring error;
    if (!CSkinResources::ReadFile(name, bytes, kMaxFileSize, error)) {
        errorMessage_ = error.substr(0, 99);
        return false;
    }
    return LoadFromMem(bytes.data(), bytes.size(), encoding);
}

bool CSkinMarkup::Fail(const wchar_t* message, size_t pos) {
    errorMessage_ = std::wstring(message).substr(0, 99);
    errorLocation_ = pos < text_.size() ? text_.substr(pos, 49) : std::wstring();
    return false;
}

void CSkinMarkup::SkipWhiteSpace(size_t& pos) const {
    while (pos < text_.size() && text_[pos] <= L' ') ++pos;
}

std::wstring CSkinMarkup::ReadName(size_t& pos) const {
    size_t start = pos;
    while (pos < text_.size() && IsNameChar(text_[pos])) ++pos;
    return text_.substr(start, pos - start);
}

std::wstring CSkinMarkup::DecodeEntities(size_t from, size_t to) const {
    static const struct {
        const wchar_t* name;
        size_t length;
        wchar_t value;
    } kEntities[] = {{L"&amp;", 5, L'&'}, {L"&lt;", 4, L'<'}, {L"&gt;", 4, L'>'},
                     {L"&quot;", 6, L'"'}, {L"&apos;", 6, L'\''}};
    std::wstring out;
    out.reserve(to - from);
    for (size_t i = from; i < to;) {
        if (text_[i] == L'&') {
            bool replaced = false;
            for (const auto& e : kEntities) {
                if (i + e.length <= to && text_.compare(i, e.length, e.name) == 0) {
                    out += e.value;
                    i += e.length;
                    replaced = true;
                    break;
                }
            }
            if (replaced) continue;
        }
        out += text_[i++];
    }
    return out;
}

bool CSkinMarkup::ParseAttributes(size_t& pos, Element& element) {
    const size_t n = text_.size();
    for (;;) {
        SkipWhiteSpace(pos);
        if (pos >= n) return Fail(L"Expected start-tag closing", pos);
        if (text_[pos] == L'/' || text_[pos] == L'>') return true;
        size_t nameAt = pos;
        std::wstring name = ReadName(pos);
        SkipWhiteSpace(pos);
        if (name.empty() || pos >= n || text_[pos] != L'=') return Fail(L"Error while parsing attributes", nameAt);
        ++pos;
        SkipWhiteSpace(pos);
        if (pos >= n || text_[pos] != L'"') return Fail(L"Expected attribute value", pos);
        size_t start = ++pos;
        size_t end = text_.find(L'"', start);
        if (end == std::wstring::npos) return Fail(L"Error while parsing attribute string", start);
        if (static_cast<int>(element.attributes.size()) < kMaxAttributes)
            element.attributes.emplace_back(std::move(name), DecodeEntities(start, end));
        pos = end + 1;
    }
}

bool CSkinMarkup::Parse() {
    const size_t n = text_.size();
    size_t pos = 0;
    int current = -1;             // the open element, -1 at the top level
    std::vector<int> lastChild;   // per element, the child added last
    int lastTop = -1;

    for (;;) {
        size_t dataStart = pos;
        while (pos < n && text_[pos] != L'<') ++pos;
        if (current >= 0) {
            if (pos > dataStart) elements_[current].data += DecodeEntities(dataStart, pos);
        } else {
            for (size_t i = dataStart; i < pos; ++i)
                if (text_[i] > L' ') return Fail(L"Expected start tag", i);
        }
        if (pos >= n) {
            if (current < 0) return true;
            return Fail(L"Expected end-tag start", pos);
        }
        // text_[pos] == '<'
        wchar_t next = pos + 1 < n ? text_[pos + 1] : L'\0';
        if (next == L'?') {
            size_t end = text_.find(L"?>", pos + 2);
            pos = end == std::wstring::npos ? n : end + 2;
            continue;
        }
        if (next == L'!') {
            size_t end = text_.find(L"->", pos + 2);
            pos = end == std::wstring::npos ? n : end + 2;
            continue;
        }
        if (next == L'/') {
            size_t at = pos;
            pos += 2;
            std::wstring name = ReadName(pos);
            SkipWhiteSpace(pos);
            if (current < 0 || name != elements_[current].name || pos >= n || text_[pos] != L'>')
                return Fail(L"Unmatched closing tag", at);
            ++pos;
            current = elements_[current].parent;
            continue;
        }
        size_t elementAt = pos;
        ++pos;
        std::wstring name = ReadName(pos);
        if (name.empty()) return Fail(L"Error parsing element name", pos);

        int index = static_cast<int>(elements_.size());
        elements_.emplace_back();
        lastChild.push_back(-1);
        Element& element = elements_.back();
        element.name = std::move(name);
        element.parent = current;
        element.position = elementAt;
        if (current >= 0) {
            if (lastChild[current] < 0)
                elements_[current].child = index;
            else
                elements_[lastChild[current]].next = index;
            lastChild[current] = index;
        } else {
            if (lastTop >= 0) elements_[lastTop].next = index;
            lastTop = index;
        }
        if (!ParseAttributes(pos, elements_[index])) return false;
        if (text_[pos] == L'/') {
            if (pos + 1 < n && text_[pos + 1] == L'>') {
                pos += 2;
                continue;
            }
            return Fail(L"Expected start-tag closing", pos);
        }
        if (text_[pos] == L'>') {
            ++pos;
            current = index;
            continue;
        }
        return Fail(L"Expected start-tag closing", pos);
    }
}

} // namespace SkinUI
