#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/TestSupport.h"
#include "utils/InstanceMutex.h"

namespace {
std::wstring Installer() {
    return L"\"" + TestSupport::BinFolder() + L"VelquorSetup.exe\"";
}
} // namespace

TEST(EntryPoint, EndsWithZeroWhenAlone) {
    const auto run = TestSupport::Run(Installer() + L" -isenableappanalytics=false");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 0u);
}

TEST(EntryPoint, SecondInstanceEndsWithMinusOne) {
    Utils::InstanceMutex held(L"Installer_Velquor");
    held.Acquire();
    ASSERT_TRUE(held.IsHeld());
    const auto run = TestSupport::Run(Installer());
    ASSERT_TRUE(run.started);
    EXPECT_EQ(static_cast<int>(run.exitCode), -1);
    held.Release();
    const auto again = TestSupport::Run(Installer() + L" -isenableappanalytics=false");
    EXPECT_EQ(again.exitCode, 0u);
}

TEST(EntryPoint, LockIsHeldWhileTheInstallerRunsAndFreedAfter) {
    // After a run the lock is free again: a fresh acquire succeeds.
    const auto run = TestSupport::Run(Installer() + L" -isenableappanalytics=false");
    ASSERT_EQ(run.exitCode, 0u);
    Utils::InstanceMutex probe(L"Installer_Velquor");
    probe.Acquire();
    EXPECT_TRUE(probe.IsHeld());
}
