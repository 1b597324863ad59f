// XDR.Work.F.FAT.cpp: boot-sector geometry, the cluster map and the directory-entry tests.
#include "XDR.Work.F.FAT.h"

#include <algorithm>
#include <string_view>

#include "Rtl.Classes.h"
#include "Rtl.DateUtils.h"
#include "Rtl.Encoding.h"
#include "Rtl.SysUtils.h"
#include "XCore.IO.Classes.h"
#include "XCore.Persistence.XML.h"
#include "XCore.Streams.Buffered.h"

namespace {

uint16_t U16(const uint8_t* ABytes, int AOffset)
{
    return static_cast<uint16_t>(ABytes[AOffset] | (ABytes[AOffset + 1] << 8));
}

uint32_t U32(const uint8_t* ABytes, int AOffset)
{
    return U16(ABytes, AOffset) | (uint32_t(U16(ABytes, AOffset + 2)) << 16);
}

uint32_t BytesPerSector(const TXBootSector& ABoot) { return U16(ABoot.data(), 11); }
uint32_t SectorsPerCluster(const TXBootSector& ABoot) { return ABoot[13]; }
uint32_t ReservedSectors(const TXBootSector& ABoot) { return U16(ABoot.data(), 14); }
uint32_t NumberOfFats(const TXBootSector& ABoot) { return ABoot[16]; }
uint32_t RootEntries(const TXBootSector& ABoot) { return U16(ABoot.data(), 17); }
uint32_t HiddenSectors(const TXBootSector& ABoot) { return U32(ABoot.data(), 28); }

uint32_t TotalSectors(const TXBootSector& ABoot)
{
    uint32_t Small = U16(ABoot.data(), 19);
    return Small != 0 ? Small : U32(ABoot.data(), 32);
}

String BootText(const TXBootSector& ABoot, int AOffset, int ACount)
{
    return TEncoding::ANSI()->GetString(std::span<const uint8_t>(ABoot.data() + AOffset, static_cast<size_t>(ACount)));
}

// FAT's own end-of-chain and bad-cluster markers, per entry width.
struct TXFatMarkers {
    uint32_t Bad;
    uint32_t LastFrom;
    uint32_t LastTo;
};
constexpr TXFatMarkers kFat16Markers{0xFFF7, 0xFFF8, 0xFFFF};
constexpr TXFatMarkers kFat32Markers{0x0FFFFFF7, 0x0FFFFFF8, 0x0FFFFFFF};

// Values with the reserved top bits set are links, as the value stands.
ClusterEntry DecodeFatEntry(uint32_t AValue, const TXFatMarkers& AMarkers)
{
    if (AValue == 0)
        return {0, clAvailable};
    if (AValue == AMarkers.Bad)
        return {0, clBad};
    if (AValue >= AMarkers.LastFrom && AValue <= AMarkers.LastTo)
        return {0, clLast};
    return {AValue, clNext};
}

// Name bytes FAT allows in a short name: no lower case, no ".", no control characters.
bool IsShortNameByte(uint8_t AByte)
{
    return AByte == 0x20 || AByte == 0x21 || (AByte >= 0x23 && AByte <= 0x29) || AByte == 0x2D
           || (AByte >= 0x30 && AByte <= 0x39) || (AByte >= 0x40 && AByte <= 0x5A) || AByte == 0x5E || AByte == 0x5F
           || AByte == 0x7B || AByte == 0x7D || AByte == 0x7E || AByte >= 0x80;
}

bool IsAllBytes(const uint8_t* ABytes, int ACount, uint8_t AValue)
{
    return std::all_of(ABytes, ABytes + ACount, [AValue](uint8_t B) { return B == AValue; });
}

constexpr uint8_t kAttrLongName = 0x0F;
constexpr uint8_t kAttrLabel = 0x08;
constexpr uint8_t kAttrFolder = 0x10;

uint8_t Attributes(const uint8_t* AEntry) { return AEntry[11]; }

// A DOS stamp; 0 when the fields make no date or time.
TDateTime DosToDateTime(uint16_t ADate, uint16_t ATime)
{
    TDateTime Date, Time;
    if (!TryEncodeDate(1980 + (ADate >> 9), (ADate >> 5) & 0x0F, ADate & 0x1F, Date)
        || !TryEncodeTime(ATime >> 11, (ATime >> 5) & 0x3F, (ATime & 0x1F) * 2, 0, Time))
        return TDateTime();
    return TDateTime(Date.Value + Time.Value);
}

}  // namespace

