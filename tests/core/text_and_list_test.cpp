#include <atomic>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include "core/critical_section.h"
#include "core/pointer_list.h"
#include "core/text_buffer.h"
#include "support/failing_allocator.h"

namespace {

TEST(TextBuffer, NeverAssignedReadsEmptyAndHoldsNothing)
{
    TextBuffer text;
    EXPECT_STREQ(text.Get(), "");
    EXPECT_EQ(text.Allocated(), 0);
}

TEST(TextBuffer, AssignCutsAndEmpties)
{
    struct Case {
        const char* text;
        int maxLength;
        const char* expected;
        int used;
    };
    const Case cases[] = {
        {"abcdef", 3, "abc", 4}, {"abcdef", 0, "abcdef", 7}, {"abcdef", 10, "abcdef", 7},
        {"", 0, "", 1},          {nullptr, 0, "", 1},
    };
    for (const Case& c : cases) {
        TextBuffer text;
        EXPECT_TRUE(text.Assign(c.text, c.maxLength));
        EXPECT_STREQ(text.Get(), c.expected);
        EXPECT_EQ(text.Size(), c.used);
        EXPECT_EQ(text.Allocated(), c.used == 1 ? 129 : 128 + c.used);
    }
}

TEST(TextBuffer, AssignReadsNoFurtherThanTheLimit)
{
    const char unterminated[3] = {'a', 'b', 'c'};  // ASan: a byte beyond it would be a fault
    TextBuffer text;
    text.Assign(unterminated, 3);
    EXPECT_STREQ(text.Get(), "abc");
}

TEST(TextBuffer, ShorterTextKeepsTheBlock)
{
    TextBuffer text;
    text.Assign(std::string(300, 'x').c_str());
    const int allocated = text.Allocated();
    text.Assign("ab");
    EXPECT_STREQ(text.Get(), "ab");
    EXPECT_EQ(text.Size(), 3);
    EXPECT_EQ(text.Allocated(), allocated);
}

TEST(TextBuffer, AssignOwnTail)
{
    TextBuffer text;
    text.Assign("hello world");
    text.Assign(text.Get() + 6);
    EXPECT_STREQ(text.Get(), "world");
}

TEST(TextBuffer, AssignOwnTextWhileGrowing)
{
    // Insert the text into itself so that growth must move the source along.
    TextBuffer text;
    const std::string long_text(200, 'q');
    text.Assign(long_text.c_str());
    EXPECT_TRUE(text.Insert(200, text.Get(), 200, 0));
    EXPECT_EQ(std::string(text.Get()), long_text + long_text);
}

TEST(TextBuffer, InsertInsertsAppendsAndClampsFollowing)
{
    struct Case {
        int position;
        const char* insert;
        int length;
        int following;
        const char* expected;
    };
    const Case cases[] = {
        {2, "XY", 2, 3, "abXYcde"},   // following = length - position inserts
        {5, "XY", 2, 0, "abcdeXY"},   // position = length appends
        {2, "XY", 2, 0, "abXY"},      // nothing kept after the insertion
        {2, "XY", 2, 50, "abXYcde"},  // following beyond the text is clamped
        {0, "X", 1, 5, "Xabcde"},    {0, nullptr, 0, 0, ""},  // all zero empties the text
        {1, "X", 0, 2, "abcde"},                              // no length: nothing happens
        {-1, "X", 1, 2, "abcde"},                             // negative position: nothing happens
    };
    for (const Case& c : cases) {
        TextBuffer text;
        text.Assign("abcde");
        EXPECT_TRUE(text.Insert(c.position, c.insert, c.length, c.following));
        EXPECT_STREQ(text.Get(), c.expected) << c.position << " " << c.following;
        EXPECT_EQ(text.Size(), int(std::strlen(c.expected)) + 1);
    }
}

TEST(TextBuffer, FailedGrowthKeepsTheOldText)
{
    TextBuffer text;
    text.Assign("old");
    const std::string long_text(500, 'n');
    FailingAllocator failing;
    EXPECT_FALSE(text.Assign(long_text.c_str()));
    EXPECT_FALSE(text.Insert(3, long_text.c_str(), 500, 0));
    EXPECT_STREQ(text.Get(), "old");
}

struct Tracked {
    explicit Tracked(int id, std::vector<int>* log) : id(id), log(log) {}
    ~Tracked() { log->push_back(id); }
    int id;
    std::vector<int>* log;
};

TEST(PointerList, LookupsOutsideAreNull)
{
    PointerList<int> list;
    EXPECT_EQ(list.ItemAt(0), nullptr);
    int a = 1;
    list.Add(&a);
    EXPECT_EQ(list.ItemAt(-1), nullptr);
    EXPECT_EQ(list.ItemAt(list.Count()), nullptr);
    EXPECT_EQ(list.ItemAt(0), &a);
}

TEST(PointerList, InsertClampsTheIndexAndKeepsWholePointers)
{
    int a = 0, b = 0, c = 0, d = 0;
    PointerList<int> list;
    list.Add(&a);
    list.Add(&b);
    EXPECT_EQ(list.InsertAt(-3, &c), &c);
    EXPECT_EQ(list.InsertAt(list.Count() + 10, &d), &d);
    const int* expected[] = {&c, &a, &b, &d};
    ASSERT_EQ(list.Count(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(list.ItemAt(i), expected[i]);
}

TEST(PointerList, FailedGrowthLeavesTheList)
{
    int a = 0;
    PointerList<int> list;
    FailingAllocator failing;
    EXPECT_FALSE(list.Add(&a));
    EXPECT_EQ(list.InsertAt(0, &a), nullptr);
    EXPECT_EQ(list.Count(), 0);
}

TEST(PointerList, ClearDestroysFromTheLastToTheFirst)
{
    std::vector<int> log;
    PointerList<Tracked> list;
    for (int i = 0; i < 3; ++i) list.Add(new Tracked(i, &log));
    list.Add(nullptr);  // skipped
    list.Clear(true);
    EXPECT_EQ(log, (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(list.Count(), 0);

    Tracked kept(9, &log);
    list.Add(&kept);
    list.Clear(false);  // not destroyed: the element stays its owner's
    EXPECT_EQ(list.Count(), 0);
}

std::vector<int>* gCallbackLog;
void RecordDestroy(Tracked* t)
{
    gCallbackLog->push_back(100 + t->id);
    t->log = gCallbackLog;
    delete t;
}

TEST(PointerList, RemoveAtUsesTheCallbackAndMovesTheRestDown)
{
    std::vector<int> log;
    gCallbackLog = &log;
    PointerList<Tracked> list;
    for (int i = 0; i < 3; ++i) list.Add(new Tracked(i, &log));
    list.RemoveAt(5, true);  // outside: nothing
    list.RemoveAt(1, true, RecordDestroy);
    EXPECT_EQ(log, (std::vector<int>{101, 1}));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.ItemAt(1)->id, 2);
    list.Clear(true);
}

// Another thread gets the section only once the last of the nested guards on
// it has gone. The pauses give a faulty guard the chance to let it in early.
TEST(LockGuard, HoldsItsSectionUntilTheLastNestedGuardGoes)
{
    CriticalSection section;
    std::atomic<int> stage{0};
    std::atomic<bool> waiting{false};
    int seen = -1;
    std::thread other;
    {
        LockGuard outer(&section);
        {
            LockGuard inner(&section);  // re-entrant: the owner enters again
            LockGuard none(nullptr);    // a null section is not touched
            other = std::thread([&] {
                waiting = true;
                LockGuard guard(&section);
                seen = stage;
            });
            while (!waiting) std::this_thread::yield();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        stage = 1;  // the inner guards have gone, the outer one holds on
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stage = 2;
    }
    other.join();
    EXPECT_EQ(seen, 2);
}

TEST(CopyTextBounded, CutsAtTheBufferAndTerminates)
{
    struct Case {
        std::string text;
        std::string copied;
    };
    const Case cases[] = {
        {"", ""},
        {"C:\\folder", "C:\\folder"},
        {std::string(255, 'a'), std::string(255, 'a')},
        {std::string(256, 'b'), std::string(255, 'b')},
        {std::string(400, 'c'), std::string(255, 'c')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.size());
        char buffer[257];
        std::memset(buffer, '#', sizeof buffer);
        CopyTextBounded(buffer, 256, c.text.c_str());
        EXPECT_EQ(std::string(buffer), c.copied);
        EXPECT_EQ(buffer[256], '#');
    }
    char buffer[4] = "xyz";
    CopyTextBounded(buffer, sizeof buffer, nullptr);
    EXPECT_STREQ(buffer, "");
}

}  // namespace
