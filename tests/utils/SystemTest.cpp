#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <regex>
#include <set>

#include "tests/support/TestSupport.h"
#include "utils/Guid.h"
#include "utils/HardDiskManager.h"
#include "utils/InstanceMutex.h"
#include "utils/MessagePump.h"
#include "utils/Network.h"
#include "utils/OsVersion.h"
#include "utils/Registry.h"
#include "utils/Security.h"
#include "utils/Stopwatch.h"
#include "utils/Text.h"

TEST(Registry, WriteThenReadRoundTrip) {
    const std::wstring text = L"C:\\Program Files\\Velquor \u5b89\u88c5";
    ASSERT_TRUE(Utils::WriteRegistryString(L"TestValue", text));
    unsigned long type = 0;
    std::wstring back;
    ASSERT_TRUE(Utils::ReadRegistryString(L"TestValue", type, back));
    EXPECT_EQ(type, static_cast<unsigned long>(REG_SZ));
    EXPECT_EQ(back, text);
    // Stored with its terminator, under the installer's key.
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\TandrySoft\\Velquor", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD bytes = 0;
    ::RegQueryValueExW(key, L"TestValue", nullptr, nullptr, nullptr, &bytes);
    EXPECT_EQ(bytes, (text.size() + 1) * sizeof(wchar_t));
    ::RegDeleteValueW(key, L"TestValue");
    ::RegCloseKey(key);
}

TEST(Registry, UnterminatedDataIsReadTerminated) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\TandrySoft\\Velquor", 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t raw[3] = {L'a', L'b', L'c'};
    ::RegSetValueExW(key, L"Raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw), sizeof(raw));
    unsigned long type = 0;
    std::wstring back;
    EXPECT_TRUE(Utils::ReadRegistryString(L"Raw", type, back));
    EXPECT_EQ(back, L"abc");
    ::RegDeleteValueW(key, L"Raw");
    ::RegCloseKey(key);
}

TEST(Registry, MissingValueIsFalse) {
    unsigned long type = 0;
    std::wstring back = L"unchanged";
    EXPECT_FALSE(Utils::ReadRegistryString(L"NoSuchValue", type, back));
}

TEST(Guid, FormatIsThirtyTwoHexDigitsWithLowerThirdGroup) {
    ::CoInitialize(nullptr);
    std::set<std::wstring> seen;
    for (int i = 0; i < 50; ++i) {
        const std::wstring guid = Utils::NewGuidText();
        ASSERT_EQ(guid.size(), 32u);
        const std::string g = Utils::ToNarrow(guid, 0);
        EXPECT_TRUE(std::regex_match(g, std::regex("[0-9A-F]{12}[0-9a-f]{4}[0-9A-F]{16}"))) << g;
        seen.insert(guid);
    }
    EXPECT_EQ(seen.size(), 50u);
    ::CoUninitialize();
}

