// XCore.IO.Classes.h: the "disk" the recovery engine works on: a raw volume or a card image
// file, opened as a buffered stream, with its volume information and file-system kind.
// A card image is the device's bytes from offset 0 followed by the disk-info text; nothing else.
#pragma once

#include <cstdint>

#include "Rtl.Classes.h"
#include "XCore.IO.Disk.h"
#include "XCore.Streams.Buffered.h"

// Mode bits of a stream I/O object.
inline constexpr uint8_t kIORead = 4;
inline constexpr uint8_t kIOWrite = 8;

// FileSystemKind values; 8 is never produced.
enum : int32_t {
    fskUnknown = 0,
    fskFat = 1,   // FAT, width not yet known
    fskFat12 = 2,
    fskFat16 = 3,
    fskFat32 = 4,
    fskExFat = 5,
    fskNtfs = 6,
    fskCdfs = 7,
    fskHfs = 9
};

struct IXStreamIO : IInterface {
    X_INTERFACE_ID(IInterface, "{6E0B1D2C-93A4-4F7E-8C21-5D7A0B3E9F14}");
    virtual TStream* GetStream() = 0;
    virtual bool Open(const String& APath, uint8_t AMode) = 0;
    virtual bool Reopen() = 0;
    virtual void Close() = 0;
    virtual bool SaveToStream(TStream* ATarget) = 0;
    virtual bool SaveToFile(const String& AFileName) = 0;
};

class TXStreamIO : public TComponent, public IXStreamIO {
    X_CLASS(TXStreamIO, TComponent)
    X_INTERFACES(IXStreamIO)
public:
    const String& Path() const { return FPath; }
    uint8_t Mode() const { return FMode; }

    TStream* GetStream() override { return FStream; }
    TXCustomBufStream* BufStream() const { return FStream; }
    // Never raises: a failure answers False, closes, and leaves its code in the error store.
    bool Open(const String& APath, uint8_t AMode) override;
    bool Reopen() override;
    void Close() override;
    // The whole stream into ATarget at its position; False without a stream or on a failure.
    bool SaveToStream(TStream* ATarget) override;
    bool SaveToFile(const String& AFileName) override;

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override { return TComponent::QueryInterface(AIID, AObj); }
    int32_t _AddRef() override { return TComponent::_AddRef(); }
    int32_t _Release() override { return TComponent::_Release(); }
    void BeforeDestruction() override;

protected:
    TXStreamIO() = default;
    virtual void DoOpen() {}
    virtual void DoReopen() {}
    virtual void DoClose();
    void SetStream(TXCustomBufStream* AStream) { FStream = AStream; }

private:
    String FPath;
    uint8_t FMode = kIORead;
    TXCustomBufStream* FStream = nullptr;   // owned
};

class TXCustomDiskIO : public TXStreamIO {
    X_CLASS(TXCustomDiskIO, TXStreamIO)
public:
    // Used as the size when a device reports none.
    int64_t RequestedSize() const { return FRequestedSize; }
    void SetRequestedSize(int64_t AValue) { FRequestedSize = AValue; }
    const TXDiskInfoRecord& DiskInfo() const { return FDiskInfo; }
    int32_t FileSystemKind() const { return FFileSystemKind; }
    // From the file-system name, else from the boot sector's type texts; leaves no error behind
    // when there was none before.
    void DetectFileSystem();

protected:
    TXCustomDiskIO() = default;
    TXDiskInfoRecord FDiskInfo;

private:
    int64_t FRequestedSize = 0;
    int32_t FFileSystemKind = fskUnknown;
};

// Card image files: the trailer, when there is one, gives the volume information back.
class TXFileDiskIO : public TXCustomDiskIO {
    X_CLASS(TXFileDiskIO, TXCustomDiskIO)
protected:
    TXFileDiskIO() = default;
    void DoOpen() override;

private:
    void ReadTrailer();
};

// Volumes; saving one writes a card image.
class TXDiskIO : public TXCustomDiskIO {
    X_CLASS(TXDiskIO, TXCustomDiskIO)
public:
    bool SaveDiskInfo(TStream* AStream);
    // The volume's bytes, then its disk-info text.
    bool SaveToStream(TStream* ATarget) override;

protected:
    TXDiskIO() = default;
    void DoOpen() override;
    void DoReopen() override;
};
