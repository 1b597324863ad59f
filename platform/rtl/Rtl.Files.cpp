// Rtl.Files.cpp: file reading and safe saving over POSIX calls.
#include "Rtl.Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Rtl.SysUtils.h"

String NativePath(const String& AFileName)
{
    String Path = AFileName;
    std::replace(Path.begin(), Path.end(), '\\', '/');
    return Path;
}

String SystemErrorText(int AError)
{
    return std::strerror(AError);
}

bool FileExists(const String& AFileName)
{
    struct stat Info {};
    return ::stat(NativePath(AFileName).c_str(), &Info) == 0;
}

TBytes ReadFileBytes(const String& AFileName)
{
    int File = ::open(NativePath(AFileName).c_str(), O_RDONLY | O_CLOEXEC);
    if (File < 0)
        throw EFOpenError("Cannot open file \"" + AFileName + "\". " + SystemErrorText(errno));
    TBytes Result;
    uint8_t Buffer[65536];
    for (;;) {
        ssize_t Read = ::read(File, Buffer, sizeof Buffer);
        if (Read < 0 && errno == EINTR)
            continue;
        if (Read < 0) {
            int Error = errno;
            ::close(File);
            throw EReadError("Cannot read file \"" + AFileName + "\". " + SystemErrorText(Error));
        }
        if (Read == 0)
            break;
        Result.insert(Result.end(), Buffer, Buffer + Read);
    }
    ::close(File);
    return Result;
}

namespace {

bool WriteAll(int AFile, const TBytes& ABytes)
{
    size_t Written = 0;
    while (Written < ABytes.size()) {
        ssize_t Count = ::write(AFile, ABytes.data() + Written, ABytes.size() - Written);
        if (Count < 0 && errno == EINTR)
            continue;
        if (Count < 0)
            return false;
        Written += static_cast<size_t>(Count);
    }
    return ::fsync(AFile) == 0;
}

// A new temporary file beside APath; its name goes to ATempPath.
int CreateTempBeside(const String& APath, const String& AFileName, String& ATempPath)
{
    for (int Attempt = 0;; ++Attempt) {
        ATempPath = APath + (Attempt == 0 ? String() : "." + IntToStr(Attempt)) + ".tmp";
        int File = ::open(ATempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (File >= 0)
            return File;
        if (errno != EEXIST || Attempt == 99)
            throw EFCreateError("Cannot create file \"" + AFileName + "\". " + SystemErrorText(errno));
    }
}

}  // namespace

void SafeWriteFileBytes(const String& AFileName, const TBytes& ABytes)
{
    String Path = NativePath(AFileName);
    String TempPath;
    int File = CreateTempBeside(Path, AFileName, TempPath);
    struct stat Old;
    if (::stat(Path.c_str(), &Old) == 0)
        ::fchmod(File, Old.st_mode & 07777);   // keep a private file private
    bool Written = WriteAll(File, ABytes);
    int Error = errno;
    if (::close(File) != 0 && Written) {
        Written = false;
        Error = errno;
    }
    if (!Written) {
        ::unlink(TempPath.c_str());
        throw EWriteError("Cannot write file \"" + AFileName + "\". " + SystemErrorText(Error));
    }
    if (::rename(TempPath.c_str(), Path.c_str()) != 0) {
        Error = errno;
        ::unlink(TempPath.c_str());
        throw EFCreateError("Cannot create file \"" + AFileName + "\". " + SystemErrorText(Error));
    }
}
