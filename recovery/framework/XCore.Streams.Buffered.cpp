// XCore.Streams.Buffered.cpp: the read window, its sector retries, volume and block streams.
#include "XCore.Streams.Buffered.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Rtl.SysUtils.h"
#include "Win.Volumes.h"
#include "XCode.Trek.h"
#include "XCore.App.h"
#include "XCore.Errors.h"

namespace {

constexpr int32_t kDefaultBufferSize = 262144;
constexpr uint32_t kSlowReadMs = 1000;

int32_t FileOpenErrorCode(int AErrno)
{
    if (AErrno == ENOENT || AErrno == ENOTDIR)
        return kErrFileNotFound;
    if (AErrno == EACCES || AErrno == EPERM || AErrno == EBUSY || AErrno == EROFS)
        return kErrFileAccessDenied;
    return kVolumeOpenFailed;
}

// Without a core application (a tool, a test) no read counts as slow.
uint32_t TickStamp()
{
    uint32_t Stamp = 0;
    if (TXNVCoreApp* App = NVCoreApp())
        App->GetTickStamp(Stamp);
    return Stamp;
}

uint32_t TickElapsed(uint32_t AStamp)
{
    TXNVCoreApp* App = NVCoreApp();
    if (App == nullptr)
        return 0;
    App->GetTickElapsed(AStamp);
    return AStamp;
}

String SectorText(const String& AFileName, int64_t AOffset)
{
    return AFileName + ": unreadable sector at byte " + IntToStr(AOffset);
}

}  // namespace

// ---- TXCustomBufStream -------------------------------------------------------------------

void TXCustomBufStream::Construct(TStream* AStream, TStreamOwnership AOwnership)
{
    Construct(AStream, kDefaultBufferSize, AOwnership);
}

void TXCustomBufStream::Construct(TStream* AStream, int32_t ABufferSize, TStreamOwnership AOwnership)
{
    inherited::Construct(AStream, AOwnership);
    SetBufferSize(ABufferSize);
    FSize = AStream != nullptr ? AStream->Size() : 0;
}

void TXCustomBufStream::Construct(const String& AFileName, uint16_t AMode, int32_t ABufferSize)
{
    TFileStream* File = nullptr;
    try {
        File = TFileStream::Create(AFileName, AMode);
    } catch (const EStreamError&) {
        int Errno = errno;   // still the failed open's: nothing ran since but the unwinding
        int32_t Code = FileOpenErrorCode(Errno);
        SetFirstError(Code, Code == kVolumeOpenFailed ? Errno : 0, AFileName, true);
    }
    Construct(File, ABufferSize, soOwned);
    FFileName = AFileName;
}

void TXCustomBufStream::SetBufferSize(int32_t AValue)
{
    FBufferSize = std::max(AValue, 512);
    FBuffer.assign(static_cast<size_t>(FBufferSize), 0);
    FValid = 0;
    FBufferStart = 0;
    FBadSectors.clear();
    ForgetCachedWindows();
}

void TXCustomBufStream::SetCachedWindows(int32_t ACount)
{
    FCache.clear();
    FCache.resize(static_cast<size_t>(std::max(ACount, 0)));
}

void TXCustomBufStream::ForgetCachedWindows()
{
    for (TCachedWindow& Window : FCache) {
        Window.Start = -1;
        Window.Valid = 0;
        Window.Stamp = 0;
    }
}

bool TXCustomBufStream::SwapCachedWindow(int64_t AStart)
{
    if (FCache.empty())
        return false;
    auto Slot = std::find_if(FCache.begin(), FCache.end(), [AStart](const TCachedWindow& W) { return W.Start == AStart; });
    const bool Hit = Slot != FCache.end();
    if (!Hit) {
        if (FValid == 0)
            return false;   // nothing worth keeping
        Slot = std::min_element(FCache.begin(), FCache.end(),
                                [](const TCachedWindow& A, const TCachedWindow& B) { return A.Stamp < B.Stamp; });
    }
    std::swap(Slot->Bytes, FBuffer);
    std::swap(Slot->BadSectors, FBadSectors);
    std::swap(Slot->Start, FBufferStart);
    std::swap(Slot->Valid, FValid);
    Slot->Stamp = ++FStamp;
    if (Slot->Valid == 0)
        *Slot = TCachedWindow{-1, 0, 0, std::move(Slot->Bytes), {}};
    if (Hit)
        return true;
    FBuffer.resize(static_cast<size_t>(FBufferSize));   // the evicted window's bytes, or a new slot's
    return false;
}

