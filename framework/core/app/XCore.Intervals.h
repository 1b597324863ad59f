// XCore.Intervals.h: the byte-range record of volumes and image files, and its order.
#pragma once

#include <cstdint>

#include "Rtl.Comparers.h"

// A byte range: 16 bytes, Start then Size, both signed 64-bit.
struct TXBlock {
    int64_t Start = 0;
    int64_t Size = 0;

    int64_t GetLastOffset() const { return Start + Size - 1; }
    // Becomes the hull of both ranges, gaps between them included; the size is 0 when the last
    // byte lies before the new start.
    void Union(int64_t AStart, int64_t ASize);
    void Union(const TXBlock& ABlock) { Union(ABlock.Start, ABlock.Size); }

    friend bool operator==(const TXBlock&, const TXBlock&) = default;
};

// Orders blocks by Start, then by Size.
class TXBlockComparer final : public IComparer<TXBlock> {
public:
    int Compare(const TXBlock& ALeft, const TXBlock& ARight) const override;
};

// The shared block comparer.
TComparerRef<TXBlock> BlockComparer();
