// XPlatform.System.cpp: the system singleton, shell execution and item-id lists.
#include "XPlatform.System.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"
#include "Vcl.Application.h"
#include "Vcl.Screen.h"
#include "Win.Display.h"
#include "Win.Folders.h"
#include "Win.Shell.h"
#include "Win.Version.h"
#include "XCore.IO.h"
#include "XCore.Strings.h"

namespace {

TXNVSystem* GNVSystem = nullptr;

// An expanded environment text as a folder, or "" when it failed or left a "%" in it.
String ExpandedFolder(const String& AText)
{
    String Value = ExpandEnvironmentStrings(AText);
    return Value.empty() || Value.find('%') != String::npos ? String() : IncludeTrailingPathDelimiter(Value);
}

void ReplaceAll(String& AText, std::string_view AMacro, const String& AValue)
{
    for (size_t At = 0; (At = AText.find(AMacro, At)) != String::npos; At += AValue.size())
        AText.replace(At, AMacro.size(), AValue);
}

uint16_t ItemSize(const void* AItem)
{
    uint16_t Size;
    std::memcpy(&Size, AItem, sizeof Size);
    return Size;
}

}  // namespace

// ---- TXNVSystem --------------------------------------------------------------------------

void TXNVSystem::Initialize()
{
    RegisterPathMacroExpander(TXPathMacroExpander::Bind<&TXNVSystem::ExpandMacros>(this));
    FWindowsFolder = GetWindowsDirectory();
    FSystemFolder = GetSystemDirectory();
    FTempFolder = GetTempPath();
    FProgramFilesFolder = GetShellFolderPath(CSIDL_PROGRAM_FILES);
    if (FProgramFilesFolder.empty())
        FProgramFilesFolder = ExpandedFolder("%ProgramFiles%");
    // Home and application data fall back on My Documents, which comes later in the table:
    // it is asked for here rather than read from its field while that is still empty.
    FHomeFolder = ExpandedFolder("%HOMEDRIVE%%HOMEPATH%");
    if (FHomeFolder.empty())
        FHomeFolder = GetShellFolderPath(CSIDL_PERSONAL);
    FDesktopFolder = GetShellFolderPath(CSIDL_DESKTOP);
    FAppDataFolder = ExpandedFolder("%APPDATA%");
    if (FAppDataFolder.empty())
        FAppDataFolder = GetShellFolderPath(CSIDL_PERSONAL);
    FMyDocumentsFolder = GetShellFolderPath(CSIDL_PERSONAL);
    FMyMusicFolder = GetShellFolderPath(CSIDL_MYMUSIC);
    if (FMyMusicFolder.empty())
        FMyMusicFolder = FMyDocumentsFolder + "My Music\\";
    FMyPicturesFolder = GetShellFolderPath(CSIDL_MYPICTURES);
    if (FMyPicturesFolder.empty())
        FMyPicturesFolder = FMyDocumentsFolder + "My Pictures\\";
    FComputerName = GetComputerName();
    FUserName = GetUserName();
    FSecondProgramFilesFolder = GetUserProgramsFolder();
}

TXNVSystem::~TXNVSystem()
{
    UnregisterPathMacroExpander(TXPathMacroExpander::Bind<&TXNVSystem::ExpandMacros>(this));
}

String TXNVSystem::ExpandMacros(const String& AText)
{
    const std::pair<std::string_view, const String*> Macros[] = {
        {"<win>", &FWindowsFolder},     {"<sys>", &FSystemFolder},      {"<tmp>", &FTempFolder},
        {"<pf>", &FProgramFilesFolder}, {"<wpf>", &FSecondProgramFilesFolder}, {"<home>", &FHomeFolder},
        {"<desk>", &FDesktopFolder},    {"<appdata>", &FAppDataFolder}, {"<mydoc>", &FMyDocumentsFolder},
        {"<mymusic>", &FMyMusicFolder}, {"<mypictures>", &FMyPicturesFolder}, {"<com>", &FComputerName},
        {"<user>", &FUserName},
    };
    String Result = AText;
    for (const auto& [Macro, Value] : Macros)
        ReplaceAll(Result, Macro, *Value);
    return Result;
}

bool TXNVSystem::Execute(uint8_t AVerb, const String& AFileName, const String& AParameters, const String& ADirectory)
{
    static constexpr const char* Verbs[] = {"open", "print", "install", "explore"};
    if (AVerb >= std::size(Verbs))
        return false;
    return ShellExecute(Verbs[AVerb], EnsureQuoted(AFileName, '"'), AParameters, ADirectory, SW_SHOWNORMAL) > 32;
}

