// Win.MimeApps.h: the desktop's default applications from the XDG MIME database, in place of
// the open commands that HKEY_CLASSES_ROOT holds on Windows. Read from the files each time:
// mimeapps.list in the configuration and data folders, the installed applications' cache, and
// shared-mime-info's globs for file extensions and its icon names for types.
#pragma once

#include <vector>

#include "Rtl.Types.h"

// The command line that opens AKey: a file extension (".jpg"), a URL scheme ("http") or a MIME
// type ("image/png"). It is the default application's Exec line with its field codes ("%U") as
// they stand; "" when the desktop names no application.
String GetDefaultOpenCommand(const String& AKey);

// The type shared-mime-info's globs give files with AExtension (".jpg"); "" when none.
String GetMimeTypeOfExtension(const String& AExtension);
// The icon names of a MIME type, best first: the database's own icon for it, the type with "/"
// as "-" ("image-jpeg"), its generic icon, and its media's generic icon ("image-x-generic"),
// each once; none for a text that is no type.
std::vector<String> GetMimeTypeIconNames(const String& AMimeType);
// The XDG data folders, each ending in "/": the user's first, then the system's.
std::vector<String> GetDataFolders();
