// Win.Volumes.cpp: volumes over POSIX file descriptors, the block-device ioctls and sysfs.
#include "Win.Volumes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <linux/fs.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <fcntl.h>
#include <unistd.h>

#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"

namespace {

uint16_t GetU16(const uint8_t* A) { return static_cast<uint16_t>(A[0] | A[1] << 8); }
uint32_t GetU32(const uint8_t* A) { return GetU16(A) | static_cast<uint32_t>(GetU16(A + 2)) << 16; }
uint64_t GetU64(const uint8_t* A) { return GetU32(A) | static_cast<uint64_t>(GetU32(A + 4)) << 32; }

bool IsPowerOfTwo(uint64_t A) { return A != 0 && (A & (A - 1)) == 0; }
bool IsSectorSize(uint32_t A) { return A == 512 || A == 1024 || A == 2048 || A == 4096; }

String FieldText(const uint8_t* A, size_t ALength)
{
    return TrimRight(std::string_view(reinterpret_cast<const char*>(A), ALength));
}

// FAT12/16 keep the extended fields at 0x24, FAT32 at 0x40; the boot signature 0x29 says
// that serial, label and type are there.
void ReadFatIdentity(const uint8_t* AExtended, TVolumeInformation& AInfo)
{
    if (AExtended[2] != 0x29)
        return;
    AInfo.Serial = GetU32(AExtended + 3);
    String Label = FieldText(AExtended + 7, 11);
    AInfo.VolumeName = Label == "NO NAME" ? String() : Label;
}

bool ParseFat(const uint8_t* B, TVolumeInformation& AInfo)
{
    uint32_t BytesPerSector = GetU16(B + 0x0B);
    uint32_t SectorsPerCluster = B[0x0D];
    uint32_t Reserved = GetU16(B + 0x0E);
    uint32_t FatCount = B[0x10];
    uint32_t RootEntries = GetU16(B + 0x11);
    uint32_t TotalSectors = GetU16(B + 0x13) != 0 ? GetU16(B + 0x13) : GetU32(B + 0x20);
    uint32_t FatSectors = GetU16(B + 0x16) != 0 ? GetU16(B + 0x16) : GetU32(B + 0x24);
    if (!IsSectorSize(BytesPerSector) || !IsPowerOfTwo(SectorsPerCluster) || Reserved == 0 || FatCount == 0
        || FatSectors == 0)
        return false;
    uint64_t RootSectors = (RootEntries * 32ull + BytesPerSector - 1) / BytesPerSector;
    uint64_t Overhead = Reserved + uint64_t(FatCount) * FatSectors + RootSectors;
    if (TotalSectors <= Overhead)
        return false;
    AInfo.BytesPerSector = BytesPerSector;
    AInfo.SectorsPerCluster = SectorsPerCluster;
    AInfo.TotalClusters = static_cast<int64_t>((TotalSectors - Overhead) / SectorsPerCluster);
    // The cluster count alone decides the FAT width (4085 and 65525 are the limits).
    bool Fat32 = AInfo.TotalClusters >= 65525;
    AInfo.FileSystemName = Fat32 ? "FAT32" : "FAT";
    ReadFatIdentity(B + (Fat32 ? 0x40 : 0x24), AInfo);
    return true;
}

bool ParseExFat(const uint8_t* B, TVolumeInformation& AInfo)
{
    uint32_t SectorShift = B[0x6C];
    uint32_t ClusterShift = B[0x6D];
    if (SectorShift < 9 || SectorShift > 12 || SectorShift + ClusterShift > 25)
        return false;
    AInfo.FileSystemName = "exFAT";
    AInfo.BytesPerSector = 1u << SectorShift;
    AInfo.SectorsPerCluster = 1u << ClusterShift;
    AInfo.TotalClusters = GetU32(B + 0x5C);
    AInfo.Serial = GetU32(B + 0x64);
    return true;
}

bool ParseNtfs(const uint8_t* B, TVolumeInformation& AInfo)
{
    uint32_t BytesPerSector = GetU16(B + 0x0B);
    uint32_t ClusterCode = B[0x0D];
    // Above 0x80 the byte is a negative power of two (0xF4 is 4096 sectors).
    uint32_t SectorsPerCluster = ClusterCode <= 0x80 ? ClusterCode : (ClusterCode >= 0xE0 ? 1u << (256 - ClusterCode) : 0);
    if (!IsSectorSize(BytesPerSector) || !IsPowerOfTwo(SectorsPerCluster))
        return false;
    AInfo.FileSystemName = "NTFS";
    AInfo.BytesPerSector = BytesPerSector;
    AInfo.SectorsPerCluster = SectorsPerCluster;
    AInfo.TotalClusters = static_cast<int64_t>(GetU64(B + 0x28) / SectorsPerCluster);
    AInfo.Serial = GetU32(B + 0x48);
    return true;
}

// The mount point of the device AStat names, from /proc/self/mountinfo; empty when none.
String FindMountPoint(const struct stat& AStat)
{
    if (!S_ISBLK(AStat.st_mode))
        return {};
    std::ifstream Mounts("/proc/self/mountinfo");
    String Id, Parent, Device, Root, Point;
    String Wanted = IntToStr(major(AStat.st_rdev)) + ":" + IntToStr(minor(AStat.st_rdev));
    String Line;
    while (std::getline(Mounts, Line)) {
        std::istringstream Fields(Line);
        if (!(Fields >> Id >> Parent >> Device >> Root >> Point) || Device != Wanted || Root != "/")
            continue;
        // Blanks and other specials come as octal escapes ("\040").
        String Result;
        for (size_t I = 0; I < Point.size(); ++I) {
            if (Point[I] == '\\' && I + 3 < Point.size()) {
                Result += static_cast<char>(std::stoi(Point.substr(I + 1, 3), nullptr, 8));
                I += 3;
            } else {
                Result += Point[I];
            }
        }
        return Result;
    }
    return {};
}

void ReadMountedSpace(const struct stat& AStat, TVolumeInformation& AInfo)
{
    AInfo.MountPoint = FindMountPoint(AStat);
    struct statvfs Space {};
    if (AInfo.MountPoint.empty() || ::statvfs(AInfo.MountPoint.c_str(), &Space) != 0)
        return;
    int64_t ClusterSize = int64_t(AInfo.BytesPerSector) * AInfo.SectorsPerCluster;
    AInfo.FreeClusters = static_cast<int64_t>(Space.f_bfree * Space.f_frsize) / ClusterSize;
    AInfo.FreeBytes = static_cast<int64_t>(Space.f_bavail * Space.f_frsize);
    if ((Space.f_flag & ST_RDONLY) != 0)
        AInfo.Flags |= kVolumeReadOnly;
}

String ReadSysText(const std::filesystem::path& APath)
{
    std::ifstream File(APath);
    String Text;
    std::getline(File, Text);
    return Trim(Text);
}

int64_t ReadSysSize(const std::filesystem::path& ADir)
{
    // sysfs counts 512-byte units whatever the sector size.
    return StrToInt64Def(ReadSysText(ADir / "size"), 0) * 512;
}

TDriveEntry MakeDriveEntry(const std::filesystem::path& ADir, const String& ADisk, bool AIsPartition)
{
    TDriveEntry Entry;
    Entry.Name = ADir.filename().string();
    Entry.DevicePath = "/dev/" + Entry.Name;
    Entry.Disk = ADisk;
    Entry.Size = ReadSysSize(ADir);
    Entry.IsPartition = AIsPartition;
    Entry.ReadOnly = ReadSysText(ADir / "ro") == "1";
    return Entry;
}

bool IsRemovableDisk(const std::filesystem::path& ADir)
{
    // Built-in SD slots say 0 in "removable", yet hold memory cards.
    return ReadSysText(ADir / "removable") == "1" || ADir.filename().string().starts_with("mmcblk");
}

}  // namespace

