// The markup subset: error texts, entities, attribute cap, encodings.
#include <gtest/gtest.h>

#include <string>

#include "ui/SkinMarkup.h"

using SkinUI::CMarkupNode;
using SkinUI::CSkinMarkup;
using SkinUI::MarkupEncoding;

namespace {

struct BrokenDocument {
    const wchar_t* text;
    const wchar_t* message;
    const wchar_t* location;  // the start of the kept position text
};

class MarkupErrors : public ::testing::TestWithParam<BrokenDocument> {};

TEST_P(MarkupErrors, EachBrokenDocumentKeepsItsErrorText) {
    const BrokenDocument& c = GetParam();
    CSkinMarkup markup;
    EXPECT_FALSE(markup.Load(c.text));
    EXPECT_EQ(markup.GetLastErrorMessage(), c.message);
    EXPECT_EQ(markup.GetLastErrorLocation().substr(0, wcslen(c.location)), c.location);
    EXPECT_FALSE(markup.GetRoot().IsValid());
}

INSTANTIATE_TEST_SUITE_P(
    Table, MarkupErrors,
    ::testing::Values(
        BrokenDocument{L"hello <Window/>", L"Expected start tag", L"hello"},
        BrokenDocument{L"<Window/> trailing", L"Expected start tag", L"trailing"},
        BrokenDocument{L"<>", L"Error parsing element name", L">"},
        BrokenDocument{L"< Window/>", L"Error parsing element name", L" Window"},
        BrokenDocument{L"<Window size\"1,1\"/>", L"Error while parsing attributes", L"size"},
        BrokenDocument{L"<Window =\"1\"/>", L"Error while parsing attributes", L"=\"1\""},
        BrokenDocument{L"<Window size=1/>", L"Expected attribute value", L"1/>"},
        BrokenDocument{L"<Window size='1,1'/>", L"Expected attribute value", L"'1,1'/>"},
        BrokenDocument{L"<Window size=\"1,1/>", L"Error while parsing attribute string", L"1,1/>"},
        BrokenDocument{L"<Window size=\"1\" /x>", L"Expected start-tag closing", L"/x>"},
        BrokenDocument{L"<Window", L"Expected start-tag closing", L""},
        BrokenDocument{L"<Window><Label/>", L"Expected end-tag start", L""},
        BrokenDocument{L"<Window><Label></Window>", L"Unmatched closing tag", L"</Window>"},
        BrokenDocument{L"<Window></Window", L"Unmatched closing tag", L"</Window"},
        BrokenDocument{L"</Window>", L"Unmatched closing tag", L"</Window>"}));

TEST(Markup, SingleQuotedValueInsideASkinIsRefused) {
    CSkinMarkup markup;
    EXPECT_FALSE(markup.Load(L"<Window size=\"10,10\">\n  <VerticalLayout bkcolor='#FFFFFFFF'/>\n</Window>"));
    EXPECT_EQ(markup.GetLastErrorMessage(), L"Expected attribute value");
}

TEST(Markup, ErrorPositionTextIsCappedAt49Characters) {
    CSkinMarkup markup;
    std::wstring tail(200, L'x');
    EXPECT_FALSE(markup.Load(L"<Window size=" + tail));
    EXPECT_EQ(markup.GetLastErrorLocation(), std::wstring(49, L'x'));
    EXPECT_LE(markup.GetLastErrorMessage().size(), 99u);
}

TEST(Markup, EntitiesAreReplacedInValuesAndData) {
    CSkinMarkup markup;
    ASSERT_TRUE(markup.Load(
        L"<Label text=\"a &amp; b &lt;c&gt; &quot;q&quot; &apos;s&apos; &copy; &#65; & end\">x &amp;&lt; y</Label>"));
    CMarkupNode root = markup.GetRoot();
    EXPECT_EQ(root.GetAttributeValue(L"text"), L"a & b <c> \"q\" 's' &copy; &#65; & end");
    EXPECT_EQ(root.GetValue(), L"x &< y");
}

TEST(Markup, CommentsAndProcessingInstructionsAreSkipped) {
    CSkinMarkup markup;
    ASSERT_TRUE(markup.Load(L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- head -->\n<Window>"
                            L"<!-- a <Fake/> element in a comment --><Label name=\"a\"/>\n"
                            L"<?pi inside?><Button name=\"b\"/></Window><!-- tail -->"));
    CMarkupNode root = markup.GetRoot();
    EXPECT_EQ(root.GetName(), L"Window");
    CMarkupNode first = root.GetChild();
    ASSERT_TRUE(first.IsValid());
    EXPECT_EQ(first.GetName(), L"Label");
    CMarkupNode second = first.GetSibling();
    ASSERT_TRUE(second.IsValid());
    EXPECT_EQ(second.GetName(), L"Button");
    EXPECT_FALSE(second.GetSibling().IsValid());
    EXPECT_EQ(second.GetParent().GetName(), L"Window");
}

TEST(Markup, TreeAndAttributeOrderAreKept) {
    CSkinMarkup markup;
    ASSERT_TRUE(markup.Load(L"<a x=\"1\" y = \"2\"\tz=\"3\"><b><c/></b><d/></a>"));
    CMarkupNode a = markup.GetRoot();
    ASSERT_EQ(a.GetAttributeCount(), 3);
    EXPECT_EQ(a.GetAttributeName(0), L"x");
    EXPECT_EQ(a.GetAttributeValue(1), L"2");
    EXPECT_EQ(a.GetAttributeName(2), L"z");
    EXPECT_EQ(a.GetChild().GetChild().GetName(), L"c");
    EXPECT_EQ(a.GetChild().GetSibling().GetName(), L"d");
}

TEST(Markup, OnlyTheFirst64AttributesAreKept) {
    std::wstring text = L"<Label";
    for (int i = 0; i < 70; ++i) text += L" a" + std::to_wstring(i) + L"=\"" + std::to_wstring(i) + L"\"";
    text += L"/>";
    CSkinMarkup markup;
    ASSERT_TRUE(markup.Load(text));
    CMarkupNode root = markup.GetRoot();
    EXPECT_EQ(root.GetAttributeCount(), 64);
    EXPECT_EQ(root.GetAttributeValue(L"a63"), L"63");
    EXPECT_FALSE(root.HasAttribute(L"a64"));
}

TEST(Markup, DeepNestingNeedsNoStack) {
    std::wstring text;
    const int depth = 20000;
    for (int i = 0; i < depth; ++i) text += L"<v>";
    for (int i = 0; i < depth; ++i) text += L"</v>";
    CSkinMarkup markup;
    EXPECT_TRUE(markup.Load(text));
}

struct EncodedDocument {
    const char* name;
    std::string bytes;
    MarkupEncoding encoding;
    bool loads;
};

std::string Utf16(const std::wstring& text, bool bigEndian) {
    std::string out = bigEndian ? std::string("\xFE\xFF", 2) : std::string("\xFF\xFE", 2);
    for (wchar_t c : text) {
        char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

TEST(Markup, EncodingsAndByteOrderMarks) {
    const std::wstring doc = L"<Label text=\"\x5B89\x88C5\"/>";  // 安装
    const std::string utf8 = "<Label text=\"\xE5\xAE\x89\xE8\xA3\x85\"/>";
    std::string noMark = Utf16(doc, false).substr(2);
    const EncodedDocument cases[] = {
        {"utf-8", utf8, MarkupEncoding::Utf8, true},
        {"utf-8 with mark", "\xEF\xBB\xBF" + utf8, MarkupEncoding::Utf8, true},
        {"utf-16 little-endian", Utf16(doc, false), MarkupEncoding::Utf16, true},
        {"utf-16 big-endian", Utf16(doc, true), MarkupEncoding::Utf16, true},
        {"utf-16 without mark", noMark, MarkupEncoding::Utf16, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CSkinMarkup markup;
        bool ok = markup.LoadFromMem(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size(),
                                     c.encoding);
        EXPECT_EQ(ok, c.loads);
        if (c.loads) {
            EXPECT_EQ(markup.GetRoot().GetAttributeValue(L"text"), L"\x5B89\x88C5");
        } else {
            EXPECT_FALSE(markup.GetLastErrorMessage().empty());
        }
    }
}

TEST(Markup, EmptyDocumentHasNoRoot) {
    CSkinMarkup markup;
    EXPECT_TRUE(markup.Load(L"  \r\n "));
    EXPECT_FALSE(markup.GetRoot().IsValid());
}

} // namespace
