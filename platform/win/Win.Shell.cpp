// Win.Shell.cpp: starting programs and the desktop's opener with posix_spawn.
#include "Win.Shell.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <string_view>
#include <filesystem>
#include <mutex>
#include <thread>

#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"

extern char** environ;

namespace {

std::mutex GOpenerLock;
String GOpener = "xdg-open";

String Opener()
{
    std::lock_guard Guard(GOpenerLock);
    return GOpener;
}

// "http://...", "mailto:...": a scheme of two or more letters (one letter is a drive).
bool IsAddress(const String& AText)
{
    size_t Colon = AText.find(':');
    if (Colon == String::npos || Colon < 2)
        return false;
    for (size_t I = 0; I < Colon; ++I)
        if (!std::isalnum(static_cast<unsigned char>(AText[I])) && AText[I] != '+' && AText[I] != '-'
            && AText[I] != '.')
            return false;
    return true;
}

// The schemes a link may have: others ("file:", handlers of installed programs) could run
// or reach whatever the desktop maps them to.
bool IsOpenableAddress(const String& AText)
{
    for (std::string_view Scheme : {"http:", "https:", "mailto:"})
        if (AText.size() > Scheme.size() && SameText(AText.substr(0, Scheme.size()), String(Scheme)))
            return true;
    return false;
}

// A name in double quotes, with any quote inside it doubled ("a ""b"".txt").
String Unquoted(const String& AText)
{
    if (AText.size() < 2 || AText.front() != '"' || AText.back() != '"')
        return AText;
    String Text;
    for (size_t I = 1; I + 1 < AText.size(); ++I) {
        Text += AText[I];
        if (AText[I] == '"' && AText[I + 1] == '"' && I + 2 < AText.size())
            ++I;
    }
    return Text;
}

// Starts AArguments[0] (searched in PATH when it has no "/") and reaps it in the background.
intptr_t Spawn(const std::vector<String>& AArguments, const String& ADirectory)
{
    std::vector<char*> Argv;
    for (const String& Argument : AArguments)
        Argv.push_back(const_cast<char*>(Argument.c_str()));
    Argv.push_back(nullptr);
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    if (!ADirectory.empty())
        posix_spawn_file_actions_addchdir_np(&Actions, ADirectory.c_str());
    pid_t Child = 0;
    int Error = posix_spawnp(&Child, Argv[0], &Actions, nullptr, Argv.data(), environ);
    posix_spawn_file_actions_destroy(&Actions);
    if (Error != 0)
        return Error == EACCES ? SE_ERR_ACCESSDENIED : SE_ERR_FNF;
    std::thread([Child] { ::waitpid(Child, nullptr, 0); }).detach();
    return SE_SUCCESS;
}

}  // namespace

void SetShellOpener(const String& AProgram)
{
    std::lock_guard Guard(GOpenerLock);
    GOpener = AProgram.empty() ? String("xdg-open") : AProgram;
}

std::vector<String> SplitCommandLine(const String& ACommandLine)
{
    std::vector<String> Result;
    String Current;
    bool InArgument = false, Quoted = false;
    for (size_t I = 0; I < ACommandLine.size(); ++I) {
        char C = ACommandLine[I];
        if ((C == ' ' || C == '\t') && !Quoted) {
            if (InArgument)
                Result.push_back(std::move(Current));
            Current.clear();
            InArgument = false;
            continue;
        }
        InArgument = true;
        if (C == '\\') {
            size_t End = ACommandLine.find_first_not_of('\\', I);
            size_t Run = (End == String::npos ? ACommandLine.size() : End) - I;
            if (I + Run < ACommandLine.size() && ACommandLine[I + Run] == '"') {
                // 2n backslashes and a quote: n backslashes, the quote toggles; 2n+1: a literal quote.
                Current.append(Run / 2, '\\');
                if (Run % 2 == 1)
                    Current += '"';
                I += Run - (Run % 2 == 1 ? 0 : 1);
            } else {
                Current.append(Run, '\\');
                I += Run - 1;
            }
        } else if (C == '"') {
            if (Quoted && I + 1 < ACommandLine.size() && ACommandLine[I + 1] == '"') {
                Current += '"';   // "" inside quotes is a quote
                ++I;
            } else {
                Quoted = !Quoted;
            }
        } else {
            Current += C;
        }
    }
    if (InArgument)
        Result.push_back(std::move(Current));
    return Result;
}

