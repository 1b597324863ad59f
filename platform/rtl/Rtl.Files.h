// Rtl.Files.h: the runtime's file-name and file-system routines. Names may use "\" or "/":
// data keeps the Windows form ("<data>Pictures\"), and every routine here that touches the
// file system maps "\" to "/" first. An executable "x.exe" is found as "x" when only that exists.
#pragma once

#include <string_view>
#include <vector>

#include "Rtl.Types.h"

// The delimiter this platform writes; both "\" and "/" are read as one.
inline constexpr char PathDelim = '/';

bool IsPathDelimiter(char AChar);
// The name as the file system takes it: "\" becomes "/", and "x.exe" becomes "x" when no
// "x.exe" exists but an "x" does.
String NativePath(std::string_view AFileName);

// The folder part with its trailing delimiter ("" when there is none).
String ExtractFilePath(std::string_view AFileName);
String ExtractFileName(std::string_view AFileName);
// The extension with its point ("" when the name part has none).
String ExtractFileExt(std::string_view AFileName);
// AExtension with its point, or "" to remove the extension.
String ChangeFileExt(std::string_view AFileName, std::string_view AExtension);
String IncludeTrailingPathDelimiter(std::string_view APath);
String ExcludeTrailingPathDelimiter(std::string_view APath);
// 8.3 short names do not exist here: every path is already its own short form.
String ExtractShortPathName(std::string_view AFileName);

// Existence follows links. FileExists is for anything that is not a folder.
bool FileExists(std::string_view AFileName);
bool DirectoryExists(std::string_view AFolder);
// Creates the folder and every missing parent; True when the folder exists afterwards.
bool ForceDirectories(std::string_view AFolder);
bool DeleteFile(std::string_view AFileName);
bool RenameFile(std::string_view AOldName, std::string_view ANewName);
// Deletes an empty folder.
bool RemoveDir(std::string_view AFolder);
// Deletes a folder with everything in it.
bool RemoveDirRecursive(std::string_view AFolder);
// Read-only is the absence of every write permission bit.
bool FileIsReadOnly(std::string_view AFileName);
bool FileSetReadOnly(std::string_view AFileName, bool AReadOnly);

// Kinds follow links; IsLink tells that the entry itself is one.
struct TSearchEntry {
    String Name;
    bool IsDirectory = false;
    bool IsFile = false;   // a regular file: not a FIFO, socket or device
    bool IsLink = false;
};
// The entries of a folder other than "." and "..", in no particular order; empty for a folder
// that cannot be read.
std::vector<TSearchEntry> ListDirectory(std::string_view AFolder);
// A Windows file mask: "*" any run, "?" one character, letters without regard to case;
// "*.*" matches every name, also one without a point.
bool MatchesMask(std::string_view AName, std::string_view AMask);

// The system's text for an errno value.
String SystemErrorText(int AError);
// open(2) of a data file (O_CLOEXEC added): it never blocks on a FIFO, and what is neither a
// regular file nor a block device is refused (a folder with EISDIR, a FIFO, socket or
// character device with ESPIPE). -1 with errno set on failure.
int OpenDataFile(const String& APath, int AFlags, unsigned APermissions = 0666);
// The reason OpenDataFile failed with AError, for messages: ESPIPE there is no pipe at all
// but a file of the wrong kind.
String DataFileErrorText(int AError);
// The whole file. Raises EFOpenError or EReadError with the system's reason.
TBytes ReadFileBytes(const String& AFileName);
// The most ReadSmallFile reads unless told otherwise: far more than any configuration file,
// index or cache of the desktop holds.
inline constexpr int64_t kSmallFileLimit = int64_t(16) << 20;
// The whole of a small file (a configuration file, an index, a cache): never waits on a FIFO,
// and refuses what is not a regular file and a file over ALimit bytes. Raises EFOpenError or
// EReadError with the reason.
String ReadSmallFile(const String& AFileName, int64_t ALimit = kSmallFileLimit);
