// Rtl.SafeFiles.cpp: temporary files renamed over their targets, exclusive creation and
// untrusted names, over POSIX.
#include "Rtl.SafeFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"

namespace {

// Numbered names tried before creation gives up: past this, something is wrong with the folder.
constexpr int kMaxNumberedNames = 100000;
// Links followed to a save's real target, as the kernel's own limit.
constexpr int kMaxLinkDepth = 40;

[[noreturn]] void RaiseCreateError(const String& AFileName, int AError)
{
    throw EFCreateError("Cannot create file \"" + AFileName + "\". " + SystemErrorText(AError), AError);
}

[[noreturn]] void RaiseWriteError(const String& AFileName, int AError)
{
    throw EWriteError("Cannot write file \"" + AFileName + "\". " + SystemErrorText(AError), AError);
}

// The file a link (or a chain of them) names; APath itself when it is no link. A link that
// leads nowhere answers where it leads, so that a save creates the file there as an open would.
String FollowLinks(const String& APath)
{
    String Path = APath;
    for (int Depth = 0; Depth < kMaxLinkDepth; ++Depth) {
        struct stat Info;
        if (::lstat(Path.c_str(), &Info) != 0 || !S_ISLNK(Info.st_mode))
            return Path;
        char Buffer[PATH_MAX];
        ssize_t Length = ::readlink(Path.c_str(), Buffer, sizeof Buffer - 1);
        if (Length < 0)
            return Path;
        String Link(Buffer, static_cast<size_t>(Length));
        Path = !Link.empty() && Link[0] == '/' ? Link : ExtractFilePath(Path) + Link;
    }
    RaiseCreateError(APath, ELOOP);
}

// "<target>.~tmp", with the target's name cut so that numbered forms still fit a name's limit.
String TempFileName(const String& ATargetPath)
{
    constexpr size_t kRoom = NAME_MAX - kTempFileSuffix.size() - 6;   // six digits of numbering
    return ExtractFilePath(ATargetPath) + MakePlainFileName(ExtractFileName(ATargetPath), kRoom)
           + String(kTempFileSuffix);
}

// A failed sync of the folder leaves the rename possibly unwritten; file systems that cannot
// sync a folder say EINVAL, which is no failure.
void SyncFolder(const String& AFileName, const String& AShownName)
{
    String Folder = ExtractFilePath(AFileName);
    int Handle = ::open(Folder.empty() ? "." : Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (Handle < 0)
        return;
    int Error = ::fsync(Handle) == 0 ? 0 : errno;
    ::close(Handle);
    if (Error != 0 && Error != EINVAL)
        RaiseWriteError(AShownName, Error);
}

// Gives ASource the name ATarget unless ATarget exists: 0, EEXIST or another errno. Falls back
// to link and unlink, then to a checked rename, where the file system cannot refuse to replace.
int RenameNoReplace(const String& ASource, const String& ATarget)
{
    if (::renameat2(AT_FDCWD, ASource.c_str(), AT_FDCWD, ATarget.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(ASource.c_str(), ATarget.c_str()) == 0) {
        ::unlink(ASource.c_str());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return errno;
    // FAT takes no links: what is left has a moment in which another writer could slip in.
    struct stat Info;
    if (::lstat(ATarget.c_str(), &Info) == 0)
        return EEXIST;
    return ::rename(ASource.c_str(), ATarget.c_str()) == 0 ? 0 : errno;
}

}  // namespace

// ---- TSafeFileStream ---------------------------------------------------------------------

void TSafeFileStream::Construct(const String& ATarget, TSafeSaveMode AMode)
{
    FTargetName = ATarget;
    FMode = AMode;
    FTargetPath = NativePath(ATarget);
    unsigned Permissions = 0666;
    struct stat Old;
    bool Replacing = false;
    if (AMode != ssNewFile) {
        if (AMode == ssReplace)
            FTargetPath = FollowLinks(FTargetPath);
        if (::lstat(FTargetPath.c_str(), &Old) == 0) {
            if (S_ISDIR(Old.st_mode))
                RaiseCreateError(ATarget, EISDIR);
            // Private until it has the old file's permissions: it may hold what they protect.
            Replacing = S_ISREG(Old.st_mode);
            if (Replacing)
                Permissions = 0600;
        }
    }
    FTempPath = TempFileName(FTargetPath);
    int Handle = CreateNewFile(FTempPath, Permissions);
    Adopt(Handle, ATarget);   // failures name the user's file, not ours
    if (Replacing && ::fchmod(Handle, Old.st_mode & 07777) != 0) {
        int Error = errno;
        Abandon();
        RaiseCreateError(ATarget, Error);
    }
    // The lock tells a running save's file from one that a crash left behind.
    (void)::flock(Handle, LOCK_EX | LOCK_NB);
}

TSafeFileStream::~TSafeFileStream()
{
    if (!FCommitted)
        Abandon();
}

void TSafeFileStream::Abandon()
{
    bool WasOpen = Handle() >= 0;
    CloseHandle();
    if (WasOpen)
        ::unlink(FTempPath.c_str());
}

void TSafeFileStream::Commit()
{
    if (FCommitted || Handle() < 0)
        throw EInvalidOperation("Cannot commit file \"" + FTargetName + "\": it is not open");
    try {
        Flush();
    } catch (...) {
        Abandon();
        throw;
    }
    if (int Error = CloseHandle(); Error != 0) {
        ::unlink(FTempPath.c_str());
        RaiseWriteError(FTargetName, Error);
    }
    if (FMode == ssNewFile) {
        CommitNewFile();
    } else if (::rename(FTempPath.c_str(), FTargetPath.c_str()) != 0) {
        int Error = errno;
        ::unlink(FTempPath.c_str());
        RaiseWriteError(FTargetName, Error);
    }
    FCommitted = true;
    SyncFolder(FTargetPath, FTargetName);
}

void TSafeFileStream::CommitNewFile()
{
    for (int Number = 0;; ++Number) {
        String Path = Number == 0 ? FTargetPath : NumberedFileName(FTargetPath, Number);
        int Error = RenameNoReplace(FTempPath, Path);
        if (Error == 0) {
            if (Number > 0) {
                FTargetName = NumberedFileName(FTargetName, Number);
                FTargetPath = Path;
            }
            return;
        }
        if (Error != EEXIST || Number == kMaxNumberedNames) {
            ::unlink(FTempPath.c_str());
            RaiseWriteError(FTargetName, Error);
        }
    }
}

// ---- Whole files and new files -----------------------------------------------------------

void SafeWriteFileBytes(const String& AFileName, const TBytes& ABytes)
{
    TOwned<TSafeFileStream> File = Owned(TSafeFileStream::Create(AFileName));
    File->WriteBuffer(ABytes.data(), static_cast<int64_t>(ABytes.size()));
    File->Commit();
}

String NumberedFileName(std::string_view AFileName, int ANumber)
{
    String Extension = ExtractFileExt(AFileName);
    return String(AFileName.substr(0, AFileName.size() - Extension.size())) + IntToStr(ANumber) + Extension;
}

int CreateNewFile(String& AFileName, unsigned APermissions)
{
    String First = NativePath(AFileName);
    for (int Number = 0;; ++Number) {
        String Path = Number == 0 ? First : NumberedFileName(First, Number);
        int Handle = ::open(Path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, APermissions);
        if (Handle >= 0) {
            if (Number > 0)
                AFileName = NumberedFileName(AFileName, Number);
            return Handle;
        }
        if (errno != EEXIST || Number == kMaxNumberedNames)
            RaiseCreateError(AFileName, errno);
    }
}

// ---- Untrusted names ---------------------------------------------------------------------

bool IsPlainFileName(std::string_view AName)
{
    if (AName.empty() || AName.size() > NAME_MAX || AName == "." || AName == "..")
        return false;
    for (char C : AName)
        if (static_cast<uint8_t>(C) < 0x20 || C == 0x7F || C == '/' || C == '\\')
            return false;
    return true;
}

String MakePlainFileName(std::string_view AName, size_t AMaxBytes)
{
    // An extension longer than this is no real one: it goes with the stem.
    constexpr size_t kLongestKeptExtension = 16;
    String Name(AName);
    for (char& C : Name)
        if (static_cast<uint8_t>(C) < 0x20 || C == 0x7F || C == '/' || C == '\\')
            C = '_';
    if (Name.empty() || Name == "." || Name == "..")
        Name = "_";
    if (Name.size() <= AMaxBytes)
        return Name;
    String Extension = ExtractFileExt(Name);
    if (Extension.size() > kLongestKeptExtension || Extension.size() >= AMaxBytes / 2)
        Extension.clear();
    size_t Cut = AMaxBytes - Extension.size();
    while (Cut > 0 && (static_cast<uint8_t>(Name[Cut]) & 0xC0) == 0x80)   // not inside a UTF-8 sequence
        --Cut;
    return Name.substr(0, Cut) + Extension;
}

String JoinUntrustedName(const String& ABase, std::string_view AName)
{
    if (!IsPlainFileName(AName))
        return String();
    String Result = IncludeTrailingPathDelimiter(ABase) + String(AName);
    struct stat Info;
    if (::lstat(NativePath(Result).c_str(), &Info) != 0 || !S_ISLNK(Info.st_mode))
        return Result;
    // A link planted under the name: it may only lead to somewhere inside ABase.
    char* Base = ::realpath(NativePath(ABase).c_str(), nullptr);
    char* Target = ::realpath(NativePath(Result).c_str(), nullptr);
    String Inside = Base != nullptr ? IncludeTrailingPathDelimiter(Base) : String();
    bool Stays = Base != nullptr && Target != nullptr && String(Target).starts_with(Inside);
    std::free(Base);
    std::free(Target);
    return Stays ? Result : String();
}

// ---- Stale temporary files ---------------------------------------------------------------

void RemoveStaleTempFiles(const String& AFolder)
{
    int Folder = ::open(NativePath(AFolder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (Folder < 0)
        return;
    DIR* Entries = ::fdopendir(Folder);
    if (Entries == nullptr) {
        ::close(Folder);
        return;
    }
    while (dirent* Entry = ::readdir(Entries)) {
        std::string_view Name = Entry->d_name;
        if (!Name.ends_with(kTempFileSuffix))
            continue;
        int File = ::openat(Folder, Entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (File < 0)
            continue;
        struct stat Info;
        if (::fstat(File, &Info) == 0 && S_ISREG(Info.st_mode) && ::flock(File, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(Folder, Entry->d_name, 0);
        ::close(File);
    }
    ::closedir(Entries);
}
