#include "app/call_within.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

namespace {

using std::chrono::milliseconds;

TEST(CallWithin, WorkThatReturnsInTimeHasRunWhenTheCallReturns)
{
    int runs = 0;
    EXPECT_TRUE(CallWithin([&] { ++runs; }, milliseconds(5000)));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(CallWithin([] { throw std::runtime_error("ends the work"); }, milliseconds(5000)));
}

TEST(CallWithin, WorkThatHangsIsLeftRunningAndTheCallReturnsAfterTheBound)
{
    auto release = std::make_shared<std::atomic<bool>>(false);
    auto finished = std::make_shared<std::atomic<bool>>(false);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(CallWithin(
        [release, finished] {
            while (!*release) std::this_thread::sleep_for(milliseconds(1));
            *finished = true;
        },
        milliseconds(50)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(50));
    EXPECT_FALSE(*finished);

    // The work goes on after the caller gave up, and ends on its own (a busy
    // machine may give its thread no time for many seconds).
    *release = true;
    const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!*finished && std::chrono::steady_clock::now() < bound)
        std::this_thread::sleep_for(milliseconds(1));
    EXPECT_TRUE(*finished);
}

}  // namespace