int64_t TXCustomBufStream::Seek(int64_t AOffset, TSeekOrigin AOrigin)
{
    switch (AOrigin) {
    case soBeginning:
        FPosition = std::min(AOffset, FSize);
        break;
    case soCurrent:
        FPosition = FPosition + AOffset < FSize ? FPosition + AOffset : FSize;
        break;
    case soEnd:
        FPosition = FSize - AOffset;   // the offset counts back from the end
        break;
    default:
        FPosition = 0;
    }
    FPosition = std::max<int64_t>(FPosition, 0);
    return FPosition;
}

void TXCustomBufStream::EnsureWindow(int64_t APosition)
{
    if (APosition >= FBufferStart && APosition < FBufferStart + FValid)
        return;
    FPosition = APosition;
    FillBuffer();
}

int64_t TXCustomBufStream::Read(void* ABuffer, int64_t ACount)
{
    if (ACount <= 0)
        return 0;
    if (FPosition >= FSize) {
        SetError(kErrReadPastEnd, 0, FFileName);
        CheckError();
        return 0;
    }
    auto* Target = static_cast<uint8_t*>(ABuffer);
    int64_t Done = 0;
    while (Done < ACount && FPosition < FSize) {
        EnsureWindow(FPosition);
        int64_t Count = std::min({ACount - Done, FBufferStart + FValid - FPosition, FSize - FPosition});
        CheckBadSectors(FPosition, Count);
        std::memcpy(Target + Done, FBuffer.data() + (FPosition - FBufferStart), static_cast<size_t>(Count));
        Done += Count;
        Seek(FPosition + Count, soBeginning);
    }
    return Done;
}

const uint8_t* TXCustomBufStream::PeekAt(int64_t APosition, int64_t& ACount)
{
    ACount = 0;
    if (APosition < 0 || APosition >= FSize)
        return nullptr;
    EnsureWindow(APosition);
    FPosition = APosition;
    int64_t End = std::min(FBufferStart + FValid, FSize);
    for (const auto& [Sector, Errno] : FBadSectors) {
        if (APosition >= Sector && APosition < Sector + FSectorSize) {
            CheckBadSectors(APosition, 1);   // a bad sector itself: raise or hand out its zeros
            End = std::min(End, Sector + FSectorSize);
            break;
        }
        if (Sector > APosition)
            End = std::min(End, Sector);   // stop before the next bad sector
    }
    ACount = End - APosition;
    return FBuffer.data() + (APosition - FBufferStart);
}

int64_t TXCustomBufStream::Write(const void* ABuffer, int64_t ACount)
{
    if (ACount <= 0 || FPosition > FSize)
        return 0;
    ForgetCachedWindows();
    if (FPosition == FSize) {
        FValid = 0;
        Stream()->Seek(FSize, soBeginning);
        int64_t Written = Stream()->Write(ABuffer, ACount);
        FSize += Written;
        FPosition += Written;
        return Written;
    }
    const auto* Source = static_cast<const uint8_t*>(ABuffer);
    int64_t Done = 0;
    while (Done < ACount && FPosition < FSize) {
        EnsureWindow(FPosition);
        int64_t Count = std::min({ACount - Done, FBufferStart + FValid - FPosition, FSize - FPosition});
        std::memcpy(FBuffer.data() + (FPosition - FBufferStart), Source + Done, static_cast<size_t>(Count));
        Stream()->Seek(FBufferStart, soBeginning);
        Stream()->WriteBuffer(FBuffer.data(), std::min<int64_t>(FValid, FSize - FBufferStart));
        Done += Count;
        Seek(FPosition + Count, soBeginning);
    }
    return Done;
}

