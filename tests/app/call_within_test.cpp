#include "app/call_within.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>

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
    // Blocked, not polling, so that the work wakes on release alone.
    auto release = std::make_shared<std::promise<void>>();
    auto finished = std::make_shared<std::promise<void>>();
    const std::shared_future<void> released = release->get_future().share();
    const std::future<void> ended = finished->get_future();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(CallWithin(
        [released, finished] {
            released.wait();
            finished->set_value();
        },
        milliseconds(50)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(50));
    EXPECT_EQ(ended.wait_for(milliseconds(0)), std::future_status::timeout);

    // The work goes on after the caller gave up, and ends on its own (a busy
    // machine may give its thread no time for many seconds).
    release->set_value();
    EXPECT_EQ(ended.wait_for(std::chrono::seconds(60)), std::future_status::ready);
}

}  // namespace
