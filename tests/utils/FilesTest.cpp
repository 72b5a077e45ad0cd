#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/TestSupport.h"
#include "utils/Folders.h"
#include "utils/Md5.h"
#include "utils/Text.h"

using TestSupport::Exists;
using TestSupport::ScratchFolder;

namespace {
bool IsDir(const std::wstring& path) {
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
} // namespace

TEST(Folders, CreateDirectoriesMakesEveryLevel) {
    ScratchFolder scratch(L"dirs");
    ASSERT_TRUE(Utils::CreateDirectories(scratch.File(L"a\\b\\c")));
    EXPECT_TRUE(IsDir(scratch.File(L"a")));
    EXPECT_TRUE(IsDir(scratch.File(L"a\\b")));
    EXPECT_TRUE(IsDir(scratch.File(L"a\\b\\c")));
    // Existing folders are fine.
    EXPECT_TRUE(Utils::CreateDirectories(scratch.File(L"a\\b\\c")));
}

TEST(Folders, TrailingBackslashStopsAtTheLastSeparator) {
    ScratchFolder scratch(L"dirs2");
    ASSERT_TRUE(Utils::CreateDirectories(scratch.File(L"x\\y\\")));
    EXPECT_TRUE(IsDir(scratch.File(L"x\\y")));
    EXPECT_FALSE(Exists(scratch.File(L"x\\y\\z")));
}

TEST(Folders, ForwardSlashIsNotASeparator) {
    ScratchFolder scratch(L"dirs3");
    // "p" is never made on its own, so the system cannot make "p/q".
    EXPECT_FALSE(Utils::CreateDirectories(scratch.File(L"p/q")));
    EXPECT_FALSE(Exists(scratch.File(L"p")));
}

TEST(Folders, RefusesOverlongPathsAndBlockedFolders) {
    ScratchFolder scratch(L"dirs4");
    EXPECT_FALSE(Utils::CreateDirectories(scratch.Path() + std::wstring(300, L'a')));
    // A file where a folder should be.
    ASSERT_TRUE(TestSupport::WriteFileBytes(scratch.File(L"file"), "x"));
    EXPECT_FALSE(Utils::CreateDirectories(scratch.File(L"file\\sub")));
    EXPECT_FALSE(Utils::CreateDirectories(L"Q:\\no\\such\\drive"));
}

TEST(Folders, TempFolderIsTheInstallersOwn) {
    const std::wstring folder = Utils::GetTempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.substr(folder.size() - 29), L"~TandryTemp.92482B06FB471E17\\");
    EXPECT_TRUE(IsDir(folder));
    // Made again when it was removed.
    TestSupport::RemoveTree(folder);
    EXPECT_EQ(Utils::GetTempFolder(), folder);
    EXPECT_TRUE(IsDir(folder));
}

TEST(Folders, TempFolderThatCannotBeMadeIsEmpty) {
    wchar_t old[MAX_PATH] = {};
    const DWORD had = ::GetEnvironmentVariableW(L"TMP", old, MAX_PATH);
    wchar_t oldTemp[MAX_PATH] = {};
    const DWORD hadTemp = ::GetEnvironmentVariableW(L"TEMP", oldTemp, MAX_PATH);
    ScratchFolder scratch(L"tmpblock");
    ASSERT_TRUE(TestSupport::WriteFileBytes(scratch.File(L"~TandryTemp.92482B06FB471E17"), "not a folder"));
    ::SetEnvironmentVariableW(L"TMP", scratch.Path().c_str());
    ::SetEnvironmentVariableW(L"TEMP", scratch.Path().c_str());
    const std::wstring folder = Utils::GetTempFolder();
    ::SetEnvironmentVariableW(L"TMP", had ? old : nullptr);
    ::SetEnvironmentVariableW(L"TEMP", hadTemp ? oldTemp : nullptr);
    EXPECT_EQ(folder, L"");
}

TEST(Md5, KnownDigests) {
    ScratchFolder scratch(L"md5");
    std::string big(5 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    std::string block(big.substr(0, 1024));
    struct Case {
        const wchar_t* name;
        std::string bytes;
        const char* digest;
    } cases[] = {
        {L"empty", "", "d41d8cd98f00b204e9800998ecf8427e"},
        {L"abc", "abc", "900150983cd24fb0d6963f7d28e17f72"},
        {L"fox", "The quick brown fox jumps over the lazy dog", "9e107d9d372bb6826bd81d3542a419d6"},
        {L"block", block, "a66351d9c8f941b70a02eaf9c41e69c3"},
        {L"big", big, "b1f6dbea541de5e5239fdddb8efb4307"},
    };
    for (const auto& c : cases) {
        const std::wstring path = scratch.File(c.name);
        ASSERT_TRUE(TestSupport::WriteFileBytes(path, c.bytes));
        EXPECT_EQ(Utils::FileMd5Hex(Utils::ToNarrow(path, 0)), c.digest) << Utils::ToNarrow(c.name, 0);
    }
}

TEST(Md5, MissingOrEmptyPathGivesEmptyText) {
    EXPECT_EQ(Utils::FileMd5Hex(""), "");
    EXPECT_EQ(Utils::FileMd5Hex("C:\\no\\such\\file.bin"), "");
}
