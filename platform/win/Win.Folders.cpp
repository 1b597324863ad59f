// Win.Folders.cpp: XDG folders and Windows environment names.
#include "Win.Folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"

namespace {

String EnvironmentValue(const char* AName)
{
    const char* Value = std::getenv(AName);
    return Value != nullptr ? String(Value) : String();
}

String HomeFolder()
{
    String Home = EnvironmentValue("HOME");
    if (Home.empty()) {
        if (const passwd* Entry = ::getpwuid(::getuid()); Entry != nullptr && Entry->pw_dir != nullptr)
            Home = Entry->pw_dir;
    }
    return Home.empty() ? String("/") : IncludeTrailingPathDelimiter(Home);
}

// An XDG base directory: the variable when it holds an absolute path, else $HOME + ADefault.
String BaseFolder(const char* AVariable, const char* ADefault)
{
    String Value = EnvironmentValue(AVariable);
    if (!Value.empty() && Value.front() == '/')
        return IncludeTrailingPathDelimiter(Value);
    return HomeFolder() + ADefault;
}

// A line XDG_PICTURES_DIR="$HOME/Pictures" of user-dirs.dirs: the path, with $HOME expanded.
String UserDirFromFile(const String& AKey)
{
    std::istringstream File;
    try {
        File.str(ReadSmallFile(GetUserConfigFolder() + "user-dirs.dirs"));
    } catch (const EStreamError&) {
        return String();   // missing, or no regular file: a FIFO must not stop the program
    }
    String Line;
    String Prefix = AKey + "=\"";
    while (std::getline(File, Line)) {
        if (Line.compare(0, Prefix.size(), Prefix) != 0 || Line.back() != '"')
            continue;
        String Path = Line.substr(Prefix.size(), Line.size() - Prefix.size() - 1);
        if (Path.compare(0, 5, "$HOME") == 0)
            Path = ExcludeTrailingPathDelimiter(HomeFolder()) + Path.substr(5);
        return Path.empty() || Path.front() != '/' ? String() : Path;
    }
    return String();
}

// An XDG user directory: the environment, else user-dirs.dirs, else $HOME/ADefault.
String UserFolder(const char* AKey, const char* ADefault)
{
    String Path = EnvironmentValue(AKey);
    if (Path.empty() || Path.front() != '/')
        Path = UserDirFromFile(AKey);
    if (Path.empty())
        Path = HomeFolder() + ADefault;
    return IncludeTrailingPathDelimiter(Path);
}

String SpecialFolder(int ACsidl)
{
    switch (ACsidl) {
    case CSIDL_DESKTOP: return UserFolder("XDG_DESKTOP_DIR", "Desktop");
    case CSIDL_PERSONAL: return UserFolder("XDG_DOCUMENTS_DIR", "Documents");
    case CSIDL_MYMUSIC: return UserFolder("XDG_MUSIC_DIR", "Music");
    case CSIDL_MYPICTURES: return UserFolder("XDG_PICTURES_DIR", "Pictures");
    case CSIDL_APPDATA: return GetUserConfigFolder();
    case CSIDL_LOCAL_APPDATA: return BaseFolder("XDG_DATA_HOME", ".local/share/");
    case CSIDL_PROFILE: return HomeFolder();
    case CSIDL_WINDOWS: return GetWindowsDirectory();
    case CSIDL_SYSTEM: return GetSystemDirectory();
    case CSIDL_PROGRAM_FILES: return "/opt/";
    default: return String();
    }
}

// The value of a Windows environment name that Linux does not set.
String WindowsVariable(const String& AName)
{
    if (SameText(AName, "APPDATA"))
        return ExcludeTrailingPathDelimiter(SpecialFolder(CSIDL_APPDATA));
    if (SameText(AName, "LOCALAPPDATA"))
        return ExcludeTrailingPathDelimiter(SpecialFolder(CSIDL_LOCAL_APPDATA));
    if (SameText(AName, "USERPROFILE") || SameText(AName, "HOMEPATH"))
        return ExcludeTrailingPathDelimiter(HomeFolder());
    if (SameText(AName, "HOMEDRIVE"))
        return String();
    if (SameText(AName, "ProgramFiles"))
        return "/opt";
    if (SameText(AName, "SystemRoot") || SameText(AName, "windir"))
        return ExcludeTrailingPathDelimiter(GetWindowsDirectory());
    if (SameText(AName, "TEMP") || SameText(AName, "TMP"))
        return ExcludeTrailingPathDelimiter(GetTempPath());
    if (SameText(AName, "USERNAME"))
        return GetUserName();
    if (SameText(AName, "COMPUTERNAME"))
        return GetComputerName();
    return "%" + AName + "%";   // unknown: left as it is, as Windows does
}

}  // namespace

