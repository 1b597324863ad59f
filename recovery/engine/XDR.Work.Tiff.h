// XDR.Work.Tiff.h: the IFD walker behind the TIFF family's end finder: the extent of all data
// the directories point to, the camera maker's kind and the embedded JPEG for thumbnails.
// A read outside the source raises (error 39) and cancellation raises EAbort; the format's
// FindEnd turns both into -1. Directory loops, depth and count are bounded.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "XDR.Work.P.h"

class TXDRTiffWalk {
public:
    TXDRTiffWalk(TXDRScanSource& ASource, int64_t APosition, TXDRScanFormatTIF& AFormat);
    TXDRTiffWalk(const TXDRTiffWalk&) = delete;
    TXDRTiffWalk& operator=(const TXDRTiffWalk&) = delete;

    // The file's extent from its first byte; sets the format's kind and preview offset.
    int64_t Run();

    const String& Make() const { return FMake; }
    const String& Model() const { return FModel; }
    int64_t JpegOffset() const { return FJpegOffset; }

    // Raws hold a few dozen directories and strips or tiles in the thousands; anything past
    // these bounds is damage, and the walk does not spend time or memory on it.
    static constexpr int kMaxIfds = 1024;
    static constexpr int kMaxDepth = 8;
    static constexpr int64_t kMaxArrayElements = int64_t(1) << 22;

    struct TEntry;
    struct TValues;
    struct TIfdData;

private:
    // The extent of the IFD at AOffset and everything below it; ANext gets the next IFD's offset.
    int64_t WalkIfd(uint64_t AOffset, int ADepth, uint64_t& ANext);
    void ReadEntry(const uint8_t* ABytes, TEntry& AEntry);
    void ApplyEntry(const TEntry& AEntry, TIfdData& AData, int64_t& AExtent);
    void ReadSubIfds(const TEntry& AEntry, TIfdData& AData);
    // The largest offset + byte count of the pairs; ADefaultCount stands for a missing count of
    // a single offset.
    int64_t DataExtent(const TValues& AOffsets, const TValues& ACounts, uint64_t ADefaultCount);
    // Elements AFirst .. AFirst + ACount - 1; those past the values' end are 0.
    void ReadElements(const TValues& AValues, int64_t AFirst, int64_t ACount, std::vector<uint64_t>& AElements);
    // Element AIndex of a value list (the inline value for a single one).
    uint64_t Element(const TValues& AValues, int64_t AIndex);
    uint64_t ReadTiffFirstValue(const TEntry& AEntry);
    String ReadTiffString(const TEntry& AEntry, int64_t& AExtent);
    void DecideKindByMaker();

    void Read(uint64_t AOffset, void* ABuffer, int64_t ACount);
    uint64_t Unsigned(const uint8_t* ABytes, int ASize) const;
    bool MatchAt(std::span<const uint8_t> APattern);
    bool FormatIsRW2() const;

    TXDRScanSource& FSource;
    int64_t FPosition;
    TXDRScanFormatTIF& FFormat;
    bool FBigEndian = false;
    String FMake;
    String FModel;
    int64_t FJpegOffset = 0;
    bool FStripsSeen = false;
    uint64_t FFirstStripByteCount = 0;
    uint64_t FLegacySubIfd = 0;
    uint64_t FExifIfd = 0;
    uint64_t FGpsIfd = 0;
    uint64_t FInteropIfd = 0;
    std::set<uint64_t> FVisited;
    // Array elements that may still be read; the rest are left out of the extent.
    int64_t FElementBudget = kMaxArrayElements;
};
