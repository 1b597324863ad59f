// Rtl.Files.cpp: file names and the file system, over std::filesystem and POSIX.
#include "Rtl.Files.h"

#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <filesystem>
#include <system_error>

#include "Rtl.SysUtils.h"

namespace fs = std::filesystem;

namespace {

String SlashPath(std::string_view AFileName)
{
    String Result(AFileName);
    for (char& C : Result)
        if (C == '\\')
            C = '/';
    return Result;
}

bool PathExists(const String& APath)
{
    struct stat Info;
    return ::stat(APath.c_str(), &Info) == 0;
}

// Index of the last delimiter, or npos.
size_t LastDelimiter(std::string_view AFileName)
{
    return AFileName.find_last_of("\\/");
}

bool MatchFrom(std::string_view AName, std::string_view AMask)
{
    while (!AMask.empty()) {
        if (AMask.front() == '*') {
            AMask.remove_prefix(1);
            for (size_t Skip = 0; Skip <= AName.size(); ++Skip)
                if (MatchFrom(AName.substr(Skip), AMask))
                    return true;
            return false;
        }
        if (AName.empty())
            return false;
        if (AMask.front() != '?' && CompareText(AMask.substr(0, 1), AName.substr(0, 1)) != 0)
            return false;
        AMask.remove_prefix(1);
        AName.remove_prefix(1);
    }
    return AName.empty();
}

}  // namespace

bool IsPathDelimiter(char AChar)
{
    return AChar == '/' || AChar == '\\';
}

String NativePath(std::string_view AFileName)
{
    String Path = SlashPath(AFileName);
    constexpr std::string_view Exe = ".exe";
    if (Path.size() > Exe.size() && CompareText(std::string_view(Path).substr(Path.size() - Exe.size()), Exe) == 0
        && !PathExists(Path)) {
        String Stem = Path.substr(0, Path.size() - Exe.size());
        if (PathExists(Stem))
            return Stem;
    }
    return Path;
}

String ExtractFilePath(std::string_view AFileName)
{
    size_t At = LastDelimiter(AFileName);
    return At == std::string_view::npos ? String() : String(AFileName.substr(0, At + 1));
}

String ExtractFileName(std::string_view AFileName)
{
    size_t At = LastDelimiter(AFileName);
    return String(At == std::string_view::npos ? AFileName : AFileName.substr(At + 1));
}

String ExtractFileExt(std::string_view AFileName)
{
    size_t Dot = AFileName.find_last_of(".\\/");
    if (Dot == std::string_view::npos || AFileName[Dot] != '.')
        return String();
    return String(AFileName.substr(Dot));
}

String ChangeFileExt(std::string_view AFileName, std::string_view AExtension)
{
    size_t Length = AFileName.size() - ExtractFileExt(AFileName).size();
    return String(AFileName.substr(0, Length)) + String(AExtension);
}

String IncludeTrailingPathDelimiter(std::string_view APath)
{
    if (!APath.empty() && IsPathDelimiter(APath.back()))
        return String(APath);
    return String(APath) + PathDelim;
}

String ExcludeTrailingPathDelimiter(std::string_view APath)
{
    if (APath.size() > 1 && IsPathDelimiter(APath.back()))
        APath.remove_suffix(1);
    return String(APath);
}

String ExtractShortPathName(std::string_view AFileName)
{
    return String(AFileName);
}

bool FileExists(std::string_view AFileName)
{
    struct stat Info;
    return !AFileName.empty() && ::stat(NativePath(AFileName).c_str(), &Info) == 0 && !S_ISDIR(Info.st_mode);
}

bool DirectoryExists(std::string_view AFolder)
{
    struct stat Info;
    return !AFolder.empty() && ::stat(SlashPath(AFolder).c_str(), &Info) == 0 && S_ISDIR(Info.st_mode);
}

bool ForceDirectories(std::string_view AFolder)
{
    if (AFolder.empty())
        return false;
    std::error_code Error;
    fs::create_directories(fs::path(SlashPath(AFolder)), Error);
    return DirectoryExists(AFolder);
}

bool DeleteFile(std::string_view AFileName)
{
    String Path = NativePath(AFileName);
    struct stat Info;
    return ::lstat(Path.c_str(), &Info) == 0 && !S_ISDIR(Info.st_mode) && ::unlink(Path.c_str()) == 0;
}

bool RenameFile(std::string_view AOldName, std::string_view ANewName)
{
    return ::rename(NativePath(AOldName).c_str(), SlashPath(ANewName).c_str()) == 0;
}

bool RemoveDir(std::string_view AFolder)
{
    return ::rmdir(SlashPath(AFolder).c_str()) == 0;
}

