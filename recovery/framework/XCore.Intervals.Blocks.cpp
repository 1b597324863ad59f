// XCore.Intervals.Blocks.cpp: block lists and the block cursor.
#include "XCore.Intervals.Blocks.h"

#include <algorithm>
#include <memory>

#include "Rtl.Streams.h"
#include "Rtl.SysUtils.h"
#include "XCore.Errors.h"

namespace {

// B may join A: it starts from one byte before A's start up to A's end.
bool Touches(const TXBlock& A, int64_t AStart)
{
    return A.Start - 1 <= AStart && AStart <= A.Start + A.Size;
}

}  // namespace

// ---- TXBlocks ----------------------------------------------------------------------------

const TXBlock& TXBlocks::Items(int AIndex) const
{
    if (AIndex < 0 || AIndex >= Count())
        throw EArgumentOutOfRangeException(SArgumentOutOfRange);
    return FItems[static_cast<size_t>(AIndex)];
}

void TXBlocks::Add(int64_t AStart, int64_t ASize)
{
    if (ASize <= 0)
        return;
    if (!FItems.empty() && Touches(FItems.back(), AStart)) {
        TXBlock& Last = FItems.back();
        FTotalSize -= Last.Size;
        Last.Union(AStart, ASize);
        FTotalSize += Last.Size;
        return;
    }
    FItems.push_back({AStart, ASize});
    FTotalSize += ASize;
}

void TXBlocks::Delete(int AIndex)
{
    FTotalSize -= Items(AIndex).Size;
    FItems.erase(FItems.begin() + AIndex);
}

void TXBlocks::Clear()
{
    FItems.clear();
    FTotalSize = 0;
}

void TXBlocks::Assign(const TXBlocks* ASource)
{
    FItems = ASource->FItems;
    UpdateTotalSize();
}

void TXBlocks::UpdateTotalSize()
{
    FTotalSize = 0;
    for (const TXBlock& Block : FItems)
        FTotalSize += Block.Size;
}

void TXBlocks::SortAndMerge()
{
    const IComparer<TXBlock>& Order = *BlockComparer();
    std::sort(FItems.begin(), FItems.end(),
              [&](const TXBlock& A, const TXBlock& B) { return Order.Compare(A, B) < 0; });
    size_t Kept = 0;
    for (size_t I = 1; I < FItems.size(); ++I) {
        if (Touches(FItems[Kept], FItems[I].Start))
            FItems[Kept].Union(FItems[I]);
        else
            FItems[++Kept] = FItems[I];
    }
    if (!FItems.empty())
        FItems.resize(Kept + 1);
    UpdateTotalSize();
}

void TXBlocks::AssignComplement(const TXBlocks* ASource, int64_t ALimit)
{
    Clear();
    if (ASource->FItems.empty()) {
        Add(0, ALimit);
        return;
    }
    const TXBlock& First = ASource->FItems.front();
    if (First.Start > 0)
        Add(0, std::min(First.Start, ALimit));
    int64_t Position = First.Start + First.Size;
    for (const TXBlock& Block : ASource->FItems) {
        if (Position >= ALimit)
            break;
        // A block past the limit still ends the gap at the limit.
        Add(Position, std::min(Block.Start, ALimit) - Position);
        Position = Block.Start + Block.Size;
    }
    if (Position < ALimit)
        Add(Position, ALimit - Position);
    UpdateTotalSize();
}

void TXBlocks::AssignClipped(const TXBlocks* ASource, int64_t AFrom, int64_t ATo)
{
    Clear();
    if (ATo < AFrom)
        return;
    bool Started = false;
    for (size_t I = 0; I < ASource->FItems.size(); ++I) {
        const TXBlock& Block = ASource->FItems[I];
        if (!Started) {
            if (AFrom < Block.Start)
                break;   // AFrom lies in a gap
            if (AFrom > Block.GetLastOffset())
                continue;
            Started = true;
        }
        int64_t Last = std::min(Block.GetLastOffset(), ATo);
        Add(AFrom, Last - AFrom + 1);
        if (Last >= ATo || I + 1 == ASource->FItems.size())
            break;
        AFrom = ASource->FItems[I + 1].Start;
    }
    UpdateTotalSize();
}

