// The single-instance mutex under Wine: one claim at a time, a wait for a copy
// that is ending, none for a copy that shows its main window.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/resource_ids.h"
#include "app/single_instance.h"
#include "hidden_dialog.h"

namespace {

std::string TestMutexName(const char* what)
{
    return "velvane-test-" + std::string(what) + "-" + std::to_string(GetCurrentProcessId());
}

TEST(SingleInstance, OnlyTheFirstClaimSucceedsWhileItHoldsTheMutex)
{
    const std::string name = TestMutexName("claim");
    HANDLE first = ClaimSingleInstance(name.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ClaimSingleInstance(name.c_str()), nullptr);
    CloseHandle(first);
    HANDLE again = ClaimSingleInstance(name.c_str());
    EXPECT_NE(again, nullptr);
    CloseHandle(again);
}

TEST(SingleInstance, OfClaimsMadeAtOnceExactlyOneSucceeds)
{
    const std::string name = TestMutexName("race");
    constexpr int kClaimants = 8;
    std::atomic<int> ready{0};
    std::vector<HANDLE> handles(kClaimants, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < kClaimants; ++i)
        threads.emplace_back([&, i] {
            ++ready;
            while (ready < kClaimants) std::this_thread::yield();
            handles[i] = ClaimSingleInstance(name.c_str());
        });
    for (std::thread& t : threads) t.join();
    int claimed = 0;
    for (HANDLE h : handles)
        if (h) {
            ++claimed;
            CloseHandle(h);
        }
    EXPECT_EQ(claimed, 1);
}

INT_PTR CALLBACK InertDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// A start right after "&Quit" meets the mutex of the copy that is ending.
TEST(SingleInstance, AClaimWaitsForAnInstanceThatEndsWithoutWindow)
{
    const std::string name = TestMutexName("ending");
    HANDLE ending = ClaimSingleInstance(name.c_str());
    ASSERT_NE(ending, nullptr);
    std::thread end([ending] {
        Sleep(300);
        CloseHandle(ending);
    });
    const ULONGLONG start = GetTickCount64();
    HANDLE claimed = ClaimSingleInstanceWhenFree(name.c_str(), 5000);
    const ULONGLONG waited = GetTickCount64() - start;
    end.join();
    ASSERT_NE(claimed, nullptr);
    EXPECT_GE(waited, 250u);
    EXPECT_LT(waited, 5000u);
    CloseHandle(claimed);
}

TEST(SingleInstance, ARunningInstanceWithItsWindowIsNotWaitedFor)
{
    const std::string name = TestMutexName("window");
    HANDLE running = ClaimSingleInstance(name.c_str());
    HWND main = CreateHiddenDialog(IDD_MAIN, InertDlgProc, 0);  // captioned "Velvane"
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(RunningMainWindow(), nullptr);  // hidden, as an ending copy's is
    ShowWindow(main, SW_SHOWNA);
    EXPECT_EQ(RunningMainWindow(), main);
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(ClaimSingleInstanceWhenFree(name.c_str(), 5000), nullptr);
    EXPECT_LT(GetTickCount64() - start, 1000u);
    DestroyWindow(main);
    // Without the window, a claim gives up after its wait.
    EXPECT_EQ(ClaimSingleInstanceWhenFree(name.c_str(), 200), nullptr);
    CloseHandle(running);
}

}  // namespace