void TXCustomBufStream::FillBuffer()
{
    if (SwapCachedWindow(FPosition - FPosition % FBufferSize)) {
        if (FOnBufferFilled)
            FOnBufferFilled(this, FBufferStart);
        return;
    }
    FBadSectors.clear();
    FValid = 0;
    FBufferStart = FPosition - FPosition % FBufferSize;
    int64_t Wanted = std::clamp<int64_t>(FSize - FBufferStart, 0, FBufferSize);
    int Errno = 0;
    uint32_t Ticks = TickStamp();
    int64_t Got = ReadSource(FBufferStart, FBuffer.data(), Wanted, Errno);
    FReadMs = TickElapsed(Ticks);
    if (FReadMs > kSlowReadMs)
        DoSlowRead(FReadMs);
    if (Got < 0) {
        if (IsVolumeGoneError(Errno))
            RaiseMissing(Errno);
        RetrySectors(Wanted);
    } else {
        std::fill(FBuffer.begin() + Got, FBuffer.end(), 0);   // past the source's end
    }
    FValid = Wanted > 0 ? static_cast<int32_t>(Wanted) : FBufferSize;
    if (FOnBufferFilled)
        FOnBufferFilled(this, FBufferStart);
}

// The window read failed somewhere: read it again sector by sector, so that only the sectors
// that really fail are lost.
void TXCustomBufStream::RetrySectors(int64_t ACount)
{
    std::fill(FBuffer.begin(), FBuffer.end(), 0);
    for (int64_t Offset = 0; Offset < ACount; Offset += FSectorSize) {
        int64_t Count = std::min<int64_t>(FSectorSize, ACount - Offset);
        int Errno = 0;
        if (ReadSource(FBufferStart + Offset, FBuffer.data() + Offset, Count, Errno) >= 0)
            continue;
        if (IsVolumeGoneError(Errno))
            RaiseMissing(Errno);
        std::fill_n(FBuffer.data() + Offset, Count, 0);
        MarkBadSector(FBufferStart + Offset, static_cast<int32_t>(Count), Errno);
    }
}

void TXCustomBufStream::MarkBadSector(int64_t AOffset, int32_t ASize, int AErrno)
{
    Trace(AOffset, kVolumeReadFailed, AErrno);
    FBadSectors.emplace_back(AOffset, AErrno);
    if (FOnBadSector)
        FOnBadSector(this, AOffset, ASize, AErrno);
}

void TXCustomBufStream::CheckBadSectors(int64_t APosition, int64_t ACount)
{
    for (const auto& [Sector, Errno] : FBadSectors) {
        if (Sector >= APosition + ACount || Sector + FSectorSize <= APosition)
            continue;
        SetError(kVolumeReadFailed, Errno, SectorText(FFileName, Sector));
        if (FReportErrors)
            RaiseError();
        CheckError();
        return;
    }
}

void TXCustomBufStream::RaiseMissing(int AErrno)
{
    FValid = 0;   // nothing of this window is served
    FBadSectors.clear();
    Trace(FBufferStart, kVolumeMissing, AErrno);
    SetError(kVolumeMissing, AErrno, FFileName);
    RaiseError();
}

void TXCustomBufStream::Trace(int64_t AOffset, int32_t ACode, int AErrno) const
{
    if (IsTraceOn())
        CodeTrek()->Add(IntToStr(AOffset) + " " + TXErrorData::Create(ACode, AErrno, FFileName).ToText() + " t:"
                        + UIntToStr(FReadMs));
}

int64_t TXCustomBufStream::ReadSource(int64_t AOffset, uint8_t* ABuffer, int64_t ACount, int& AErrno)
{
    try {
        if (Stream()->Seek(AOffset, soBeginning) != AOffset) {
            AErrno = EINVAL;
            return -1;
        }
        // A file stream answers a failed read with a short count; errno tells it from the end.
        errno = 0;
        int64_t Got = Stream()->Read(ABuffer, ACount);
        if (Got < ACount && errno != 0) {
            AErrno = errno;
            return -1;
        }
        return Got;
    } catch (const std::exception&) {
        AErrno = errno != 0 ? errno : EIO;
        return -1;
    }
}

