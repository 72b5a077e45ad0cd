#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <vector>

#include "tests/support/TestSupport.h"
#include "utils/Process.h"
#include "utils/Thread.h"

TEST(Thread, RunsTheCallbackWithItsArgumentAfterResume) {
    std::atomic<int> calls{0};
    void* seen = nullptr;
    int owner = 0;
    {
        Utils::Thread thread(&owner, L"ABDEF", [&](void* arg) {
            seen = arg;
            ++calls;
        });
        ASSERT_NE(thread.Handle(), nullptr);
        EXPECT_NE(thread.Id(), 0xFFFFFFFFu);
        EXPECT_EQ(thread.Name(), L"ABDEF");
        ::Sleep(50);
        EXPECT_EQ(calls.load(), 0) << "created suspended";
        ASSERT_TRUE(thread.Resume());
        thread.Join();
        EXPECT_EQ(thread.Handle(), nullptr);
        EXPECT_EQ(thread.Id(), 0xFFFFFFFFu);
    }
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(seen, &owner);
}

TEST(Thread, DestructionWaitsForARunningThread) {
    std::atomic<bool> finished{false};
    {
        Utils::Thread thread(nullptr, L"", [&](void*) {
            ::Sleep(300);
            finished = true;
        });
        thread.Resume();
    }
    EXPECT_TRUE(finished.load());
}

TEST(Thread, DestroyingANeverResumedThreadDoesNotHangOrRun) {
    std::atomic<bool> ran{false};
    {
        Utils::Thread thread(nullptr, L"UnInstaller", [&](void*) { ran = true; });
    }
    EXPECT_FALSE(ran.load());
}

TEST(Thread, ExitCodeIsZero) {
    Utils::Thread thread(nullptr, L"x", [](void*) {});
    HANDLE copy = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), thread.Handle(), ::GetCurrentProcess(), &copy, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    thread.Resume();
    thread.Join();
    DWORD code = 1234;
    ::GetExitCodeThread(copy, &code);
    ::CloseHandle(copy);
    EXPECT_EQ(code, 0u);
}

namespace {
std::string ReadAll(HANDLE read) {
    std::string out;
    char buffer[1024];
    DWORD got = 0;
    while (::ReadFile(read, buffer, sizeof(buffer), &got, nullptr) && got > 0) out.append(buffer, got);
    return out;
}
} // namespace

TEST(PipedProcess, ChildStreamsGoThroughThePipes) {
    Utils::PipedProcess process;
    process.CreatePipes();
    const std::wstring exe = TestSupport::BinFolder() + L"echo_child.exe";
    process.Start(L"\"" + exe + L"\" hello \"two words\" exit=3");
    const char input[] = "velquor input\n";
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(process.inputPipe->write, input, sizeof(input) - 1, &written, nullptr));
    process.inputPipe->CloseWrite();  // end of the child's input
    const std::string out = ReadAll(process.outputPipe->read);
    const std::string err = ReadAll(process.errorPipe->read);
    ASSERT_EQ(::WaitForSingleObject(process.info.hProcess, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeProcess(process.info.hProcess, &code);
    EXPECT_EQ(code, 3u);
    EXPECT_NE(out.find("arg[1]=hello"), std::string::npos) << out;
    EXPECT_NE(out.find("arg[2]=two words"), std::string::npos) << out;
    EXPECT_NE(out.find("VELQUOR INPUT\n"), std::string::npos) << out;
    EXPECT_EQ(err, "stderr line\n");
    EXPECT_STREQ(process.commandLine, (L"\"" + exe + L"\" hello \"two words\" exit=3").c_str());
    process.Close();
    EXPECT_EQ(process.info.hProcess, nullptr);
    EXPECT_EQ(process.outputPipe->read, nullptr);
}

TEST(PipedProcess, MissingProgramThrows) {
    Utils::PipedProcess process;
    process.CreatePipes();
    EXPECT_THROW(process.Start(L"C:\\no\\such\\program.exe /S"), Utils::Exception);
}

TEST(PipedProcess, CommandLineThatDoesNotFitThrowsInsteadOfBeingCut) {
    Utils::PipedProcess process;
    process.CreatePipes();
    const std::wstring exe = TestSupport::BinFolder() + L"echo_child.exe";
    EXPECT_THROW(process.Start(L"\"" + exe + L"\" " + std::wstring(1100, L'x')), Utils::Exception);
    EXPECT_EQ(process.info.hProcess, nullptr);
}

TEST(PipedProcess, StartWithoutPipesThrows) {
    Utils::PipedProcess process;
    EXPECT_THROW(process.Start(L"cmd.exe"), Utils::Exception);
}
