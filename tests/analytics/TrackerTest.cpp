// The tracker: its start and end, the four event operations and their
// records, the flush policy, the identity file and the context properties.
#include "tests/analytics/TrackerFixture.h"

#include <regex>
#include <set>

#include "analytics/source/src/DeviceProfile.h"
#include "analytics/source/src/QzContextProperties.h"
#include "analytics/source/src/QzException.h"

using namespace TrackerTesting;
using namespace tandry::tracking;

namespace {

const std::set<std::string> kCommonKeys = {
    "$app_id", "$app_version", "$lib", "$lib_version", "$os", "$os_version", "$screen_height", "$screen_width",
    "qz_app_id", "qz_app_platform", "qz_app_store", "qz_dlapp_id", "qz_edition", "qz_l10n_country",
    "qz_l10n_language", "qz_l10n_locale", "qz_sdk", "qz_sdk_version", "qz_track_type"};

std::set<std::string> PropertyKeys(const CollectorClient::Record& record) {
    const auto keys = record.Keys("properties.");
    return std::set<std::string>(keys.begin(), keys.end());
}

std::set<std::string> With(std::set<std::string> keys, std::initializer_list<const char*> more) {
    for (const char* key : more) keys.insert(key);
    return keys;
}

// The keys of the record's "properties" object in the order they were sent.
std::vector<std::string> SentPropertyOrder(const std::string& raw) {
    std::vector<std::string> keys;
    const size_t start = raw.find("\"properties\":{");
    const std::regex key("\"([^\"]+)\":");
    const std::string rest = raw.substr(start + 14, raw.find('}', start) - start - 14);
    for (auto it = std::sregex_iterator(rest.begin(), rest.end(), key); it != std::sregex_iterator(); ++it)
        keys.push_back((*it)[1]);
    return keys;
}

QzEventClick Click(const std::string& name) {
    QzEventClick click;
    click.name = name;
    return click;
}

} // namespace

TEST_F(TrackerTest, AClickNamedNextCarriesExactlyItsPropertiesAndTheCommonOnes) {
    Start();
    Tracker()->trackClick(Click("Next"), QzContextProperties());
    const auto records = ReleaseAndCollect();
    ASSERT_EQ(records.size(), 1u);
    const auto& record = records[0];
    EXPECT_EQ(record.Text("event"), "QzEventClick");
    EXPECT_EQ(PropertyKeys(record), With(kCommonKeys, {"$is_first_time", "qz_click_type", "qz_name"}));
    EXPECT_EQ(record.Json("properties.$is_first_time"), "true");
    EXPECT_EQ(record.Text("properties.qz_click_type"), "Others");
    EXPECT_EQ(record.Text("properties.qz_name"), "Next");
    EXPECT_EQ(record.Text("properties.qz_app_id"), appName_);
    EXPECT_EQ(record.Text("properties.$app_id"), appName_);
    EXPECT_EQ(record.Text("properties.$app_version"), "1.7.9");
    EXPECT_EQ(record.Text("properties.qz_app_store"), "VelquorSetup.exe");
    EXPECT_EQ(record.Text("properties.qz_dlapp_id"), "Velquor");
    EXPECT_EQ(record.Text("properties.qz_edition"), "china");
    EXPECT_EQ(record.Text("properties.qz_app_platform"), "Windows");
    EXPECT_EQ(record.Text("properties.qz_track_type"), "Client");
    EXPECT_EQ(record.Text("properties.qz_sdk_version"), "3.3.8");
    EXPECT_EQ(record.Text("properties.qz_sdk"), "WindowsCPP");
    EXPECT_EQ(record.Text("properties.$os"), "Windows");
    EXPECT_EQ(record.Text("properties.$lib"), "cpp");
    EXPECT_EQ(record.Json("properties.$screen_width"), std::to_string(::GetSystemMetrics(SM_CXSCREEN)));
    EXPECT_EQ(record.Json("properties.$screen_height"), std::to_string(::GetSystemMetrics(SM_CYSCREEN)));
    EXPECT_EQ(record.Text("properties.$os_version"), OsVersionName());
    const std::string locale = record.Text("properties.qz_l10n_locale");
    EXPECT_EQ(locale, record.Text("properties.qz_l10n_language") + "_" + record.Text("properties.qz_l10n_country"));
    EXPECT_EQ(record.Text("distinct_id"), IniValue(ConfigureFile(), L"Base", L"DistinctId"));

    const auto order = SentPropertyOrder(record.raw);
    ASSERT_EQ(order.size(), PropertyKeys(record).size()) << record.raw;
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << record.raw;
    EXPECT_EQ(order.front(), "$app_id");
}

