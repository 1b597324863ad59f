// XDR.Work.Tiff.cpp: the IFD walker.
#include "XDR.Work.Tiff.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Rtl.SysUtils.h"
#include "XCore.Errors.h"

namespace {

enum : uint16_t {
    kTagSensorWidth = 2,
    kTagSensorHeight = 3,
    kTagRw2Jpeg = 46,
    kTagMake = 271,
    kTagModel = 272,
    kTagStripOffsets = 273,
    kTagStripByteCounts = 279,
    kTagRw2RawOffset = 280,
    kTagTileOffsets = 324,
    kTagTileByteCounts = 325,
    kTagSubIfds = 330,
    kTagJpegOffset = 513,
    kTagJpegLength = 514,
    kTagExifIfd = 34665,
    kTagGpsIfd = 34853,
    kTagInteropIfd = 40965,
    kTagDngVersion = 50706,
};

constexpr uint16_t kTypeAscii = 2;
constexpr int kErrReadBeyondEnd = 39;
// A directory is a 2-byte count, 12-byte entries and a 4-byte link.
constexpr uint64_t kEntrySize = 12;
// Tags of a maker's text are short; a damaged count must not become an allocation.
constexpr uint64_t kMaxTextLength = 256;
// Array elements read per source read.
constexpr int64_t kChunkElements = 4096;

int TypeSize(uint16_t AType)
{
    static constexpr int kSizes[] = {1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
    return AType >= 1 && AType <= 13 ? kSizes[AType - 1] : 0;
}

// Offset + count of a data block. Array elements may be 8 bytes wide, so the sum saturates far
// below where adding the file's position could overflow.
int64_t Reach(uint64_t AOffset, uint64_t ACount)
{
    constexpr uint64_t kLimit = uint64_t(1) << 62;
    return static_cast<int64_t>(AOffset > kLimit || ACount > kLimit - AOffset ? kLimit : AOffset + ACount);
}

bool Contains(const String& AText, const char* APart)
{
    return AText.find(APart) != String::npos;
}

}  // namespace

struct TXDRTiffWalk::TEntry {
    uint16_t Tag = 0;
    uint16_t Type = 0;
    uint32_t Count = 0;
    uint32_t Field = 0;       // the value field as a 32-bit number: an offset when not inline
    uint64_t Value = 0;       // the first inline element, or Field
    uint64_t ByteCount = 0;   // Count x the type's size
    bool IsInline() const { return ByteCount <= 4; }
};

// One tag's values: a single inline value, or Count elements of ElementSize bytes at Offset.
struct TXDRTiffWalk::TValues {
    bool Present = false;
    uint64_t Single = 0;
    int64_t Count = 0;   // 0 for a single value
    int ElementSize = 0;
    uint64_t Offset = 0;
};

struct TXDRTiffWalk::TIfdData {
    TValues StripOffsets, StripCounts, TileOffsets, TileCounts, JpegOffsets, JpegCounts;
    uint64_t SensorWidth = 0;
    uint64_t SensorHeight = 0;
    std::vector<uint64_t> SubIfds;
};

namespace {

TXDRTiffWalk::TValues ValuesOf(const TXDRTiffWalk::TEntry& AEntry)
{
    TXDRTiffWalk::TValues Values;
    Values.Present = true;
    if (AEntry.IsInline()) {
        Values.Single = AEntry.Value;
    } else {
        Values.Count = AEntry.Count;
        Values.ElementSize = TypeSize(AEntry.Type);
        Values.Offset = AEntry.Field;
    }
    return Values;
}

TXDRTiffWalk::TValues SingleValue(uint64_t AValue)
{
    TXDRTiffWalk::TValues Values;
    Values.Present = true;
    Values.Single = AValue;
    return Values;
}

}  // namespace

TXDRTiffWalk::TXDRTiffWalk(TXDRScanSource& ASource, int64_t APosition, TXDRScanFormatTIF& AFormat)
    : FSource(ASource), FPosition(APosition), FFormat(AFormat)
{
}

int64_t TXDRTiffWalk::Run()
{
    uint8_t Head[8];
    Read(0, Head, 8);
    if (Head[0] == 'I' && Head[1] == 'I')
        FBigEndian = false;
    else if (Head[0] == 'M' && Head[1] == 'M')
        FBigEndian = true;
    else
        return 0;
    int64_t Extent = 0;
    for (uint64_t Offset = Unsigned(Head + 4, 4); Offset != 0;) {
        uint64_t Next = 0;
        Extent = std::max(Extent, WalkIfd(Offset, 0, Next));
        Offset = Next;
    }
    if (FFormat.FKind == skTIF)
        DecideKindByMaker();
    // The interoperability IFD is usually found inside the Exif IFD, so it is read after it.
    for (uint64_t* Ifd : {&FExifIfd, &FGpsIfd, &FInteropIfd})
        if (*Ifd != 0) {
            uint64_t Unused = 0;
            Extent = std::max(Extent, WalkIfd(*Ifd, 0, Unused));
        }
    if (FLegacySubIfd != 0) {
        FFormat.FKind = skARW;
        if (Extent < static_cast<int64_t>(FLegacySubIfd))
            Extent = 20534752;
    }
    if (!FStripsSeen && FFirstStripByteCount != 0)
        Extent += static_cast<int64_t>(FFirstStripByteCount);
    if (FFormat.FKind == skTIF || FFormat.FKind == skDNG)
        FFormat.FPreviewOffset = 0;
    else if (FFormat.FKind == skNEF || FFormat.FKind == skPEF)
        FFormat.FPreviewOffset = FJpegOffset;
    return Extent;
}

int64_t TXDRTiffWalk::WalkIfd(uint64_t AOffset, int ADepth, uint64_t& ANext)
{
    ANext = 0;
    if (FSource.Cancelled())
        throw EAbort("");
    // A directory met twice is a loop in damaged data: the walk does not enter it again.
    if (static_cast<int>(FVisited.size()) >= kMaxIfds || !FVisited.insert(AOffset).second)
        return 0;
    uint8_t CountBytes[2];
    Read(AOffset, CountBytes, 2);
    uint64_t EntryCount = Unsigned(CountBytes, 2);
    // The link after the entries is read first, so a directory that runs past the end of the
    // source fails before its entries are allocated.
    uint8_t NextBytes[4];
    Read(AOffset + 2 + EntryCount * kEntrySize, NextBytes, 4);
    std::vector<uint8_t> Entries(EntryCount * kEntrySize);
    Read(AOffset + 2, Entries.data(), static_cast<int64_t>(Entries.size()));
    ANext = Unsigned(NextBytes, 4);
    // The directory itself is part of the file: it may well be its last structure.
    int64_t Extent = static_cast<int64_t>(AOffset + 2 + Entries.size() + 4);
    TIfdData Data;
    for (uint64_t I = 0; I < EntryCount; ++I) {
        TEntry Entry;
        ReadEntry(Entries.data() + I * kEntrySize, Entry);
        ApplyEntry(Entry, Data, Extent);
    }
    // Sensor sizes are 16-bit in practice; the clamp only keeps the product from wrapping.
    constexpr uint64_t kSide = uint64_t(1) << 31;
    uint64_t Rw2Count = FormatIsRW2() ? std::min(Data.SensorWidth, kSide) * std::min(Data.SensorHeight, kSide) * 2 : 0;
    Extent = std::max(Extent, DataExtent(Data.StripOffsets, Data.StripCounts, Rw2Count));
    Extent = std::max(Extent, DataExtent(Data.TileOffsets, Data.TileCounts, 0));
    Extent = std::max(Extent, DataExtent(Data.JpegOffsets, Data.JpegCounts, 0));
    if (ADepth < kMaxDepth)
        for (uint64_t SubIfd : Data.SubIfds) {
            uint64_t Unused = 0;
            Extent = std::max(Extent, WalkIfd(SubIfd, ADepth + 1, Unused));
        }
    return Extent;
}

void TXDRTiffWalk::ReadEntry(const uint8_t* ABytes, TEntry& AEntry)
{
    AEntry.Tag = static_cast<uint16_t>(Unsigned(ABytes, 2));
    AEntry.Type = static_cast<uint16_t>(Unsigned(ABytes + 2, 2));
    AEntry.Count = static_cast<uint32_t>(Unsigned(ABytes + 4, 4));
    AEntry.Field = static_cast<uint32_t>(Unsigned(ABytes + 8, 4));
    AEntry.ByteCount = uint64_t(AEntry.Count) * TypeSize(AEntry.Type);
    // An inline value sits at the start of the field, so a short of a big-endian file is its
    // first two bytes, not the field read as one number.
    int Size = TypeSize(AEntry.Type);
    AEntry.Value = AEntry.IsInline() && Size > 0 && Size < 4 ? Unsigned(ABytes + 8, Size) : AEntry.Field;
}

void TXDRTiffWalk::ApplyEntry(const TEntry& AEntry, TIfdData& AData, int64_t& AExtent)
{
    bool IgnoredOffsets = (AEntry.Tag == kTagStripOffsets || AEntry.Tag == kTagJpegOffset) && AEntry.Field == 0xFFFFFFFF;
    bool IsText = AEntry.Tag == kTagMake || AEntry.Tag == kTagModel;
    // Every value stored out of line is part of the file, whichever tag owns it.
    if (!AEntry.IsInline() && !IgnoredOffsets && !IsText)
        AExtent = std::max<int64_t>(AExtent, AEntry.Field + AEntry.ByteCount + (AEntry.Type == kTypeAscii ? 1 : 0));
    switch (AEntry.Tag) {
    case kTagSensorWidth: AData.SensorWidth = AEntry.Value; break;
    case kTagSensorHeight: AData.SensorHeight = AEntry.Value; break;
    case kTagRw2Jpeg:
        if (FormatIsRW2() && FFormat.FPreviewOffset == 0)
            FFormat.FPreviewOffset = AEntry.Value;
        break;
    case kTagMake: FMake = ReadTiffString(AEntry, AExtent); break;
    case kTagModel: FModel = ReadTiffString(AEntry, AExtent); break;
    case kTagStripOffsets:
    case kTagJpegOffset: {
        if (IgnoredOffsets)
            break;
        (AEntry.Tag == kTagStripOffsets ? AData.StripOffsets : AData.JpegOffsets) = ValuesOf(AEntry);
        FStripsSeen = true;
        uint64_t First = ReadTiffFirstValue(AEntry);
        if (AEntry.Tag == kTagJpegOffset)
            FJpegOffset = static_cast<int64_t>(First);
        if (FFormat.FPreviewOffset == 0)
            FFormat.FPreviewOffset = static_cast<int64_t>(First);
        break;
    }
    case kTagStripByteCounts:
    case kTagJpegLength:
        (AEntry.Tag == kTagStripByteCounts ? AData.StripCounts : AData.JpegCounts) = ValuesOf(AEntry);
        if (AEntry.IsInline() && FFirstStripByteCount == 0)
            FFirstStripByteCount = AEntry.Value;
        break;
    case kTagRw2RawOffset:
        if (FormatIsRW2()) {
            FStripsSeen = true;
            AData.StripOffsets = SingleValue(AEntry.Value);
        }
        break;
    case kTagTileOffsets: AData.TileOffsets = ValuesOf(AEntry); break;
    case kTagTileByteCounts: AData.TileCounts = ValuesOf(AEntry); break;
    case kTagSubIfds: ReadSubIfds(AEntry, AData); break;
    case kTagExifIfd: FExifIfd = AEntry.Value; break;
    case kTagGpsIfd: FGpsIfd = AEntry.Value; break;
    case kTagInteropIfd: FInteropIfd = AEntry.Value; break;
    case kTagDngVersion: FFormat.FKind = skDNG; break;
    default: break;
    }
}

void TXDRTiffWalk::ReadSubIfds(const TEntry& AEntry, TIfdData& AData)
{
    // This model's SubIFDs value is no directory offset.
    if (Contains(FModel, "DSLR-A100")) {
        FLegacySubIfd = AEntry.Value;
        return;
    }
    TValues Values = ValuesOf(AEntry);
    int64_t Count = std::min<int64_t>(std::max<int64_t>(Values.Count, 1), kMaxIfds);
    for (int64_t I = 0; I < Count; ++I)
        AData.SubIfds.push_back(Element(Values, I));
}

int64_t TXDRTiffWalk::DataExtent(const TValues& AOffsets, const TValues& ACounts, uint64_t ADefaultCount)
{
    if (!AOffsets.Present)
        return 0;
    if (AOffsets.Count == 0) {
        uint64_t Count = ACounts.Present ? Element(ACounts, 0) : 0;
        if (Count == 0)
            Count = ADefaultCount;
        return AOffsets.Single != 0 ? Reach(AOffsets.Single, Count) : 0;
    }
    int64_t Total = std::min(AOffsets.Count, FElementBudget);
    FElementBudget -= Total;
    int64_t Extent = 0;
    std::vector<uint64_t> Offsets, Counts;
    for (int64_t First = 0; First < Total; First += kChunkElements) {
        int64_t Chunk = std::min(kChunkElements, Total - First);
        ReadElements(AOffsets, First, Chunk, Offsets);
        ReadElements(ACounts, First, Chunk, Counts);
        for (int64_t I = 0; I < Chunk; ++I)
            if (Offsets[I] != 0)
                Extent = std::max(Extent, Reach(Offsets[I], Counts[I]));
    }
    return Extent;
}

void TXDRTiffWalk::ReadElements(const TValues& AValues, int64_t AFirst, int64_t ACount, std::vector<uint64_t>& AElements)
{
    AElements.assign(static_cast<size_t>(ACount), 0);
    if (!AValues.Present)
        return;
    if (AValues.Count == 0) {
        if (AFirst == 0 && ACount > 0)
            AElements[0] = AValues.Single;
        return;
    }
    int64_t Available = std::clamp<int64_t>(AValues.Count - AFirst, 0, ACount);
    if (Available == 0)
        return;
    std::vector<uint8_t> Bytes(static_cast<size_t>(Available * AValues.ElementSize));
    Read(AValues.Offset + uint64_t(AFirst) * AValues.ElementSize, Bytes.data(), static_cast<int64_t>(Bytes.size()));
    for (int64_t I = 0; I < Available; ++I)
        AElements[I] = Unsigned(Bytes.data() + I * AValues.ElementSize, AValues.ElementSize);
}

uint64_t TXDRTiffWalk::Element(const TValues& AValues, int64_t AIndex)
{
    if (AValues.Count == 0)
        return AIndex == 0 ? AValues.Single : 0;
    uint8_t Bytes[8];
    Read(AValues.Offset + uint64_t(AIndex) * AValues.ElementSize, Bytes, AValues.ElementSize);
    return Unsigned(Bytes, AValues.ElementSize);
}

uint64_t TXDRTiffWalk::ReadTiffFirstValue(const TEntry& AEntry)
{
    int Size = TypeSize(AEntry.Type);
    if (AEntry.IsInline() || Size == 0)
        return AEntry.Value;
    uint8_t Bytes[8];
    if (!FSource.ReadAt(FPosition + AEntry.Field, Bytes, Size))
        return 0;
    return Unsigned(Bytes, Size);
}

String TXDRTiffWalk::ReadTiffString(const TEntry& AEntry, int64_t& AExtent)
{
    char Text[kMaxTextLength];
    uint64_t Length = std::min<uint64_t>(AEntry.Count, kMaxTextLength);
    if (AEntry.Count <= 4) {
        uint8_t Field[4];
        for (int I = 0; I < 4; ++I)
            Field[I] = static_cast<uint8_t>(AEntry.Field >> (FBigEndian ? 24 - 8 * I : 8 * I));
        std::memcpy(Text, Field, Length);
    } else {
        // The whole text must lie in the file even though only its start is kept.
        uint8_t Last;
        Read(AEntry.Field + AEntry.Count - 1, &Last, 1);
        Read(AEntry.Field, Text, static_cast<int64_t>(Length));
        AExtent = std::max<int64_t>(AExtent, int64_t(AEntry.Field) + AEntry.Count);
    }
    return UpperCase(std::string_view(Text, strnlen(Text, Length)));
}

void TXDRTiffWalk::DecideKindByMaker()
{
    static constexpr uint8_t kPanasonic[] = {0x49, 0x49, 0x55, 0x00};
    static constexpr uint8_t kOlympus[] = {0x49, 0x49, 0x52, 0x4F};
    uint8_t& Kind = FFormat.FKind;
    if (Contains(FMake, "NIKON"))
        Kind = skNEF;
    else if (Contains(FMake, "PENTAX"))
        Kind = skPEF;
    else if (Contains(FMake, "CANON"))
        Kind = skCR2;
    else if (Contains(FMake, "SONY")) {
        if (Contains(FModel, "DSLR-A"))
            Kind = skARWTIF;
        else if (Contains(FModel, "DSC-R1"))
            Kind = skSR2;
        else if (!FStripsSeen && FFirstStripByteCount != 0)
            Kind = skSRF;
    } else if (MatchAt(kPanasonic))
        Kind = skRW2;
    else if (MatchAt(kOlympus))
        Kind = skORF;
}

void TXDRTiffWalk::Read(uint64_t AOffset, void* ABuffer, int64_t ACount)
{
    int64_t Room = FSource.Size() - FPosition;
    if (Room < 0 || AOffset > static_cast<uint64_t>(Room) || !FSource.ReadAt(FPosition + int64_t(AOffset), ABuffer, ACount))
        SetError(kErrReadBeyondEnd, 0, {}, true);
}

uint64_t TXDRTiffWalk::Unsigned(const uint8_t* ABytes, int ASize) const
{
    uint64_t Value = 0;
    for (int I = 0; I < ASize; ++I)
        Value = FBigEndian ? (Value << 8) | ABytes[I] : Value | (uint64_t(ABytes[I]) << (8 * I));
    return Value;
}

bool TXDRTiffWalk::MatchAt(std::span<const uint8_t> APattern)
{
    uint8_t Bytes[4];
    return APattern.size() == 4 && FSource.ReadAt(FPosition, Bytes, 4) && std::memcmp(Bytes, APattern.data(), 4) == 0;
}

bool TXDRTiffWalk::FormatIsRW2() const
{
    return FFormat.FormatClass()->Kind == skRW2;
}
