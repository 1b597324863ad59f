// XCore.Streams.ZLib.cpp: zlib streams and data blocks.
#include "XCore.Streams.ZLib.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "Rtl.Encoding.h"
#include "Rtl.SysUtils.h"
#include "XCore.Errors.h"
#include "XCore.Progress.h"
#include "XCore.Streams.h"

namespace {

constexpr int64_t kBufferSize = 65536;
// zlib counts in unsigned int; larger requests go in pieces of this size.
constexpr int64_t kMaxZChunk = int64_t(1) << 30;

int ZLibLevel(TXZLevel ALevel)
{
    switch (ALevel) {
    case zlNone:
        return Z_NO_COMPRESSION;
    case zlFastest:
        return Z_BEST_SPEED;
    case zlDefault:
        return Z_DEFAULT_COMPRESSION;
    default:
        return Z_BEST_COMPRESSION;
    }
}

// ADone of ATotal as a percentage of the range. A display that fails must not fail the data.
void ReportPercent(TXProgress* AProgress, int64_t ADone, int64_t ATotal)
{
    if (AProgress == nullptr || ATotal <= 0)
        return;
    try {
        AProgress->SetPercent(static_cast<uint8_t>(std::clamp<int64_t>(Round(100.0 * ADone / ATotal), 0, 100)));
    } catch (const std::exception&) {
    }
}

// The block helpers start with the thread's error cleared, so that what a failure recorded on
// the way (a full disk, with its reason) is what stays, not a bare code over it.
bool ReportZLib(bool AOK, int32_t ACode, bool ARaise)
{
    if (AOK)
        ClearError();
    else
        SetFirstError(ACode, 0, "", ARaise);
    return AOK;
}

// Inflates ASize stored bytes at AOffset of ASrc into ADest, read through a window so that
// the inflater cannot read into the next block.
int64_t InflateWindow(TStream* ASrc, TStream* ADest, int64_t AOffset, int64_t ASize, TXProgress* AProgress,
                      int64_t ALimit)
{
    auto Window = Owned(TXSubStream::Create(ASrc, soReference, AOffset, ASize));
    Window->SetPosition(0);
    auto Inflater = Owned(TXZDecompressionStream::Create(Window.get()));
    return Inflater->CopyTo(ADest, AProgress, ASize, ALimit);
}

}  // namespace

// ---- TXZCompressionStream ----------------------------------------------------------------

TXZCompressionStream::TXZCompressionStream() : FZ(std::make_unique<z_stream_s>()) {}

TXZCompressionStream::~TXZCompressionStream()
{
    deflateEnd(FZ.get());
}