TEST_F(TrackerTest, ClickFields) {
    Start();
    QzEventClick tab = Click("Tab");
    tab.tabIndex = std::make_shared<int>(0);
    tab.clickType = QzClickType::Banner;
    tab.aname = "a";
    tab.title = "t";
    tab.module = "m";
    tab.position = "p";
    tab.tabName = "tn";
    tab.bannerIndex = std::make_shared<int>(-3);
    tab.bannerName = "bn";
    Tracker()->trackClick(tab, QzContextProperties());
    Tracker()->trackClick(Click("Plain"), QzContextProperties());
    const auto records = ReleaseAndCollect();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Json("properties.qz_tab_index"), "0");
    EXPECT_EQ(records[0].Json("properties.qz_banner_index"), "-3");
    EXPECT_EQ(records[0].Text("properties.qz_click_type"), "Banner");
    for (const auto& field : std::vector<std::pair<const char*, const char*>>{
             {"qz_aname", "a"}, {"qz_title", "t"}, {"qz_module", "m"}, {"qz_position", "p"},
             {"qz_tab_name", "tn"}, {"qz_banner_name", "bn"}})
        EXPECT_EQ(records[0].Text(std::string("properties.") + field.first), field.second);
    for (const char* absent : {"qz_tab_index", "qz_banner_index", "qz_aname", "qz_title", "qz_module",
                               "qz_position", "qz_tab_name", "qz_banner_name"})
        EXPECT_FALSE(records[1].Has(std::string("properties.") + absent)) << absent;
}

TEST_F(TrackerTest, BadEventsAreLostWithALineAndTheCallerGoesOn) {
    Start();
    StdoutCapture capture(DataFolder(appName_) + L"stdout.txt");
    QzEventClick wrongType = Click("X");
    wrongType.clickType = static_cast<QzClickType>(5);
    Tracker()->trackClick(wrongType, QzContextProperties());
    Tracker()->trackClick(QzEventClick(), QzContextProperties());
    Tracker()->trackView(QzEventView(), QzContextProperties());
    Tracker()->trackTask(QzEventTask(), QzContextProperties());
    const std::string output = capture.Finish();
    EXPECT_EQ(output, "Failed to trackClick\nFailed to trackClick\nFailed to trackView\nFailed to trackTask\n");
    EXPECT_EQ(analytics_sdk::Sdk::QueuedRecordCount(), 0u);
}

TEST_F(TrackerTest, TaskResultsAndElapsedTime) {
    Start();
    const struct {
        std::shared_ptr<QzResult> result;
        const char* text;  // nullptr: no key
    } cases[] = {
        {std::make_shared<QzResult>(QzResult::Success), "Success"},
        {std::make_shared<QzResult>(QzResult::Cancelled), "Cancelled"},
        {std::make_shared<QzResult>(QzResult::Fail), "Fail"},
        {std::make_shared<QzResult>(QzResult::Unknown), nullptr},
        {nullptr, nullptr},
    };
    for (const auto& c : cases) {
        QzEventTask task;
        task.name = "T";
        task.result = c.result;
        Tracker()->trackTask(task, QzContextProperties());
    }
    QzEventTask timed;
    timed.name = "Timed";
    timed.elapsed = std::make_shared<float>(12.5f);
    timed.reason = "why";
    Tracker()->trackTask(timed, QzContextProperties());
    // Tasks alone never raise pending: a crash with a click before it uploads them.
    Tracker()->trackClick(Click("Next"), QzContextProperties());
    const auto records = ReleaseAndCollect();
    ASSERT_EQ(records.size(), 7u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(records[i].Text("properties.qz_task_name"), "T");
        if (cases[i].text) {
            EXPECT_EQ(records[i].Text("properties.qz_task_result"), cases[i].text);
        } else {
            EXPECT_FALSE(records[i].Has("properties.qz_task_result")) << i;
        }
        EXPECT_FALSE(records[i].Has("properties.qz_task_elapsed"));
        EXPECT_FALSE(records[i].Has("properties.qz_reason"));
    }
    EXPECT_NE(records[5].raw.find("\"qz_task_elapsed\":12.5,"), std::string::npos) << records[5].raw;
    EXPECT_EQ(records[5].Text("properties.qz_reason"), "why");
    EXPECT_EQ(PropertyKeys(records[5]),
              With(kCommonKeys, {"$is_first_time", "qz_task_name", "qz_task_elapsed", "qz_reason"}));
}

