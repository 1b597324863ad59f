// XCore.Intervals.Blocks.h: ordered lists of byte ranges of a volume (a found file, the free
// area, a carved candidate) and the cursor that walks one as a single logical byte range.
// A list's TotalSize always equals the sum of its sizes; Add merges only with the last block.
#pragma once

#include <cstdint>
#include <vector>

#include "Rtl.Comparers.h"
#include "Rtl.Objects.h"
#include "XCore.Intervals.h"

class TStream;

class TXBlocks : public TObject {
    X_CLASS(TXBlocks, TObject)
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EArgumentOutOfRangeException outside 0..Count-1.
    const TXBlock& Items(int AIndex) const;
    const TXBlock& operator[](int AIndex) const { return Items(AIndex); }
    std::vector<TXBlock>::const_iterator begin() const { return FItems.begin(); }
    std::vector<TXBlock>::const_iterator end() const { return FItems.end(); }
    int64_t TotalSize() const { return FTotalSize; }

    // Merges with the last block when the range starts from one byte before it to its end,
    // otherwise appends (out of order when it lies before); sizes of 0 or less add nothing.
    void Add(int64_t AStart, int64_t ASize);
    void Add(const TXBlock& ABlock) { Add(ABlock.Start, ABlock.Size); }
    void Delete(int AIndex);
    void Clear();
    void Assign(const TXBlocks* ASource);
    void UpdateTotalSize();
    // Sorts by start and size and merges blocks that touch or overlap.
    void SortAndMerge();
    // The gaps of ASource (sorted, merged) inside [0, ALimit).
    void AssignComplement(const TXBlocks* ASource, int64_t ALimit);
    // The part of ASource from the physical offset AFrom to ATo, both inclusive; empty when
    // AFrom lies in no block.
    void AssignClipped(const TXBlocks* ASource, int64_t AFrom, int64_t ATo);
    // The physical offset of the logical AOffset and the index of its block; -1 with index 0
    // for a negative offset or an empty list; the end of the last block from TotalSize on.
    int64_t FindPhysicalOffset(int64_t AOffset, int& AIndex) const;
    int64_t GetPhysicalOffset(int64_t AOffset) const;
    bool Equals(const TXBlocks* AOther) const;

    // Copies the blocks' bytes of ASource, in order, to ADestination's position. Clears the
    // thread's error first; False (the error checked) when a read or write raises.
    [[nodiscard]] bool CopyData(TStream* ASource, TStream* ADestination) const;
    // CopyData into a new file.
    [[nodiscard]] bool SaveToFile(TStream* ASource, const String& AFileName) const;

protected:
    TXBlocks() = default;

private:
    std::vector<TXBlock> FItems;
    int64_t FTotalSize = 0;
};

// Orders block lists by count, then block by block; Compare answers the count difference
// when the counts differ, else -1, 0 or 1.
class TXBlocksComparer final : public IComparer<const TXBlocks*> {
public:
    int Compare(const TXBlocks* const& ALeft, const TXBlocks* const& ARight) const override;
};
TComparerRef<const TXBlocks*> BlocksComparer();

// A position in a block list, logical (inside the concatenated blocks) and physical.
struct TXBlockCursor {
    const TXBlocks* List = nullptr;   // not owned
    int64_t Physical = 0;
    int64_t Logical = 0;
    int32_t Index = 0;

    void Init(const TXBlocks* AList);
    bool Eof() const { return Logical < 0 || Logical >= TotalSize(); }
    int64_t TotalSize() const { return List->TotalSize(); }
    void SetLogical(int64_t AOffset);
    // One byte on; False at the end, where the cursor stays on the last block.
    bool Next();
    // ACount bytes on, crossing blocks as Next does; False when that reaches the end.
    bool Advance(int64_t ACount);
    // Bytes from the physical position to the end of the current block.
    int64_t BlockRemaining() const;
};