// ---- Geometry ----------------------------------------------------------------------------

int32_t FatTypeOfBootSector(const TXBootSector& ABoot)
{
    String Text = Trim(BootText(ABoot, 54, 8));
    if (Text == "FAT12")
        return fskFat12;
    if (Text == "FAT16")
        return fskFat16;
    return Trim(BootText(ABoot, 82, 8)) == "FAT32" ? fskFat32 : fskUnknown;
}

uint32_t FatClusterSize(const TXBootSector& ABoot)
{
    return BytesPerSector(ABoot) * SectorsPerCluster(ABoot);
}

int64_t FatTableSize(const TXBootSector& ABoot)
{
    int32_t Type = FatTypeOfBootSector(ABoot);
    int64_t Sectors = Type == fskFat12 || Type == fskFat16 ? U16(ABoot.data(), 22) : U32(ABoot.data(), 36);
    return Sectors * BytesPerSector(ABoot);
}

int64_t FatTableOffset(const TXBootSector& ABoot, uint32_t AIndex)
{
    return AIndex * FatTableSize(ABoot) + int64_t(ReservedSectors(ABoot)) * BytesPerSector(ABoot);
}

int64_t FatRootDirOffset(const TXBootSector& ABoot)
{
    return FatTableOffset(ABoot, 0) + FatTableSize(ABoot) * NumberOfFats(ABoot);
}

int64_t FatDataOffset(const TXBootSector& ABoot)
{
    int64_t Root = FatRootDirOffset(ABoot);
    int64_t SectorSize = BytesPerSector(ABoot);
    if (RootEntries(ABoot) == 0 || SectorSize == 0)
        return Root;
    return Root + (RootEntries(ABoot) * int64_t(kDirEntrySize) + SectorSize - 1) / SectorSize * SectorSize;
}

uint32_t FatEntryCount(const TXBootSector& ABoot)
{
    uint32_t ClusterSize = FatClusterSize(ABoot);
    if (SectorsPerCluster(ABoot) == 0 || ClusterSize == 0)
        return 0;
    int64_t Clusters = TotalSectors(ABoot) / SectorsPerCluster(ABoot);
    int64_t DataClusters = FatDataOffset(ABoot) / ClusterSize;
    return Clusters > DataClusters ? static_cast<uint32_t>(std::min<int64_t>(Clusters - DataClusters + 2, UINT32_MAX))
                                   : 0;
}

int64_t FatClusterOffset(const TXBootSector& ABoot, uint32_t ACluster)
{
    return FatDataOffset(ABoot) + (int64_t(ACluster) - 2) * FatClusterSize(ABoot);
}

uint32_t FatRootCluster(const TXBootSector& ABoot)
{
    uint32_t Cluster = U32(ABoot.data(), 44);
    return Cluster >= 2 ? Cluster : 2;
}

bool IsFatGeometryValid(const TXBootSector& ABoot)
{
    uint32_t SectorSize = BytesPerSector(ABoot);
    uint32_t PerCluster = SectorsPerCluster(ABoot);
    bool SectorSizeOk = SectorSize == 512 || SectorSize == 1024 || SectorSize == 2048 || SectorSize == 4096;
    bool PerClusterOk = PerCluster != 0 && (PerCluster & (PerCluster - 1)) == 0;
    return SectorSizeOk && PerClusterOk && ReservedSectors(ABoot) != 0 && NumberOfFats(ABoot) != 0
           && FatTableSize(ABoot) != 0 && FatEntryCount(ABoot) > 2;
}