bool RemoveDirRecursive(std::string_view AFolder)
{
    if (!DirectoryExists(AFolder))
        return false;
    std::error_code Error;
    fs::remove_all(fs::path(SlashPath(AFolder)), Error);
    return !Error;
}

bool FileIsReadOnly(std::string_view AFileName)
{
    struct stat Info;
    return ::stat(NativePath(AFileName).c_str(), &Info) == 0 && (Info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool FileSetReadOnly(std::string_view AFileName, bool AReadOnly)
{
    String Path = NativePath(AFileName);
    struct stat Info;
    if (::stat(Path.c_str(), &Info) != 0)
        return false;
    mode_t Mode = Info.st_mode & 07777;
    // Making a file writable gives write access to its owner only, as a fresh file has.
    Mode = AReadOnly ? (Mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (Mode | S_IWUSR);
    return ::chmod(Path.c_str(), Mode) == 0;
}

std::vector<TSearchEntry> ListDirectory(std::string_view AFolder)
{
    std::vector<TSearchEntry> Result;
    std::error_code Error;
    fs::directory_iterator It(fs::path(SlashPath(AFolder)), Error);
    for (; !Error && It != fs::directory_iterator(); It.increment(Error)) {
        std::error_code KindError;
        Result.push_back({It->path().filename().string(), It->is_directory(KindError),
                          It->is_regular_file(KindError), It->is_symlink(KindError)});
    }
    return Result;
}

bool MatchesMask(std::string_view AName, std::string_view AMask)
{
    if (AMask == "*.*")
        return true;
    return MatchFrom(AName, AMask);
}

String SystemErrorText(int AError)
{
    return std::strerror(AError);
}

int OpenDataFile(const String& APath, int AFlags, unsigned APermissions)
{
    int Handle = ::open(APath.c_str(), AFlags | O_NONBLOCK | O_CLOEXEC, APermissions);
    if (Handle < 0)
        return -1;
    struct stat Info;
    int Error = 0;
    if (::fstat(Handle, &Info) != 0)
        Error = errno;
    else if (S_ISDIR(Info.st_mode))
        Error = EISDIR;
    else if (!S_ISREG(Info.st_mode) && !S_ISBLK(Info.st_mode))
        Error = ESPIPE;
    else if (::fcntl(Handle, F_SETFL, ::fcntl(Handle, F_GETFL) & ~O_NONBLOCK) != 0)
        Error = errno;
    if (Error != 0) {
        ::close(Handle);
        errno = Error;
        return -1;
    }
    return Handle;
}

String DataFileErrorText(int AError)
{
    return AError == ESPIPE ? String("It is not a regular file.") : SystemErrorText(AError);
}

namespace {

// AFileName opened with OpenDataFile and read to its end, at most ALimit bytes; a regular file
// only when ARegularOnly. Raises EFOpenError or EReadError with the reason.
String ReadDataFile(const String& AFileName, int64_t ALimit, bool ARegularOnly)
{
    int File = OpenDataFile(NativePath(AFileName), O_RDONLY);
    struct stat Info {};
    if (File >= 0 && ARegularOnly && (::fstat(File, &Info) != 0 || !S_ISREG(Info.st_mode))) {
        ::close(File);
        File = -1;
        errno = ESPIPE;
    }
    if (File < 0) {
        int Error = errno;
        throw EFOpenError("Cannot open file \"" + AFileName + "\". " + DataFileErrorText(Error), Error);
    }
    String Result;
    if (::fstat(File, &Info) == 0 && S_ISREG(Info.st_mode) && Info.st_size <= ALimit)
        Result.reserve(static_cast<size_t>(Info.st_size));
    char Buffer[16384];
    for (;;) {
        ssize_t Read = ::read(File, Buffer, sizeof Buffer);
        if (Read < 0 && errno == EINTR)
            continue;
        if (Read < 0) {
            int Error = errno;
            ::close(File);
            throw EReadError("Cannot read file \"" + AFileName + "\". " + SystemErrorText(Error), Error);
        }
        if (Read == 0)
            break;
        if (static_cast<int64_t>(Result.size()) + Read > ALimit) {
            ::close(File);
            throw EReadError("Cannot read file \"" + AFileName + "\". It is larger than " + IntToStr(ALimit)
                                 + " bytes.",
                             EFBIG);
        }
        Result.append(Buffer, static_cast<size_t>(Read));
    }
    ::close(File);
    return Result;
}

}  // namespace

TBytes ReadFileBytes(const String& AFileName)
{
    String Bytes = ReadDataFile(AFileName, std::numeric_limits<int64_t>::max(), false);
    return TBytes(Bytes.begin(), Bytes.end());
}

String ReadSmallFile(const String& AFileName, int64_t ALimit)
{
    return ReadDataFile(AFileName, ALimit, true);
}
