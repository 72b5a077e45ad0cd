// The SDK core without a network: values and their JSON, the checks, track
// ids, the batch encoding, the queue and the staging file.
#include <gtest/gtest.h>

#include <windows.h>
#include <zlib.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <vector>

#include "analytics/sdk/BatchEncoder.h"
#include "analytics/sdk/Diagnostics.h"
#include "analytics/sdk/PropertiesNode.h"
#include "analytics/sdk/RecordConsumer.h"
#include "analytics/sdk/Sdk.h"
#include "tests/support/TestSupport.h"
#include "utils/Text.h"

using analytics_sdk::PropertiesNode;
using analytics_sdk::RecordConsumer;
using analytics_sdk::Sdk;
namespace au = analytics_sdk::utils;

namespace {

// Collects the SDK's diagnostic lines for one test.
class DiagnosticLines {
public:
    DiagnosticLines() {
        analytics_sdk::SetDiagnosticSink([this](const std::string& line) { lines_.push_back(line); });
    }
    ~DiagnosticLines() { analytics_sdk::SetDiagnosticSink(nullptr); }
    const std::vector<std::string>& lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

std::string Utf8Path(const std::wstring& path) {
    return Utils::ToNarrow(path, CP_UTF8);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// No server listens on port 1: every upload fails at once.
const char* const kDeadServer = "http://127.0.0.1:1/sa?project=pc";

std::string Gunzip(const std::string& data) {
    z_stream stream{};
    EXPECT_EQ(inflateInit2(&stream, 31), Z_OK);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    std::string out;
    char buffer[4096];
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof(buffer);
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, sizeof(buffer) - stream.avail_out);
    }
    EXPECT_EQ(result, Z_STREAM_END);
    inflateEnd(&stream);
    return out;
}

} // namespace

TEST(SdkJson, NumbersUseSixSignificantDigits) {
    const struct {
        double value;
        const char* json;
    } cases[] = {
        {2.5, "2.5"},           {3.0, "3"},           {1.5e6, "1.5e+06"},      {0.000123, "0.000123"},
        {0.0001, "0.0001"},     {0.00001, "1e-05"},   {123456.0, "123456"},    {1234567.0, "1.23457e+06"},
        {999999.5, "1e+06"},    {-2.5, "-2.5"},       {1e100, "1e+100"},       {1.0 / 3.0, "0.333333"},
        {100.0, "100"},         {0.1, "0.1"},         {0.0, "0"},              {12.5, "12.5"},
        {-0.000123, "-0.000123"}, {5e-324, "4.94066e-324"},
    };
    for (const auto& c : cases) EXPECT_EQ(au::FormatNumber(c.value), c.json) << c.value;
}

TEST(SdkJson, NonFiniteNumbersKeepTheBatchValid) {
    EXPECT_EQ(au::FormatNumber(std::numeric_limits<double>::quiet_NaN()), "null");
    EXPECT_EQ(au::FormatNumber(std::numeric_limits<double>::infinity()), "null");
    PropertiesNode set;
    set.SetNumber("x", -std::numeric_limits<double>::infinity());
    EXPECT_EQ(set.ToJson(), "{\"x\":null}");
}

TEST(SdkJson, KeysSerialiseInByteOrder) {
    PropertiesNode set;
    set.SetString("b", "1");
    set.SetString("B", "2");
    set.SetString("_u", "3");
    set.SetString("$d", "4");
    set.SetString("a", "5");
    set.SetString("Z", "6");
    EXPECT_EQ(set.ToJson(), "{\"$d\":\"4\",\"B\":\"2\",\"Z\":\"6\",\"_u\":\"3\",\"a\":\"5\",\"b\":\"1\"}");
}

