// XCore.Intervals.cpp: the block order.
#include "XCore.Intervals.h"

#include <algorithm>
#include <memory>

void TXBlock::Union(int64_t AStart, int64_t ASize)
{
    int64_t Last = std::max(GetLastOffset(), AStart + ASize - 1);
    Start = std::min(Start, AStart);
    Size = Last >= Start ? Last - Start + 1 : 0;
}

int TXBlockComparer::Compare(const TXBlock& ALeft, const TXBlock& ARight) const
{
    if (ALeft.Start != ARight.Start)
        return ALeft.Start < ARight.Start ? -1 : 1;
    if (ALeft.Size != ARight.Size)
        return ALeft.Size < ARight.Size ? -1 : 1;
    return 0;
}

TComparerRef<TXBlock> BlockComparer()
{
    static const TComparerRef<TXBlock> Instance = std::make_shared<TXBlockComparer>();
    return Instance;
}
