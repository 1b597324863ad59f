// XCore.Cache.cpp: cache use records and their order.
#include "XCore.Cache.h"

#include "XCore.App.h"

TXCacheAlgorithm TXCacheAlgorithm::Create(int64_t ACost, int64_t AReserved)
{
    TXCacheAlgorithm Result;
    Result.Cost = ACost;
    Result.Reserved = AReserved;
    return Result;
}

void TXCacheAlgorithm::Touch()
{
    ++Hits;
    LastAccess = NVCoreApp()->Now();
}

int TXCacheLTEComparer::Compare(const TXCacheAlgorithm& ALeft, const TXCacheAlgorithm& ARight) const
{
    return DefaultComparer<int64_t>()->Compare(ARight.Cost, ALeft.Cost);
}