// ---- Errors ------------------------------------------------------------------------------

bool IsVolumeGoneError(int AErrno)
{
    return AErrno == ENOENT || AErrno == ENODEV || AErrno == ENXIO || AErrno == ENOMEDIUM || AErrno == ESHUTDOWN;
}

int32_t VolumeOpenErrorCode(int AErrno)
{
    if (IsVolumeGoneError(AErrno))
        return kVolumeMissing;
    if (AErrno == EACCES || AErrno == EPERM || AErrno == EROFS)
        return kVolumeAccessDenied;
    return kVolumeOpenFailed;
}

int32_t VolumeReadErrorCode(int AErrno)
{
    return IsVolumeGoneError(AErrno) ? kVolumeMissing : kVolumeReadFailed;
}

String VolumeErrorText(const String& APath, int AErrno)
{
    if (VolumeOpenErrorCode(AErrno) == kVolumeAccessDenied)
        return APath + ": reading a device needs root or membership of the \"disk\" group";
    if (AErrno == ESPIPE)
        return APath + ": neither a card image file nor a device";
    return APath;
}

// ---- Volumes -----------------------------------------------------------------------------

int OpenVolume(const String& APath, bool AWrite, int& AErrno)
{
    // A card image named by the user may be a FIFO or a folder: refused, never waited on.
    int Handle = OpenDataFile(APath, AWrite ? O_RDWR : O_RDONLY);
    AErrno = Handle < 0 ? errno : 0;
    return Handle < 0 ? kInvalidVolume : Handle;
}

void CloseVolume(int AVolume)
{
    if (AVolume != kInvalidVolume)
        ::close(AVolume);
}

int64_t GetVolumeSize(int AVolume, int& AErrno)
{
    struct stat Info {};
    if (::fstat(AVolume, &Info) != 0) {
        AErrno = errno;
        return -1;
    }
    if (!S_ISBLK(Info.st_mode))
        return Info.st_size;
    uint64_t Size = 0;
    if (::ioctl(AVolume, BLKGETSIZE64, &Size) != 0) {
        AErrno = errno;
        return -1;
    }
    return static_cast<int64_t>(Size);
}

uint32_t GetVolumeSectorSize(int AVolume)
{
    struct stat Info {};
    int Size = 0;
    if (::fstat(AVolume, &Info) == 0 && S_ISBLK(Info.st_mode) && ::ioctl(AVolume, BLKSSZGET, &Size) == 0 && Size > 0)
        return static_cast<uint32_t>(Size);
    return 512;
}

