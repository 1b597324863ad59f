// XCore.Streams.Buffered.h: the recovery engine's read path: one aligned read window over a
// file or a raw volume, a stream over the bytes of a block list, and tolerant read helpers.
// A window read that fails is retried sector by sector: only the sectors that fail read as
// zeros, each is reported, and with ReportErrors on a read that touches one raises.
#pragma once

#include <cstdint>
#include <vector>

#include "Rtl.Methods.h"
#include "Rtl.Streams.h"
#include "XCore.Intervals.Blocks.h"
#include "XCore.IO.Disk.h"
#include "XCore.Streams.h"

// Error codes of the recovery read path (the volume ones come from Win.Volumes.h).
inline constexpr int32_t kErrCancelled = 1;
inline constexpr int32_t kErrSeekFailed = 13;
inline constexpr int32_t kErrFileNotFound = 31;
inline constexpr int32_t kErrFileAccessDenied = 33;
inline constexpr int32_t kErrReadPastEnd = 39;

using TXBufferFilledEvent = TMethod<void(TObject* ASender, int64_t ABufferStart)>;
using TXSlowReadEvent = TMethod<void(TObject* ASender, uint32_t AElapsedMs)>;
// A sector that could not be read; it reads as zeros from now on.
using TXBadSectorEvent = TMethod<void(TObject* ASender, int64_t AOffset, int32_t ASize, int AErrno)>;

// A read window of BufferSize bytes, always aligned to a multiple of BufferSize from 0.
class TXCustomBufStream : public TXStreamWrapper {
    X_CLASS(TXCustomBufStream, TXStreamWrapper)
public:
    int32_t BufferSize() const { return FBufferSize; }
    void SetBufferSize(int32_t AValue);
    int32_t Valid() const { return FValid; }
    int64_t BufferStart() const { return FBufferStart; }
    bool ReportErrors() const { return FReportErrors; }
    void SetReportErrors(bool AValue) { FReportErrors = AValue; }
    const String& FileName() const { return FFileName; }
    // Sector size of the retries after a failed window read.
    int32_t SectorSize() const { return FSectorSize; }
    // How many windows read before are kept beside the current one (none by default): a reader
    // that comes back to bytes it passed gets them without reading the source again. Writes
    // and size changes forget them.
    int32_t CachedWindows() const { return static_cast<int32_t>(FCache.size()); }
    void SetCachedWindows(int32_t ACount);

    int64_t Read(void* ABuffer, int64_t ACount) override;
    int64_t Write(const void* ABuffer, int64_t ACount) override;
    int64_t Seek(int64_t AOffset, TSeekOrigin AOrigin) override;
    int64_t Size() override { return FSize; }
    void SetSize(int64_t ANewSize) override
    {
        FSize = ANewSize;
        ForgetCachedWindows();
    }

    // The window bytes from APosition on (filling the window when needed), for scanners that
    // read in place; ACount gets how many follow, 0 at or past the end. Raises like Read when
    // a byte in that range could not be read and ReportErrors is on.
    const uint8_t* PeekAt(int64_t APosition, int64_t& ACount);

    TXBufferFilledEvent OnBufferFilled() const { return FOnBufferFilled; }
    void SetOnBufferFilled(TXBufferFilledEvent AValue) { FOnBufferFilled = AValue; }
    TXSlowReadEvent OnSlowRead() const { return FOnSlowRead; }
    void SetOnSlowRead(TXSlowReadEvent AValue) { FOnSlowRead = AValue; }
    TXBadSectorEvent OnBadSector() const { return FOnBadSector; }
    void SetOnBadSector(TXBadSectorEvent AValue) { FOnBadSector = AValue; }

protected:
    TXCustomBufStream() = default;
    void Construct(TStream* AStream, TStreamOwnership AOwnership) override;
    virtual void Construct(TStream* AStream, int32_t ABufferSize, TStreamOwnership AOwnership);
    // Opens the file (owned) as the inner stream; a file that cannot be opened records 31
    // (missing), 33 (access denied) or 4 with the errno, the file name as text, and raises.
    virtual void Construct(const String& AFileName, uint16_t AMode, int32_t ABufferSize);

    // Fills the window holding Position; see the unit comment.
    virtual void FillBuffer();
    // Reads ACount bytes at AOffset of the source: the bytes read, or -1 with AErrno.
    virtual int64_t ReadSource(int64_t AOffset, uint8_t* ABuffer, int64_t ACount, int& AErrno);
    virtual void DoSlowRead(uint32_t AElapsedMs);

    void SetFileName(const String& AValue) { FFileName = AValue; }
    void SetSectorSize(int32_t AValue) { FSectorSize = AValue; }

private:
    void RetrySectors(int64_t ACount);
    void MarkBadSector(int64_t AOffset, int32_t ASize, int AErrno);
    // Raises (ReportErrors on) when [APosition, APosition + ACount) touches a bad sector.
    void CheckBadSectors(int64_t APosition, int64_t ACount);
    void RaiseMissing(int AErrno);
    // A failed read's line in the trace list, while tracing is on.
    void Trace(int64_t AOffset, int32_t ACode, int AErrno) const;
    void EnsureWindow(int64_t APosition);
    // Puts the current window into the cache, over the one used longest ago, and takes the
    // window at AStart out of it; False (the window to be read) when the cache holds none.
    bool SwapCachedWindow(int64_t AStart);
    void ForgetCachedWindows();