void BootSectorToStrings(const TXBootSector& ABoot, TStrings* ALines)
{
    bool Fat32 = FatTypeOfBootSector(ABoot) == fskFat32;
    int Base = Fat32 ? 64 : 36;   // where the extended fields start in each layout
    ALines->Add("Jump code: " + IntToHex(ABoot[0], 2) + " " + IntToHex(ABoot[1], 2) + " " + IntToHex(ABoot[2], 2));
    ALines->Add("OEM ID: " + BootText(ABoot, 3, 8));
    ALines->Add("Bytes per sector: " + IntToStr(BytesPerSector(ABoot)));
    ALines->Add("Sectors per cluster: " + IntToStr(SectorsPerCluster(ABoot)));
    ALines->Add("Reserved sectors: " + IntToStr(ReservedSectors(ABoot)));
    ALines->Add("Number of FATs: " + IntToStr(NumberOfFats(ABoot)));
    ALines->Add("Max root entries: " + IntToStr(RootEntries(ABoot)));
    ALines->Add("Total Sectors: " + IntToStr(std::max<uint32_t>(U16(ABoot.data(), 19), U32(ABoot.data(), 32))));
    ALines->Add("FAT entries: " + IntToStr(FatEntryCount(ABoot)));
    ALines->Add("Hidden Sectors: " + IntToStr(HiddenSectors(ABoot)));
    ALines->Add("Physical drive number: " + IntToStr(ABoot[Base]));
    ALines->Add("Reserved: " + IntToStr(ABoot[Base + 1]));
    ALines->Add("Volume serial number: " + IntToHex(U32(ABoot.data(), Base + 3), 8));
    ALines->Add("Volume: " + BootText(ABoot, Base + 7, 11));
    ALines->Add("FAT ID: " + BootText(ABoot, Base + 18, 8));
    ALines->Add("Boot end: " + IntToHex(U16(ABoot.data(), 510), 4));
}

// ---- TXFAT -------------------------------------------------------------------------------

int64_t TXFAT::ClusterOffset(uint32_t ACluster) const
{
    return FDataOffset + (int64_t(ACluster) - 2) * FClusterSize;
}

bool TXFAT::Open(TStream* AStream, const TXDiskInfoRecord& ADiskInfo)
{
    inherited::Open(AStream, ADiskInfo);
    FMap.clear();
    FFatType = FatTypeOfBootSector(FBootSector);
    if ((FFatType != fskFat16 && FFatType != fskFat32) || !IsFatGeometryValid(FBootSector))
        return false;
    FClusterSize = FatClusterSize(FBootSector);
    FDataOffset = FatDataOffset(FBootSector);
    // The map holds what the FAT can describe and the source still holds of it, so a damaged
    // total-sectors field cannot make it larger than the card.
    const int64_t EntryBytes = FFatType == fskFat32 ? 4 : 2;
    const int64_t Readable = std::max<int64_t>(AStream->Size() - FatTableOffset(FBootSector, 0), 0);
    const int64_t Count = std::min({int64_t(FatEntryCount(FBootSector)), FatTableSize(FBootSector) / EntryBytes,
                                    Readable / EntryBytes});
    if (Count < 2)
        return false;
    ReadMap(static_cast<uint32_t>(Count));
    return true;
}

void TXFAT::ReadMap(uint32_t ACount)
{
    constexpr uint32_t kChunkEntries = 16384;
    const bool Fat32 = FFatType == fskFat32;
    const TXFatMarkers& Markers = Fat32 ? kFat32Markers : kFat16Markers;
    const int EntryBytes = Fat32 ? 4 : 2;
    std::vector<uint8_t> Chunk(size_t(kChunkEntries) * EntryBytes);
    FMap.resize(ACount);
    const int64_t TableOffset = FatTableOffset(FBootSector, 0);
    for (uint32_t First = 0; First < ACount; First += kChunkEntries) {
        uint32_t Count = std::min(kChunkEntries, ACount - First);
        // A sector that cannot be read reads as zeros: its clusters look free.
        if (!StreamReadAt(Stream(), Chunk.data(), int64_t(Count) * EntryBytes, TableOffset + int64_t(First) * EntryBytes))
            std::fill(Chunk.begin(), Chunk.end(), 0);
        for (uint32_t I = 0; I < Count; ++I) {
            const uint8_t* Bytes = Chunk.data() + size_t(I) * EntryBytes;
            FMap[First + I] = DecodeFatEntry(Fat32 ? U32(Bytes, 0) : U16(Bytes, 0), Markers);
        }
    }
    FMap[0] = FMap[1] = {0, clStart};
}

void TXFAT::Clear()
{
    inherited::Clear();
    FFatType = 0;
    FBootSector.fill(0);
    FMap.clear();
    FClusterSize = 0;
    FDataOffset = 0;
}

// ---- Directory entries -------------------------------------------------------------------

bool IsEndDirEntry(const uint8_t* AEntry)
{
    return AEntry[0] == 0;
}

