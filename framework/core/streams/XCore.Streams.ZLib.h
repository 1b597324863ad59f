// XCore.Streams.ZLib.h: zlib compression and decompression streams, and data blocks: bytes
// written at a stream's position, raw or as one zlib stream, located by offset and stored size.
// Only the zlib format (window bits 15, memory level 8, default strategy) is written or read.
#pragma once

#include <cstdint>
#include <memory>

#include "Rtl.Streams.h"
#include "XCore.Streams.h"

class TXProgress;
struct z_stream_s;

// Level codes: zlib levels 0, 1, 6 (its default) and 9. A block of level zlNone is stored raw.
enum TXZLevel : uint8_t { zlNone, zlFastest, zlDefault, zlBest };

// No block the framework writes comes near this; a crafted one that inflates past it fails
// instead of filling memory. Picture data is read with it.
inline constexpr int64_t kXZInflateLimit = int64_t(256) << 20;
// Settings, labels, language words and calendar objects hold text and small pictures: their
// readers stop here, so that a small crafted file cannot take hundreds of megabytes.
inline constexpr int64_t kXZDocumentLimit = int64_t(16) << 20;

// Compresses into Dest (not owned) at its position. Finish writes the end of the zlib stream;
// one freed without Finish leaves Dest without it. Raises EWriteError when Dest takes less
// than it is given.
// Progress: the percentage of the expected input taken so far goes to the range as it runs.
class TXZCompressionStream : public TObject {
    X_CLASS(TXZCompressionStream, TObject)
public:
    // The bytes taken, ACount, which is the expected input.
    int64_t WriteBuffer(const void* ABuffer, int64_t ACount, TXProgress* AProgress = nullptr);
    // ACount bytes of ASource from its position; ACount 0 is the whole of ASource from its start.
    int64_t CopyFrom(TStream* ASource, TXProgress* AProgress, int64_t ACount);
    void Finish();

protected:
    TXZCompressionStream();
    ~TXZCompressionStream() override;
    virtual void Construct(TStream* ADest, TXZLevel ALevel);

private:
    void Deflate(const void* ABuffer, int64_t ACount, int AFlush);

    TStream* FDest = nullptr;
    std::unique_ptr<z_stream_s> FZ;
    bool FFinished = false;
    int64_t FExpected = 0;
    TXProgress* FProgress = nullptr;
};

// Decompresses from Source (not owned), reading on from its position; it may read past the
// end of the zlib stream. Data that is not a zlib stream raises EReadError; a stream that
// ends early is not an error, it just gives fewer bytes.
// Progress goes to the range as a percentage, of what the caller knows in advance: the bytes
// asked for by ReadBuffer, the compressed bytes consumed by CopyTo.
class TXZDecompressionStream : public TObject {
    X_CLASS(TXZDecompressionStream, TObject)
public:
    // Up to ACount bytes into ABuffer; answers the bytes produced.
    int64_t ReadBuffer(void* ABuffer, int64_t ACount, TXProgress* AProgress = nullptr);
    // Everything into ADest at its position; raises EReadError past ALimit bytes. AExpected is
    // the compressed size: callers know the stored size of a block, not what it inflates to.
    int64_t CopyTo(TStream* ADest, TXProgress* AProgress, int64_t AExpected, int64_t ALimit = kXZInflateLimit);

protected:
    TXZDecompressionStream();
    ~TXZDecompressionStream() override;
    virtual void Construct(TStream* ASource);

private:
    // Up to ACount bytes (at most a copy buffer's worth); fewer only at the end of the data.
    int64_t Inflate(uint8_t* ABuffer, int64_t ACount);

    TStream* FSource = nullptr;
    std::unique_ptr<z_stream_s> FZ;
    std::unique_ptr<uint8_t[]> FInput;
    bool FEnded = false;
};

// ---- Block writers: 45 on failure, success clears the thread's error ---------------------

