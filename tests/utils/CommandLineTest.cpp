#include <gtest/gtest.h>

#include "utils/CommandLine.h"

using Utils::CommandLine;

TEST(CommandLine, FirstOccurrenceWinsAndBareKeysAreEmpty) {
    CommandLine cl;
    cl.Parse(L"\"C:\\Program Files\\Velquor Setup.exe\" -downloadtype=2 -ischecknet -downloadtype=3");
    ASSERT_EQ(cl.Entries().size(), 3u);
    EXPECT_TRUE(cl.Has(L"C:\\Program Files\\Velquor Setup.exe"));
    EXPECT_EQ(cl.GetString(L"C:\\Program Files\\Velquor Setup.exe"), L"");
    EXPECT_EQ(cl.GetString(L"-downloadtype"), L"2");
    EXPECT_EQ(cl.GetInt(L"-downloadtype"), 2);
    EXPECT_TRUE(cl.Has(L"-ischecknet"));
    EXPECT_EQ(cl.GetString(L"-ischecknet"), L"");
    EXPECT_FALSE(cl.GetBool(L"-ischecknet"));
}

TEST(CommandLine, ValueKeepsEverythingAfterTheFirstEquals) {
    CommandLine cl;
    cl.Parse(L"setup.exe \"-instcmd=/S /D=C:\\x\" plain=1");
    EXPECT_EQ(cl.GetString(L"-instcmd"), L"/S /D=C:\\x");
    // Without a leading "-" the whole argument is a key.
    EXPECT_TRUE(cl.Has(L"plain=1"));
    EXPECT_FALSE(cl.Has(L"plain"));
}

TEST(CommandLine, KeysAreCaseSensitive) {
    CommandLine cl;
    cl.Parse(L"setup.exe -DownloadType=3");
    EXPECT_FALSE(cl.Has(L"-downloadtype"));
    EXPECT_EQ(cl.GetInt(L"-downloadtype"), 0);
    EXPECT_EQ(cl.GetInt(L"-DownloadType"), 3);
}

struct NumberCase {
    const wchar_t* value;
    int asInt;
    double asDouble;  // with fallback -1
    bool asBool;
};

TEST(CommandLine, AccessorsReadValuesAsDocumented) {
    const NumberCase cases[] = {
        {L"12abc", 12, 12.0, false},  {L"abc", 0, -1.0, false},     {L"  -7", -7, -7.0, false},
        {L"+5", 5, 5.0, false},       {L"0.25x", 0, 0.25, false},   {L"1e3", 1, 1000.0, false},
        {L"True", 0, -1.0, false},    {L"true", 0, -1.0, true},     {L"", 0, -1.0, false},
        {L"99999999999", 0, 99999999999.0, false},                  {L"0x10", 0, 0.0, false},
        {L"inf", 0, -1.0, false},     {L"1e999", 1, -1.0, false},   {L".5", 0, 0.5, false},
    };
    for (const auto& c : cases) {
        CommandLine cl;
        cl.Parse(std::wstring(L"setup.exe \"-k=") + c.value + L"\"");
        SCOPED_TRACE(testing::Message() << "value " << testing::PrintToString(std::wstring(c.value)));
        EXPECT_EQ(cl.GetInt(L"-k"), c.asInt);
        EXPECT_DOUBLE_EQ(cl.GetDouble(L"-k", -1.0), c.asDouble);
        EXPECT_EQ(cl.GetBool(L"-k"), c.asBool);
    }
}

TEST(CommandLine, AbsentKeysGiveDefaults) {
    CommandLine cl;
    cl.Parse(L"setup.exe");
    EXPECT_EQ(cl.GetString(L"-x"), L"");
    EXPECT_EQ(cl.GetInt(L"-x"), 0);
    EXPECT_FALSE(cl.GetBool(L"-x"));
    EXPECT_DOUBLE_EQ(cl.GetDouble(L"-x", 0.7), 0.7);
}

TEST(CommandLine, EmptyTextGivesNoEntries) {
    CommandLine cl;
    cl.Parse(L"");
    EXPECT_TRUE(cl.Entries().empty());
}
