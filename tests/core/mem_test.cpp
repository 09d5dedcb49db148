// Memory stacks: the byte counts of the arena, freeing from the top only, and requests that cannot fit.
#include <gtest/gtest.h>

#include <cstring>

#include "core/mem.h"
#include "plat/test.h"

namespace {

struct StackTest : ::testing::Test {
    void SetUp() override { test::Reset(); }
    void TearDown() override { MEM_DestroyStack(stack); }
    MEM_Stack *stack = nullptr;
};

TEST_F(StackTest, ArenaRequestsAtTheEdge)
{
    struct Case {
        uint32_t request;
        bool fits;
    };
    const Case cases[] = {
        {0x172000 - 4, true},
        {0x172000 - 3, false},
        {0x172000, false},
        {0xFFFFFFFCu, false}, // would wrap round if n + 4 were computed in 32 bits
        {0xFFFFFFFFu, false},
    };
    stack = MEM_CreateStack(0x172000);
    ASSERT_NE(stack, nullptr);
    for (const Case &c : cases) {
        MEM_ResetStack(stack);
        void *block = MEM_StackAlloc(stack, c.request);
        EXPECT_EQ(block != nullptr, c.fits) << std::hex << c.request;
        EXPECT_EQ(stack->top, c.fits ? stack->base + 0x172000 : stack->base) << std::hex << c.request;
    }
}

TEST_F(StackTest, BlocksFollowEachOtherWithTheirLinks)
{
    stack = MEM_CreateStack(64);
    ASSERT_NE(stack, nullptr);
    uint8_t *a = static_cast<uint8_t *>(MEM_StackAlloc(stack, 0));
    uint8_t *b = static_cast<uint8_t *>(MEM_StackAlloc(stack, 7));
    uint8_t *c = static_cast<uint8_t *>(MEM_StackAlloc(stack, 3));
    EXPECT_EQ(a, stack->base);
    EXPECT_EQ(b, stack->base + 4); // an empty block still takes its 4-byte link
    EXPECT_EQ(c, stack->base + 15); // no rounding or alignment
    EXPECT_EQ(stack->top, stack->base + 22);
    EXPECT_EQ(MEM_StackFreeSpace(stack), 64u - 22u);
    uint32_t link;
    std::memcpy(&link, c + 3, 4);
    EXPECT_EQ(link, 15u);

    EXPECT_EQ(MEM_StackFree(stack, c), 1);
    EXPECT_EQ(MEM_StackFree(stack, b), 1);
    EXPECT_EQ(MEM_StackFree(stack, a), 1);
    EXPECT_EQ(stack->top, stack->base);
    EXPECT_EQ(test::Stdout(), "");
}

TEST_F(StackTest, FreeingOutOfOrderComplainsAndKeepsTheTop)
{
    stack = MEM_CreateStack(64);
    ASSERT_NE(stack, nullptr);
    void *a = MEM_StackAlloc(stack, 8);
    MEM_StackAlloc(stack, 8);
    uint8_t *top = stack->top;
    EXPECT_EQ(MEM_StackFree(stack, a), 0);
    EXPECT_EQ(stack->top, top);
    EXPECT_EQ(test::Stdout(), "Erreur liberation\n");
}

TEST_F(StackTest, FreeingFromAnEmptyStackComplainsAndChangesNothing)
{
    stack = MEM_CreateStack(64);
    ASSERT_NE(stack, nullptr);
    EXPECT_EQ(MEM_StackFree(stack, stack->base), 0);
    EXPECT_EQ(stack->top, stack->base);
    EXPECT_EQ(test::Stdout(), "Erreur liberation\n");
}

TEST_F(StackTest, ResetGivesEveryBlockBack)
{
    stack = MEM_CreateStack(100);
    ASSERT_NE(stack, nullptr);
    void *first = MEM_StackAlloc(stack, 10);
    MEM_StackAlloc(stack, 20);
    MEM_StackAlloc(stack, 30);
    MEM_ResetStack(stack);
    EXPECT_EQ(MEM_StackFreeSpace(stack), 100u);
    EXPECT_EQ(MEM_StackAlloc(stack, 10), first);
}

TEST_F(StackTest, CreateFailsWhenTheBlockCannotBeHad)
{
    test::FailHeapAlloc(0x172000);
    EXPECT_EQ(MEM_CreateStack(0x172000), nullptr);
    test::FailHeapAlloc(sizeof(MEM_Stack));
    EXPECT_EQ(MEM_CreateStack(16), nullptr);
}

} // namespace
