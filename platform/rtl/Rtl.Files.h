// Rtl.Files.h: whole-file reading and safe saving, and the path form the platform accepts.
// Paths may use "\" or "/" as separators; both name the same file here.
#pragma once

#include "Rtl.Types.h"

// AFileName with Windows separators turned into "/".
String NativePath(const String& AFileName);
bool FileExists(const String& AFileName);
// The system's text for an errno value.
String SystemErrorText(int AError);
// Raises EFOpenError or EReadError with the system's reason.
TBytes ReadFileBytes(const String& AFileName);
// Writes a temporary file beside the target, syncs it and renames it over the target, so a
// failure leaves the old file as it was. An existing file's permissions are kept. Raises
// EFCreateError or EWriteError with the system's reason.
void SafeWriteFileBytes(const String& AFileName, const TBytes& ABytes);