bool TXNVSystem::OpenLink(const String& ATarget)
{
    return Execute(0, ATarget, String(), String());
}

bool TXNVSystem::SendMail(const String& AAddress)
{
    return Execute(0, AAddress.find("mailto:") != String::npos ? AAddress : "mailto:" + AAddress, String(), String());
}

TXNVSystem* NVSystem()
{
    return GNVSystem;
}

void StartNVSystem(TClass ASystemClass)
{
    GNVSystem = ASystemClass != nullptr ? XCreateFromClass<TXNVSystem>(ASystemClass) : TXNVSystem::Create();
}

void StopNVSystem()
{
    FreeAndNil(GNVSystem);
}

// ---- Global functions --------------------------------------------------------------------

bool IsWindows8OrLater()
{
    TOSVersionInfo Version = GetOSVersion();
    return (Version.Major == 6 && Version.Minor >= 2) || Version.Major > 6;
}

bool IsWindows81OrLater()
{
    TOSVersionInfo Version = GetOSVersion();
    return (Version.Major == 6 && Version.Minor >= 3) || Version.Major > 6;
}

String GetShellFolderPath(int ACsidl)
{
    return SHGetSpecialFolderPath(ACsidl, true);
}

void AdjustScreenDpi()
{
    PROCESS_DPI_AWARENESS Awareness;
    if (!IsWindows81OrLater() || GetProcessDpiAwareness(nullptr, Awareness) != S_OK
        || Awareness != PROCESS_PER_MONITOR_DPI_AWARE)
        return;
    TMonitor* Primary = Screen->PrimaryMonitor();
    uint32_t DpiX, DpiY;
    if (Primary != nullptr && GetDpiForMonitor(Primary->Handle(), MDT_EFFECTIVE_DPI, DpiX, DpiY) == S_OK)
        Screen->SetPixelsPerInch(static_cast<int>(DpiY));
}

// ---- Top-level windows -------------------------------------------------------------------

bool EnumTopLevelWindow(HWND AWnd, LPARAM AParam)
{
    auto* Search = reinterpret_cast<TXWindowSearch*>(AParam);
    if (AWnd == Application->Handle())
        return true;
    if (!Search->ClassName.empty() && GetWindowClassText(AWnd) != Search->ClassName)
        return true;
    if (!Search->Caption.empty() && GetWindowCaptionText(AWnd) != Search->Caption)
        return true;
    Search->Handles.push_back(AWnd);
    return true;
}

// Windows' buffers of 301 characters, one of them the terminator.
String GetWindowClassText(HWND AWindow)
{
    return GetClassNameW(AWindow, 301);
}

String GetWindowCaptionText(HWND AWindow)
{
    return GetWindowTextW(AWindow, 301);
}

// ---- Item-id lists -----------------------------------------------------------------------

PItemIDList AllocItemIdList(size_t ASize)
{
    return static_cast<PItemIDList>(std::calloc(1, ASize == 0 ? 1 : ASize));
}

void FreeItemIdList(PItemIDList AList)
{
    std::free(AList);
}

size_t GetItemIdListSize(PItemIDList AList)
{
    if (AList == nullptr)
        return 0;
    size_t Size = 0;
    for (const char* Item = reinterpret_cast<const char*>(AList); ItemSize(Item) != 0; Item += ItemSize(Item))
        Size += ItemSize(Item);
    return Size + 2;
}

PItemIDList NextItemId(PItemIDList AItem)
{
    return reinterpret_cast<PItemIDList>(reinterpret_cast<char*>(AItem) + ItemSize(AItem));
}

PItemIDList CopyItemIdList(PItemIDList AList)
{
    size_t Size = GetItemIdListSize(AList);
    PItemIDList Copy = AllocItemIdList(Size);
    if (Copy != nullptr && Size != 0)
        std::memcpy(Copy, AList, Size);
    return Copy;
}

PItemIDList ConcatItemIdLists(PItemIDList AFirst, PItemIDList ASecond)
{
    size_t FirstSize = AFirst != nullptr ? GetItemIdListSize(AFirst) - 2 : 0;
    size_t SecondSize = GetItemIdListSize(ASecond);
    // A missing second list still leaves the zero-filled terminator, so the result can be walked.
    PItemIDList Result = AllocItemIdList(FirstSize + std::max<size_t>(SecondSize, 2));
    if (Result == nullptr)
        return nullptr;
    if (FirstSize != 0)
        std::memcpy(Result, AFirst, FirstSize);
    if (SecondSize != 0)
        std::memcpy(reinterpret_cast<char*>(Result) + FirstSize, ASecond, SecondSize);
    return Result;
}