void TXCustomBufStream::DoSlowRead(uint32_t AElapsedMs)
{
    if (FOnSlowRead)
        FOnSlowRead(this, AElapsedMs);
}

// ---- TXBufDiskStream ---------------------------------------------------------------------

void TXBufDiskStream::Construct(const String& AVolumeName, int32_t ABufferSize, uint8_t AMode)
{
    ClearError();
    int Errno = 0;
    FHandle = OpenVolume(AVolumeName, (AMode & 8) != 0, Errno);
    if (FHandle == kInvalidVolume) {
        int32_t Code = VolumeOpenErrorCode(Errno);
        SetError(Code, Errno, VolumeErrorText(AVolumeName, Errno), Code != kVolumeOpenFailed);
        throw EFCreateError("Cannot create file \"" + AVolumeName + "\". " + std::strerror(Errno));
    }
    if (!ReadDiskInfo(FDiskInfo, AVolumeName) || FDiskInfo.TotalBytes == 0)
        (void)ReadDriveGeometryInfo(FDiskInfo, AVolumeName);
    FDiskInfo.RootPath = AVolumeName;
    inherited::Construct(nullptr, ABufferSize - ABufferSize % 512, soReference);
    SetFileName(AVolumeName);
    SetSectorSize(static_cast<int32_t>(GetVolumeSectorSize(FHandle)));
    // The whole device, not the file system's data area: the last clusters hold data too.
    int64_t DeviceSize = GetVolumeSize(FHandle, Errno);
    FDiskInfo.DiskSize = std::max<int64_t>(DeviceSize, 0);
    SetSize(FDiskInfo.DiskSize);
}

TXBufDiskStream::~TXBufDiskStream()
{
    CloseVolume(FHandle);
}

int64_t TXBufDiskStream::ReadSource(int64_t AOffset, uint8_t* ABuffer, int64_t ACount, int& AErrno)
{
    return ReadVolume(FHandle, ABuffer, ACount, AOffset, AErrno);
}

// ---- TXCustomBlockStream -----------------------------------------------------------------

void TXCustomBlockStream::Construct(TStream* AStream, TStreamOwnership AOwnership, const TXBlocks* ABlocks)
{
    inherited::Construct(AStream, AOwnership);
    FCursor.Init(ABlocks);
    FBuffered = AsOrNull<TXCustomBufStream>(AStream);
}

void TXCustomBlockStream::MoveTo(int64_t APosition)
{
    if (APosition > FCursor.Logical && !FCursor.Eof())
        FCursor.Advance(APosition - FCursor.Logical);
    else
        FCursor.SetLogical(APosition);
}

const uint8_t* TXCustomBlockStream::PeekAt(int64_t APosition, int64_t& ACount)
{
    ACount = 0;
    if (FBuffered == nullptr || APosition < 0 || APosition >= Size())
        return nullptr;
    MoveTo(APosition);
    const uint8_t* Data = FBuffered->PeekAt(FCursor.Physical, ACount);
    ACount = std::min(ACount, FCursor.BlockRemaining());
    return Data;
}

int64_t TXCustomBlockStream::Seek(int64_t AOffset, TSeekOrigin AOrigin)
{
    switch (AOrigin) {
    case soBeginning:
        if (AOffset != 0 && AOffset == FCursor.Logical)
            return AOffset;
        FCursor.SetLogical(AOffset);
        break;
    case soCurrent:
        if (AOffset == 0)
            return FCursor.Logical;
        FCursor.SetLogical(FCursor.Logical + AOffset);
        break;
    case soEnd:
        FCursor.SetLogical(Size() - AOffset);
        break;
    default:
        return 0;
    }
    int64_t Inner = Stream()->Seek(FCursor.Physical, soBeginning);
    return Inner <= 0 ? Inner : FCursor.Logical;
}

