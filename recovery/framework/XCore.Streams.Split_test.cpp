// Split items: their block list is created with them, copied by Assign and emptied by Clear.
#include "XCore.Streams.Split.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitItemTest, CarriesItsBlocksThroughAssignAndClear)
{
    TOwned<TCollection> Items = Owned(TCollection::Create(TXSplitItem::StaticClass()));
    auto* A = As<TXSplitItem>(Items->Add());
    auto* B = As<TXSplitItem>(Items->Add());
    EXPECT_TRUE(A->IsEmpty());
    A->Blocks()->Add(100, 10);
    A->Blocks()->Add(300, 5);
    EXPECT_EQ(A->GetSize(), 15);
    B->Assign(A);
    EXPECT_TRUE(B->Blocks()->Equals(A->Blocks()));
    EXPECT_EQ(B->GetSize(), 15);
    A->Clear();
    EXPECT_TRUE(A->IsEmpty());
    EXPECT_EQ(A->GetSize(), 0);
    EXPECT_EQ(B->GetSize(), 15);
}

}  // namespace