TEST(SdkJson, ValuesOfEveryKind) {
    au::ObjectNode inner;
    inner.SetValue("k", au::PropertyValue::Integer(-42));
    au::ObjectNode node;
    node.SetValue("i", au::PropertyValue::Integer(-9007199254740993LL));
    node.SetValue("n", au::PropertyValue::Number(2.5));
    node.SetValue("t", au::PropertyValue::Boolean(true));
    node.SetValue("f", au::PropertyValue::Boolean(false));
    node.SetObject("o", inner);
    node.SetObject("e", au::ObjectNode());
    EXPECT_EQ(node.ToJson(), "{\"e\":{},\"f\":false,\"i\":-9007199254740993,\"n\":2.5,\"o\":{\"k\":-42},\"t\":true}");
    EXPECT_EQ(au::ObjectNode().ToJson(), "{}");
}

TEST(SdkJson, OnlyTheSevenEscapesAreWritten) {
    au::ObjectNode node;
    // Stored without the string check: the serializer itself copies every other byte.
    node.SetValue("s", au::PropertyValue::String(std::string("a\b\t\n\f\r\"\\/\x01\x7f\xe4\xbd\xa0", 14)));
    EXPECT_EQ(node.ToJson(), std::string("{\"s\":\"a\\b\\t\\n\\f\\r\\\"\\\\/\x01\x7f\xe4\xbd\xa0\"}"));
}

TEST(SdkProperties, PropertySetsHoldNoNestedObjectsAndMergeReplaces) {
    PropertiesNode set;
    au::ObjectNode inner;
    inner.SetValue("k", au::PropertyValue::Integer(1));
    set.SetObject("nested", inner);
    EXPECT_FALSE(set.Has("nested"));

    PropertiesNode other;
    other.SetString("a", "new");
    other.SetInteger("c", 7);
    set.SetString("a", "old");
    set.SetBool("b", true);
    set.Merge(other);
    EXPECT_EQ(set.ToJson(), "{\"a\":\"new\",\"b\":true,\"c\":7}");
}

TEST(SdkChecks, PropertyKeys) {
    const struct {
        std::string key;
        bool valid;
        const char* message;
    } cases[] = {
        {"Name_1$", true, nullptr},
        {"_x", true, nullptr},
        {"$lib", true, nullptr},
        {std::string(100, 'k'), true, nullptr},
        {"1abc", false, "The Property Key need to be a valid variable name."},
        {"a-b", false, "The Property Key need to be a valid variable name."},
        {"a b", false, "The Property Key need to be a valid variable name."},
        {"k\xc3\xa9", false, "The Property Key need to be a valid variable name."},
        {std::string(101, 'k'), false, "The Property Key is empty or too long, max length is 100"},
        {"", false, "The Property Key is empty or too long, max length is 100"},
    };
    for (const auto& c : cases) {
        DiagnosticLines diagnostics;
        PropertiesNode set;
        set.SetString("fine", "x");
        set.SetInteger(c.key, 1);
        EXPECT_EQ(set.Check(), c.valid) << c.key;
        if (c.message) {
            ASSERT_EQ(diagnostics.lines().size(), 1u) << c.key;
            EXPECT_EQ(diagnostics.lines()[0], c.message);
        } else {
            EXPECT_TRUE(diagnostics.lines().empty()) << c.key;
        }
    }
}

