// XCore.Cache.h: the use record a cache keeps per entry, and the order that keeps the entries
// that cost most to build.
// LastAccess comes from the core application's clock, so Touch needs it running.
#pragma once

#include <cstdint>

#include "Rtl.Comparers.h"
#include "Rtl.Types.h"

struct TXCacheAlgorithm {
    int64_t Hits = 0;
    TDateTime LastAccess;
    int64_t Cost = 0;          // what building the value cost, in stopwatch ticks
    int64_t Reserved = 0;      // given at creation; 0 throughout this system

    static TXCacheAlgorithm Create(int64_t ACost, int64_t AReserved);
    // One more use, now.
    void Touch();
};

// The costlier record first.
class TXCacheLTEComparer final : public IComparer<TXCacheAlgorithm> {
public:
    int Compare(const TXCacheAlgorithm& ALeft, const TXCacheAlgorithm& ARight) const override;
};
