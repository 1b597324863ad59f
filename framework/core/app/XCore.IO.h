// XCore.IO.h: path macros ("<data>Pictures\", "<appdata>", "<now>", ...) and the file and
// folder helpers of the framework.
// The application singletons register the expanders of their folder macros at start-up, so
// this unit knows none of them; expansion only reads the list and may run on any thread then.
// None of the helpers raises.
#pragma once

#include <vector>

#include "Rtl.Methods.h"
#include "Rtl.Strings.h"
#include "Rtl.Types.h"

// A method taking a text and answering it with its macros replaced.
using TXPathMacroExpander = TMethod<String(const String&)>;

// Appends the expander unless the same method (code and object) is registered.
void RegisterPathMacroExpander(TXPathMacroExpander AExpander);
void UnregisterPathMacroExpander(TXPathMacroExpander AExpander);
// The registered expanders in order, then "<now>" (the core application's time; it stays
// before start-up), "<low>", "<up>", "<short>" and "<reg>".
String ExpandPathMacros(const String& AText);

// Equal as the file system sees them: "\" and "/" alike, letter case significant as it is
// on this system.
bool IsSameFileName(const String& A, const String& B);
bool FileOrDirExists(const String& AName);
String AddPathDelimiter(const String& APath);
// The folder part with its trailing delimiter.
String GetFilePath(const String& AFileName);
bool TryForceDirectories(const String& AFolder);
// Creates Base\Name, or Base\Name1, Name2, ... when the name is taken by a file or a folder;
// the folder made, or "" when it cannot be made.
String CreateNumberedDirectory(const String& ABase, const String& AName);
void TryDeleteDirectory(const String& AFolder, bool ARecursive);
// Creates the folder when needed and writes (then deletes) a probe file in it.
bool IsDirectoryWritable(const String& AFolder);
bool DirExists(const String& AFolder);
// Appends the full names of the folder's files that match AMask, sorted by name; with
// ARecursive, those of its sub-folders after them. Nothing for a missing folder.
void AddDirFiles(const String& AFolder, const String& AMask, TStrings* AList, bool ARecursive);
void GetDirFiles(const String& AFolder, const String& AMask, TStrings* AList, bool ARecursive);
// Appends the names of the folder's sub-folders, each with a trailing delimiter, sorted.
void AddSubDirs(const String& AFolder, TStrings* AList);
void GetSubDirs(const String& AFolder, TStrings* AList);
// Creates the file's folder; answers the name when it is free, else the first free of
// name1.ext, name2.ext, ...; "" when every number is taken.
String GetUniqueFileName(const String& AFileName);
// True when the file is gone afterwards (read-only files included).
bool ForceDeleteFile(const String& AFileName);
// Tries for about ten seconds (101 attempts, 100 ms apart) while the file resists.
bool DeleteFileWithRetry(const String& AFileName);
// "Pictures (*.jpg)|*.jpg".
String MakeFilterItem(const String& ADescription, const String& AMask);
String MakeFilterItemMasks(const String& ADescription, const std::vector<String>& AMasks);
