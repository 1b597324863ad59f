// Rtl.Streams.h: the runtime's byte streams: the abstract TStream, memory, file and string
// streams. Positions, sizes and counts are 64-bit; Read and Write answer what they moved.
#pragma once

#include <cstdint>
#include <vector>

#include "Rtl.Objects.h"

class TEncoding;

enum TSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };

// Whether a stream that wraps another frees it.
enum TStreamOwnership : uint8_t { soReference, soOwned };

class TStream : public TObject {
    X_CLASS(TStream, TObject)
public:
    // The bytes read or written; fewer than ACount at the end of the data or on a failure.
    virtual int64_t Read(void* ABuffer, int64_t ACount) = 0;
    virtual int64_t Write(const void* ABuffer, int64_t ACount) = 0;
    // The new position. Seeking past the end is allowed; the gap reads as nothing.
    virtual int64_t Seek(int64_t AOffset, TSeekOrigin AOrigin) = 0;
    virtual int64_t Size();
    virtual void SetSize(int64_t ANewSize) = 0;
    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t AValue) { Seek(AValue, soBeginning); }

    // Raise EReadError "Stream read error" / EWriteError "Stream write error" on a short transfer.
    void ReadBuffer(void* ABuffer, int64_t ACount);
    void WriteBuffer(const void* ABuffer, int64_t ACount);
    // Copies ACount bytes from ASource's position; ACount 0 copies the whole of ASource from its
    // start. Raises like ReadBuffer when ASource has fewer bytes. Answers the bytes copied.
    int64_t CopyFrom(TStream* ASource, int64_t ACount);

protected:
    TStream() = default;
};

// A stream in one growing block of memory. Writing past the end grows it; a gap left by a seek
// past the end reads as zeros.
class TMemoryStream : public TStream {
    X_CLASS(TMemoryStream, TStream)
public:
    int64_t Read(void* ABuffer, int64_t ACount) override;
    int64_t Write(const void* ABuffer, int64_t ACount) override;
    int64_t Seek(int64_t AOffset, TSeekOrigin AOrigin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }
    void SetSize(int64_t ANewSize) override;

    uint8_t* Memory() { return FData.data(); }
    const uint8_t* Memory() const { return FData.data(); }
    void Clear();
    // Replaces the content with the whole of AStream (from its start) or of the file.
    void LoadFromStream(TStream* AStream);
    void LoadFromFile(const String& AFileName);
    // Writes the whole content at AStream's position, or into a new file.
    void SaveToStream(TStream* AStream);
    void SaveToFile(const String& AFileName);

protected:
    TMemoryStream() = default;

private:
    std::vector<uint8_t> FData;
    int64_t FPosition = 0;
};

// The bytes of a text in an encoding (UTF-8 when none is given).
class TStringStream : public TMemoryStream {
    X_CLASS(TStringStream, TMemoryStream)
public:
    const TEncoding* Encoding() const { return FEncoding; }
    // The whole content decoded.
    String DataString();
    // AText encoded, at the position.
    void WriteString(const String& AText);

protected:
    TStringStream() = default;
    virtual void Construct(const String& AText = {}, const TEncoding* AEncoding = nullptr);

private:
    const TEncoding* FEncoding = nullptr;
};

// File open modes: one access mode, or'ed with one share mode. fmCreate creates the file or
// empties an existing one and opens it read-write.
inline constexpr uint16_t fmOpenRead = 0x0000;
inline constexpr uint16_t fmOpenWrite = 0x0001;
inline constexpr uint16_t fmOpenReadWrite = 0x0002;
inline constexpr uint16_t fmCreate = 0xFF00;
// Share modes are advisory locks (flock) that only our own openers honour: exclusive (and
// compatibility) takes the lock alone, deny-write shares it with other deny-write openers, the
// others take none. So a
// deny-write reader keeps out an exclusive writer and the other way round, which is what the
// framework relies on; a writer that denies nothing is not kept out.
inline constexpr uint16_t fmShareCompat = 0x0000;
inline constexpr uint16_t fmShareExclusive = 0x0010;
inline constexpr uint16_t fmShareDenyWrite = 0x0020;
inline constexpr uint16_t fmShareDenyRead = 0x0030;
inline constexpr uint16_t fmShareDenyNone = 0x0040;

// A file opened by name ("\" and "/" both separate folders). A file that cannot be opened or
// created raises EFOpenError or EFCreateError with the system's reason in the message. Only
// regular files and block devices open: a FIFO or a socket named like a data file is refused
// at once instead of blocking the opener.
class TFileStream : public TStream {
    X_CLASS(TFileStream, TStream)
public:
    // A read error answers a short count and leaves errno set (so a reader tells it from the
    // end); a write error raises EWriteError with the system's reason.
    int64_t Read(void* ABuffer, int64_t ACount) override;
    int64_t Write(const void* ABuffer, int64_t ACount) override;
    int64_t Seek(int64_t AOffset, TSeekOrigin AOrigin) override;
    int64_t Size() override;
    // Raises EStreamError when the file cannot be resized.
    void SetSize(int64_t ANewSize) override;
    // Puts what was written on the disk (fsync); raises EWriteError with the system's reason.
    void Flush();

    const String& FileName() const { return FFileName; }
    int Handle() const { return FHandle; }

protected:
    TFileStream() = default;
    // Closing errors are not seen here: a writer that must know them flushes first, or writes
    // through TSafeFileStream, whose Commit checks the close.
    ~TFileStream() override;
    virtual void Construct(const String& AFileName, uint16_t AMode);
    // Takes over an open handle (closed by the stream) under the name given.
    void Adopt(int AHandle, const String& AFileName);
    // Closes the handle and answers close()'s errno (0 when it succeeded or none was open).
    int CloseHandle();

private:
    String FFileName;
    int FHandle = -1;
};