void TXZCompressionStream::Construct(TStream* ADest, TXZLevel ALevel)
{
    FDest = ADest;
    if (deflateInit2(FZ.get(), ZLibLevel(ALevel), Z_DEFLATED, MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw EOutOfMemory(SOutOfMemory);
}

void TXZCompressionStream::Deflate(const void* ABuffer, int64_t ACount, int AFlush)
{
    if (FFinished)
        throw EWriteError("Stream write error");
    uint8_t Output[kBufferSize];
    FZ->next_in = static_cast<Bytef*>(const_cast<void*>(ABuffer));
    int64_t Left = ACount;
    do {
        int64_t Chunk = std::min(Left, kMaxZChunk);
        FZ->avail_in = static_cast<uInt>(Chunk);
        Left -= Chunk;
        int Flush = Left == 0 ? AFlush : Z_NO_FLUSH;
        int Result = Z_OK;
        do {
            FZ->next_out = Output;
            FZ->avail_out = sizeof Output;
            Result = deflate(FZ.get(), Flush);
            if (Result == Z_STREAM_ERROR)
                throw EWriteError("Stream write error");
            FDest->WriteBuffer(Output, static_cast<int64_t>(sizeof Output - FZ->avail_out));
            ReportPercent(FProgress, static_cast<int64_t>(FZ->total_in), FExpected);
        } while (FZ->avail_out == 0 || (Flush == Z_FINISH && Result != Z_STREAM_END));
    } while (Left > 0);
    FFinished = AFlush == Z_FINISH;
}

int64_t TXZCompressionStream::WriteBuffer(const void* ABuffer, int64_t ACount, TXProgress* AProgress)
{
    FExpected = ACount;
    FProgress = AProgress;
    if (ACount > 0)
        Deflate(ABuffer, ACount, Z_NO_FLUSH);
    return std::max<int64_t>(ACount, 0);
}

int64_t TXZCompressionStream::CopyFrom(TStream* ASource, TXProgress* AProgress, int64_t ACount)
{
    if (ACount == 0) {
        ASource->SetPosition(0);
        ACount = ASource->Size();
    }
    FExpected = ACount;
    FProgress = AProgress;
    std::vector<uint8_t> Buffer(static_cast<size_t>(std::clamp<int64_t>(ACount, 0, kBufferSize)));
    for (int64_t Left = ACount; Left > 0;) {
        int64_t Chunk = std::min(Left, kBufferSize);
        ASource->ReadBuffer(Buffer.data(), Chunk);
        Deflate(Buffer.data(), Chunk, Z_NO_FLUSH);
        Left -= Chunk;
    }
    return std::max<int64_t>(ACount, 0);
}

void TXZCompressionStream::Finish()
{
    Deflate(nullptr, 0, Z_FINISH);
}

// ---- TXZDecompressionStream --------------------------------------------------------------

TXZDecompressionStream::TXZDecompressionStream()
    : FZ(std::make_unique<z_stream_s>()), FInput(std::make_unique<uint8_t[]>(kBufferSize))
{
}

TXZDecompressionStream::~TXZDecompressionStream()
{
    inflateEnd(FZ.get());
}

void TXZDecompressionStream::Construct(TStream* ASource)
{
    FSource = ASource;
    if (inflateInit2(FZ.get(), MAX_WBITS) != Z_OK)
        throw EOutOfMemory(SOutOfMemory);
}

int64_t TXZDecompressionStream::ReadBuffer(void* ABuffer, int64_t ACount, TXProgress* AProgress)
{
    auto* Target = static_cast<uint8_t*>(ABuffer);
    int64_t Done = 0;
    // In buffer-sized pieces, so that a large read reports as it goes.
    while (Done < ACount) {
        int64_t Got = Inflate(Target + Done, std::min(ACount - Done, kBufferSize));
        if (Got == 0)
            break;
        Done += Got;
        ReportPercent(AProgress, static_cast<int64_t>(FZ->total_out), ACount);
    }
    return Done;
}

int64_t TXZDecompressionStream::Inflate(uint8_t* ABuffer, int64_t ACount)
{
    int64_t Done = 0;
    while (Done < ACount && !FEnded) {
        if (FZ->avail_in == 0) {
            int64_t Got = FSource->Read(FInput.get(), kBufferSize);
            if (Got <= 0)
                break;   // the data ends early: deliver what there is
            FZ->next_in = FInput.get();
            FZ->avail_in = static_cast<uInt>(Got);
        }
        FZ->next_out = ABuffer + Done;
        FZ->avail_out = static_cast<uInt>(ACount - Done);
        uInt Room = FZ->avail_out;
        int Result = inflate(FZ.get(), Z_NO_FLUSH);
        Done += Room - FZ->avail_out;
        if (Result == Z_STREAM_END)
            FEnded = true;
        else if (Result != Z_OK && Result != Z_BUF_ERROR)
            throw EReadError("Invalid compressed data");
    }
    return Done;
}

int64_t TXZDecompressionStream::CopyTo(TStream* ADest, TXProgress* AProgress, int64_t AExpected, int64_t ALimit)
{
    std::vector<uint8_t> Buffer(kBufferSize);
    int64_t Total = 0;
    while (int64_t Got = Inflate(Buffer.data(), kBufferSize)) {
        if (Got > ALimit - Total)
            throw EReadError("Decompressed data exceeds its limit");
        ADest->WriteBuffer(Buffer.data(), Got);
        Total += Got;
        ReportPercent(AProgress, static_cast<int64_t>(FZ->total_in), AExpected);
    }
    return Total;
}

// ---- Block writers -----------------------------------------------------------------------

bool WriteDataBlock(TStream* ADest, int64_t& AOffset, int64_t& AStoredSize, bool ARaise, TXProgress* AProgress,
                    TXZLevel ALevel, int64_t ACount, const void* ABuffer)
{
    ClearError();
    bool OK = Guarded([&] {
        AOffset = ADest->Position();
        if (ALevel > zlNone) {
            auto Deflater = Owned(TXZCompressionStream::Create(ADest, ALevel));
            Deflater->WriteBuffer(ABuffer, ACount, AProgress);
            Deflater->Finish();
            AStoredSize = ADest->Position() - AOffset;
        } else {
            ADest->WriteBuffer(ABuffer, ACount);
            AStoredSize = ACount;
        }
    });
    return ReportZLib(OK, kErrWrite, ARaise);
}

bool WriteStreamBlock(TStream* ADest, int64_t& AOffset, int64_t& AStoredSize, TStream* ASource, int64_t AStart,
                      int64_t ACount, TXZLevel ALevel, TXProgress* AProgress, bool ARaise)
{
    ClearError();
    bool OK = Guarded([&] {
        AOffset = ADest->Position();
        AStoredSize = 0;
        if (ACount <= 0)
            return;
        ASource->SetPosition(AStart);
        if (ALevel > zlNone) {
            auto Deflater = Owned(TXZCompressionStream::Create(ADest, ALevel));
            Deflater->CopyFrom(ASource, AProgress, ACount);
            Deflater->Finish();
            AStoredSize = ADest->Position() - AOffset;
        } else {
            AStoredSize = ADest->CopyFrom(ASource, ACount);
        }
    });
    return ReportZLib(OK, kErrWrite, ARaise);
}

bool WriteMemoryBlock(TStream* ADest, int64_t& AOffset, int64_t& AStoredSize, TMemoryStream* ASource,
                      TXZLevel ALevel, TXProgress* AProgress, bool ARaise)
{
    return WriteStreamBlock(ADest, AOffset, AStoredSize, ASource, 0, ASource->Size(), ALevel, AProgress, ARaise);
}

bool WriteDataBlockCrc(TStream* ADest, int64_t& AOffset, int64_t& AStoredSize, uint32_t& ACrc, bool ARaise,
                       TXProgress* AProgress, TXZLevel ALevel, int64_t ACount, const void* ABuffer)
{
    if (!CrcOfBuffer(ACrc, ABuffer, ACount)) {
        SetError(kErrWrite, 0, "", ARaise);
        return false;
    }
    return WriteDataBlock(ADest, AOffset, AStoredSize, ARaise, AProgress, ALevel, ACount, ABuffer);
}

bool WriteStreamBlockCrc(TStream* ADest, int64_t& AOffset, int64_t& AStoredSize, uint32_t& ACrc, TStream* ASource,
                         int64_t AStart, int64_t ACount, TXZLevel ALevel, TXProgress* AProgress, bool ARaise)
{
    if (!CrcOfStreamRange(ACrc, ASource, false, AStart, ACount)) {
        SetError(kErrWrite, 0, "", ARaise);
        return false;
    }
    return WriteStreamBlock(ADest, AOffset, AStoredSize, ASource, AStart, ACount, ALevel, AProgress, ARaise);
}

bool WriteMemoryBlockCrc(TStream* ADest, int64_t& AOffset, int64_t& AStoredSize, uint32_t& ACrc,
                         TMemoryStream* ASource, TXZLevel ALevel, TXProgress* AProgress, bool ARaise)
{
    return WriteStreamBlockCrc(ADest, AOffset, AStoredSize, ACrc, ASource, 0, ASource->Size(), ALevel, AProgress,
                               ARaise);
}

// ---- Block readers -----------------------------------------------------------------------

bool ReadDataBlock(TStream* ASrc, void* ABuffer, bool ACompressed, int64_t AOffset, int64_t ACount,
                   TXProgress* AProgress, bool ARaise, int64_t* ARead)
{
    ClearError();
    int64_t Read = 0;
    bool OK = Guarded([&] {
        if (ACount < 0)
            throw EReadError("Stream read error");
        ASrc->SetPosition(AOffset);
        if (ACompressed) {
            Read = Owned(TXZDecompressionStream::Create(ASrc))->ReadBuffer(ABuffer, ACount, AProgress);
        } else {
            ASrc->ReadBuffer(ABuffer, ACount);
            Read = ACount;
        }
    });
    if (ARead != nullptr)
        *ARead = Read;
    return ReportZLib(OK, kErrRead, ARaise);
}

bool ReadStreamBlock(TStream* ASrc, TStream* ADest, bool ACompressed, int64_t AOffset, int64_t ASize,
                     TXProgress* AProgress, bool ARaise, int64_t ALimit)
{
    ClearError();
    bool OK = Guarded([&] {
        ADest->SetPosition(0);
        if (ASize > 0) {
            ASrc->SetPosition(AOffset);
            if (ACompressed)
                InflateWindow(ASrc, ADest, AOffset, ASize, AProgress, ALimit);
            else
                ADest->CopyFrom(ASrc, ASize);
        }
        ADest->SetSize(ADest->Position());
    });
    return ReportZLib(OK, kErrRead, ARaise);
}

bool ReadTextBlock(TStream* ASrc, String& AText, bool ACompressed, int64_t AOffset, int64_t ASize,
                   TXProgress* AProgress, bool ARaise, int64_t ALimit)
{
    ClearError();
    AText.clear();
    bool OK = Guarded([&] {
        if (ASize <= 0)
            return;
        // The size comes from the file: it must fit in the stream before it sizes anything.
        if (AOffset < 0 || ASize > ASrc->Size() - AOffset)
            throw EReadError("Stream read error");
        auto Bytes = Owned(TStringStream::Create(String(), ACompressed ? TEncoding::ANSI() : TEncoding::UTF8()));
        if (ACompressed) {
            InflateWindow(ASrc, Bytes.get(), AOffset, ASize, AProgress, ALimit);
        } else {
            ASrc->SetPosition(AOffset);
            Bytes->CopyFrom(ASrc, ASize);
        }
        AText = Bytes->DataString();
    });
    if (!OK)
        AText.clear();
    return ReportZLib(OK, kErrRead, ARaise);
}

bool ReadWholeTextBlock(TStream* ASrc, String& AText, bool ACompressed, TXProgress* AProgress, bool ARaise,
                        int64_t ALimit)
{
    int64_t Size = 0;
    if (!Guarded([&] { Size = ASrc->Size(); })) {
        AText.clear();
        return ReportZLib(false, kErrRead, ARaise);
    }
    return ReadTextBlock(ASrc, AText, ACompressed, 0, Size, AProgress, ARaise, ALimit);
}

bool ReadDataBlockCrc(TStream* ASrc, uint32_t AExpected, void* ABuffer, bool ACompressed, int64_t AOffset,
                      int64_t ACount, TXProgress* AProgress, bool ARaise, int64_t* ARead)
{
    int64_t Read = 0;
    bool OK = ReadDataBlock(ASrc, ABuffer, ACompressed, AOffset, ACount, AProgress, ARaise, &Read)
              && CheckBufferCrc(AExpected, ABuffer, Read, ARaise);
    if (ARead != nullptr)
        *ARead = Read;
    return OK;
}

bool ReadStreamBlockCrc(TStream* ASrc, uint32_t AExpected, TStream* ADest, bool ACompressed, int64_t AOffset,
                        int64_t ASize, TXProgress* AProgress, bool ARaise, int64_t ALimit)
{
    return ReadStreamBlock(ASrc, ADest, ACompressed, AOffset, ASize, AProgress, ARaise, ALimit)
           && CheckStreamCrc(AExpected, ADest, ARaise);
}
