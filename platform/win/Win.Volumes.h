// Win.Volumes.h: raw volumes for the recovery program: a block device ("/dev/sdb1") or a
// regular file (a card image) opened read-only by path, its size, sector size and FAT/exFAT/
// NTFS identity, positioned reads that keep the system's errno, and the removable drive list.
// Nothing here ever writes to a source; errors come back as errno values, never as exceptions.
#pragma once

#include <cstdint>
#include <vector>

#include "Rtl.Types.h"

// What the recovery layer records for a failed volume operation (its error-store codes).
inline constexpr int32_t kVolumeOpenFailed = 4;
inline constexpr int32_t kVolumeAccessDenied = 10;
inline constexpr int32_t kVolumeMissing = 11;
inline constexpr int32_t kVolumeReadFailed = 44;

// The error code for an errno of opening a volume: a device that is not there (no such
// file, no medium, no such device) is missing, a refusal is access denied, anything else is
// an open failure that keeps the errno as its value.
int32_t VolumeOpenErrorCode(int AErrno);
// The error code for an errno of reading: a vanished device is missing, anything else a
// read failure.
int32_t VolumeReadErrorCode(int AErrno);
// True for the errnos of a device that is gone or has lost its medium.
bool IsVolumeGoneError(int AErrno);
// The text recorded with a failed open: the path, and for a refusal what the user lacks.
String VolumeErrorText(const String& APath, int AErrno);

// An open volume: a read-only file descriptor. Closing is the owner's job (CloseVolume).
inline constexpr int kInvalidVolume = -1;

// Opens APath for reading (and for writing with AWrite, which only image files use).
// Answers kInvalidVolume and sets AErrno on failure.
int OpenVolume(const String& APath, bool AWrite, int& AErrno);
void CloseVolume(int AVolume);
// The whole device in bytes (BLKGETSIZE64; the length for a file); -1 with AErrno on failure.
int64_t GetVolumeSize(int AVolume, int& AErrno);
// The device's logical sector size; 512 for a file.
uint32_t GetVolumeSectorSize(int AVolume);
// Reads up to ACount bytes at AOffset, retrying interrupted calls and short reads. Answers
// the bytes read (fewer only at the end of the volume), or -1 with AErrno on a failure.
int64_t ReadVolume(int AVolume, void* ABuffer, int64_t ACount, int64_t AOffset, int& AErrno);

// What GetVolumeInformationW and GetDiskFreeSpaceW give for a volume, from its boot sector
// and, while the volume is mounted, from the mount.
struct TVolumeInformation {
    uint32_t Serial = 0;
    uint32_t Flags = 0;
    uint32_t MaxComponentLength = 0;
    String VolumeName;
    String FileSystemName;   // "FAT", "FAT32", "exFAT" or "NTFS"
    uint32_t BytesPerSector = 0;
    uint32_t SectorsPerCluster = 0;
    int64_t TotalClusters = 0;
    int64_t FreeClusters = 0;   // 0 while not mounted
    int64_t FreeBytes = 0;      // what the caller may use; 0 while not mounted
    String MountPoint;          // empty while not mounted
};

// File-system flags of the volume, as GetVolumeInformationW gives them.
inline constexpr uint32_t kVolumeCasePreservedNames = 0x2;
inline constexpr uint32_t kVolumeUnicodeOnDisk = 0x4;
inline constexpr uint32_t kVolumeReadOnly = 0x80000;

// Reads the boot sector of APath; False with AErrno (0 when the boot sector is simply not a
// known file system) when nothing could be learnt.
bool GetVolumeInformation(const String& APath, TVolumeInformation& AInfo, int& AErrno);
// The same from a boot sector in memory (at least 512 bytes); False when it is no FAT, exFAT
// or NTFS boot sector, or when a field is outside what those allow.
bool ParseBootSector(const uint8_t* ASector, size_t ASize, TVolumeInformation& AInfo);

// The drive geometry the kernel reports for a block device (HDIO_GETGEO, BLKSSZGET).
struct TDriveGeometry {
    int64_t Cylinders = 0;
    uint32_t TracksPerCylinder = 0;
    uint32_t SectorsPerTrack = 0;
    uint32_t BytesPerSector = 0;
};
// False for a regular file or a device that reports no geometry.
bool GetDriveGeometry(const String& APath, TDriveGeometry& AGeometry);

// A removable disk or one of its partitions, as the disk page lists them.
struct TDriveEntry {
    String DevicePath;   // "/dev/sdb1"
    String Name;         // "sdb1"
    String Disk;         // the whole disk's name ("sdb"), the entry's own for a disk
    String Model;        // the disk's vendor and model, trimmed
    int64_t Size = 0;    // bytes
    bool IsPartition = false;
    bool ReadOnly = false;
};
// Removable disks (and memory cards, which some readers do not mark removable) and their
// partitions, read from ASysBlock (normally "/sys/block"); disks first, each followed by its
// partitions, in name order.
std::vector<TDriveEntry> GetRemovableDrives(const String& ASysBlock = "/sys/block");
