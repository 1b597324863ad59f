// XCore.IO.Disk.cpp: volume information from the platform and from the card image trailer.
#include "XCore.IO.Disk.h"

#include "Rtl.SysUtils.h"
#include "Win.Volumes.h"
#include "XCore.Strings.Tags.h"
#include "XCore.Strings.h"

namespace {

struct TFlagName {
    uint32_t Flag;
    const char* Name;
};

// In the order the information box lists them; 0 marks flags no volume reports.
constexpr TFlagName kFlagNames[] = {
    {0x80000, "IsReadOnly"},        {0x8000, "IsCompressed"},          {0x8, "PreserveACLS"},
    {0x2, "FilePreserveCase"},      {0x1, "SupportsCaseSensitive"},    {0x10, "SupportsFileCompression"},
    {0x40000, "SupportsNamedStreams"}, {0, "SupportsSequentialWriteOnce"}, {0x20000, "SupportsEFS"},
    {0x10000, "SupportsObjectIDs"}, {0x80, "SupportsReParsePoints"},   {0x40, "SupportsSparseFiles"},
    {0, "SupportsTransactions"},    {0x4, "SupportsUnicode"},          {0x20, "SupportsQuotas"},
};

String FlagsText(uint32_t AFlags)
{
    String Text = "Flags: " + UIntToStr(AFlags) + " ";
    for (const TFlagName& F : kFlagNames)
        if (F.Flag != 0 && (AFlags & F.Flag) != 0)
            Text += ", " + String(F.Name);
    return Text;
}

String SizeLine(const char* ALabel, int64_t ABytes)
{
    return String(ALabel) + IntToStr(ABytes) + " " + FormatByteSize(static_cast<double>(ABytes));
}

// The serial is written unsigned; a reader that took it as signed 32-bit lost every serial of
// 2^31 or more, so both forms are taken back.
uint32_t ReadSerial(const String& AText)
{
    int64_t Value = ReadTagInt64(AText, "volume_serial");
    return Value >= INT32_MIN && Value <= UINT32_MAX ? static_cast<uint32_t>(Value) : 0;
}

int32_t ReadTagInt32(const String& AText, const char* AName)
{
    int64_t Value = ReadTagInt64(AText, AName);
    return Value >= INT32_MIN && Value <= INT32_MAX ? static_cast<int32_t>(Value) : 0;
}

// A count of clusters from a card image's text: one that is negative, or whose bytes no number
// holds, is damage and reads as none.
int64_t ClusterCount(int64_t ACount, uint32_t AClusterSize)
{
    int64_t Bytes = 0;
    return ACount < 0 || __builtin_mul_overflow(ACount, int64_t(AClusterSize), &Bytes) ? 0 : ACount;
}

}  // namespace

void ClearDiskInfo(TXDiskInfoRecord& AInfo)
{
    AInfo = {};
}

uint32_t DiskInfoClusterSize(const TXDiskInfoRecord& AInfo)
{
    return AInfo.ClusterSize != 0 ? AInfo.ClusterSize : 1024;
}

bool ReadDiskInfo(TXDiskInfoRecord& AInfo, const String& ARootPath)
{
    ClearDiskInfo(AInfo);
    AInfo.RootPath = ARootPath;
    TVolumeInformation Volume;
    int Errno = 0;
    if (!GetVolumeInformation(ARootPath, Volume, Errno)) {
        ClearDiskInfo(AInfo);
        return false;
    }
    AInfo.Serial = Volume.Serial;
    AInfo.Flags = Volume.Flags;
    AInfo.MaxComponentLength = Volume.MaxComponentLength;
    AInfo.VolumeName = Volume.VolumeName;
    AInfo.FileSystemName = Volume.FileSystemName;
    AInfo.BytesPerSector = Volume.BytesPerSector;
    AInfo.SectorsPerCluster = Volume.SectorsPerCluster;
    AInfo.ClusterSize = Volume.BytesPerSector * Volume.SectorsPerCluster;
    AInfo.TotalClusters = Volume.TotalClusters;
    AInfo.TotalBytes = Volume.TotalClusters * AInfo.ClusterSize;
    AInfo.FreeClusters = Volume.FreeClusters;
    AInfo.FreeBytes = Volume.FreeBytes;
    AInfo.DiskSize = AInfo.TotalBytes;
    return true;
}