int64_t TXBlocks::FindPhysicalOffset(int64_t AOffset, int& AIndex) const
{
    AIndex = 0;
    if (AOffset < 0 || FItems.empty())
        return -1;
    if (AOffset >= FTotalSize) {
        AIndex = Count() - 1;
        return FItems.back().Start + FItems.back().Size;
    }
    for (const TXBlock& Block : FItems) {
        if (AOffset < Block.Size)
            return Block.Start + AOffset;
        AOffset -= Block.Size;
        ++AIndex;
    }
    return -1;   // unreachable while the total is the sum of the sizes
}

int64_t TXBlocks::GetPhysicalOffset(int64_t AOffset) const
{
    int Index = 0;
    return FindPhysicalOffset(AOffset, Index);
}

bool TXBlocks::Equals(const TXBlocks* AOther) const
{
    return AOther != nullptr && FItems == AOther->FItems;
}

bool TXBlocks::CopyData(TStream* ASource, TStream* ADestination) const
{
    ClearError();
    try {
        for (const TXBlock& Block : FItems) {
            ASource->Seek(Block.Start, soBeginning);
            ADestination->CopyFrom(ASource, Block.Size);
        }
        return true;
    } catch (const std::exception&) {
        CheckError();
        return false;
    }
}

bool TXBlocks::SaveToFile(TStream* ASource, const String& AFileName) const
{
    try {
        TOwned<TFileStream> File = Owned(TFileStream::Create(AFileName, fmCreate | fmShareExclusive));
        return CopyData(ASource, File.get());
    } catch (const std::exception&) {
        CheckError();
        return false;
    }
}

// ---- TXBlocksComparer --------------------------------------------------------------------

int TXBlocksComparer::Compare(const TXBlocks* const& ALeft, const TXBlocks* const& ARight) const
{
    if (ALeft->Count() != ARight->Count())
        return ALeft->Count() - ARight->Count();
    const IComparer<TXBlock>& Order = *BlockComparer();
    for (int I = 0; I < ALeft->Count(); ++I)
        if (int Result = Order.Compare(ALeft->Items(I), ARight->Items(I)); Result != 0)
            return Result;
    return 0;
}

TComparerRef<const TXBlocks*> BlocksComparer()
{
    static const TComparerRef<const TXBlocks*> Instance = std::make_shared<TXBlocksComparer>();
    return Instance;
}

// ---- TXBlockCursor -----------------------------------------------------------------------

void TXBlockCursor::Init(const TXBlocks* AList)
{
    List = AList;
    Logical = 0;
    int FoundIndex = 0;
    Physical = List->FindPhysicalOffset(0, FoundIndex);
    Index = FoundIndex;
}

void TXBlockCursor::SetLogical(int64_t AOffset)
{
    if (AOffset != 0 && AOffset == Logical)
        return;
    if (AOffset > 0 && AOffset == Logical + 1) {
        Next();
        return;
    }
    Logical = AOffset;
    int FoundIndex = 0;
    Physical = List->FindPhysicalOffset(AOffset, FoundIndex);
    Index = FoundIndex;
}

bool TXBlockCursor::Next()
{
    return Advance(1);
}

bool TXBlockCursor::Advance(int64_t ACount)
{
    if (Eof())
        return false;
    while (ACount > 0) {
        int64_t Step = std::min(ACount, BlockRemaining());
        Logical += Step;
        Physical += Step;
        ACount -= Step;
        if (BlockRemaining() > 0)
            continue;
        if (Index + 1 >= List->Count())
            return false;
        ++Index;
        Physical = List->Items(Index).Start;
    }
    return true;
}

int64_t TXBlockCursor::BlockRemaining() const
{
    const TXBlock& Block = List->Items(Index);
    return Block.Start + Block.Size - Physical;
}