TEST_F(TrackerTest, ViewsAndAnsiText) {
    Start();
    QzEventView view;
    view.name = "Page";
    view.title = "\xc4\xe3";  // ANSI bytes, not UTF-8
    view.position = "top";
    Tracker()->trackView(view, QzContextProperties());
    const auto records = ReleaseAndCollect();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Text("event"), "QzEventView");
    const std::string expected = Utils::ToNarrow(Utils::ToWide("\xc4\xe3", CP_ACP), CP_UTF8);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(records[0].Text("properties.qz_title"), expected);
    EXPECT_TRUE(IsUtf8(records[0].Text("properties.qz_title")));
    EXPECT_EQ(PropertyKeys(records[0]), With(kCommonKeys, {"$is_first_time", "qz_name", "qz_title", "qz_position"}));
}

TEST_F(TrackerTest, ThreeClicksAndACrashGiveOneUploadOfFourRecords) {
    Start();
    for (const char* name : {"One", "Two", "Three"}) Tracker()->trackClick(Click(name), QzContextProperties());
    EXPECT_TRUE(CollectorClient::Requests().empty());
    Tracker()->trackCrash("\xe5\xb4\xa9\xe6\xba\x83");  // 崩溃
    ASSERT_TRUE(WaitForTrackerUploads(10000));
    auto requests = CollectorClient::Requests();
    ASSERT_EQ(requests.size(), 1u);
    ASSERT_EQ(requests[0].records.size(), 4u);
    EXPECT_EQ(requests[0].records[0].Text("properties.qz_name"), "One");
    EXPECT_EQ(requests[0].records[2].Text("properties.qz_name"), "Three");
    const auto& crash = requests[0].records[3];
    EXPECT_EQ(crash.Text("event"), "AppCrashed");
    EXPECT_EQ(crash.Text("properties.app_crashed_reason"), "\xe5\xb4\xa9\xe6\xba\x83");
    EXPECT_EQ(PropertyKeys(crash), With(kCommonKeys, {"app_crashed_reason"}));
    // Nothing is left for the release to send.
    EXPECT_TRUE(ReleaseTracker());
    EXPECT_EQ(CollectorClient::Requests().size(), 1u);
    EXPECT_FALSE(ReleaseTracker());
}

TEST_F(TrackerTest, ACrashAsFirstEventIsStagedNotSent) {
    Start();
    Tracker()->trackCrash("");
    ASSERT_TRUE(WaitForTrackerUploads(10000));
    EXPECT_TRUE(ReleaseTracker());
    EXPECT_TRUE(CollectorClient::Requests().empty());
    const std::string staged = TestSupport::ReadFileBytes(StagingFile());
    ASSERT_EQ(std::count(staged.begin(), staged.end(), '\n'), 1) << staged;
    EXPECT_NE(staged.find("\"event\":\"AppCrashed\""), std::string::npos);
    EXPECT_EQ(staged.find("app_crashed_reason"), std::string::npos);
    EXPECT_EQ(staged.find("$is_first_time"), std::string::npos);

    // The next tracker of the same application sends it first.
    Start();
    Tracker()->trackClick(Click("Later"), QzContextProperties());
    const auto records = ReleaseAndCollect();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Text("event"), "AppCrashed");
    EXPECT_EQ(records[1].Text("properties.qz_name"), "Later");
}

