// Win.MimeApps.h: the desktop's default applications from the XDG MIME database, in place of
// the open commands that HKEY_CLASSES_ROOT holds on Windows. Read from the files each time:
// mimeapps.list in the configuration and data folders, the installed applications' cache, and
// shared-mime-info's globs for file extensions.
#pragma once

#include "Rtl.Types.h"

// The command line that opens AKey: a file extension (".jpg"), a URL scheme ("http") or a MIME
// type ("image/png"). It is the default application's Exec line with its field codes ("%U") as
// they stand; "" when the desktop names no application.
String GetDefaultOpenCommand(const String& AKey);
