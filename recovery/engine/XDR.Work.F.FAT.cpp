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
// FAT copies are read, and mended from each other, in sectors of this size.
constexpr int64_t kFatSectorSize = 512;

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

namespace {

int EntryBytes(const TXBootSector& ABoot)
{
    return FatTypeOfBootSector(ABoot) == fskFat32 ? 4 : 2;
}

// The clusters the volume's sectors make room for, counted only as far as the card reaches.
int64_t ClustersOnTheCard(const TXBootSector& ABoot, int64_t ACardSize)
{
    const int64_t ClusterSize = FatClusterSize(ABoot);
    if (ClusterSize == 0)
        return 0;
    const int64_t Data = std::min<int64_t>(ACardSize, int64_t(TotalSectors(ABoot)) * BytesPerSector(ABoot))
                         - FatDataOffset(ABoot);
    return std::max<int64_t>(Data / ClusterSize, 0) + 2;
}

}  // namespace

bool IsFatSizeConsistent(const TXBootSector& ABoot, int64_t ACardSize)
{
    const int64_t Capacity = FatTableSize(ABoot) / EntryBytes(ABoot);
    const int64_t PerSector = BytesPerSector(ABoot) / EntryBytes(ABoot);
    // Formatters round the FAT up to whole sectors and may leave a few clusters it does not
    // cover; a cluster size off by a factor of two is off by far more.
    const bool CoversTheClusters = Capacity * 4 + 4 >= ClustersOnTheCard(ABoot, ACardSize) * 3;
    const bool NotOversized = Capacity <= int64_t(FatEntryCount(ABoot)) * 3 / 2 + PerSector;
    return CoversTheClusters && NotOversized;
}

uint8_t FatAgreeingSectorsPerCluster(const TXBootSector& ABoot, int64_t ACardSize)
{
    uint8_t Found = 0;
    TXBootSector Trial = ABoot;
    for (unsigned PerCluster = 1; PerCluster <= 128; PerCluster *= 2) {
        Trial[13] = static_cast<uint8_t>(PerCluster);
        if (!IsFatGeometryValid(Trial) || !IsFatSizeConsistent(Trial, ACardSize))
            continue;
        if (Found != 0)
            return 0;
        Found = static_cast<uint8_t>(PerCluster);
    }
    return Found;
}

uint32_t FatBackupBootSector(const TXBootSector& ABoot)
{
    const uint32_t Named = U16(ABoot.data(), 50);
    return Named != 0 && Named < 32 && Named < std::max<uint32_t>(ReservedSectors(ABoot), 1) ? Named : 6;
}

bool IsUsableFatBootSector(const TXBootSector& ABoot, int64_t ACardSize)
{
    const int32_t Type = FatTypeOfBootSector(ABoot);
    return (Type == fskFat16 || Type == fskFat32) && IsFatGeometryValid(ABoot) && IsFatSizeConsistent(ABoot, ACardSize);
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
    FMapCopy.clear();
    FOtherCopy.clear();
    FCopyInUse = 0;
    FFatType = FatTypeOfBootSector(FBootSector);
    if (!IsUsableFatBootSector(FBootSector, AStream->Size()))
        return false;
    FClusterSize = FatClusterSize(FBootSector);
    FDataOffset = FatDataOffset(FBootSector);
    // The map holds what the FAT can describe and the source still holds of it, so a damaged
    // total-sectors field cannot make it larger than the card.
    const int64_t Bytes = EntryBytes(FBootSector);
    const int64_t Readable = std::max<int64_t>(AStream->Size() - FatTableOffset(FBootSector, 0), 0);
    const int64_t Count =
        std::min({int64_t(FatEntryCount(FBootSector)), FatTableSize(FBootSector) / Bytes, Readable / Bytes});
    if (Count < 2)
        return false;
    FEntryCount = static_cast<uint32_t>(Count);
    std::vector<uint32_t> FirstUnreadable, SecondUnreadable;
    std::vector<uint8_t> First = ReadCopy(0, FirstUnreadable), Second;
    if (NumberOfFats(FBootSector) >= 2)
        Second = ReadCopy(1, SecondUnreadable);
    // A sector of the first copy that cannot be read is taken from the second.
    for (uint32_t Sector : FirstUnreadable) {
        if (Second.empty() || std::ranges::find(SecondUnreadable, Sector) != SecondUnreadable.end())
            continue;
        const size_t From = size_t(Sector) * kFatSectorSize;
        std::copy_n(Second.begin() + From, std::min<size_t>(kFatSectorSize, First.size() - From), First.begin() + From);
    }
    if (!IsPlausibleCopy(First) && !Second.empty() && IsPlausibleCopy(Second)) {
        std::swap(First, Second);
        FCopyInUse = 1;
    }
    if (!Second.empty() && IsPlausibleCopy(Second) && First != Second) {
        FMapCopy = First;
        FOtherCopy = std::move(Second);
    }
    DecodeMap(First);
    return true;
}

void TXFAT::UseOtherCopy()
{
    if (FOtherCopy.empty())
        return;
    std::swap(FMapCopy, FOtherCopy);
    FCopyInUse = 1 - FCopyInUse;
    DecodeMap(FMapCopy);
}

std::vector<uint8_t> TXFAT::ReadCopy(uint32_t ACopy, std::vector<uint32_t>& AUnreadable) const
{
    const int64_t Offset = FatTableOffset(FBootSector, ACopy);
    std::vector<uint8_t> Raw(size_t(FEntryCount) * EntryBytes(FBootSector));
    std::vector<int64_t> Failed;
    constexpr int64_t kChunk = 65536;
    for (int64_t Done = 0; Done < int64_t(Raw.size()); Done += kChunk)
        StreamReadSectors(Stream(), Raw.data() + Done, std::min<int64_t>(kChunk, int64_t(Raw.size()) - Done),
                          Offset + Done, &Failed, kFatSectorSize);
    for (int64_t At : Failed)
        AUnreadable.push_back(static_cast<uint32_t>((At - Offset) / kFatSectorSize));
    return Raw;
}

// Entry 0 of a FAT holds the media byte with every higher bit set; a zeroed or overwritten
// table does not.
bool TXFAT::IsPlausibleCopy(const std::vector<uint8_t>& ARaw) const
{
    if (FFatType == fskFat32) {
        const uint32_t First = U32(ARaw.data(), 0) & 0x0FFFFFFF;
        return (First & 0x0FFFFF00) == 0x0FFFFF00 && (First & 0xFF) >= 0xF0;
    }
    const uint16_t First = U16(ARaw.data(), 0);
    return (First & 0xFF00) == 0xFF00 && (First & 0xFF) >= 0xF0;
}

void TXFAT::DecodeMap(const std::vector<uint8_t>& ARaw)
{
    const bool Fat32 = FFatType == fskFat32;
    const TXFatMarkers& Markers = Fat32 ? kFat32Markers : kFat16Markers;
    const int Bytes = Fat32 ? 4 : 2;
    FMap.resize(FEntryCount);
    for (uint32_t I = 0; I < FEntryCount; ++I) {
        const uint8_t* Entry = ARaw.data() + size_t(I) * Bytes;
        FMap[I] = DecodeFatEntry(Fat32 ? U32(Entry, 0) : U16(Entry, 0), Markers);
    }
    FMap[0] = FMap[1] = {0, clStart};
}

void TXFAT::Clear()
{
    inherited::Clear();
    FFatType = 0;
    FBootSector.fill(0);
    FMap.clear();
    FMapCopy.clear();
    FOtherCopy.clear();
    FCopyInUse = 0;
    FEntryCount = 0;
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