[[nodiscard]] bool WriteDataBlock(TStream* ADest, int64_t& AOffset, int64_t& AStoredSize, bool ARaise,
                                  TXProgress* AProgress, TXZLevel ALevel, int64_t ACount, const void* ABuffer);
// ACount 0 or less writes nothing and succeeds with StoredSize 0.
[[nodiscard]] bool WriteStreamBlock(TStream* ADest, int64_t& AOffset, int64_t& AStoredSize, TStream* ASource,
                                    int64_t AStart, int64_t ACount, TXZLevel ALevel, TXProgress* AProgress, bool ARaise);
[[nodiscard]] bool WriteMemoryBlock(TStream* ADest, int64_t& AOffset, int64_t& AStoredSize, TMemoryStream* ASource,
                                    TXZLevel ALevel, TXProgress* AProgress, bool ARaise);
// The same, with the CRC-32 of the uncompressed bytes; nothing is written when it fails.
[[nodiscard]] bool WriteDataBlockCrc(TStream* ADest, int64_t& AOffset, int64_t& AStoredSize, uint32_t& ACrc,
                                     bool ARaise, TXProgress* AProgress, TXZLevel ALevel, int64_t ACount,
                                     const void* ABuffer);
[[nodiscard]] bool WriteStreamBlockCrc(TStream* ADest, int64_t& AOffset, int64_t& AStoredSize, uint32_t& ACrc,
                                       TStream* ASource, int64_t AStart, int64_t ACount, TXZLevel ALevel,
                                       TXProgress* AProgress, bool ARaise);
[[nodiscard]] bool WriteMemoryBlockCrc(TStream* ADest, int64_t& AOffset, int64_t& AStoredSize, uint32_t& ACrc,
                                       TMemoryStream* ASource, TXZLevel ALevel, TXProgress* AProgress, bool ARaise);

// ---- Block readers: 44 on failure (41 for a CRC mismatch), success clears the error ------

// ABuffer holds ACount bytes, and never gets more. Raw: exactly ACount bytes are read.
// Compressed: up to ACount bytes are inflated; ARead, when given, receives how many.
[[nodiscard]] bool ReadDataBlock(TStream* ASrc, void* ABuffer, bool ACompressed, int64_t AOffset, int64_t ACount,
                                 TXProgress* AProgress, bool ARaise, int64_t* ARead = nullptr);
// ADest is rewritten from its start and ends with the bytes read: nothing of what it held
// before remains. ASize is the stored size; a compressed block is read through a window of it
// and fails when it inflates past ALimit bytes.
[[nodiscard]] bool ReadStreamBlock(TStream* ASrc, TStream* ADest, bool ACompressed, int64_t AOffset, int64_t ASize,
                                   TXProgress* AProgress, bool ARaise, int64_t ALimit = kXZInflateLimit);
// A raw block holds UTF-8, a compressed one text in the system ANSI code page, decoded once
// from the inflated bytes.
[[nodiscard]] bool ReadTextBlock(TStream* ASrc, String& AText, bool ACompressed, int64_t AOffset, int64_t ASize,
                                 TXProgress* AProgress, bool ARaise, int64_t ALimit = kXZInflateLimit);
[[nodiscard]] bool ReadWholeTextBlock(TStream* ASrc, String& AText, bool ACompressed, TXProgress* AProgress,
                                      bool ARaise, int64_t ALimit = kXZInflateLimit);
[[nodiscard]] bool ReadDataBlockCrc(TStream* ASrc, uint32_t AExpected, void* ABuffer, bool ACompressed,
                                    int64_t AOffset, int64_t ACount, TXProgress* AProgress, bool ARaise,
                                    int64_t* ARead = nullptr);
[[nodiscard]] bool ReadStreamBlockCrc(TStream* ASrc, uint32_t AExpected, TStream* ADest, bool ACompressed,
                                      int64_t AOffset, int64_t ASize, TXProgress* AProgress, bool ARaise,
                                      int64_t ALimit = kXZInflateLimit);
