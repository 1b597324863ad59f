// XCore.IO.Classes.cpp: opening disks and writing card images.
#include "XCore.IO.Classes.h"

#include <algorithm>

#include "Rtl.SysUtils.h"
#include "XCore.Errors.h"
#include "XCore.Search.h"

namespace {

constexpr int32_t kDiskBufferSize = 262144;
constexpr int64_t kTrailerWindow = 32768;

struct TKindByName {
    const char* Name;
    int32_t Kind;
};
constexpr TKindByName kKindsByName[] = {{"NTFS", fskNtfs}, {"CDFS", fskCdfs}, {"FAT32", fskFat32},
                                        {"FAT", fskFat},   {"exFAT", fskExFat}, {"HFS", fskHfs}};

String BootText(TStream* AStream, int64_t AOffset)
{
    char Text[8] = {};
    if (!StreamReadAt(AStream, Text, sizeof Text, AOffset))
        return {};
    return Trim(std::string_view(Text, sizeof Text));
}

}  // namespace

// ---- TXStreamIO --------------------------------------------------------------------------

bool TXStreamIO::Open(const String& APath, uint8_t AMode)
{
    FPath = APath;
    FMode = AMode;
    Close();
    bool Ok = true;
    try {
        DoOpen();
    } catch (const std::exception&) {
        Ok = false;
    }
    if (!Ok)
        Close();
    return Ok;
}

bool TXStreamIO::Reopen()
{
    bool Ok = true;
    try {
        DoReopen();
    } catch (const std::exception&) {
        Ok = false;
    }
    if (!Ok)
        Close();
    return Ok;
}

void TXStreamIO::Close()
{
    try {
        DoClose();
    } catch (const std::exception&) {
    }
}

void TXStreamIO::DoClose()
{
    TXCustomBufStream* Stream = FStream;
    FStream = nullptr;
    if (Stream != nullptr)
        Stream->Free();
}

void TXStreamIO::BeforeDestruction()
{
    Close();
    inherited::BeforeDestruction();
}

bool TXStreamIO::SaveToStream(TStream* ATarget)
{
    if (FStream == nullptr)
        return false;
    try {
        if (FStream->Size() > 0)
            ATarget->CopyFrom(FStream, 0);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TXStreamIO::SaveToFile(const String& AFileName)
{
    if (FStream == nullptr)
        return false;
    try {
        TOwned<TFileStream> File = Owned(TFileStream::Create(AFileName, fmCreate | fmShareExclusive));
        return SaveToStream(File.get());
    } catch (const std::exception&) {
        return false;
    }
}

// ---- TXCustomDiskIO ----------------------------------------------------------------------

void TXCustomDiskIO::DetectFileSystem()
{
    const TXErrorData Kept = GetErrorData();
    FFileSystemKind = fskUnknown;
    for (const TKindByName& K : kKindsByName)
        if (FDiskInfo.FileSystemName == K.Name)
            FFileSystemKind = K.Kind;
    if (TStream* Stream = GetStream(); Stream != nullptr && FFileSystemKind < fskFat12) {
        String Text = BootText(Stream, 54);
        if (Text == "FAT12")
            FFileSystemKind = fskFat12;
        else if (Text == "FAT16")
            FFileSystemKind = fskFat16;
        else if (BootText(Stream, 82) == "FAT32")
            FFileSystemKind = fskFat32;
        else if (FFileSystemKind == fskUnknown && BootText(Stream, 3) == "EXFAT")
            FFileSystemKind = fskExFat;
    }
    if (Kept.Code == 0)
        ClearError();
}

// ---- TXFileDiskIO ------------------------------------------------------------------------

void TXFileDiskIO::DoOpen()
{
    uint16_t FileMode = (Mode() & kIOWrite) != 0 ? fmOpenReadWrite | fmShareExclusive : fmOpenRead | fmShareDenyWrite;
    SetStream(TXBufFileStream::Create(Path(), FileMode, kDiskBufferSize));
    ClearDiskInfo(FDiskInfo);
    FDiskInfo.RootPath = Path();
    FDiskInfo.TotalBytes = FDiskInfo.DiskSize = GetStream()->Size();
    ReadTrailer();
    DetectFileSystem();
}

// The trailer is the last "<xml>" of the file's tail whose text runs to the end of the file
// and closes there: card data that merely contains "<xml>" is not taken for it.
void TXFileDiskIO::ReadTrailer()
{
    TStream* Stream = GetStream();
    const int64_t Size = Stream->Size();
    TOwned<TXSearch> Search = Owned(TXSearch::Create(nullptr));
    Search->SetStream(Stream);
    int64_t Trailer = -1;
    for (int64_t From = std::max<int64_t>(Size - kTrailerWindow, 0);;) {
        int64_t Found = Search->FindPattern({'<', 'x', 'm', 'l', '>'}, From);
        if (Found < 0)
            break;
        Trailer = Found;
        From = Found + 1;
    }
    if (Trailer < 0)
        return;
    String Text(static_cast<size_t>(Size - Trailer), '\0');
    if (!StreamReadAt(Stream, Text.data(), Size - Trailer, Trailer) || !Text.ends_with("</xml>"))
        return;
    ReadDiskInfoText(FDiskInfo, Text);
    FDiskInfo.RootPath = Path();
    FDiskInfo.DiskSize = Size;   // the trailer stays part of what a scan reads
}

// ---- TXDiskIO ----------------------------------------------------------------------------

void TXDiskIO::DoOpen()
{
    ClearDiskInfo(FDiskInfo);
    TXBufDiskStream* Stream = TXBufDiskStream::Create(Path(), kDiskBufferSize, Mode());
    SetStream(Stream);
    FDiskInfo = Stream->DiskInfo();
    if (FDiskInfo.DiskSize == 0) {
        FDiskInfo.DiskSize = RequestedSize();
        Stream->SetSize(RequestedSize());
    }
    DetectFileSystem();
}

void TXDiskIO::DoReopen()
{
    if (!Open(Path(), Mode()))
        RaiseError();
}

bool TXDiskIO::SaveDiskInfo(TStream* AStream)
{
    try {
        String Text = WriteDiskInfoText(FDiskInfo);
        AStream->WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TXDiskIO::SaveToStream(TStream* ATarget)
{
    return inherited::SaveToStream(ATarget) && SaveDiskInfo(ATarget);
}
