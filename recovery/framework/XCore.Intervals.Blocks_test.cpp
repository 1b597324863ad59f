// Block lists: merging, complement, clipping, logical-to-physical mapping and the cursor.
#include "XCore.Intervals.Blocks.h"

#include <gtest/gtest.h>

#include <vector>

#include "Rtl.Streams.h"
#include "Rtl.SysUtils.h"
#include "XCore.Errors.h"

namespace {

using TRanges = std::vector<TXBlock>;

TOwned<TXBlocks> MakeBlocks(const TRanges& ARanges)
{
    TOwned<TXBlocks> Blocks = Owned(TXBlocks::Create());
    for (const TXBlock& Range : ARanges)
        Blocks->Add(Range);
    return Blocks;
}

TRanges RangesOf(const TXBlocks* ABlocks)
{
    return TRanges(ABlocks->begin(), ABlocks->end());
}

TEST(BlocksTest, AddMergesOnlyWithTheLastBlock)
{
    TOwned<TXBlocks> Blocks = MakeBlocks({{100, 50}, {150, 10}});
    EXPECT_EQ(RangesOf(Blocks.get()), (TRanges{{100, 60}}));
    Blocks->Add(99, 5);
    EXPECT_EQ(RangesOf(Blocks.get()), (TRanges{{99, 61}}));
    Blocks->Add(10, 5);
    Blocks->Add(20, 0);
    Blocks->Add(20, -4);
    EXPECT_EQ(RangesOf(Blocks.get()), (TRanges{{99, 61}, {10, 5}}));
    EXPECT_EQ(Blocks->TotalSize(), 66);
    Blocks->Delete(0);
    EXPECT_EQ(Blocks->TotalSize(), 5);
    EXPECT_THROW(Blocks->Items(1), EArgumentOutOfRangeException);
}

TEST(BlocksTest, SortAndMergeJoinsTouchingAndOverlappingBlocks)
{
    TOwned<TXBlocks> Blocks = MakeBlocks({{200, 10}, {0, 10}, {10, 5}, {5, 3}, {209, 20}});
    Blocks->SortAndMerge();
    EXPECT_EQ(RangesOf(Blocks.get()), (TRanges{{0, 15}, {200, 29}}));
    EXPECT_EQ(Blocks->TotalSize(), 44);
}

struct TComplementCase {
    TRanges Source;
    int64_t Limit;
    TRanges Expected;
};

TEST(BlocksTest, ComplementIsTheGapsInsideTheLimit)
{
    const TComplementCase Cases[] = {
        {{{0, 10}, {20, 10}}, 40, {{10, 10}, {30, 10}}},
        {{}, 40, {{0, 40}}},
        {{{5, 10}}, 5, {{0, 5}}},
        {{{5, 10}}, 40, {{0, 5}, {15, 25}}},
        {{{0, 10}, {50, 10}}, 40, {{10, 30}}},   // a block past the limit ends the gap there
        {{{0, 40}}, 40, {}},
    };
    TOwned<TXBlocks> Result = Owned(TXBlocks::Create());
    for (const TComplementCase& C : Cases) {
        Result->AssignComplement(MakeBlocks(C.Source).get(), C.Limit);
        EXPECT_EQ(RangesOf(Result.get()), C.Expected);
        int64_t Total = 0;
        for (const TXBlock& B : C.Expected)
            Total += B.Size;
        EXPECT_EQ(Result->TotalSize(), Total);
    }
}

TEST(BlocksTest, ClipKeepsThePartBetweenTwoPhysicalOffsets)
{
    TOwned<TXBlocks> Source = MakeBlocks({{0, 100}, {200, 100}, {400, 10}});
    TOwned<TXBlocks> Result = Owned(TXBlocks::Create());
    Result->AssignClipped(Source.get(), 50, 250);
    EXPECT_EQ(RangesOf(Result.get()), (TRanges{{50, 50}, {200, 51}}));
    EXPECT_EQ(Result->TotalSize(), 101);
    Result->AssignClipped(Source.get(), 250, 1000);
    EXPECT_EQ(RangesOf(Result.get()), (TRanges{{250, 50}, {400, 10}}));
    Result->AssignClipped(Source.get(), 150, 250);   // From in a gap
    EXPECT_EQ(Result->Count(), 0);
    EXPECT_EQ(Result->TotalSize(), 0);
    Result->AssignClipped(Source.get(), 60, 59);
    EXPECT_EQ(Result->Count(), 0);
}

TEST(BlocksTest, LogicalOffsetsMapToPhysicalOnes)
{
    TOwned<TXBlocks> Blocks = MakeBlocks({{100, 10}, {300, 10}});
    struct {
        int64_t Logical, Physical;
        int Index;
    } const Cases[] = {{0, 100, 0}, {9, 109, 0}, {10, 300, 1}, {19, 309, 1}, {20, 310, 1}, {500, 310, 1}, {-1, -1, 0}};
    for (const auto& C : Cases) {
        int Index = -5;
        EXPECT_EQ(Blocks->FindPhysicalOffset(C.Logical, Index), C.Physical) << C.Logical;
        EXPECT_EQ(Index, C.Index) << C.Logical;
    }
    int Index = -5;
    EXPECT_EQ(MakeBlocks({})->FindPhysicalOffset(0, Index), -1);
    EXPECT_EQ(Index, 0);
}

TEST(BlocksTest, ListsCompareByCountThenBlockByBlock)
{
    TOwned<TXBlocks> A = MakeBlocks({{0, 10}, {20, 5}});
    TOwned<TXBlocks> B = MakeBlocks({{20, 5}, {0, 10}});
    TOwned<TXBlocks> C = MakeBlocks({{0, 10}});
    EXPECT_FALSE(A->Equals(B.get()));
    EXPECT_TRUE(A->Equals(MakeBlocks({{0, 10}, {20, 5}}).get()));
    const IComparer<const TXBlocks*>& Order = *BlocksComparer();
    EXPECT_EQ(Order.Compare(A.get(), C.get()), 1);
    EXPECT_EQ(Order.Compare(C.get(), MakeBlocks({{1, 1}, {10, 1}, {20, 1}}).get()), -2);
    EXPECT_EQ(Order.Compare(A.get(), B.get()), -1);
    EXPECT_EQ(Order.Compare(B.get(), A.get()), 1);
    EXPECT_EQ(Order.Compare(A.get(), A.get()), 0);
}

TEST(BlocksTest, CopyDataConcatenatesTheBlocksBytes)
{
    TOwned<TMemoryStream> Source = Owned(TMemoryStream::Create());
    for (int I = 0; I < 200; ++I) {
        uint8_t Byte = static_cast<uint8_t>(I);
        Source->WriteBuffer(&Byte, 1);
    }
    TOwned<TMemoryStream> Target = Owned(TMemoryStream::Create());
    ASSERT_TRUE(MakeBlocks({{150, 3}, {10, 2}})->CopyData(Source.get(), Target.get()));
    ASSERT_EQ(Target->Size(), 5);
    EXPECT_EQ(std::vector<uint8_t>(Target->Memory(), Target->Memory() + 5), (std::vector<uint8_t>{150, 151, 152, 10, 11}));
    // A block past the source's end cannot be copied whole.
    EXPECT_FALSE(MakeBlocks({{198, 5}})->CopyData(Source.get(), Target.get()));
}

TEST(BlockCursorTest, WalksAcrossGapsAndStopsAtTheEnd)
{
    TOwned<TXBlocks> Blocks = MakeBlocks({{10, 2}, {100, 3}});
    TXBlockCursor Cursor;
    Cursor.Init(Blocks.get());
    std::vector<int64_t> Seen{Cursor.Physical};
    while (Cursor.Next())
        Seen.push_back(Cursor.Physical);
    EXPECT_EQ(Seen, (std::vector<int64_t>{10, 11, 100, 101, 102}));
    EXPECT_TRUE(Cursor.Eof());
    EXPECT_EQ(Cursor.Index, 1);
    EXPECT_FALSE(Cursor.Next());

    Cursor.SetLogical(1);
    EXPECT_EQ(Cursor.Physical, 11);
    Cursor.SetLogical(2);   // one past: stepped, not searched
    EXPECT_EQ(Cursor.Physical, 100);
    EXPECT_TRUE(Cursor.Advance(2));
    EXPECT_EQ(Cursor.Physical, 102);
    Cursor.SetLogical(0);
    EXPECT_FALSE(Cursor.Advance(5));
    EXPECT_TRUE(Cursor.Eof());

    TOwned<TXBlocks> Empty = MakeBlocks({});
    Cursor.Init(Empty.get());
    EXPECT_TRUE(Cursor.Eof());
    EXPECT_FALSE(Cursor.Next());
}

}  // namespace
