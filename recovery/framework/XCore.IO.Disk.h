// XCore.IO.Disk.h: what the recovery engine knows of a volume (geometry, identity, size) and
// its text form, which is also the trailer that ends every card image file.
// DiskSize is the size of the readable source, the whole device; TotalBytes is the file system's.
#pragma once

#include <cstdint>
#include <vector>

#include "Rtl.Types.h"

struct TXDiskInfoRecord {
    String RootPath;   // the device or file path the information was read from
    uint32_t Serial = 0;
    uint32_t Flags = 0;
    uint32_t MaxComponentLength = 0;
    String VolumeName;
    String FileSystemName;
    uint32_t BytesPerSector = 0;
    uint32_t SectorsPerCluster = 0;
    uint32_t ClusterSize = 0;
    int64_t TotalClusters = 0;
    int64_t TotalBytes = 0;
    int64_t FreeClusters = 0;
    int64_t FreeBytes = 0;
    int64_t DiskSize = 0;
};

void ClearDiskInfo(TXDiskInfoRecord& AInfo);
// The cluster size, or 1024 when none is known.
uint32_t DiskInfoClusterSize(const TXDiskInfoRecord& AInfo);

// Reads the volume's boot sector (and its mount, when mounted); False with the record cleared
// when the volume cannot be opened or holds no known file system.
[[nodiscard]] bool ReadDiskInfo(TXDiskInfoRecord& AInfo, const String& ARootPath);
// Fills the sector size, track size (as the cluster) and the size from the drive geometry.
[[nodiscard]] bool ReadDriveGeometryInfo(TXDiskInfoRecord& AInfo, const String& ADevicePath);

// Lines for the disk page's information box: paths, names, serial, flags and sizes.
std::vector<String> DiskInfoToStrings(const TXDiskInfoRecord& AInfo);

// The disk-info text: an element "xml" holding the identity and geometry elements.
String WriteDiskInfoText(const TXDiskInfoRecord& AInfo);
// Never fails: missing elements read as 0 or empty. TotalBytes and DiskSize become
// TotalClusters times ClusterSize.
void ReadDiskInfoText(TXDiskInfoRecord& AInfo, const String& AText);
