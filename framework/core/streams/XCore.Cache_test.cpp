// Cache use records and their order.
#include "XCore.Cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "XCore.TestClock.h"

namespace {

TEST(CacheAlgorithmTest, TouchCountsUsesAndStampsTheApplicationTime)
{
    auto* Clock = TXTestClockApp::Create();
    SetNVCoreApp(Clock);
    Clock->SetLocal(45000.25);

    TXCacheAlgorithm Record = TXCacheAlgorithm::Create(7, 0);
    EXPECT_EQ(Record.Hits, 0);
    EXPECT_EQ(double(Record.LastAccess), 0.0);
    EXPECT_EQ(Record.Cost, 7);
    Record.Touch();
    Record.Touch();
    EXPECT_EQ(Record.Hits, 2);
    EXPECT_DOUBLE_EQ(double(Record.LastAccess), 45000.25);
    SetNVCoreApp(nullptr);
}

TEST(CacheLTEComparerTest, PutsTheCostlierRecordFirst)
{
    TXCacheLTEComparer Comparer;
    TXCacheAlgorithm Cheap = TXCacheAlgorithm::Create(5, 0);
    TXCacheAlgorithm Dear = TXCacheAlgorithm::Create(9, 0);
    EXPECT_LT(Comparer.Compare(Dear, Cheap), 0);
    EXPECT_GT(Comparer.Compare(Cheap, Dear), 0);
    EXPECT_EQ(Comparer.Compare(Cheap, Cheap), 0);
    // Extremes of 64 bits compare by sign, not by a subtraction that would overflow.
    TXCacheAlgorithm Least = TXCacheAlgorithm::Create(INT64_MIN, 0);
    TXCacheAlgorithm Most = TXCacheAlgorithm::Create(INT64_MAX, 0);
    EXPECT_LT(Comparer.Compare(Most, Least), 0);

    std::vector<TXCacheAlgorithm> Records = {Cheap, Dear};
    std::sort(Records.begin(), Records.end(),
              [&](const auto& A, const auto& B) { return Comparer.Compare(A, B) < 0; });
    EXPECT_EQ(Records.front().Cost, 9);
}

}  // namespace