TEST(SdkChecks, StringValues) {
    const struct {
        std::string value;
        bool stored;
    } cases[] = {
        {std::string(8192, 'a'), true},
        {std::string(8193, 'a'), false},
        {"", true},
        {"tab\tlf\ncr\r", true},
        {"\xe4\xbd\xa0\xe5\xa5\xbd", true},          // 你好
        {"\xc2\xa9", true},                          // ©
        {"\xf0\x9f\x98\x80", true},                  // an emoji
        {"\xf4\x8f\xbf\xbf", true},                  // U+10FFFF
        {"\xed\x9f\xbf", true},                      // U+D7FF
        {std::string("a\x01", 2), false},
        {"a\x7f", false},
        {std::string("\0", 1), false},
        {"\xc0\x80", false},                         // over-long
        {"\xe0\x80\x80", false},                     // over-long
        {"\xed\xa0\x80", false},                     // surrogate
        {"\xf4\x90\x80\x80", false},                 // above U+10FFFF
        {"\xe4\xbd", false},                         // cut off at the end
        {"\xf0\x9f\x98", false},                     // cut off at the end
        {"\x80", false},                             // lone continuation
        {"\xc4\xe3", false},                         // ANSI bytes
        {"\xff", false},
    };
    for (const auto& c : cases) {
        DiagnosticLines diagnostics;
        PropertiesNode set;
        EXPECT_EQ(set.SetString("k", c.value), c.stored) << c.value.size();
        EXPECT_EQ(set.Has("k"), c.stored);
        EXPECT_EQ(diagnostics.lines().size(), c.stored ? 0u : 1u);
    }
    DiagnosticLines diagnostics;
    PropertiesNode set;
    set.SetString("long", std::string(8193, 'a'));
    set.SetString("bad", "\xc0\x80");
    ASSERT_EQ(diagnostics.lines().size(), 2u);
    EXPECT_EQ(diagnostics.lines()[0], "String property 'long' is too long, value: " + std::string(8193, 'a'));
    EXPECT_EQ(diagnostics.lines()[1], "String property 'bad' is not valid UTF-8 string, value: \xc0\x80");
}

TEST(SdkChecks, DistinctIds) {
    DiagnosticLines diagnostics;
    EXPECT_TRUE(analytics_sdk::CheckId(std::string(255, 'd'), "Distinct ID"));
    EXPECT_FALSE(analytics_sdk::CheckId(std::string(256, 'd'), "Distinct ID"));
    EXPECT_FALSE(analytics_sdk::CheckId("", "Distinct ID"));
    ASSERT_EQ(diagnostics.lines().size(), 2u);
    EXPECT_EQ(diagnostics.lines()[0], "The Distinct ID is too long, max length is 255.");
    EXPECT_EQ(diagnostics.lines()[1], "The Distinct ID is empty.");
}

TEST(SdkTrackId, DigitsFromBothDrawsAndTheClock) {
    EXPECT_EQ(Sdk::MakeTrackId(98, 998, 1700000001234LL), 989981234);
    EXPECT_EQ(Sdk::MakeTrackId(0, 0, 1700000000000LL), 0);
    EXPECT_EQ(Sdk::MakeTrackId(99, 999, 1700000000007LL), 7);          // both draws wrap to 0
    EXPECT_EQ(Sdk::MakeTrackId(1, 1, 1700000009999LL), 10019999);
    // 4294967295 mod 99 = 3, mod 999 = 561.
    EXPECT_EQ(Sdk::MakeTrackId(4294967295u, 4294967295u, 5), 3 * 10000000LL + 561 * 10000 + 5);
    for (uint32_t r = 0; r < 2000; r += 7) EXPECT_LT(Sdk::MakeTrackId(r, r * 13, Sdk::NowMs()), 1000000000LL);
}

TEST(SdkEncoding, Base64) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
                 {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"\xff\xfe\xfd", "//79"},
                 {"\xfb\xff", "+/8="}};
    for (const auto& c : cases) EXPECT_EQ(analytics_sdk::Base64Encode(c.in), c.out) << c.in;
}

TEST(SdkEncoding, UrlEncodingKeepsOnlyUnreservedBytes) {
    EXPECT_EQ(analytics_sdk::UrlEncodeBytes("aZ09-._~+/= %\xe4"), "aZ09-._~%2B%2F%3D%20%25%E4");
}