String GetModuleFileName()
{
    char Buffer[PATH_MAX];
    ssize_t Length = ::readlink("/proc/self/exe", Buffer, sizeof Buffer);
    return Length > 0 ? String(Buffer, static_cast<size_t>(Length)) : String();
}

String GetWindowsDirectory()
{
    return "/usr/share/";
}

String GetSystemDirectory()
{
    return "/usr/lib/";
}

String GetTempPath()
{
    String Value = EnvironmentValue("TMPDIR");
    return IncludeTrailingPathDelimiter(Value.empty() || Value.front() != '/' ? String("/tmp") : Value);
}

String SHGetSpecialFolderPath(int ACsidl, bool ACreate)
{
    String Folder = SpecialFolder(ACsidl);
    if (Folder.empty() || DirectoryExists(Folder))
        return Folder;
    return ACreate && ForceDirectories(Folder) ? Folder : String();
}

String ExpandEnvironmentStrings(const String& AText)
{
    String Result;
    size_t At = 0;
    while (At < AText.size()) {
        size_t Open = AText.find('%', At);
        size_t Close = Open == String::npos ? String::npos : AText.find('%', Open + 1);
        if (Close == String::npos) {
            Result += AText.substr(At);
            break;
        }
        Result += AText.substr(At, Open - At);
        String Name = AText.substr(Open + 1, Close - Open - 1);
        const char* Value = Name.empty() ? nullptr : std::getenv(Name.c_str());
        Result += Value != nullptr ? String(Value) : (Name.empty() ? String("%%") : WindowsVariable(Name));
        At = Close + 1;
    }
    return Result;
}

String GetComputerName()
{
    char Buffer[HOST_NAME_MAX + 1] = {};
    if (::gethostname(Buffer, sizeof Buffer - 1) != 0)
        return String();
    return Buffer;
}

String GetUserName()
{
    if (const passwd* Entry = ::getpwuid(::geteuid()); Entry != nullptr && Entry->pw_name != nullptr)
        return Entry->pw_name;
    return EnvironmentValue("USER");
}

String GetUserConfigFolder()
{
    return BaseFolder("XDG_CONFIG_HOME", ".config/");
}

String GetUserRuntimeFolder()
{
    String Runtime = EnvironmentValue("XDG_RUNTIME_DIR");
    if (!Runtime.empty() && Runtime.front() == '/' && DirectoryExists(Runtime))
        return IncludeTrailingPathDelimiter(Runtime);
    // A folder in the shared temporary folder is ours only when we own it and it is no link:
    // another user could have made it first.
    String Private = GetTempPath() + "nv-runtime-" + UIntToStr(::geteuid()) + "/";
    ::mkdir(Private.c_str(), 0700);
    struct stat Info;
    if (::lstat(Private.c_str(), &Info) == 0 && S_ISDIR(Info.st_mode) && Info.st_uid == ::geteuid())
        return Private;
    String Fallback = GetUserConfigFolder() + "runtime/";
    ForceDirectories(Fallback);
    return Fallback;
}

String RuntimeFileName(const String& APrefix, const String& AName, const String& ASuffix, size_t AMaxEncoded)
{
    String Result;
    for (unsigned char C : AName) {
        if (std::isalnum(C) || C == '-' || C == '_' || C == '.') {
            Result += static_cast<char>(C);
        } else {
            char Hex[4];
            std::snprintf(Hex, sizeof Hex, "%%%02X", C);
            Result += Hex;
        }
    }
    if (Result.size() > AMaxEncoded) {
        uint64_t Hash = 14695981039346656037ull;   // FNV-1a, 64 bits
        for (unsigned char C : AName)
            Hash = (Hash ^ C) * 1099511628211ull;
        char Tail[20];
        std::snprintf(Tail, sizeof Tail, "#%016llx", static_cast<unsigned long long>(Hash));
        Result = Result.substr(0, AMaxEncoded) + Tail;
    }
    return GetUserRuntimeFolder() + APrefix + Result + ASuffix;
}
