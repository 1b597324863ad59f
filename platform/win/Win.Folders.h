// Win.Folders.h: the Windows folders, environment texts and names a program asks for, mapped to
// this system: the XDG base and user directories under $HOME, and fixed folders of the
// installation for the Windows, system and program-files folders. Folders end in "/".
#pragma once

#include "Rtl.Types.h"

// Special folder numbers (CSIDL) that have a place here; others have none.
inline constexpr int CSIDL_DESKTOP = 0x0000;
inline constexpr int CSIDL_PERSONAL = 0x0005;
inline constexpr int CSIDL_MYMUSIC = 0x000D;
inline constexpr int CSIDL_APPDATA = 0x001A;
inline constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
inline constexpr int CSIDL_WINDOWS = 0x0024;
inline constexpr int CSIDL_SYSTEM = 0x0025;
inline constexpr int CSIDL_PROGRAM_FILES = 0x0026;
inline constexpr int CSIDL_MYPICTURES = 0x0027;
inline constexpr int CSIDL_PROFILE = 0x0028;

// The running program's full path (Windows' parameter 0 and module file name).
String GetModuleFileName();
// Fixed folders of the installation in place of the Windows, system and program-files folders.
String GetWindowsDirectory();
String GetSystemDirectory();
// $TMPDIR, else "/tmp/".
String GetTempPath();
// The folder for ACsidl with a trailing delimiter; created when ACreate and missing. "" for a
// number without a place here, or when the folder is missing and cannot be made.
String SHGetSpecialFolderPath(int ACsidl, bool ACreate);
// Replaces every %NAME% by the environment variable NAME (letter case ignored for the Windows
// names below); the Windows variables APPDATA, LOCALAPPDATA, USERPROFILE, HOMEDRIVE, HOMEPATH,
// ProgramFiles, SystemRoot, windir, TEMP, TMP, USERNAME and COMPUTERNAME answer their folders
// and names here when the environment does not set them. Unknown names stay as they are.
String ExpandEnvironmentStrings(const String& AText);
// The host name and the login name, whole; "" when the system cannot tell.
String GetComputerName();
String GetUserName();
// Where the user's configuration lives: $XDG_CONFIG_HOME, else $HOME/.config/.
String GetUserConfigFolder();
// Where this user's running programs keep locks: $XDG_RUNTIME_DIR, else a private folder in
// the temporary folder.
String GetUserRuntimeFolder();
// A file in the runtime folder for any name (of a mutex, a window): APrefix, the name with
// letters, digits and "-_." kept and every other byte as %XX, so two names never share a file,
// then ASuffix. A name that encodes longer than AMaxEncoded keeps its start and gets a hash of
// the whole name in place of the rest.
String RuntimeFileName(const String& APrefix, const String& AName, const String& ASuffix, size_t AMaxEncoded);
