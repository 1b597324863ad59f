// XCore.IO.cpp: path-macro expansion and the file helpers.
#include "XCore.IO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <climits>
#include <mutex>
#include <sstream>

#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Rtl.SysUtils.h"
#include "Rtl.System.h"
#include "XCore.App.h"
#include "XCore.Strings.h"

namespace {

std::vector<TXPathMacroExpander>& Expanders()
{
    static std::vector<TXPathMacroExpander> List;
    return List;
}

// Removes every AMacro; true when there was one.
bool RemoveMacro(String& AText, std::string_view AMacro)
{
    bool Found = false;
    for (size_t At; (At = AText.find(AMacro)) != String::npos; Found = true)
        AText.erase(At, AMacro.size());
    return Found;
}

// In each line that holds AMacro, the part after its first occurrence is replaced by
// AConvert of it; the lines are joined with CR LF and the result trimmed.
template <class TConvert>
String ConvertLinesAfter(const String& AText, std::string_view AMacro, TConvert AConvert)
{
    std::vector<String> Lines;
    size_t Start = 0;
    while (Start <= AText.size()) {
        size_t End = AText.find_first_of("\r\n", Start);
        if (End == String::npos) {
            Lines.push_back(AText.substr(Start));
            break;
        }
        Lines.push_back(AText.substr(Start, End - Start));
        Start = End + (AText.compare(End, 2, "\r\n") == 0 ? 2 : 1);
    }
    String Result;
    for (size_t I = 0; I < Lines.size(); ++I) {
        String& Line = Lines[I];
        if (size_t At = Line.find(AMacro); At != String::npos)
            Line = Line.substr(0, At) + AConvert(Line.substr(At + AMacro.size()));
        Result += (I == 0 ? "" : "\r\n") + Line;
    }
    return Trim(Result);
}

// The core application's date and time as days, ".", and ten-thousandths of the day, neither
// padded: midday of day 41000 is "41000.5000", 00:30 of it "41000.208". Names made with it
// may be stored, so the form stays.
String NowText()
{
    TXNVCoreApp* App = NVCoreApp();
    double Time = App->Time();
    return IntToStr(static_cast<int64_t>(std::trunc(double(App->Date())))) + "."
           + IntToStr(static_cast<int64_t>((Time - std::trunc(Time)) * 10000));
}

// What a folder walk lists: FIFOs, sockets and devices are no data files (opening a FIFO
// would wait for a writer), and a walk that went down linked folders could loop for ever.
enum TNameKind { nkFiles, nkFolders, nkRealFolders };

bool IsOfKind(const TSearchEntry& AEntry, TNameKind AKind)
{
    switch (AKind) {
    case nkFiles:
        return AEntry.IsFile;
    case nkFolders:
        return AEntry.IsDirectory;
    case nkRealFolders:
        return AEntry.IsDirectory && !AEntry.IsLink;
    }
    return false;
}

std::vector<String> SortedNames(const String& AFolder, TNameKind AKind, const String& AMask)
{
    std::vector<String> Names;
    for (const TSearchEntry& Entry : ListDirectory(AFolder))
        if (IsOfKind(Entry, AKind) && MatchesMask(Entry.Name, AMask))
            Names.push_back(Entry.Name);
    std::sort(Names.begin(), Names.end(), [](const String& A, const String& B) { return CompareText(A, B) < 0; });
    return Names;
}

}  // namespace

void RegisterPathMacroExpander(TXPathMacroExpander AExpander)
{
    auto& List = Expanders();
    if (std::find(List.begin(), List.end(), AExpander) == List.end())
        List.push_back(AExpander);
}

void UnregisterPathMacroExpander(TXPathMacroExpander AExpander)
{
    auto& List = Expanders();
    List.erase(std::remove(List.begin(), List.end(), AExpander), List.end());
}

String ExpandPathMacros(const String& AText)
{
    String Result = AText;
    for (const TXPathMacroExpander& Expander : Expanders())
        Result = Expander(Result);
    if (Result.find('<') == String::npos)
        return Result;
    // Before start-up there is no core application, hence no "now": the macro stays.
    if (Result.find("<now>") != String::npos && NVCoreApp() != nullptr)
        Result = ReplaceAll("<now>", NowText(), Result);
    if (RemoveMacro(Result, "<low>"))
        Result = LowerCase(Result);
    if (RemoveMacro(Result, "<up>"))
        Result = UpperCase(Result);
    if (Result.find("<short>") != String::npos)
        Result = ConvertLinesAfter(Result, "<short>", [](const String& APath) { return ExtractShortPathName(APath); });
    if (Result.find("<reg>") != String::npos)
        Result = ConvertLinesAfter(Result, "<reg>", [](const String& AName) { return SanitizeIdentifier(AName); });
    return Result;
}

