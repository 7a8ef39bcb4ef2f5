#include "core/heap_buffer.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>

#include "support/failing_allocator.h"

namespace {

struct Growth {
    int granularity;
    int size;
    int allocated;
};

class HeapBufferGrowth : public testing::TestWithParam<Growth> {};

TEST_P(HeapBufferGrowth, AllocatesByTheGrowthRule)
{
    const Growth g = GetParam();
    HeapBuffer buffer(g.granularity);
    void* block = buffer.SetUsed(g.size);
    EXPECT_NE(block, nullptr);
    EXPECT_EQ(buffer.Size(), g.size);
    EXPECT_EQ(buffer.Allocated(), g.allocated);
}

INSTANTIATE_TEST_SUITE_P(Table, HeapBufferGrowth,
                         testing::Values(Growth{4096, 8, 4000}, Growth{4096, 44, 4000},
                                         Growth{4096, 88, 4000}, Growth{4096, 4001, 8096},
                                         Growth{4096, 8192, 12192}, Growth{4096, 20000, 24480},
                                         Growth{128, 1, 129}, Growth{128, 10, 138},
                                         Growth{128, 200, 328}));

TEST(HeapBuffer, LargeBlocksAreShortOfAPageAndSpareAtMostFourMiB)
{
    const int64_t n = 100 * 1000 * 1000;
    const int64_t allocated = HeapBuffer::AllocationFor(n, 4096);
    EXPECT_EQ((allocated + 96) % 4096, 0);
    EXPECT_GT(allocated, n);
    EXPECT_LE(allocated - n, 4194304);
}

TEST(HeapBuffer, GrowingWithinTheBlockKeepsIt)
{
    HeapBuffer buffer;
    void* block = buffer.SetUsed(88);
    EXPECT_EQ(buffer.SetUsed(4000), block);
    EXPECT_EQ(buffer.Allocated(), 4000);
    buffer.SetUsed(4001);
    EXPECT_EQ(buffer.Allocated(), 8096);
}

TEST(HeapBuffer, GrowthKeepsTheBytesInUse)
{
    HeapBuffer buffer;
    std::memcpy(buffer.SetUsed(5), "abcde", 5);
    const char* data = static_cast<const char*>(buffer.SetUsed(100000));
    EXPECT_EQ(std::memcmp(data, "abcde", 5), 0);
}

TEST(HeapBuffer, NegativeOrZeroSizeEmptiesIt)
{
    HeapBuffer kept;
    kept.SetUsed(100);
    EXPECT_EQ(kept.SetUsed(-5), nullptr);
    EXPECT_EQ(kept.Size(), 0);
    EXPECT_EQ(kept.Allocated(), 4000);
    EXPECT_EQ(kept.Data(), nullptr);  // a block is allocated, but nothing is in use

    HeapBuffer released;
    released.SetUsed(100);
    EXPECT_EQ(released.SetUsed(-5, true), nullptr);
    EXPECT_EQ(released.Allocated(), 0);
}

TEST(HeapBuffer, TheCurrentSizeChangesNothingEvenWithRelease)
{
    HeapBuffer buffer;
    void* block = buffer.SetUsed(300);
    EXPECT_EQ(buffer.SetUsed(300, true), block);
    EXPECT_EQ(buffer.Allocated(), 4000);
}

TEST(HeapBuffer, ReleaseOnShrinkOnlyBelowTheThreshold)
{
    HeapBuffer buffer;
    buffer.SetUsed(700000);
    const int allocated = buffer.Allocated();
    const int threshold = std::min(allocated / 2, allocated - 4 * 4096);

    buffer.SetUsed(threshold + 1, true);
    EXPECT_EQ(buffer.Allocated(), allocated);
    buffer.SetUsed(threshold - 1, true);
    EXPECT_EQ(buffer.Allocated(), HeapBuffer::AllocationFor(threshold - 1, 4096));

    HeapBuffer small(128);  // below 4 x granularity the threshold is 1
    small.SetUsed(10);
    small.SetUsed(1, true);
    EXPECT_EQ(small.Allocated(), 138);
    small.SetUsed(0, true);
    EXPECT_EQ(small.Allocated(), 0);

    HeapBuffer unreleased;
    unreleased.SetUsed(700000);
    unreleased.SetUsed(10);
    EXPECT_EQ(unreleased.Allocated(), allocated);
}

TEST(HeapBuffer, FailedGrowthChangesNothing)
{
    HeapBuffer buffer;
    void* block = buffer.SetUsed(3000);
    std::memset(block, 7, 3000);
    {
        FailingAllocator failing;
        EXPECT_EQ(buffer.SetUsed(9000), block);  // the old block, as if nothing happened
        EXPECT_FALSE(buffer.Resize(9000));
    }
    EXPECT_EQ(buffer.Data(), block);
    EXPECT_EQ(buffer.Size(), 3000);
    EXPECT_EQ(buffer.Allocated(), 4000);
    EXPECT_EQ(static_cast<unsigned char*>(block)[2999], 7);

    HeapBuffer empty;
    FailingAllocator failing;
    EXPECT_EQ(empty.SetUsed(10), nullptr);
    EXPECT_EQ(empty.Size(), 0);
    EXPECT_EQ(empty.Allocated(), 0);
}

TEST(HeapBuffer, SizeBeyondIntMaxFailsWithoutChange)
{
    HeapBuffer buffer;
    buffer.SetUsed(10);
    EXPECT_FALSE(buffer.Resize(INT_MAX));
    EXPECT_EQ(buffer.Size(), 10);
    EXPECT_EQ(buffer.Allocated(), 4000);
    EXPECT_TRUE(buffer.Resize(20));
}

}  // namespace