TEST(SdkEncoding, GzipAtLevelNineRoundTrips) {
    std::string batch = "[";
    for (int i = 0; i < 300; ++i) batch += (i ? "," : "") + std::string("{\"event\":\"QzEventClick\",\"n\":") + std::to_string(i) + "}";
    batch += "]";
    std::string compressed;
    ASSERT_TRUE(analytics_sdk::GzipCompress(batch, compressed));
    ASSERT_GT(compressed.size(), 10u);
    EXPECT_EQ(static_cast<unsigned char>(compressed[0]), 0x1f);
    EXPECT_EQ(static_cast<unsigned char>(compressed[1]), 0x8b);
    EXPECT_EQ(static_cast<unsigned char>(compressed[2]), 8);   // deflate
    EXPECT_EQ(static_cast<unsigned char>(compressed[8]), 2);   // "maximum compression" flag of level 9
    EXPECT_LT(compressed.size(), batch.size() / 4);
    EXPECT_EQ(Gunzip(compressed), batch);

    // More than one 32 KiB output step: incompressible input.
    std::string noise;
    unsigned seed = 12345;
    for (int i = 0; i < 200000; ++i) noise += static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    ASSERT_TRUE(analytics_sdk::GzipCompress(noise, compressed));
    EXPECT_GT(compressed.size(), 65536u);
    EXPECT_EQ(Gunzip(compressed), noise);

    std::string body;
    ASSERT_TRUE(analytics_sdk::EncodeBatchBody(batch, body));
    EXPECT_EQ(body.compare(0, 10, "data_list="), 0);
    EXPECT_EQ(body.substr(body.size() - 7), "&gzip=1");
    EXPECT_EQ(body.find_first_of("+/=", 10), body.size() - 7 + 5);  // only the "=" of "gzip=1"
}

class SdkInstance : public ::testing::Test {
protected:
    void SetUp() override { staging_ = Utf8Path(scratch_.File(L"cache.txt")); }
    void TearDown() override { Sdk::Shutdown(); }
    std::vector<std::string> StagedLines() { return Lines(TestSupport::ReadFileBytes(scratch_.File(L"cache.txt"))); }

    TestSupport::ScratchFolder scratch_{L"sdk-core"};
    std::string staging_;
};

TEST_F(SdkInstance, RecordLayout) {
    ASSERT_TRUE(Sdk::Init(staging_, kDeadServer, "device-1", false));
    PropertiesNode super;
    super.SetString("$app_version", "1.7.9");
    super.SetString("shared", "super");
    Sdk::RegisterSuperProperties(super);
    PropertiesNode properties;
    properties.SetString("qz_name", "Next");
    properties.SetString("shared", "event");
    properties.SetNumber("elapsed", 1.5e6);
    const int64_t before = Sdk::NowMs();
    Sdk::Track("QzEventClick", properties);
    const int64_t after = Sdk::NowMs();
    EXPECT_EQ(Sdk::QueuedRecordCount(), 1u);
    Sdk::Shutdown();

    const auto lines = StagedLines();
    ASSERT_EQ(lines.size(), 1u);
    const std::string& record = lines[0];
    const std::string tail =
        ",\"distinct_id\":\"device-1\",\"event\":\"QzEventClick\","
        "\"lib\":{\"$lib\":\"cpp\",\"$lib_method\":\"code\",\"$lib_version\":\"0.9\"},"
        "\"properties\":{\"$app_version\":\"1.7.9\",\"$lib\":\"cpp\",\"$lib_version\":\"0.9\",\"elapsed\":1.5e+06,"
        "\"qz_name\":\"Next\",\"shared\":\"event\"},\"time\":";
    ASSERT_EQ(record.compare(0, 13, "{\"_track_id\":"), 0) << record;
    const size_t tailAt = record.find(tail);
    ASSERT_NE(tailAt, std::string::npos) << record;
    const long long trackId = std::stoll(record.substr(13, tailAt - 13));
    const long long time = std::stoll(record.substr(tailAt + tail.size()));
    EXPECT_GE(trackId, 0);
    EXPECT_LT(trackId, 1000000000LL);
    EXPECT_EQ(trackId % 10000, time % 10000);
    EXPECT_GE(time, before);
    EXPECT_LE(time, after);
    EXPECT_EQ(record.substr(record.size() - 16), ",\"type\":\"track\"}");
}