TEST_F(TrackerTest, ReleasingTwiceAnswersTrueThenFalse) {
    EXPECT_FALSE(ReleaseTracker());
    Start();
    EXPECT_NE(CurrentTracker(), nullptr);
    EXPECT_TRUE(ReleaseTracker());
    EXPECT_EQ(CurrentTracker(), nullptr);
    EXPECT_FALSE(ReleaseTracker());
}

TEST_F(TrackerTest, AFailedStartStillInstallsATrackerThatRecordsNothing) {
    TestSupport::ScratchFolder scratch_(L"tracker-failed-start");
    for (const char* missing : {"appName", "appVersion", "appStore"}) {
        SCOPED_TRACE(missing);
        TrackerConfig config = Config();
        if (std::string(missing) == "appName") config.appName.clear();
        if (std::string(missing) == "appVersion") config.appVersion.clear();
        if (std::string(missing) == "appStore") config.appStore.clear();
        CreateTracker(config);
        ASSERT_NE(CurrentTracker(), nullptr);
        EXPECT_FALSE(analytics_sdk::Sdk::HasInstance());
        StdoutCapture capture(scratch_.File(L"stdout.txt"));
        CurrentTracker()->trackClick(Click("Next"), QzContextProperties());
        CurrentTracker()->trackCrash("x");
        // Without an event logger even a lost event leaves no line.
        CurrentTracker()->trackClick(QzEventClick(), QzContextProperties());
        EXPECT_EQ(capture.Finish(), "");
        EXPECT_TRUE(ReleaseTracker());
    }
    EXPECT_TRUE(CollectorClient::Requests().empty());
    EXPECT_FALSE(TestSupport::Exists(DataFolder(appName_)));
}

TEST_F(TrackerTest, AnUnknownEditionStopsAfterTheSdkStarted) {
    TrackerConfig config = Config();
    config.edition = static_cast<QzEdition>(7);
    CreateTracker(config);
    EXPECT_TRUE(analytics_sdk::Sdk::HasInstance());
    Tracker()->trackClick(Click("Next"), QzContextProperties());
    const auto records = ReleaseAndCollect();
    ASSERT_EQ(records.size(), 1u);
    // No common properties were registered, and no uninstall information written.
    EXPECT_EQ(PropertyKeys(records[0]), std::set<std::string>({"$is_first_time", "$lib", "$lib_version",
                                                               "qz_click_type", "qz_name"}));
    EXPECT_EQ(IniValue(ConfigureFile(), L"UninstallInfo", L"AppName"), "<absent>");
}

