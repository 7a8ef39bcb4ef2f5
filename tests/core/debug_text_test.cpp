#include <chrono>
#include <climits>
#include <cstddef>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include "core/debug_text.h"
#include "core/text_buffer.h"
#include "support/debug_capture.h"

namespace {

TEST(WriteDebugLine, EndsWithOneCrLfAfterTrailingWhiteSpace)
{
    struct Case {
        const char* text;
        const char* sent;
    };
    const Case cases[] = {
        {"abc \n", "abc\r\n"},    {"line\r\n", "line\r\n"}, {"", "\r\n"},
        {" \t\n\v\f\r", "\r\n"},  {"x\v\f", "x\r\n"},       {"  lead", "  lead\r\n"},
        {"a \t b", "a \t b\r\n"},
    };
    for (const Case& c : cases) {
        DebugCapture capture;
        WriteDebugLine("%s", c.text);
        EXPECT_EQ(capture.Texts(), std::vector<std::string>{c.sent}) << "text: " << c.text;
    }
}

TEST(WriteDebugLine, FormatsWithC99Conversions)
{
    DebugCapture capture;
    WriteDebugLine("%d:%s:%zu:%lld:%.3f:%5s|", -7, "ab", size_t(42), 1LL << 40, 0.75, "r");
    EXPECT_EQ(capture.Texts(), std::vector<std::string>{"-7:ab:42:1099511627776:0.750:    r|\r\n"});
}

TEST(WriteDebugLine, CutsLongTextsTo4093Characters)
{
    auto withBlanks = [](std::string text, size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) text[i] = i % 2 ? ' ' : '\t';
        return text;
    };
    struct Case {
        std::string text;
        size_t kept;
    };
    const Case cases[] = {
        {std::string(5000, 'x'), 4093},
        {withBlanks(std::string(5000, 'x'), 4088, 4093), 4088},
        {std::string(4093, 'x'), 4093},
        {std::string(4093, 'x') + "y", 4093},
        {withBlanks(std::string(4100, 'x'), 0, 4100), 0},
    };
    for (const Case& c : cases) {
        DebugCapture capture;
        WriteDebugLine("%s", c.text.c_str());
        const std::vector<std::string> sent = capture.Texts();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].size(), c.kept + 2) << "length " << c.text.size();
        EXPECT_TRUE(sent[0] == c.text.substr(0, c.kept) + "\r\n") << "length " << c.text.size();
    }
}

TEST(LogTracePoint, SendsNothing)
{
    DebugCapture capture;
    LogTracePoint("IUnitBase", __LINE__, "%s:%s", "Velvane", LocalTimestampText());
    LogTracePoint("SetParameterFromGUI", __LINE__, "%d:%f", 3, 0.5);
    EXPECT_TRUE(capture.Texts().empty());
}

std::tm Broken(int year, int month, int day, int yearDay, int hour, int minute)
{
    std::tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_yday = yearDay;
    t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}