TEST_F(SdkInstance, LoginFlagMarksEveryRecord) {
    ASSERT_TRUE(Sdk::Init(staging_, kDeadServer, "user-7", true));
    Sdk::Track("E", PropertiesNode());
    Sdk::Shutdown();
    const auto lines = StagedLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\"properties\":{\"$is_login_id\":true,\"$lib\":\"cpp\",\"$lib_version\":\"0.9\"}"),
              std::string::npos)
        << lines[0];
    EXPECT_NE(lines[0].find("\"distinct_id\":\"user-7\""), std::string::npos);
}

TEST_F(SdkInstance, InitChecksTheIdAndHappensOnce) {
    EXPECT_FALSE(Sdk::Init(staging_, kDeadServer, "", false));
    EXPECT_FALSE(Sdk::HasInstance());
    EXPECT_FALSE(Sdk::Init(staging_, kDeadServer, std::string(256, 'x'), false));
    EXPECT_FALSE(Sdk::HasInstance());
    ASSERT_TRUE(Sdk::Init(staging_, kDeadServer, std::string(255, 'x'), false));
    EXPECT_TRUE(Sdk::Init(staging_, kDeadServer, "second", false));
    Sdk::Track("E", PropertiesNode());
    Sdk::Shutdown();
    EXPECT_FALSE(Sdk::HasInstance());
    const auto lines = StagedLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\"distinct_id\":\"" + std::string(255, 'x') + "\""), std::string::npos);
    // Without an instance every call is a no-op.
    Sdk::Track("E", PropertiesNode());
    EXPECT_FALSE(Sdk::Flush());
    EXPECT_EQ(Sdk::QueuedRecordCount(), 0u);
}

TEST_F(SdkInstance, InvalidEventsAreDropped) {
    ASSERT_TRUE(Sdk::Init(staging_, kDeadServer, "device-1", false));
    DiagnosticLines diagnostics;
    PropertiesNode bad;
    bad.SetString("a-b", "x");
    Sdk::Track("Fine", bad);
    Sdk::Track("1bad", PropertiesNode());
    Sdk::Track("", PropertiesNode());
    EXPECT_EQ(Sdk::QueuedRecordCount(), 0u);
    ASSERT_EQ(diagnostics.lines().size(), 3u);
    EXPECT_EQ(diagnostics.lines()[0], "The Property Key need to be a valid variable name.");
    EXPECT_EQ(diagnostics.lines()[1], "The Event Name need to be a valid variable name.");
    EXPECT_EQ(diagnostics.lines()[2], "The Event Name is empty or too long, max length is 100");
}

TEST_F(SdkInstance, QueueKeepsTheNewest1024) {
    ASSERT_TRUE(Sdk::Init(staging_, kDeadServer, "device-1", false));
    for (int i = 0; i < 1025; ++i) {
        PropertiesNode properties;
        properties.SetInteger("seq", i);
        Sdk::Track("E", properties);
        if (i == 1023) {
            EXPECT_EQ(Sdk::QueuedRecordCount(), 1024u);
        }
    }
    EXPECT_EQ(Sdk::QueuedRecordCount(), 1024u);
    Sdk::Shutdown();
    const auto lines = StagedLines();
    ASSERT_EQ(lines.size(), 1024u);
    EXPECT_NE(lines.front().find("\"seq\":1}"), std::string::npos) << lines.front();
    EXPECT_NE(lines.back().find("\"seq\":1024}"), std::string::npos) << lines.back();
}

TEST_F(SdkInstance, AFailedUploadPutsTheBatchBack) {
    ASSERT_TRUE(Sdk::Init(staging_, kDeadServer, "device-1", false));
    DiagnosticLines diagnostics;
    for (int i = 0; i < 1000; ++i) {
        PropertiesNode properties;
        properties.SetInteger("seq", i);
        Sdk::Track("E", properties);
    }
    EXPECT_FALSE(Sdk::Flush());
    EXPECT_FALSE(Sdk::LastSendSucceeded());
    EXPECT_EQ(Sdk::QueuedRecordCount(), 1000u);
    ASSERT_FALSE(diagnostics.lines().empty());
    EXPECT_EQ(diagnostics.lines()[0].compare(0, 27, "Analytics SDK send failed: "), 0) << diagnostics.lines()[0];
    EXPECT_GT(diagnostics.lines()[0].size(), 27u);
    Sdk::Shutdown();
    const auto lines = StagedLines();
    ASSERT_EQ(lines.size(), 1000u);
    for (int i : {0, 29, 30, 999}) EXPECT_NE(lines[i].find("\"seq\":" + std::to_string(i) + "}"), std::string::npos);
}