TEST_F(TrackerTest, TheIdentityFileOfACleanProfile) {
    Start();
    const std::wstring file = ConfigureFile();
    ASSERT_TRUE(TestSupport::Exists(file));
    const std::string id = IniValue(file, L"Base", L"DistinctId");
    EXPECT_TRUE(std::regex_match(id, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}"))) << id;
    EXPECT_EQ(IniValue(file, L"Base", L"PrimaryDistinctId"), id);
    EXPECT_EQ(IniValue(file, L"Base", L"UserId"), "");
    EXPECT_EQ(IniValue(file, L"Base", L"UserVipLevel"), "0");
    EXPECT_EQ(IniValue(file, L"Base", L"URL"), CollectorClient::ServerUrl());
    EXPECT_EQ(IniValue(file, L"Base", L"isLogined"), "NG");
    EXPECT_EQ(IniValue(file, L"UninstallInfo", L"AppStore"), "VelquorSetup.exe");
    EXPECT_EQ(IniValue(file, L"UninstallInfo", L"AppName"), appName_);
    EXPECT_EQ(IniValue(file, L"UninstallInfo", L"AppVersion"), "1.7.9");
    const std::string text = TestSupport::ReadFileBytes(file);
    const std::regex order("\\[Base\\]\\s+DistinctId=.*\\s+PrimaryDistinctId=.*\\s+UserId=\\s+UserVipLevel=0\\s+"
                           "URL=.*\\s+isLogined=NG\\s+\\[UninstallInfo\\]\\s+AppStore=.*\\s+AppName=.*\\s+AppVersion=.*\\s*");
    EXPECT_TRUE(std::regex_match(text, order)) << text;
    // The event log exists and stays empty.
    const std::wstring log = DataFolder(appName_) + Utils::ToWide(appName_, CP_UTF8) + L"_QZSLog.txt";
    EXPECT_TRUE(TestSupport::Exists(log));
    EXPECT_EQ(TestSupport::ReadFileBytes(log), "");

    // A later start with the same server keeps the identity.
    ASSERT_TRUE(ReleaseTracker());
    Start();
    EXPECT_EQ(IniValue(file, L"Base", L"DistinctId"), id);
    EXPECT_EQ(Tracker()->getPrimaryDistinctId(), id);
}

TEST_F(TrackerTest, AnotherServerLogsOutAndRestoresThePrimaryId) {
    const std::wstring file = ConfigureFile();
    ASSERT_TRUE(Utils::CreateDirectories(DataFolder(appName_)));
    WriteIni(file, L"Base", L"DistinctId", "USER-SESSION-ID");
    WriteIni(file, L"Base", L"PrimaryDistinctId", "PRIMARY-ID");
    WriteIni(file, L"Base", L"UserId", "u42");
    WriteIni(file, L"Base", L"UserVipLevel", "3");
    WriteIni(file, L"Base", L"URL", "https://old.example/sa?project=pc");
    WriteIni(file, L"Base", L"isLogined", "OK");
    Start();
    EXPECT_EQ(IniValue(file, L"Base", L"DistinctId"), "PRIMARY-ID");
    EXPECT_EQ(IniValue(file, L"Base", L"PrimaryDistinctId"), "PRIMARY-ID");
    EXPECT_EQ(IniValue(file, L"Base", L"UserId"), "");
    EXPECT_EQ(IniValue(file, L"Base", L"isLogined"), "NG");
    EXPECT_EQ(IniValue(file, L"Base", L"UserVipLevel"), "3");
    EXPECT_EQ(IniValue(file, L"Base", L"URL"), CollectorClient::ServerUrl());
    Tracker()->trackClick(Click("Next"), QzContextProperties());
    const auto records = ReleaseAndCollect();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Text("distinct_id"), "PRIMARY-ID");
    EXPECT_FALSE(records[0].Has("properties.$is_login_id"));
}

TEST_F(TrackerTest, ALoggedInUserIsTheDistinctIdOnlyForExactlyOK) {
    for (const char* flag : {"OK", "ok"}) {
        SCOPED_TRACE(flag);
        ASSERT_TRUE(CollectorClient::Reset());
        const std::wstring file = ConfigureFile();
        ASSERT_TRUE(Utils::CreateDirectories(DataFolder(appName_)));
        WriteIni(file, L"Base", L"DistinctId", "DEVICE-ID");
        WriteIni(file, L"Base", L"UserId", "u42");
        WriteIni(file, L"Base", L"URL", CollectorClient::ServerUrl());
        WriteIni(file, L"Base", L"isLogined", flag);
        Start();
        Tracker()->trackClick(Click("Next"), QzContextProperties());
        const auto records = ReleaseAndCollect();
        ASSERT_EQ(records.size(), 1u);
        const bool loggedIn = std::string(flag) == "OK";
        EXPECT_EQ(records[0].Text("distinct_id"), loggedIn ? "u42" : "DEVICE-ID");
        EXPECT_EQ(records[0].Has("properties.$is_login_id"), loggedIn);
        EXPECT_EQ(records[0].Text("properties.qz_user_id"), "u42");
        EXPECT_EQ(IniValue(file, L"Base", L"PrimaryDistinctId"), "DEVICE-ID");
        EXPECT_EQ(IniValue(file, L"Base", L"isLogined"), loggedIn ? "OK" : "NG");
    }
}