namespace {

// The path AFile names, relative names taken from ADirectory; "" when AFile is empty.
String TargetPath(const String& AFile, const String& ADirectory)
{
    String Target = Unquoted(Trim(AFile));
    if (Target.empty())
        return Target;
    String Directory = ADirectory.empty() ? String() : NativePath(ADirectory);
    return NativePath(!Directory.empty() && !IsPathDelimiter(Target.front())
                          ? IncludeTrailingPathDelimiter(Directory) + Target
                          : Target);
}

// A program, a script or a desktop entry: the desktop's opener would run it (or start the
// program an entry names) rather than show it. Judged by what the desktop's MIME rules look
// at: the name's extension and the first bytes. A file that cannot be read is not vouched for.
bool IsRunnable(const String& APath)
{
    for (std::string_view Extension : {".desktop", ".kdelnk"})
        if (APath.size() > Extension.size()
            && SameText(std::string_view(APath).substr(APath.size() - Extension.size()), Extension))
            return true;
    int File = ::open(APath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (File < 0)
        return true;
    char Head[64];
    ssize_t Read = ::read(File, Head, sizeof Head);
    ::close(File);
    if (Read < 0)
        return true;
    std::string_view Text(Head, size_t(Read));
    for (std::string_view Magic : {"\x7F" "ELF", "#!", "MZ", "[Desktop Action", "[KDE Desktop Entry]"})
        if (Text.starts_with(Magic))
            return true;
    size_t Entry = Text.find("[Desktop Entry]");
    return Entry != std::string_view::npos && Entry <= 32;
}

}  // namespace

String ShellErrorText(intptr_t AResult)
{
    switch (AResult) {
    case SE_ERR_FNF:
        return "The file does not exist.";
    case SE_ERR_ACCESSDENIED:
        return "The file is a program or a desktop entry, or cannot be read: it is not opened as a document.";
    case SE_ERR_NOASSOC:
        return "No program is registered for this operation.";
    default:
        return AResult > 32 ? String() : "The desktop's opener could not be started.";
    }
}

intptr_t ShellExecute(const String& AVerb, const String& AFile, const String& AParameters, const String& ADirectory,
                      int /*AShowCmd*/)
{
    (void)AParameters;   // the opener takes the target alone
    bool Open = AVerb.empty() || SameText(AVerb, "open");
    if (!Open && !SameText(AVerb, "explore"))
        return SE_ERR_NOASSOC;
    String Target = Unquoted(Trim(AFile));
    if (IsAddress(Target))
        return Open && IsOpenableAddress(Target) ? Spawn({Opener(), Target}, String()) : SE_ERR_NOASSOC;
    String Path = TargetPath(AFile, ADirectory);
    struct stat Info;
    if (Path.empty() || ::stat(Path.c_str(), &Info) != 0)
        return SE_ERR_FNF;
    if (!Open && !S_ISDIR(Info.st_mode))
        return SE_ERR_NOASSOC;
    if (!S_ISDIR(Info.st_mode) && IsRunnable(Path))
        return SE_ERR_ACCESSDENIED;
    return Spawn({Opener(), Path}, String());
}

intptr_t ShellStartProgram(const String& AFile, const String& AParameters, const String& ADirectory)
{
    String Path = TargetPath(AFile, ADirectory);
    struct stat Info;
    if (Path.empty() || ::stat(Path.c_str(), &Info) != 0)
        return SE_ERR_FNF;
    if (!S_ISREG(Info.st_mode) || ::access(Path.c_str(), X_OK) != 0)
        return ShellExecute("open", AFile, String(), ADirectory, SW_SHOWNORMAL);
    std::vector<String> Arguments = SplitCommandLine(AParameters);
    // An absolute path, so that the working folder cannot change which file runs.
    if (!IsPathDelimiter(Path.front()))
        Path = IncludeTrailingPathDelimiter(std::filesystem::current_path().string()) + Path;
    Arguments.insert(Arguments.begin(), Path);
    return Spawn(Arguments, ADirectory.empty() ? String() : NativePath(ADirectory));
}
