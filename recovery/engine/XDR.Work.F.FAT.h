// XDR.Work.F.FAT.h: the FAT reader: boot-sector geometry, the cluster map built from the first
// FAT copy, and the tests that decide what 32 bytes of a directory are.
// Boot-sector fields come from the card: Open checks them before any division or shift, and a
// map never holds more entries than the FAT on the source can describe.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "XDR.Work.F.h"

class TStrings;

inline constexpr int kBootSectorSize = 512;
inline constexpr int kDirEntrySize = 32;
inline constexpr int kDirSectorSize = 512;   // directories are read in 512-byte sectors
using TXBootSector = std::array<uint8_t, kBootSectorSize>;

// ---- Geometry ----------------------------------------------------------------------------

// fskFat12, fskFat16 or fskFat32 from the type texts at 54 and 82; fskUnknown (0) otherwise.
int32_t FatTypeOfBootSector(const TXBootSector& ABoot);
uint32_t FatClusterSize(const TXBootSector& ABoot);
int64_t FatTableSize(const TXBootSector& ABoot);
int64_t FatTableOffset(const TXBootSector& ABoot, uint32_t AIndex);
int64_t FatRootDirOffset(const TXBootSector& ABoot);
int64_t FatDataOffset(const TXBootSector& ABoot);
// The clusters the volume's sectors make room for, plus the two reserved entries; 0 when the
// geometry leaves no data area.
uint32_t FatEntryCount(const TXBootSector& ABoot);
int64_t FatClusterOffset(const TXBootSector& ABoot, uint32_t ACluster);
// FAT32's root directory cluster; 2 when the field names none.
uint32_t FatRootCluster(const TXBootSector& ABoot);
// Sector size, cluster size, FAT count and FAT size are ones FAT allows, and a data area
// follows the FATs.
bool IsFatGeometryValid(const TXBootSector& ABoot);
// The FAT's size agrees with the clusters the boot sector makes of a card of ACardSize bytes:
// it has an entry for each of them, and is not sized for half as many again. A damaged
// sectors-per-cluster field fails this; a card shorter than its volume does not.
bool IsFatSizeConsistent(const TXBootSector& ABoot, int64_t ACardSize);
// The one sectors-per-cluster value with which the geometry is valid and the FAT's size agrees;
// 0 when none or several do.
uint8_t FatAgreeingSectorsPerCluster(const TXBootSector& ABoot, int64_t ACardSize);
// Where FAT32 keeps the boot sector's copy: the sector the boot sector names when it names a
// reserved one, else 6.
uint32_t FatBackupBootSector(const TXBootSector& ABoot);
// A FAT16 or FAT32 boot sector whose geometry is valid and agrees with its FAT.
bool IsUsableFatBootSector(const TXBootSector& ABoot, int64_t ACardSize);
// The boot sector's fields as the trace lists them.
void BootSectorToStrings(const TXBootSector& ABoot, TStrings* ALines);

// ---- The cluster map ---------------------------------------------------------------------

enum TXClusterState : uint8_t { clAvailable, clStart, clBad, clNext, clLast, clAvailableFolder };

struct ClusterEntry {
    uint32_t Next = 0;
    TXClusterState State = clAvailable;
};

class TXFAT : public TXFileSystem {
    X_CLASS(TXFAT, TXFileSystem)
public:
    int32_t FatType() const { return FFatType; }
    // Placed by the caller before Open.
    TXBootSector& BootSector() { return FBootSector; }
    const TXBootSector& BootSector() const { return FBootSector; }
    // One entry per FAT entry, the two reserved ones included.
    std::vector<ClusterEntry>& Map() { return FMap; }
    const std::vector<ClusterEntry>& Map() const { return FMap; }
    uint32_t ClusterCount() const { return static_cast<uint32_t>(FMap.size()); }
    bool IsInMap(uint32_t ACluster) const { return ACluster >= 2 && ACluster < FMap.size(); }
    uint32_t ClusterSize() const { return FClusterSize; }
    int64_t ClusterOffset(uint32_t ACluster) const;

    // Reads the FAT of a FAT16 or FAT32 boot sector into the map: the first copy, with any
    // sector it cannot read taken from the second; the second whole when the first does not
    // start as a FAT does (zeroed). False, with an empty map, for any other type or a geometry
    // the FAT contradicts. A FAT cut short by the end of the source gives a map of the entries
    // it still holds.
    bool Open(TStream* AStream, const TXDiskInfoRecord& ADiskInfo) override;
    void Clear() override;

    // The copy the map was read from (0 or 1).
    uint32_t CopyInUse() const { return FCopyInUse; }
    // The other copy differs from the map and also starts as a FAT does.
    bool HasOtherCopy() const { return !FOtherCopy.empty(); }
    // Reads the map from the other copy instead; the one it replaces becomes the other.
    void UseOtherCopy();

protected:
    TXFAT() = default;

private:
    // The raw entries of copy ACopy; AUnreadable gets the indexes of the sectors that failed.
    std::vector<uint8_t> ReadCopy(uint32_t ACopy, std::vector<uint32_t>& AUnreadable) const;
    bool IsPlausibleCopy(const std::vector<uint8_t>& ARaw) const;
    void DecodeMap(const std::vector<uint8_t>& ARaw);

    int32_t FFatType = 0;
    TXBootSector FBootSector{};
    std::vector<ClusterEntry> FMap;
    uint32_t FEntryCount = 0;   // entries read from a copy
    uint32_t FCopyInUse = 0;
    std::vector<uint8_t> FMapCopy;     // the raw entries of the map's copy, while another differs
    std::vector<uint8_t> FOtherCopy;   // the raw entries of that other copy
    uint32_t FClusterSize = 0;
    int64_t FDataOffset = 0;
};

// ---- Directory entries -------------------------------------------------------------------

// Each takes the 32 bytes of one entry.
bool IsEndDirEntry(const uint8_t* AEntry);
bool IsDeletedDirEntry(const uint8_t* AEntry);
bool IsDotDirEntry(const uint8_t* AEntry);
bool IsLongNameDirEntry(const uint8_t* AEntry);
bool IsValidShortEntry(const uint8_t* AEntry);
bool IsPlausibleDirEntry(const uint8_t* AEntry);
bool IsFolderEntry(const uint8_t* AEntry);
bool IsFileEntry(const uint8_t* AEntry);
uint32_t DirEntryFirstCluster(const uint8_t* AEntry, bool AFat32);
uint32_t DirEntrySize(const uint8_t* AEntry);
// "NAME.EXT" with blanks trimmed, "!" in place of a deleted entry's first byte; no dot when
// there is no extension.
String DirEntryName(const uint8_t* AEntry);
// 0 for long-name entries and for stamps that are no date.
void DirEntryDates(const uint8_t* AEntry, TDateTime& ACreated, TDateTime& AModified, TDateTime& AAccessed);

// ---- Start-up ----------------------------------------------------------------------------

// Registers the libraries below and the FAT reader as the file system of the kinds FAT16 and
// FAT32. Programs and test programs call it at start-up; calling it again changes nothing.
void RegisterRecoveryEngine();