bool IsDeletedDirEntry(const uint8_t* AEntry)
{
    return AEntry[0] == 0xE5;
}

bool IsDotDirEntry(const uint8_t* AEntry)
{
    return AEntry[0] == '.';
}

bool IsLongNameDirEntry(const uint8_t* AEntry)
{
    return Attributes(AEntry) == kAttrLongName;
}

bool IsValidShortEntry(const uint8_t* AEntry)
{
    if (IsLongNameDirEntry(AEntry))
        return false;
    uint8_t First = AEntry[0];
    if (!(IsShortNameByte(First) || First == 0x00 || First == 0x05 || First == 0x2E))
        return false;
    if (!std::all_of(AEntry + 1, AEntry + 11, IsShortNameByte))
        return false;
    return (Attributes(AEntry) & (kAttrLabel | kAttrFolder)) == 0 || DirEntrySize(AEntry) % 512 == 0;
}

bool IsPlausibleDirEntry(const uint8_t* AEntry)
{
    if (IsEndDirEntry(AEntry))
        return IsAllBytes(AEntry, kDirEntrySize, 0);
    if (IsDotDirEntry(AEntry)) {
        static constexpr std::string_view kDot = ".          ", kDotDot = "..         ";
        std::string_view Name(reinterpret_cast<const char*>(AEntry), 11);
        return (Name == kDot || Name == kDotDot) && DirEntrySize(AEntry) == 0 && Attributes(AEntry) == kAttrFolder;
    }
    if (IsLongNameDirEntry(AEntry))
        return AEntry[12] == 0 && U16(AEntry, 26) == 0;
    return IsValidShortEntry(AEntry) && AEntry[13] < 200 && Attributes(AEntry) < 0x40;
}

// Any folder, also a hidden or system one: the bit marks it, whatever else is set.
bool IsFolderEntry(const uint8_t* AEntry)
{
    return (Attributes(AEntry) & kAttrFolder) != 0 && !IsDotDirEntry(AEntry) && !IsLongNameDirEntry(AEntry);
}

bool IsFileEntry(const uint8_t* AEntry)
{
    return IsValidShortEntry(AEntry) && !IsFolderEntry(AEntry) && !IsDotDirEntry(AEntry) && !IsEndDirEntry(AEntry)
           && DirEntrySize(AEntry) != 0;
}

uint32_t DirEntryFirstCluster(const uint8_t* AEntry, bool AFat32)
{
    return AFat32 ? (uint32_t(U16(AEntry, 20)) << 16) | U16(AEntry, 26) : U16(AEntry, 26);
}

uint32_t DirEntrySize(const uint8_t* AEntry)
{
    return U32(AEntry, 28);
}

String DirEntryName(const uint8_t* AEntry)
{
    uint8_t Bytes[11];
    std::copy(AEntry, AEntry + 11, Bytes);
    // 05 stands for a name that starts with E5, which marks deleted entries.
    if (IsDeletedDirEntry(AEntry))
        Bytes[0] = '!';
    else if (Bytes[0] == 0x05)
        Bytes[0] = 0xE5;
    const TEncoding* Ansi = TEncoding::ANSI();
    String Name = Trim(Ansi->GetString(std::span<const uint8_t>(Bytes, 8)));
    String Extension = Trim(Ansi->GetString(std::span<const uint8_t>(Bytes + 8, 3)));
    return Extension.empty() ? Name : Name + "." + Extension;
}

void DirEntryDates(const uint8_t* AEntry, TDateTime& ACreated, TDateTime& AModified, TDateTime& AAccessed)
{
    if (IsLongNameDirEntry(AEntry)) {
        ACreated = AModified = AAccessed = TDateTime();
        return;
    }
    ACreated = DosToDateTime(U16(AEntry, 16), U16(AEntry, 14));
    AModified = DosToDateTime(U16(AEntry, 24), U16(AEntry, 22));
    AAccessed = DosToDateTime(U16(AEntry, 18), 0);
}

void RegisterRecoveryEngine()
{
    RegisterRecoveryFramework();
    // The FAT reader reads the kinds FAT16 and FAT32.
    RegisterFileSystemClass(fskFat16, TXFAT::StaticClass());
    RegisterFileSystemClass(fskFat32, TXFAT::StaticClass());
}
