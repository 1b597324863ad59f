// The block order: Start first, then Size, both signed.
#include "XCore.Intervals.h"

#include <gtest/gtest.h>

namespace {

TEST(XBlockComparerTest, OrdersByStartThenSize)
{
    const IComparer<TXBlock>& C = *BlockComparer();
    EXPECT_EQ(C.Compare({5, 1}, {5, 2}), -1);
    EXPECT_EQ(C.Compare({5, 9}, {6, 1}), -1);
    EXPECT_EQ(C.Compare({-1, 100}, {0, 0}), -1);
    EXPECT_EQ(C.Compare({INT64_MIN, 0}, {INT64_MAX, 0}), -1);
    EXPECT_EQ(C.Compare({7, -3}, {7, 2}), -1);
    EXPECT_EQ(C.Compare({7, 2}, {7, 2}), 0);
    EXPECT_EQ(C.Compare({8, 0}, {7, 99}), 1);
    static_assert(sizeof(TXBlock) == 16);
}

}  // namespace
