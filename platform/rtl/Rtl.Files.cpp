// Rtl.Files.cpp: file names and the file system, over std::filesystem and POSIX.
#include "Rtl.Files.h"

#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
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
        Result.push_back({It->path().filename().string(), It->is_directory(KindError)});
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