TEST(FormatTimestamp, OffsetFromLocalAndUtc)
{
    struct Case {
        std::tm local;
        std::tm utc;
        const char* text;
    };
    const Case cases[] = {
        {Broken(2024, 6, 15, 166, 14, 30), Broken(2024, 6, 15, 166, 12, 30),
         "20240615 14:30 +0200"},
        {Broken(2024, 6, 15, 166, 8, 0), Broken(2024, 6, 15, 166, 11, 30), "20240615 08:00 -0330"},
        {Broken(2024, 6, 15, 166, 9, 5), Broken(2024, 6, 15, 166, 9, 5), "20240615 09:05 +0000"},
        // local day ahead of or behind the UTC day
        {Broken(2024, 6, 16, 167, 1, 15), Broken(2024, 6, 15, 166, 23, 30), "20240616 01:15 +0145"},
        {Broken(2024, 6, 15, 166, 20, 0), Broken(2024, 6, 16, 167, 1, 0), "20240615 20:00 -0500"},
        // local already in the new year, after a leap year and after a common one
        {Broken(2025, 1, 1, 0, 1, 0), Broken(2024, 12, 31, 365, 23, 0), "20250101 01:00 +0200"},
        {Broken(2024, 1, 1, 0, 4, 45), Broken(2023, 12, 31, 364, 23, 0), "20240101 04:45 +0545"},
        // local still in the old year
        {Broken(2024, 12, 31, 365, 20, 30), Broken(2025, 1, 1, 0, 0, 0), "20241231 20:30 -0330"},
    };
    for (const Case& c : cases) {
        char text[32];
        std::memset(text, '#', sizeof text);
        FormatTimestamp(c.local, c.utc, text);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(LocalTimestampText, DateTimeAndOffsetInOneStaticText)
{
    const char* text = LocalTimestampText();
    ASSERT_EQ(std::strlen(text), 20u) << text;
    const std::string shape = "dddddddd dd:dd sdddd";
    for (size_t i = 0; i < shape.size(); ++i) {
        const char c = text[i];
        switch (shape[i]) {
            case 'd':
                EXPECT_TRUE(c >= '0' && c <= '9') << text;
                break;
            case 's':
                EXPECT_TRUE(c == '+' || c == '-') << text;
                break;
            default:
                EXPECT_EQ(c, shape[i]) << text;
        }
    }
    EXPECT_EQ(LocalTimestampText(), text);
}

// Drives ClockTicks by hand.
class IntervalClockTest : public ::testing::Test {
protected:
    void SetUp() override { SetClockTickSource(Now); }
    void TearDown() override { SetClockTickSource(nullptr); }

    static int32_t Now() { return sNow; }
    static int32_t sNow;
};

int32_t IntervalClockTest::sNow = 0;

TEST_F(IntervalClockTest, HasElapsedOnlyPastTheIntervalThenRestarts)
{
    IntervalClock clock;
    sNow = 1000;
    clock.Restart();
    EXPECT_EQ(clock.start, 1000);

    sNow = 1400;
    EXPECT_FALSE(clock.HasElapsed(0.5));
    sNow = 1500;
    EXPECT_FALSE(clock.HasElapsed(0.5));  // more than the interval is needed
    sNow = 1600;
    EXPECT_TRUE(clock.HasElapsed(0.5));
    EXPECT_EQ(clock.start, 1600);

    sNow = 2000;
    EXPECT_FALSE(clock.HasElapsed(0.5));
    sNow = 2101;
    EXPECT_TRUE(clock.HasElapsed(0.5));
}

TEST_F(IntervalClockTest, CountsAcrossTheTickWrap)
{
    IntervalClock clock;
    sNow = INT32_MAX - 99;
    clock.Restart();
    sNow = INT32_MIN + 300;
    EXPECT_FALSE(clock.HasElapsed(0.5));
    sNow = INT32_MIN + 500;
    EXPECT_TRUE(clock.HasElapsed(0.5));
}

TEST(ClockTicks, CountsWallMillisecondsWhileIdle)
{
    const int32_t before = ClockTicks();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int32_t elapsed = ClockTicks() - before;
    EXPECT_GE(elapsed, 95);
    EXPECT_LT(elapsed, 5000);
}

TEST(IsBlankChar, BlankTabCarriageReturnAndLineFeedOnly)
{
    for (char c : {' ', '\t', '\r', '\n'}) EXPECT_TRUE(IsBlankChar(c)) << int(c);
    for (char c : {'\v', '\f', '\0', 'a', '_', '\xA0', '\x85'})
        EXPECT_FALSE(IsBlankChar(c)) << int(c);
}

TEST(DispatcherOpcodeName, IsEmptyForEveryOpcode)
{
    for (int opcode : {-1, 0, 1, 45, 1000}) EXPECT_STREQ(DispatcherOpcodeName(opcode), "");
}

TEST(AppendBracketedText, ReplacesOutWithTheCutPrefix)
{
    struct Case {
        const char* a;
        const char* b;
        const char* text;
    };
    const Case cases[] = {
        {"ab", "cd", "[ab cd]"},
        {"abcdefgh", "ijklmnop", "[abcef ijklm]"},
        {"abcd", "x", "[abc x]"},  // five characters with the bracket: the fifth goes
        {"abc", "x", "[abc x]"},
        {"abcde", "", "[abce ]"},
        {"", "abcdefghijklmnop", "[ abcdefghij]"},
        {nullptr, nullptr, "[ ]"},
    };
    for (const Case& c : cases) {
        TextBuffer out;
        out.Assign("previous text");
        AppendBracketedText(c.a, c.b, &out);
        EXPECT_STREQ(out.Get(), c.text);
    }
}

TEST(BracketedText, TextBlankAndPrefix)
{
    EXPECT_STREQ(BracketedText("ab", "cd", "msg"), "msg [ab cd]");
    EXPECT_STREQ(BracketedText("ab", "cd", ""), " [ab cd]");
    EXPECT_STREQ(BracketedText("abcdefgh", "ijklmnop", nullptr), " [abcef ijklm]");
}

TEST(BracketedText, TakesItsOwnPreviousResult)
{
    const char* first = BracketedText("ab", "cd", "msg");
    EXPECT_STREQ(BracketedText("x", "y", first), "msg [ab cd] [x y]");
}

}  // namespace