int64_t TXCustomBlockStream::Read(void* ABuffer, int64_t ACount)
{
    auto* Target = static_cast<uint8_t*>(ABuffer);
    int64_t Done = 0;
    // Every piece is read at the cursor's own physical position, so several block streams
    // may share one buffered stream.
    while (Done < ACount && !FCursor.Eof()) {
        int64_t Count = std::min(ACount - Done, FCursor.BlockRemaining());
        Stream()->Seek(FCursor.Physical, soBeginning);
        int64_t Got = Stream()->Read(Target + Done, Count);
        if (Got <= 0)
            break;
        Done += Got;
        if (!FCursor.Advance(Got) || Got < Count)
            break;
    }
    return Done;
}

void TXBlockStream::Construct(TStream* AStream, const TXBlocks* ABlocks)
{
    inherited::Construct(AStream, soReference, ABlocks);
}

// ---- Read helpers ------------------------------------------------------------------------

bool StreamSeekTo(TStream* AStream, int64_t APosition)
{
    if (APosition < 0 || APosition >= AStream->Size())
        return false;
    try {
        AStream->Seek(APosition, soBeginning);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

namespace {

// Reads ACount bytes at the stream's position; a read that raises or comes back short leaves
// zeros, and the raise is only checked.
void ReadTolerant(TStream* AStream, void* ABuffer, int64_t ACount)
{
    int64_t Got = 0;
    try {
        Got = AStream->Read(ABuffer, ACount);
    } catch (const std::exception&) {
        Got = 0;
        CheckError();
    }
    std::memset(static_cast<uint8_t*>(ABuffer) + Got, 0, static_cast<size_t>(ACount - std::max<int64_t>(Got, 0)));
}

}  // namespace

bool StreamReadAt(TStream* AStream, void* ABuffer, int64_t ACount, int64_t APosition)
{
    if (!StreamSeekTo(AStream, APosition))
        return false;
    ReadTolerant(AStream, ABuffer, ACount);
    return true;
}

bool StreamReadByteAt(TStream* AStream, uint8_t& AByte, int64_t APosition)
{
    return StreamReadAt(AStream, &AByte, 1, APosition);
}

bool StreamReadByte(TStream* AStream, uint8_t& AByte)
{
    return StreamReadByteAt(AStream, AByte, AStream->Position());
}

namespace {

// ACount bytes at APosition, all of them; False when a read raises or comes back short. A
// vanished device raises on.
bool ReadWhole(TStream* AStream, uint8_t* ABuffer, int64_t ACount, int64_t APosition)
{
    try {
        AStream->Seek(APosition, soBeginning);
        return AStream->Read(ABuffer, ACount) == ACount;
    } catch (const std::exception&) {
        if (GetErrorCode() == kVolumeMissing)
            throw;
        CheckError();
        return false;
    }
}

}  // namespace

int64_t StreamReadSectors(TStream* AStream, void* ABuffer, int64_t ACount, int64_t APosition,
                          std::vector<int64_t>* AUnreadable, int32_t ASectorSize)
{
    auto* Bytes = static_cast<uint8_t*>(ABuffer);
    std::memset(Bytes, 0, static_cast<size_t>(std::max<int64_t>(ACount, 0)));
    const int64_t Count = APosition < 0 ? 0 : std::clamp<int64_t>(AStream->Size() - APosition, 0, ACount);
    if (Count == 0 || ReadWhole(AStream, Bytes, Count, APosition))
        return 0;
    int64_t Lost = 0;
    for (int64_t Done = 0; Done < Count;) {
        const int64_t Step = std::min<int64_t>(ASectorSize - (APosition + Done) % ASectorSize, Count - Done);
        if (!ReadWhole(AStream, Bytes + Done, Step, APosition + Done)) {
            std::memset(Bytes + Done, 0, static_cast<size_t>(Step));
            Lost += Step;
            if (AUnreadable != nullptr)
                AUnreadable->push_back(APosition + Done);
        }
        Done += Step;
    }
    return Lost;
}

bool StreamReadNext(TStream* AStream, void* ABuffer, int64_t ACount)
{
    if (AStream->Position() + ACount > AStream->Size())
        return false;
    ReadTolerant(AStream, ABuffer, ACount);
    return true;
}