bool IsSameFileName(const String& A, const String& B)
{
    return NativePath(A) == NativePath(B);
}

bool FileOrDirExists(const String& AName)
{
    return FileExists(AName) || DirectoryExists(AName);
}

String AddPathDelimiter(const String& APath)
{
    return IncludeTrailingPathDelimiter(APath);
}

String GetFilePath(const String& AFileName)
{
    return ExtractFilePath(AFileName);
}

bool TryForceDirectories(const String& AFolder)
{
    try {
        return ForceDirectories(AFolder);
    } catch (...) {
        return false;
    }
}

// A caption may hold anything ("..\\..", "a/b", a control character): it becomes one plain
// name inside ABase, cut to leave room for a number. mkdir refuses every name that is taken,
// also by a file or a link, so no folder is ever made through a link planted at the name.
String CreateNumberedDirectory(const String& ABase, const String& AName)
{
    constexpr int kMaxNumber = 100000;
    String Prefix = AddPathDelimiter(ABase) + MakePlainFileName(AName, NAME_MAX - 6);
    if (!TryForceDirectories(ABase))
        return String();
    for (int N = 0; N <= kMaxNumber; ++N) {
        String Candidate = N == 0 ? Prefix : Prefix + IntToStr(N);
        if (::mkdir(NativePath(Candidate).c_str(), 0777) == 0)
            return Candidate;
        if (errno != EEXIST)
            return String();
    }
    return String();
}

void TryDeleteDirectory(const String& AFolder, bool ARecursive)
{
    try {
        ARecursive ? RemoveDirRecursive(AFolder) : RemoveDir(AFolder);
    } catch (...) {
    }
}

bool IsDirectoryWritable(const String& AFolder)
{
    if (!TryForceDirectories(AFolder))
        return false;
    String Probe = GetUniqueFileName(AddPathDelimiter(AFolder) + "tmp.tmp");
    if (Probe.empty())
        return false;
    int Handle = ::open(NativePath(Probe).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    bool Writable = Handle >= 0;
    if (Writable)
        ::close(Handle);
    DeleteFile(Probe);
    return Writable;
}

bool DirExists(const String& AFolder)
{
    return DirectoryExists(AFolder);
}

void AddDirFiles(const String& AFolder, const String& AMask, TStrings* AList, bool ARecursive)
{
    if (!DirExists(AFolder))
        return;
    String Folder = AddPathDelimiter(AFolder);
    for (const String& Name : SortedNames(Folder, nkFiles, AMask))
        AList->Add(Folder + Name);
    if (ARecursive)
        for (const String& Name : SortedNames(Folder, nkRealFolders, "*"))
            AddDirFiles(Folder + Name, AMask, AList, true);
}

void GetDirFiles(const String& AFolder, const String& AMask, TStrings* AList, bool ARecursive)
{
    AList->Clear();
    AddDirFiles(AFolder, AMask, AList, ARecursive);
}

void AddSubDirs(const String& AFolder, TStrings* AList)
{
    for (const String& Name : SortedNames(AFolder, nkFolders, "*"))
        AList->Add(Name + PathDelim);
}

void GetSubDirs(const String& AFolder, TStrings* AList)
{
    AList->Clear();
    AddSubDirs(AFolder, AList);
}

String GetUniqueFileName(const String& AFileName)
{
    TryForceDirectories(GetFilePath(AFileName));
    if (!FileOrDirExists(AFileName))
        return AFileName;
    String Extension = ExtractFileExt(AFileName);
    String Stem = AFileName.substr(0, AFileName.size() - Extension.size());
    for (int N = 1; N < INT_MAX; ++N) {
        String Candidate = Stem + IntToStr(N) + Extension;
        if (!FileOrDirExists(Candidate))
            return Candidate;
    }
    return String();
}

bool ForceDeleteFile(const String& AFileName)
{
    if (!FileExists(AFileName))
        return true;
    FileSetReadOnly(AFileName, false);
    return DeleteFile(AFileName);
}

bool DeleteFileWithRetry(const String& AFileName)
{
    for (int Attempt = 0; Attempt < 101; ++Attempt) {
        if (FileExists(AFileName)) {
            FileSetReadOnly(AFileName, false);
            DeleteFile(AFileName);
        }
        if (!FileExists(AFileName))
            return true;
        Sleep(100);
    }
    return false;
}

String MakeFilterItem(const String& ADescription, const String& AMask)
{
    return ADescription + " (" + AMask + ")|" + AMask;
}

String MakeFilterItemMasks(const String& ADescription, const std::vector<String>& AMasks)
{
    String Masks;
    for (size_t I = 0; I < AMasks.size(); ++I)
        Masks += (I == 0 ? "" : ";") + AMasks[I];
    return MakeFilterItem(ADescription, Masks);
}
