// Rtl.Streams.cpp: memory and file streams over POSIX files.
#include "Rtl.Streams.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "Rtl.Encoding.h"
#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Rtl.SysUtils.h"

namespace {

constexpr int64_t kCopyBufferSize = 65536;

int OpenFlags(uint16_t AMode)
{
    if ((AMode & 0xFF00) == fmCreate)
        return O_RDWR | O_CREAT | O_TRUNC;
    switch (AMode & 0x0003) {
    case fmOpenWrite:
        return O_WRONLY;
    case fmOpenReadWrite:
        return O_RDWR;
    default:
        return O_RDONLY;
    }
}

// The flock operation for a share mode, or 0 for none. Compatibility mode shares nothing, as
// on the system the modes come from.
int ShareLock(uint16_t AMode)
{
    switch (AMode & 0x00F0) {
    case fmShareCompat:
    case fmShareExclusive:
        return LOCK_EX;
    case fmShareDenyWrite:
        return LOCK_SH;
    default:
        return 0;
    }
}

}  // namespace

// ---- TStream -----------------------------------------------------------------------------

int64_t TStream::Size()
{
    int64_t Position = Seek(0, soCurrent);
    int64_t Result = Seek(0, soEnd);
    Seek(Position, soBeginning);
    return Result;
}

void TStream::ReadBuffer(void* ABuffer, int64_t ACount)
{
    if (ACount != 0 && Read(ABuffer, ACount) != ACount)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* ABuffer, int64_t ACount)
{
    if (ACount != 0 && Write(ABuffer, ACount) != ACount)
        throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream* ASource, int64_t ACount)
{
    if (ACount <= 0) {
        ASource->SetPosition(0);
        ACount = ASource->Size();
    }
    std::vector<uint8_t> Buffer(static_cast<size_t>(std::min(ACount, kCopyBufferSize)));
    int64_t Left = ACount;
    while (Left > 0) {
        int64_t Chunk = std::min(Left, kCopyBufferSize);
        ASource->ReadBuffer(Buffer.data(), Chunk);
        WriteBuffer(Buffer.data(), Chunk);
        Left -= Chunk;
    }
    return ACount;
}

// ---- TMemoryStream -----------------------------------------------------------------------

int64_t TMemoryStream::Read(void* ABuffer, int64_t ACount)
{
    int64_t Available = Size() - FPosition;
    if (ACount <= 0 || Available <= 0)
        return 0;
    int64_t Count = std::min(ACount, Available);
    std::memcpy(ABuffer, FData.data() + FPosition, static_cast<size_t>(Count));
    FPosition += Count;
    return Count;
}

int64_t TMemoryStream::Write(const void* ABuffer, int64_t ACount)
{
    if (ACount <= 0 || FPosition < 0)
        return 0;
    if (FPosition + ACount > Size())
        SetSize(FPosition + ACount);
    std::memcpy(FData.data() + FPosition, ABuffer, static_cast<size_t>(ACount));
    FPosition += ACount;
    return ACount;
}

int64_t TMemoryStream::Seek(int64_t AOffset, TSeekOrigin AOrigin)
{
    switch (AOrigin) {
    case soBeginning:
        FPosition = AOffset;
        break;
    case soCurrent:
        FPosition += AOffset;
        break;
    case soEnd:
        FPosition = Size() + AOffset;
        break;
    }
    return FPosition;
}

void TMemoryStream::SetSize(int64_t ANewSize)
{
    if (ANewSize < 0)
        ANewSize = 0;
    if (static_cast<uint64_t>(ANewSize) > FData.max_size())
        throw EOutOfMemory(SOutOfMemory);
    // Growing by whole doublings keeps a stream written in small pieces linear in time.
    if (static_cast<size_t>(ANewSize) > FData.capacity())
        FData.reserve(std::max(static_cast<size_t>(ANewSize), 2 * FData.capacity()));
    FData.resize(static_cast<size_t>(ANewSize));
    FPosition = std::min(FPosition, ANewSize);
}

void TMemoryStream::Clear()
{
    FData.clear();
    FData.shrink_to_fit();
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* AStream)
{
    AStream->SetPosition(0);
    int64_t Count = AStream->Size();
    SetSize(Count);
    AStream->ReadBuffer(FData.data(), Count);
    FPosition = 0;
}

void TMemoryStream::LoadFromFile(const String& AFileName)
{
    TOwned<TFileStream> File = Owned(TFileStream::Create(AFileName, fmOpenRead | fmShareDenyWrite));
    LoadFromStream(File.get());
}

void TMemoryStream::SaveToStream(TStream* AStream)
{
    AStream->WriteBuffer(FData.data(), Size());
}