TEST(OsVersion, NamingTable) {
    struct Case {
        unsigned long major, minor, build;
        bool r2;
        const wchar_t* name;
    } cases[] = {
        {4, 0, 1381, false, L"XP-"}, {5, 0, 2195, false, L"2K"},         {5, 1, 2600, false, L"XP"},
        {5, 2, 3790, false, L"Server 2003"}, {5, 2, 3790, true, L"Server 2003 R2"},
        {5, 3, 0, false, L"XP+"},    {6, 0, 6000, false, L"Vista"},      {6, 1, 7601, false, L"7"},
        {6, 2, 9200, false, L"8"},   {6, 3, 9600, false, L"8.1"},        {6, 4, 0, false, L"8.1+"},
        {10, 0, 19045, false, L"10"}, {10, 1, 0, false, L"10+"},          {12, 1, 100, false, L"12.1.100"},
        {7, 0, 0xF0001234, false, L"7.0.4660"}, {0, 0, 0, false, L"XP-"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utils::OsVersionNameFor(c.major, c.minor, c.build, c.r2), c.name) << c.major << "." << c.minor;
}

TEST(OsVersion, RunningSystemIsNamed) {
    std::wstring family, name;
    Utils::GetOsVersionName(family, name);
    EXPECT_EQ(family, L"Windows");
    EXPECT_FALSE(name.empty());
    EXPECT_NE(name, L"XP-") << "RtlGetNtVersionNumbers was not found";
    bool is64 = true;
    Utils::Is64BitOs(is64);
    // Our Wine prefix is a 32-bit one.
    EXPECT_FALSE(is64);
}

TEST(InstanceMutex, SecondHolderGetsNoHandle) {
    Utils::InstanceMutex first(L"Test_Lock");
    first.Acquire();
    ASSERT_TRUE(first.IsHeld());
    EXPECT_EQ(first.Name(), L"D1A547DB89C0BC61_Test_Lock");
    Utils::InstanceMutex second(L"Test_Lock");
    second.Acquire();
    EXPECT_FALSE(second.IsHeld());
    first.Release();
    EXPECT_FALSE(first.IsHeld());
    second.Acquire();
    EXPECT_TRUE(second.IsHeld());
}

TEST(HardDiskManager, ReportsTheVolumeAndKeepsCountsOnFailure) {
    Utils::HardDiskManager disk;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    ASSERT_TRUE(disk.CheckFreeSpace(temp));
    EXPECT_GT(disk.TotalBytes(), 0u);
    EXPECT_LE(disk.FreeBytesAvailable(), disk.TotalBytes());
    EXPECT_LE(disk.TotalFreeBytes(), disk.TotalBytes());
    const auto total = disk.TotalBytes();
    EXPECT_FALSE(disk.CheckFreeSpace(L"Q:\\no\\such\\drive\\"));
    EXPECT_EQ(disk.TotalBytes(), total);
}

TEST(Network, CheckAnswersInTheDocumentedShape) {
    ::CoInitialize(nullptr);
    const int result = Utils::CheckNetwork();
    ::CoUninitialize();
    const int status = (result >> 16) & 0xFFFF;
    EXPECT_GE(status, 0);
    EXPECT_LE(status, 2);
    if (status == 1) {
        EXPECT_EQ(result & 0xFFFF, 0);
    }
    std::printf("CheckNetwork: flags 0x%X status %d\n", result & 0xFFFF, status);
}

TEST(Security, QueriesAnswerWithoutFailing) {
    std::wstring user;
    const bool haveUser = Utils::GetActiveSessionUserName(user);
    if (haveUser) {
        EXPECT_FALSE(user.empty());
    }
    std::printf("running as admin: %d, console user: %s, user admin: %d\n", Utils::IsRunningAsAdmin(),
                Utils::ToNarrow(user, CP_UTF8).c_str(), haveUser ? Utils::IsUserAdmin(user) : -1);
    EXPECT_FALSE(Utils::IsUserAdmin(L"no-such-user-velquor"));
}

TEST(Stopwatch, MeasuresWhileRunning) {
    Utils::Stopwatch watch;
    EXPECT_EQ(watch.ElapsedSeconds(), 0.0f);
    watch.Start();
    ::Sleep(120);
    const float elapsed = watch.ElapsedSeconds();
    EXPECT_GE(elapsed, 0.1f);
    EXPECT_LT(elapsed, 10.0f);
    watch.Stop();
    EXPECT_EQ(watch.ElapsedSeconds(), 0.0f);
}

TEST(MessagePump, EndsOnQuitAndPostsItAgain) {
    ::PostQuitMessage(5);
    EXPECT_FALSE(Utils::PumpMessages(nullptr));
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

TEST(MessagePump, EndsWhenTheWindowIsGone) {
    HWND window = ::CreateWindowExW(0, L"STATIC", L"x", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ::PostMessageW(window, WM_CLOSE, 0, 0);  // DefWindowProc destroys it
    EXPECT_FALSE(Utils::PumpMessages(window));
    EXPECT_FALSE(::IsWindow(window));
}

TEST(MessagePump, SliceEndsAfterAHundredMilliseconds) {
    HWND window = ::CreateWindowExW(0, L"STATIC", L"x", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ::SetTimer(window, 1, 30, nullptr);
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(Utils::PumpMessages(window));
    EXPECT_GE(::GetTickCount() - start, 90u);
    ::DestroyWindow(window);
}