bool ReadDriveGeometryInfo(TXDiskInfoRecord& AInfo, const String& ADevicePath)
{
    TDriveGeometry Geometry;
    if (!GetDriveGeometry(ADevicePath, Geometry))
        return false;
    AInfo.BytesPerSector = Geometry.BytesPerSector;
    AInfo.SectorsPerCluster = Geometry.SectorsPerTrack;
    AInfo.ClusterSize = Geometry.BytesPerSector * Geometry.SectorsPerTrack;
    AInfo.TotalClusters = Geometry.Cylinders * Geometry.TracksPerCylinder;
    AInfo.TotalBytes = AInfo.TotalClusters * AInfo.ClusterSize;
    AInfo.DiskSize = AInfo.TotalBytes;
    return true;
}

void DiskInfoToStrings(const TXDiskInfoRecord& AInfo, TStrings* AList)
{
    for (const String& Line : {AInfo.RootPath, AInfo.VolumeName, AInfo.FileSystemName,
                               "Serial: " + UIntToStr(AInfo.Serial), "Max length: " + UIntToStr(AInfo.MaxComponentLength),
                               FlagsText(AInfo.Flags), String(), "Sector size: " + UIntToStr(AInfo.BytesPerSector),
                               "Cluster size: " + UIntToStr(AInfo.ClusterSize),
                               "Sectors per cluster: " + UIntToStr(AInfo.SectorsPerCluster),
                               "Total clusters: " + IntToStr(AInfo.TotalClusters), SizeLine("Total space: ", AInfo.TotalBytes),
                               "Free clusters: " + IntToStr(AInfo.FreeClusters), SizeLine("Free space: ", AInfo.FreeBytes),
                               SizeLine("DiskSize: ", AInfo.DiskSize)})
        AList->Add(Line);
}

String WriteDiskInfoText(const TXDiskInfoRecord& AInfo)
{
    return WriteTagBlock("xml", WriteTagUInt("volume_serial", AInfo.Serial)
                                    + WriteTagUInt("volume_max_length", AInfo.MaxComponentLength)
                                    + WriteTagText("volume_name", AInfo.VolumeName)
                                    + WriteTagText("file_system", AInfo.FileSystemName)
                                    + WriteTagUInt("sector_size", AInfo.BytesPerSector)
                                    + WriteTagUInt("cluster_size", AInfo.ClusterSize)
                                    + WriteTagInt64("total_clusters", AInfo.TotalClusters)
                                    + WriteTagInt64("free_clusters", AInfo.FreeClusters));
}

void ReadDiskInfoText(TXDiskInfoRecord& AInfo, const String& AText)
{
    ClearDiskInfo(AInfo);
    AInfo.Serial = ReadSerial(AText);
    AInfo.MaxComponentLength = static_cast<uint32_t>(ReadTagInt32(AText, "volume_max_length"));
    AInfo.VolumeName = UnescapeXMLText(ReadTag("volume_name", AText));
    AInfo.FileSystemName = UnescapeXMLText(ReadTag("file_system", AText));
    AInfo.BytesPerSector = static_cast<uint32_t>(ReadTagInt32(AText, "sector_size"));
    AInfo.ClusterSize = static_cast<uint32_t>(ReadTagInt32(AText, "cluster_size"));
    AInfo.TotalClusters = ClusterCount(ReadTagInt64(AText, "total_clusters"), AInfo.ClusterSize);
    AInfo.FreeClusters = ClusterCount(ReadTagInt64(AText, "free_clusters"), AInfo.ClusterSize);
    if (AInfo.BytesPerSector != 0)
        AInfo.SectorsPerCluster = AInfo.ClusterSize / AInfo.BytesPerSector;
    AInfo.TotalBytes = AInfo.DiskSize = AInfo.TotalClusters * AInfo.ClusterSize;
    AInfo.FreeBytes = AInfo.FreeClusters * AInfo.ClusterSize;
}
