// XCore.Intervals.cpp: the block order.
#include "XCore.Intervals.h"

#include <memory>

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