void TMemoryStream::SaveToFile(const String& AFileName)
{
    SafeWriteFileBytes(AFileName, FData);
}

// ---- TStringStream -----------------------------------------------------------------------

void TStringStream::Construct(const String& AText, const TEncoding* AEncoding)
{
    FEncoding = AEncoding != nullptr ? AEncoding : TEncoding::UTF8();
    WriteString(AText);
    SetPosition(0);
}

String TStringStream::DataString()
{
    return FEncoding->GetString({Memory(), static_cast<size_t>(Size())});
}

void TStringStream::WriteString(const String& AText)
{
    TBytes Bytes = FEncoding->GetBytes(AText);
    WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
}

// ---- TFileStream -------------------------------------------------------------------------

void TFileStream::Construct(const String& AFileName, uint16_t AMode)
{
    FFileName = AFileName;
    bool Creating = (OpenFlags(AMode) & O_CREAT) != 0;
    String Path = NativePath(AFileName);
    auto Fail = [&](int AError) {
        String Message = (Creating ? "Cannot create file \"" : "Cannot open file \"") + AFileName + "\". "
                         + DataFileErrorText(AError);
        if (Creating)
            throw EFCreateError(Message, AError);
        throw EFOpenError(Message, AError);
    };
    // Creating truncates, so the lock must be held before the old content goes.
    int Flags = OpenFlags(AMode);
    FHandle = OpenDataFile(Path, Flags & ~O_TRUNC, 0666);
    if (FHandle < 0)
        Fail(errno);
    int Lock = ShareLock(AMode);
    if (Lock != 0 && ::flock(FHandle, Lock | LOCK_NB) != 0)
        Fail(errno == EWOULDBLOCK ? EBUSY : errno);
    if ((Flags & O_TRUNC) != 0 && ::ftruncate(FHandle, 0) != 0)
        Fail(errno);
}

void TFileStream::Adopt(int AHandle, const String& AFileName)
{
    CloseHandle();
    FHandle = AHandle;
    FFileName = AFileName;
}

int TFileStream::CloseHandle()
{
    if (FHandle < 0)
        return 0;
    // Linux releases the descriptor even when close() fails, so it is never retried.
    int Result = ::close(FHandle) == 0 ? 0 : errno;
    FHandle = -1;
    return Result == EINTR ? 0 : Result;
}

TFileStream::~TFileStream()
{
    CloseHandle();
}

int64_t TFileStream::Read(void* ABuffer, int64_t ACount)
{
    auto* Target = static_cast<uint8_t*>(ABuffer);
    int64_t Done = 0;
    while (Done < ACount) {
        ssize_t Got = ::read(FHandle, Target + Done, static_cast<size_t>(std::min<int64_t>(ACount - Done, 1 << 30)));
        if (Got < 0 && errno == EINTR)
            continue;
        if (Got <= 0)
            break;
        Done += Got;
    }
    return Done;
}

int64_t TFileStream::Write(const void* ABuffer, int64_t ACount)
{
    const auto* Source = static_cast<const uint8_t*>(ABuffer);
    int64_t Done = 0;
    while (Done < ACount) {
        ssize_t Put = ::write(FHandle, Source + Done, static_cast<size_t>(std::min<int64_t>(ACount - Done, 1 << 30)));
        if (Put < 0 && errno == EINTR)
            continue;
        if (Put < 0) {
            int Error = errno;
            throw EWriteError("Cannot write file \"" + FFileName + "\". " + SystemErrorText(Error), Error);
        }
        if (Put == 0)
            break;
        Done += Put;
    }
    return Done;
}

void TFileStream::Flush()
{
    if (::fsync(FHandle) != 0 && errno != EINVAL) {   // EINVAL: a file that cannot be synced
        int Error = errno;
        throw EWriteError("Cannot write file \"" + FFileName + "\". " + SystemErrorText(Error), Error);
    }
}

int64_t TFileStream::Seek(int64_t AOffset, TSeekOrigin AOrigin)
{
    int Whence = AOrigin == soBeginning ? SEEK_SET : (AOrigin == soCurrent ? SEEK_CUR : SEEK_END);
    return ::lseek(FHandle, AOffset, Whence);
}

int64_t TFileStream::Size()
{
    struct stat Info {};
    return ::fstat(FHandle, &Info) == 0 ? Info.st_size : 0;
}

void TFileStream::SetSize(int64_t ANewSize)
{
    if (::ftruncate(FHandle, ANewSize) != 0) {
        int Error = errno;
        throw EStreamError("Cannot resize file \"" + FFileName + "\". " + SystemErrorText(Error), Error);
    }
    if (Position() > ANewSize)
        SetPosition(ANewSize);
}