int64_t ReadVolume(int AVolume, void* ABuffer, int64_t ACount, int64_t AOffset, int& AErrno)
{
    auto* Target = static_cast<uint8_t*>(ABuffer);
    int64_t Done = 0;
    while (Done < ACount) {
        ssize_t Got = ::pread(AVolume, Target + Done, static_cast<size_t>(ACount - Done), AOffset + Done);
        if (Got < 0 && errno == EINTR)
            continue;
        if (Got < 0) {
            AErrno = errno;
            return -1;
        }
        if (Got == 0)
            break;
        Done += Got;
    }
    return Done;
}

// ---- Volume information ------------------------------------------------------------------

bool ParseBootSector(const uint8_t* ASector, size_t ASize, TVolumeInformation& AInfo)
{
    AInfo = {};
    if (ASize < 512)
        return false;
    bool Parsed = false;
    if (std::memcmp(ASector + 3, "EXFAT   ", 8) == 0)
        Parsed = ParseExFat(ASector, AInfo);
    else if (std::memcmp(ASector + 3, "NTFS    ", 8) == 0)
        Parsed = ParseNtfs(ASector, AInfo);
    else if (ASector[510] == 0x55 && ASector[511] == 0xAA)
        Parsed = ParseFat(ASector, AInfo);
    if (!Parsed) {
        AInfo = {};
        return false;
    }
    AInfo.Flags = kVolumeCasePreservedNames | kVolumeUnicodeOnDisk;
    AInfo.MaxComponentLength = 255;
    return true;
}

bool GetVolumeInformation(const String& APath, TVolumeInformation& AInfo, int& AErrno)
{
    AInfo = {};
    AErrno = 0;
    int Volume = OpenVolume(APath, false, AErrno);
    if (Volume == kInvalidVolume)
        return false;
    uint8_t Sector[4096];
    int64_t Got = ReadVolume(Volume, Sector, sizeof Sector, 0, AErrno);
    struct stat Info {};
    bool HaveStat = ::fstat(Volume, &Info) == 0;
    CloseVolume(Volume);
    if (Got < 512 || !ParseBootSector(Sector, static_cast<size_t>(Got), AInfo))
        return false;
    if (HaveStat)
        ReadMountedSpace(Info, AInfo);
    return true;
}

bool GetDriveGeometry(const String& APath, TDriveGeometry& AGeometry)
{
    AGeometry = {};
    int Errno = 0;
    int Volume = OpenVolume(APath, false, Errno);
    if (Volume == kInvalidVolume)
        return false;
    struct hd_geometry Geometry {};
    bool Ok = ::ioctl(Volume, HDIO_GETGEO, &Geometry) == 0 && Geometry.heads != 0 && Geometry.sectors != 0;
    if (Ok) {
        AGeometry.BytesPerSector = GetVolumeSectorSize(Volume);
        AGeometry.TracksPerCylinder = Geometry.heads;
        AGeometry.SectorsPerTrack = Geometry.sectors;
        // The 16-bit cylinder field overflows on cards; the size gives the true count.
        int64_t Size = GetVolumeSize(Volume, Errno);
        int64_t CylinderBytes = int64_t(AGeometry.BytesPerSector) * Geometry.heads * Geometry.sectors;
        AGeometry.Cylinders = Size > 0 ? Size / CylinderBytes : Geometry.cylinders;
    }
    CloseVolume(Volume);
    return Ok;
}

// ---- Drive list --------------------------------------------------------------------------

std::vector<TDriveEntry> GetRemovableDrives(const String& ASysBlock)
{
    namespace fs = std::filesystem;
    std::vector<TDriveEntry> Result;
    std::error_code Error;
    std::vector<fs::path> Disks;
    for (const fs::directory_entry& Entry : fs::directory_iterator(ASysBlock, Error))
        if (IsRemovableDisk(Entry.path()))
            Disks.push_back(Entry.path());
    std::sort(Disks.begin(), Disks.end());
    for (const fs::path& Disk : Disks) {
        TDriveEntry DiskEntry = MakeDriveEntry(Disk, Disk.filename().string(), false);
        if (DiskEntry.Size == 0)
            continue;   // a reader without a card
        DiskEntry.Model = Trim(ReadSysText(Disk / "device" / "vendor") + " " + ReadSysText(Disk / "device" / "model"));
        std::vector<TDriveEntry> Partitions;
        for (const fs::directory_entry& Child : fs::directory_iterator(Disk, Error))
            if (fs::exists(Child.path() / "partition")) {
                Partitions.push_back(MakeDriveEntry(Child.path(), DiskEntry.Name, true));
                Partitions.back().Model = DiskEntry.Model;
            }
        std::sort(Partitions.begin(), Partitions.end(),
                  [](const TDriveEntry& A, const TDriveEntry& B) { return A.Name < B.Name; });
        Result.push_back(DiskEntry);
        Result.insert(Result.end(), Partitions.begin(), Partitions.end());
    }
    return Result;
}
