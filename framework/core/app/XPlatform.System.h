// XPlatform.System.h: the system singleton with the user's and the system's folders (and their
// path macros "<win>" ... "<user>"), running files and addresses through the shell, the
// Windows version, the screen's DPI, top-level windows, and shell item-id lists.
// Folders end in a path delimiter; a folder the system cannot tell is the empty text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Win.Messages.h"
#include "XCore.Classes.h"

class TXNVSystem : public TXInitializableObject {
    X_CLASS(TXNVSystem, TXInitializableObject)
public:
    // Replaces "<win>", "<sys>", "<tmp>", "<pf>", "<wpf>", "<home>", "<desk>", "<appdata>",
    // "<mydoc>", "<mymusic>", "<mypictures>", "<com>" and "<user>", letter case significant.
    String ExpandMacros(const String& AText);
    // AVerb 0 "open", 1 "print", 2 "install", 3 "explore"; AFileName is quoted unless it
    // starts with a quote; empty parameters and folder are passed as none. True on success.
    bool Execute(uint8_t AVerb, const String& AFileName, const String& AParameters, const String& ADirectory);
    bool OpenLink(const String& ATarget);
    // Prefixes "mailto:" unless the text holds it already.
    bool SendMail(const String& AAddress);

    const String& WindowsFolder() const { return FWindowsFolder; }
    const String& SystemFolder() const { return FSystemFolder; }
    const String& TempFolder() const { return FTempFolder; }
    const String& ProgramFilesFolder() const { return FProgramFilesFolder; }
    // "<wpf>": what GetUserProgramsFolder answers, empty here.
    const String& SecondProgramFilesFolder() const { return FSecondProgramFilesFolder; }
    const String& HomeFolder() const { return FHomeFolder; }
    const String& DesktopFolder() const { return FDesktopFolder; }
    const String& AppDataFolder() const { return FAppDataFolder; }
    const String& MyDocumentsFolder() const { return FMyDocumentsFolder; }
    const String& MyMusicFolder() const { return FMyMusicFolder; }
    const String& MyPicturesFolder() const { return FMyPicturesFolder; }
    // Without a delimiter.
    const String& ComputerName() const { return FComputerName; }
    const String& UserName() const { return FUserName; }

protected:
    TXNVSystem() = default;
    ~TXNVSystem() override;
    // Registers the macro expander, then fills the folders and names.
    void Initialize() override;
    // The per-user programs folder behind "<wpf>", asked for after the other folders are known.
    virtual String GetUserProgramsFolder() { return String(); }

private:
    String FWindowsFolder, FSystemFolder, FTempFolder, FProgramFilesFolder, FSecondProgramFilesFolder;
    String FHomeFolder, FDesktopFolder, FAppDataFolder, FMyDocumentsFolder, FMyMusicFolder, FMyPicturesFolder;
    String FComputerName, FUserName;
};

// The singleton (see XSpark.App for the start-up order); nullptr outside it.
TXNVSystem* NVSystem();
// ASystemClass: a program's own descendant of TXNVSystem, or nullptr for TXNVSystem.
void StartNVSystem(TClass ASystemClass = nullptr);
void StopNVSystem();

bool IsWindows8OrLater();
bool IsWindows81OrLater();
// The special folder's path with a trailing delimiter (created when missing); "" on failure.
String GetShellFolderPath(int ACsidl);

// On Windows 8.1 and later, when the process is per-monitor DPI aware, sets Screen's
// PixelsPerInch to the primary monitor's effective vertical DPI; else leaves it. The program's
// main block calls it once the application is initialised.
void AdjustScreenDpi();

// ---- Top-level windows -------------------------------------------------------------------

using TXHWndArray = std::vector<HWND>;

// A search through EnumWindows with EnumTopLevelWindow: an empty filter matches any window.
struct TXWindowSearch {
    String ClassName;
    String Caption;
    TXHWndArray Handles;
};
// The EnumWindows callback; AParam points to a TXWindowSearch. It skips the application's own
// window and the windows the filters reject, collects the others and always goes on.
bool EnumTopLevelWindow(HWND AWnd, LPARAM AParam);
// The window's class name and caption, up to 300 characters.
String GetWindowClassText(HWND AWindow);
String GetWindowCaptionText(HWND AWindow);

// Shell item-id lists: items that each start with their 16-bit size, ended by a zero size.
struct SHITEMID;
using PItemIDList = SHITEMID*;
// A zero-filled block; nullptr when no memory is left.
PItemIDList AllocItemIdList(size_t ASize);
void FreeItemIdList(PItemIDList AList);
// 0 for nullptr; else the items' sizes plus 2 for the terminator.
size_t GetItemIdListSize(PItemIDList AList);
PItemIDList NextItemId(PItemIDList AItem);
PItemIDList CopyItemIdList(PItemIDList AList);
// AFirst (which may be nullptr) without its terminator, then the whole of ASecond.
PItemIDList ConcatItemIdLists(PItemIDList AFirst, PItemIDList ASecond);