TEST(SdkStaging, LoadKeepsTheLastValidLinesThatFitAndEmptiesTheFile) {
    TestSupport::ScratchFolder scratch(L"sdk-staging");
    std::string content;
    std::vector<std::string> valid;
    for (int i = 0; i < 2000; ++i) {
        valid.push_back("{\"seq\":" + std::to_string(i) + "}");
        content += valid.back() + "\r\n";
        if (i % 500 == 0) content += "not a record\r\n{\"no end\":1\r\n\r\n {\"leading\":1}\r\n\"x\"}\r\n";
    }
    ASSERT_TRUE(TestSupport::WriteFileBytes(scratch.File(L"cache.txt"), content));
    RecordConsumer consumer(Utf8Path(scratch.File(L"cache.txt")), kDeadServer);
    consumer.LoadStaging();
    EXPECT_EQ(consumer.QueueSize(), 1024u);
    EXPECT_EQ(TestSupport::ReadFileBytes(scratch.File(L"cache.txt")), "");
    consumer.DumpStaging();
    const auto lines = Lines(TestSupport::ReadFileBytes(scratch.File(L"cache.txt")));
    ASSERT_EQ(lines.size(), 1024u);
    EXPECT_EQ(lines.front(), valid[2000 - 1024]);
    EXPECT_EQ(lines.back(), valid.back());
    // The staged content goes in once per consumer.
    consumer.LoadStaging();
    EXPECT_EQ(consumer.QueueSize(), 1024u);
}

TEST(SdkStaging, StagedRecordsGoInFrontAsFarAsRoomAllows) {
    TestSupport::ScratchFolder scratch(L"sdk-staging-room");
    std::string content;
    for (int i = 0; i < 100; ++i) content += "{\"staged\":" + std::to_string(i) + "}\n";
    ASSERT_TRUE(TestSupport::WriteFileBytes(scratch.File(L"cache.txt"), content));
    RecordConsumer consumer(Utf8Path(scratch.File(L"cache.txt")), kDeadServer);
    for (int i = 0; i < 1000; ++i) consumer.Enqueue("{\"queued\":" + std::to_string(i) + "}");
    consumer.DumpStaging();  // loads first: 24 places are free
    const auto lines = Lines(TestSupport::ReadFileBytes(scratch.File(L"cache.txt")));
    ASSERT_EQ(lines.size(), 1024u);
    EXPECT_EQ(lines[0], "{\"staged\":76}");
    EXPECT_EQ(lines[23], "{\"staged\":99}");
    EXPECT_EQ(lines[24], "{\"queued\":0}");
    EXPECT_EQ(lines[1023], "{\"queued\":999}");
}

TEST(SdkStaging, MissingFileReadsAsEmptyAndAnEmptyQueueLeavesNoFile) {
    TestSupport::ScratchFolder scratch(L"sdk-staging-none");
    RecordConsumer consumer(Utf8Path(scratch.File(L"cache.txt")), kDeadServer);
    consumer.LoadStaging();
    EXPECT_EQ(consumer.QueueSize(), 0u);
    consumer.DumpStaging();
    EXPECT_FALSE(TestSupport::Exists(scratch.File(L"cache.txt")));
    // A folder as staging path (what a folder-valued setting would give) keeps nothing but breaks nothing.
    RecordConsumer folder(Utf8Path(scratch.Path()), kDeadServer);
    folder.Enqueue("{\"a\":1}");
    folder.DumpStaging();
    EXPECT_EQ(folder.QueueSize(), 1u);
}
