// Growth, deletion and range checks of the lite lists.
#include "XCore.Collections.Lite.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using TIntList = TXLiteList<int>;

TEST(XLiteListTest, GrowsFromTheFirstRequestByDoubling)
{
    TOwned<TIntList> List = Owned(TIntList::Create());
    std::vector<int> Capacities;
    for (int I = 0; I < 5; ++I) {
        List->Add(I);
        Capacities.push_back(List->GetCapacity());
    }
    EXPECT_EQ(Capacities, (std::vector<int>{1, 2, 4, 4, 8}));
    List->Grow(100);
    EXPECT_EQ(List->GetCapacity(), 128);
    List->SetCount(200);
    EXPECT_EQ(List->GetCapacity(), 200);   // beyond the capacity: exactly the count
}

TEST(XLiteListTest, DeletionMovesTheTailAndReleasesItems)
{
    TOwned<TXLiteList<std::shared_ptr<int>>> List = Owned(TXLiteList<std::shared_ptr<int>>::Create());
    auto Watched = std::make_shared<int>(1);
    for (int I = 0; I < 4; ++I)
        List->Add(I == 1 ? Watched : std::make_shared<int>(I));
    EXPECT_EQ(Watched.use_count(), 2);
    List->Delete(1);
    EXPECT_EQ(Watched.use_count(), 1);
    EXPECT_EQ(List->Count(), 3);
    EXPECT_EQ(*List->GetItem(1), 2);
    List->Delete(2);   // the last item: nothing to move
    EXPECT_EQ(*List->GetItem(1), 2);

    List->Add(Watched);
    List->SetCount(0);   // finalises every item, keeps the capacity
    EXPECT_EQ(Watched.use_count(), 1);
    EXPECT_EQ(List->GetCapacity(), 4);
    List->Clear();
    EXPECT_EQ(List->GetCapacity(), 0);
}

TEST(XLiteListTest, RangeErrorsLeaveTheListUnchanged)
{
    TOwned<TIntList> List = Owned(TIntList::Create());
    List->Add(1);
    List->Add(2);
    EXPECT_THROW(List->Delete(2), EArgumentOutOfRangeException);
    EXPECT_THROW(List->GetItem(-1), EArgumentOutOfRangeException);
    EXPECT_THROW(List->SetCount(-1), EArgumentOutOfRangeException);
    EXPECT_THROW(List->DeleteRange(1, 2), EArgumentOutOfRangeException);
    List->DeleteRange(1, 0);
    EXPECT_EQ(List->Count(), 2);
    List->DeleteRange(0, 2);
    EXPECT_EQ(List->Count(), 0);
}

TEST(XLitePairsTest, ComparesKeysFirstThenValues)
{
    using TPairs = TXLitePairs<int, String>;
    TOwned<TPairs> Pairs = Owned(TPairs::Create());
    auto P = [](int K, const char* V) { return TXPair<int, String>::Create(K, V); };
    EXPECT_LT(Pairs->ComparePairs(P(1, "z"), P(2, "a")), 0);
    EXPECT_LT(Pairs->ComparePairs(P(1, "a"), P(1, "b")), 0);
    EXPECT_EQ(Pairs->ComparePairs(P(1, "a"), P(1, "a")), 0);
    EXPECT_EQ(Pairs->Comparer()->Compare(P(3, "a"), P(3, "a")), 0);
}

}  // namespace