TEST_F(TrackerTest, ContextPropertiesReachOnlyTheirKind) {
    Start();
    QzContextProperties clickContext;
    clickContext.setProperty("qzc_ab", "IN", {QzEventType::Click});
    clickContext.setProperty("qz_name", "Replaced", {QzEventType::Click});
    clickContext.setProperty("bad", "\xc0\x80", {QzEventType::Click});
    Tracker()->trackClick(Click("Next"), clickContext);
    Tracker()->trackView([] {
        QzEventView view;
        view.name = "Other";
        return view;
    }(), QzContextProperties());
    Tracker()->trackView([] {
        QzEventView view;
        view.name = "Same context";
        return view;
    }(), clickContext);
    const auto records = ReleaseAndCollect();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].Text("properties.qzc_ab"), "IN");
    EXPECT_EQ(records[0].Text("properties.qz_name"), "Replaced");
    EXPECT_FALSE(records[0].Has("properties.bad"));
    EXPECT_FALSE(records[1].Has("properties.qzc_ab"));
    EXPECT_FALSE(records[2].Has("properties.qzc_ab"));
    EXPECT_EQ(records[2].Text("properties.qz_name"), "Same context");
}

TEST(QzContext, SetPropertyRefusesDuplicatesAndUnknownKinds) {
    QzContextProperties context;
    context.setProperty("qzc_ab", "IN", {QzEventType::Task});
    try {
        context.setProperty("qzc_ab", "IN", {QzEventType::Task});
        FAIL() << "no exception";
    } catch (const QzException& error) {
        EXPECT_STREQ(error.what(), "Property[qzc_ab] already exist!");
        EXPECT_EQ(error.function(), "setProperty");
        EXPECT_GT(error.line(), 0);
    }
    try {
        context.setProperty("k", "v", {QzEventType::Click, static_cast<QzEventType>(15), QzEventType::View});
        FAIL() << "no exception";
    } catch (const QzException& error) {
        EXPECT_STREQ(error.what(), "QzEvent[15] overflow!");
    }
    // The kind before the bad one keeps its entry; the one after gets none.
    EXPECT_EQ(context.getEventProperties(QzEventType::Click).size(), 1u);
    EXPECT_TRUE(context.getEventProperties(QzEventType::View).empty());
    EXPECT_EQ(*context.getEventProperties(QzEventType::Task)[0].value, "IN");
    EXPECT_THROW(context.getEventProperties(static_cast<QzEventType>(15)), QzException);
}

TEST(QzContext, AbValues) {
    const struct {
        const char* value;
        bool valid;
        const char* error;  // nullptr: no exception
    } cases[] = {
        {"A", true, nullptr},
        {"B7", true, nullptr},
        {"Z9Q", true, nullptr},
        {"IN", true, nullptr},
        {"", false, nullptr},
        {"a1", false, "First char is not in A to Z"},
        {"AB-", false, "third char is not in A to Z and 0 to 9"},
        {"ABCD", false, "value's length is great than 3."},
        {"Ab", false, "second char is not in A to Z and 0 to 9"},
        {"7", false, "First char is not in A to Z"},
    };
    for (const auto& c : cases) {
        if (c.error) {
            try {
                QzContextProperties::isValidABValue(c.value);
                ADD_FAILURE() << c.value << ": no exception";
            } catch (const QzException& error) {
                EXPECT_STREQ(error.what(), c.error) << c.value;
            }
        } else {
            EXPECT_EQ(QzContextProperties::isValidABValue(c.value), c.valid) << c.value;
        }
    }
}

