#include <gtest/gtest.h>

#include "utils/Text.h"

TEST(Text, Utf8AndSystemCodePageRoundTrip) {
    const std::wstring text = L"Velquor \u5b89\u88c5 \U0001F600";
    const std::string utf8 = Utils::ToNarrow(text, 65001);
    EXPECT_EQ(utf8, "Velquor \xE5\xAE\x89\xE8\xA3\x85 \xF0\x9F\x98\x80");
    EXPECT_EQ(Utils::ToWide(utf8, 65001), text);
    EXPECT_EQ(Utils::ToWide(Utils::ToNarrow(L"plain ascii", 0), 0), L"plain ascii");
    EXPECT_EQ(Utils::ToWide("", 65001), L"");
    EXPECT_EQ(Utils::ToNarrow(L"", 65001), "");
}

TEST(Text, TrimRemovesOuterWhiteSpaceOnly) {
    EXPECT_EQ(Utils::Trim(std::wstring(L" \t a b \r\n")), L"a b");
    EXPECT_EQ(Utils::Trim(std::wstring(L"   ")), L"");
    EXPECT_EQ(Utils::Trim(std::string("\tx\n")), "x");
}

TEST(Text, UrlEncodeKeepsPrintableAsciiAndEscapesTheRest) {
    EXPECT_EQ(Utils::UrlEncode(L"a b/c?d=e&f"), "a+b/c?d=e&f");
    EXPECT_EQ(Utils::UrlEncode(L"\u5b89"), "%E5%AE%89");
    EXPECT_EQ(Utils::UrlEncode(L"\t\x7f~!"), "%09%7F~!");
    EXPECT_EQ(Utils::UrlEncode(L"100%"), "100%");
}

TEST(Text, ReplaceAllReplacesEveryOccurrence) {
    EXPECT_EQ(Utils::ReplaceAll(L"/${ROUTE}/a/${ROUTE}", L"${ROUTE}", L"download_silent"),
              L"/download_silent/a/download_silent");
    // The search starts again from the beginning after each replacement.
    EXPECT_EQ(Utils::ReplaceAll(L"aab", L"ab", L"b"), L"b");
    EXPECT_EQ(Utils::ReplaceAll(L"abc", L"", L"x"), L"abc");
    // A replacement holding the searched text ends instead of looping forever.
    EXPECT_EQ(Utils::ReplaceAll(L"a-a", L"a", L"aa"), L"aa-aa");
}

TEST(Text, UrlParentSegmentIsTheFolderOfTheFile) {
    EXPECT_EQ(Utils::UrlParentSegment("http://h/a/0123abcd/setup.exe"), "0123abcd");
    EXPECT_EQ(Utils::UrlParentSegment("http://host.example/file.exe"), "host.example");
    EXPECT_EQ(Utils::UrlParentSegment("a/b"), "");
    EXPECT_EQ(Utils::UrlParentSegment("nothing"), "");
    EXPECT_EQ(Utils::UrlParentSegment("http://h/a//f"), "");
}

TEST(Text, ToDecimalText) {
    EXPECT_EQ(Utils::ToDecimalText(0), L"0");
    EXPECT_EQ(Utils::ToDecimalText(18446744073709551615ull), L"18446744073709551615");
}