    struct TCachedWindow {
        int64_t Start = -1;
        int32_t Valid = 0;
        uint64_t Stamp = 0;   // when it stopped being the current window
        std::vector<uint8_t> Bytes;
        std::vector<std::pair<int64_t, int>> BadSectors;
    };
    std::vector<TCachedWindow> FCache;
    uint64_t FStamp = 0;
    std::vector<uint8_t> FBuffer;
    int32_t FBufferSize = 0;
    int32_t FValid = 0;
    int64_t FBufferStart = 0;
    int64_t FPosition = 0;
    int64_t FSize = 0;
    bool FReportErrors = true;
    String FFileName;
    int32_t FSectorSize = 512;
    uint32_t FReadMs = 0;   // how long the last window read took
    // Offsets of the window's unreadable sectors, with the errno each failed with.
    std::vector<std::pair<int64_t, int>> FBadSectors;
    TXBufferFilledEvent FOnBufferFilled;
    TXSlowReadEvent FOnSlowRead;
    TXBadSectorEvent FOnBadSector;
};

// A buffered stream over a file it opens by name and owns.
class TXBufFileStream : public TXCustomBufStream {
    X_CLASS(TXBufFileStream, TXCustomBufStream)
protected:
    TXBufFileStream() = default;
};

// A buffered stream over a raw volume: a block device or an image file, read-only.
class TXBufDiskStream : public TXCustomBufStream {
    X_CLASS(TXBufDiskStream, TXCustomBufStream)
public:
    const TXDiskInfoRecord& DiskInfo() const { return FDiskInfo; }
    // Only the stream's idea of the size changes; the device is never touched.
    void SetSize(int64_t ANewSize) override { inherited::SetSize(ANewSize); }

protected:
    TXBufDiskStream() = default;
    ~TXBufDiskStream() override;
    // Opens the volume read-only (AMode bit 3, value 8, adds write access); a failure records
    // 11 (device missing, raised), 10 (access denied, raised) or 4 with the errno (then
    // EFCreateError). The size is the whole device, whatever its file system says.
    X_REINTRODUCE(virtual void Construct(const String& AVolumeName, int32_t ABufferSize, uint8_t AMode));
    int64_t ReadSource(int64_t AOffset, uint8_t* ABuffer, int64_t ACount, int& AErrno) override;

private:
    int FHandle = -1;
    TXDiskInfoRecord FDiskInfo;
};

// The bytes of a block list of the inner stream, presented as one stream.
class TXCustomBlockStream : public TXStreamWrapper {
    X_CLASS(TXCustomBlockStream, TXStreamWrapper)
public:
    const TXBlocks* Blocks() const { return FCursor.List; }
    int64_t Read(void* ABuffer, int64_t ACount) override;
    int64_t Seek(int64_t AOffset, TSeekOrigin AOrigin) override;
    int64_t Size() override { return FCursor.TotalSize(); }
    void SetSize(int64_t) override {}
    // The physical position of the logical one the stream is at.
    int64_t PhysicalPosition() const { return FCursor.Physical; }
    // Over a buffered stream: the bytes from the logical APosition on, in place in its window,
    // up to the window's or the block's end, whichever comes first; the stream moves there.
    // nullptr (ACount 0) at or past the end and over any other stream. Raises as the buffered
    // stream's PeekAt does.
    const uint8_t* PeekAt(int64_t APosition, int64_t& ACount);

protected:
    TXCustomBlockStream() = default;
    using TXStreamWrapper::Construct;
    virtual void Construct(TStream* AStream, TStreamOwnership AOwnership, const TXBlocks* ABlocks);

private:
    // Forward moves walk from the current block; a list of many blocks is not searched again.
    void MoveTo(int64_t APosition);

    TXBlockCursor FCursor;
    TXCustomBufStream* FBuffered = nullptr;   // the inner stream, when it is one
};

class TXBlockStream : public TXCustomBlockStream {
    X_CLASS(TXBlockStream, TXCustomBlockStream)
protected:
    TXBlockStream() = default;
    using TXCustomBlockStream::Construct;
    // The stream is not owned.
    virtual void Construct(TStream* AStream, const TXBlocks* ABlocks);
};

// Tolerant reads: False only for a position at or past the end; a read that raises gives
// zeros (the error stays in the thread's store, checked) and True.
bool StreamSeekTo(TStream* AStream, int64_t APosition);
bool StreamReadByteAt(TStream* AStream, uint8_t& AByte, int64_t APosition);
bool StreamReadByte(TStream* AStream, uint8_t& AByte);
bool StreamReadAt(TStream* AStream, void* ABuffer, int64_t ACount, int64_t APosition);
// False when fewer than ACount bytes follow the position.
bool StreamReadNext(TStream* AStream, void* ABuffer, int64_t ACount);
// ACount bytes at APosition, where every sector (ASectorSize bytes, aligned from 0) that cannot
// be read, and what lies past the end, reads as zeros; AUnreadable (when given) gets the offset
// of each sector that failed. Answers how many bytes failed. Raises only when the device is
// gone (error 11): nothing after that can be read.
int64_t StreamReadSectors(TStream* AStream, void* ABuffer, int64_t ACount, int64_t APosition,
                          std::vector<int64_t>* AUnreadable = nullptr, int32_t ASectorSize = 512);