TEST(DeviceProfile, OsVersionNames) {
    const struct {
        unsigned long major, minor, build;
        bool is64, r2;
        const char* name;
    } cases[] = {
        {10, 0, 19045, true, false, "10"},  {10, 0, 22000, true, false, "11"},  {10, 0, 21999, false, false, "10"},
        {10, 1, 0, true, false, "11+"},     {6, 1, 7601, true, false, "7"},     {6, 1, 7601, false, false, "7-32"},
        {6, 0, 6002, true, false, "Vista64"}, {6, 0, 6002, false, false, "Vista"}, {6, 2, 9200, true, false, "8"},
        {6, 2, 9200, false, false, "8-32"}, {6, 3, 9600, false, false, "8.1"},  {6, 4, 0, false, false, "8.1+"},
        {5, 0, 2195, false, false, "2K"},   {5, 1, 2600, false, false, "XP"},   {5, 2, 3790, true, false, "XP64"},
        {5, 2, 3790, false, true, "Server 2003 R2"}, {5, 2, 3790, false, false, "Server 2003"},
        {5, 3, 0, false, false, "XP+"},     {4, 0, 1381, false, false, "XP-"},  {0, 0, 0, false, false, "XP-"},
        {11, 2, 0x1234ABCD, true, false, "11.2.43981"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OsVersionNameFor(c.major, c.minor, c.build, c.is64, c.r2), c.name) << c.major << "." << c.minor;
}

TEST(DeviceProfile, DataPaths) {
    const DataPaths overridden = DataPathsFor("D:/data/x.ini", "C:\\ignored", "App");
    EXPECT_EQ(overridden.configurePath, "D:\\data\\x.ini");
    EXPECT_EQ(overridden.dataDir, "D:\\data\\");
    const DataPaths standard = DataPathsFor("", "C:\\Users\\ME~1\\AppData\\Local", "Velquor.downloader");
    EXPECT_EQ(standard.dataDir, "C:\\Users\\ME~1\\AppData\\Local\\QZLocal\\Velquor.downloader\\");
    EXPECT_EQ(standard.configurePath, standard.dataDir + "Velquor.downloader_QZSConfigure.ini");
    // A bare file name is no usable override; and a missing base folder starts the path at the root.
    EXPECT_EQ(DataPathsFor("x.ini", "", "A").configurePath, "\\QZLocal\\A\\A_QZSConfigure.ini");
}

TEST(DeviceProfile, DeviceIdsAreFreshUpperCaseGuids) {
    const std::string a = NewDeviceId(), b = NewDeviceId();
    const std::regex guid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    EXPECT_TRUE(std::regex_match(a, guid)) << a;
    EXPECT_NE(a, b);
}

TEST(DeviceProfile, TextBecomesUtf8) {
    EXPECT_EQ(ToUtf8Text("plain"), "plain");
    EXPECT_EQ(ToUtf8Text("\xe4\xbd\xa0"), "\xe4\xbd\xa0");
    const std::string converted = ToUtf8Text("\xc4\xe3");
    EXPECT_TRUE(IsUtf8(converted));
    EXPECT_EQ(converted, Utils::ToNarrow(Utils::ToWide("\xc4\xe3", CP_ACP), CP_UTF8));
}

TEST_F(TrackerTest, ReleasingDuringABackgroundUploadWaitsForItAndLosesNothing) {
    Start();
    // A failed upload makes the next triggers run on a background thread.
    ASSERT_TRUE(CollectorClient::SetMode("status:500"));
    Tracker()->trackClick(Click("Before"), QzContextProperties());
    Tracker()->trackCrash("first");
    ASSERT_TRUE(WaitForTrackerUploads(20000));
    ASSERT_FALSE(analytics_sdk::Sdk::LastSendSucceeded());

    // The collector takes a second to answer; the release comes at once.
    ASSERT_TRUE(CollectorClient::SetMode("stall:1"));
    Tracker()->trackClick(Click("After"), QzContextProperties());
    Tracker()->trackCrash("second");
    EXPECT_TRUE(ReleaseTracker());
    EXPECT_FALSE(analytics_sdk::Sdk::HasInstance());
    // The upload had been answered before the SDK under it was gone.
    const auto requests = CollectorClient::Requests();
    ASSERT_FALSE(requests.empty());
    for (const auto& request : requests) EXPECT_TRUE(request.done);

    std::vector<std::string> names;
    for (const auto& request : requests) {
        if (request.answered != 200) continue;
        for (const auto& record : request.records)
            names.push_back(record.Text("event") + ":" + record.Text("properties.qz_name") +
                            record.Text("properties.app_crashed_reason"));
    }
    EXPECT_EQ(names, std::vector<std::string>({"QzEventClick:Before", "AppCrashed:first", "QzEventClick:After",
                                               "AppCrashed:second"}));
    EXPECT_FALSE(TestSupport::Exists(StagingFile()) && !TestSupport::ReadFileBytes(StagingFile()).empty());
}
