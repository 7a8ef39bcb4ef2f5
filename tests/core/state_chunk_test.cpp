#include "core/state_chunk.h"

#include <climits>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "support/chunk_bytes.h"
#include "support/failing_allocator.h"

namespace {

TEST(StateChunk, ValuesAreLittleEndianAndTextsCarryTheirLength)
{
    IStateChunk chunk;
    EXPECT_EQ(chunk.Put(int32_t(0x01020304)), 4);
    EXPECT_EQ(chunk.PutBool(true), 5);
    EXPECT_EQ(chunk.PutBool(false), 6);
    EXPECT_EQ(chunk.PutStr("ab"), 12);
    EXPECT_EQ(chunk.PutStr(""), 16);
    EXPECT_EQ(ChunkBytes(chunk),
              (std::vector<uint8_t>{4, 3, 2, 1, 1, 0, 2, 0, 0, 0, 'a', 'b', 0, 0, 0, 0}));

    int32_t number = 0;
    bool flag = false;
    TextBuffer text;
    int position = chunk.Get(&number, 0);
    position = chunk.GetBool(&flag, position);
    EXPECT_TRUE(flag);
    position = chunk.GetBool(&flag, position);
    EXPECT_FALSE(flag);
    position = chunk.GetStr(&text, position);
    EXPECT_EQ(number, 0x01020304);
    EXPECT_STREQ(text.Get(), "ab");
    EXPECT_EQ(chunk.GetStr(&text, position), 16);
    EXPECT_STREQ(text.Get(), "ab");  // an empty item leaves the text as it was
    EXPECT_EQ(chunk.GetBool(&flag, 16), -1);
}

TEST(StateChunk, AnyNonZeroByteReadsAsTrue)
{
    IStateChunk chunk;
    chunk.Put(uint8_t(7));
    bool flag = false;
    EXPECT_EQ(chunk.GetBool(&flag, 0), 1);
    EXPECT_TRUE(flag);
    flag = false;
    EXPECT_EQ(chunk.GetBool(&flag, -1), -1);
    EXPECT_FALSE(flag);
}

TEST(StateChunk, GetStrReadsOnlyWholeItemsInsideTheData)
{
    struct Case {
        const char* what;
        int32_t length;
        std::string bytes;
        int position;
        int result;
        const char* text;
    };
    const Case cases[] = {
        {"stops at a zero byte", 5, std::string("ab\0cd", 5), 0, 9, "ab"},
        {"whole text", 3, "xyz", 0, 7, "xyz"},
        {"at a later position", 2, "hi", 3, 9, "hi"},
        {"one byte short", 6, std::string("ab\0cd", 5), 0, -1, "old"},
        {"negative length", -1, "abcd", 0, -1, "old"},
        {"length to INT_MAX", INT_MAX, "abcd", 0, -1, "old"},
        {"length past INT_MAX from the position", INT_MAX - 4, "abcd", 1, -1, "old"},
        {"negative position", 3, "xyz", -1, -1, "old"},
    };
    for (const Case& c : cases) {
        IStateChunk chunk;
        const std::vector<uint8_t> lead(size_t(c.position > 0 ? c.position : 0), 0);
        chunk.PutBytes(lead.data(), int(lead.size()));
        chunk.Put(c.length);
        chunk.PutBytes(c.bytes.data(), int(c.bytes.size()));
        TextBuffer text;
        text.Assign("old");
        EXPECT_EQ(chunk.GetStr(&text, c.position), c.result) << c.what;
        EXPECT_STREQ(text.Get(), c.text) << c.what;
    }

    IStateChunk cut;  // the length itself cut off
    cut.PutBytes("\3\0\0", 3);
    TextBuffer text;
    EXPECT_EQ(cut.GetStr(&text, 0), -1);
}

TEST(StateChunk, ClearReleasesAndChunksAppendAsCopies)
{
    IStateChunk a, b;
    a.PutStr("abc");
    EXPECT_EQ(b.PutChunk(&a), 7);
    EXPECT_EQ(b.PutChunk(&b), 14);  // a chunk appended to itself
    EXPECT_EQ(b.PutChunk(nullptr), 14);
    EXPECT_EQ(ChunkBytes(b),
              (std::vector<uint8_t>{3, 0, 0, 0, 'a', 'b', 'c', 3, 0, 0, 0, 'a', 'b', 'c'}));

    b.Clear();
    EXPECT_EQ(b.Size(), 0);
    EXPECT_EQ(b.Data(), nullptr);
    EXPECT_EQ(b.PutBool(true), 1);
}

TEST(StateChunk, PutStrThatCannotAppendItsBytesLeavesNoLength)
{
    // 3996 bytes take a 4000-byte block: the length of "abc" still fits, its
    // bytes do not.
    ASSERT_EQ(HeapBuffer::AllocationFor(3996, 4096), 4000);
    IStateChunk chunk;
    const std::vector<uint8_t> filler(3996, 9);
    chunk.PutBytes(filler.data(), 3996);
    FailingAllocator failing;
    EXPECT_EQ(chunk.PutStr("abc"), 3996);
    EXPECT_EQ(chunk.Size(), 3996);
    EXPECT_EQ(chunk.Put(int32_t(1)), 4000);
}

TEST(StateChunk, AssignThatCannotGrowKeepsTheChunk)
{
    IStateChunk small, large;
    small.PutStr("keep");
    const std::vector<uint8_t> bytes(5000, 1);
    large.PutBytes(bytes.data(), 5000);
    {
        FailingAllocator failing;
        EXPECT_FALSE(small.Assign(&large));
    }
    EXPECT_EQ(small.Size(), 8);
    EXPECT_EQ(small.Data()[4], 'k');
    EXPECT_TRUE(small.Assign(&large));
    EXPECT_EQ(ChunkBytes(small), bytes);
}

}  // namespace
