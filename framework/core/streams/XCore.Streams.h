// XCore.Streams.h: a stream that forwards to another, a window onto a byte range of another
// stream, the shared empty stream, and the CRC-32 that checks every container record and block.
// The CRC helpers report to the calling thread's error store: 40 when the CRC cannot be
// computed, 41 when it differs from the expected value; success clears the thread's error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>

#include "Rtl.Streams.h"
#include "XCore.Errors.h"

inline constexpr int32_t kErrCrc = 40;
inline constexpr int32_t kErrCrcMismatch = 41;
inline constexpr int32_t kErrRead = 44;
inline constexpr int32_t kErrWrite = 45;

// Forwards everything to the inner stream, which it frees when it owns it.
class TXStreamWrapper : public TStream {
    X_CLASS(TXStreamWrapper, TStream)
public:
    TStream* Stream() const { return FStream; }
    TStreamOwnership Ownership() const { return FOwnership; }

    int64_t Read(void* ABuffer, int64_t ACount) override;
    int64_t Write(const void* ABuffer, int64_t ACount) override;
    int64_t Seek(int64_t AOffset, TSeekOrigin AOrigin) override;
    int64_t Size() override;
    void SetSize(int64_t ANewSize) override;

protected:
    TXStreamWrapper() = default;
    ~TXStreamWrapper() override;
    virtual void Construct(TStream* AStream, TStreamOwnership AOwnership);

private:
    TStream* FStream = nullptr;
    TStreamOwnership FOwnership = soReference;
};

// A window of Size bytes at Offset of the inner stream. Reads stop at the window's end; seeks
// are not clamped, and writes go to the inner stream unchecked. Positions are relative to
// Offset.
class TXCustomSubStream : public TXStreamWrapper {
    X_CLASS(TXCustomSubStream, TXStreamWrapper)
public:
    int64_t Offset() const { return FOffset; }

    int64_t Read(void* ABuffer, int64_t ACount) override;
    int64_t Seek(int64_t AOffset, TSeekOrigin AOrigin) override;
    int64_t Size() override { return FSize; }
    // Never resizes the inner stream: a size that would pass its end is cut there, a negative
    // one becomes 0.
    void SetSize(int64_t ANewSize) override;

protected:
    TXCustomSubStream() = default;
    using TXStreamWrapper::Construct;
    virtual void Construct(TStream* AStream, TStreamOwnership AOwnership, int64_t AOffset, int64_t ASize);

private:
    int64_t FOffset = 0;
    int64_t FSize = 0;
};

class TXSubStream : public TXCustomSubStream {
    X_CLASS(TXSubStream, TXCustomSubStream)
protected:
    TXSubStream() = default;
};

// A failure of the system under a stream (a full disk, an I/O error, a file that cannot be
// made) recorded with its error number and reason, first error wins: 45 for writing and
// creating, 44 for the rest. Other exceptions record nothing: their callers know better.
void RecordSystemFailure(const std::exception& AError);

// Runs AOperation and answers False when it raises: the boundary of operations that answer a
// Boolean and record their failure instead of passing an exception on.
template <class TOperation>
bool Guarded(TOperation&& AOperation)
{
    try {
        AOperation();
        return true;
    } catch (const std::exception& E) {
        RecordSystemFailure(E);
        return false;
    }
}


// Runs AStep, a helper that clears the thread's error when it succeeds, so that an error
// recorded before it still wins.
template <class TStep>
bool KeepingFirstError(TStep&& AStep)
{
    TXErrorData Before = GetErrorData();
    bool OK = AStep();
    if (Before.Code != 0)
        SetError(Before.Code, Before.Value, Before.Text);
    return OK;
}

// The one empty stream handed out where a piece of data is absent. Never write to it.
TMemoryStream* EmptyMemoryStream();

// ---- CRC-32 (reflected 0xEDB88320, as in zlib and PNG) -----------------------------------

// Continues ACrc over ABuffer. Start from 0 for a new CRC: the initial value and the final
// complement are folded in, so UpdateCrc32(UpdateCrc32(0, A), B) is the CRC of A then B.
uint32_t UpdateCrc32(uint32_t ACrc, const void* ABuffer, size_t ALength);

[[nodiscard]] bool CrcOfBuffer(uint32_t& ACrc, const void* ABuffer, int64_t ALength, bool ARaise = false);
// From AStart, ACount bytes or up to the stream's end; the stream is left after the last byte.
[[nodiscard]] bool CrcOfStreamRange(uint32_t& ACrc, TStream* AStream, bool ARaise, int64_t AStart, int64_t ACount);
[[nodiscard]] bool CrcOfStream(uint32_t& ACrc, TStream* AStream, bool ARaise = false);
[[nodiscard]] bool CheckBufferCrc(uint32_t AExpected, const void* ABuffer, int64_t ALength, bool ARaise = false);
[[nodiscard]] bool CheckStreamCrc(uint32_t AExpected, TStream* AStream, bool ARaise = false);
