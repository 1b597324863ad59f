// Win.Version.h: version information of files. Our own programs carry theirs, built in with
// X_FILE_VERSION in an ELF section of their own; every other file has none.
#pragma once

#include <cstdint>

#include "Rtl.Types.h"

// The fixed part of Windows' version resource, as far as callers read it.
struct VS_FIXEDFILEINFO {
    uint32_t dwFileVersionMS = 0;   // major << 16 | minor
    uint32_t dwFileVersionLS = 0;   // release << 16 | build
};

// True and AInfo filled when the file carries a version; False for any other file.
bool GetFileVersionInfo(const String& AFileName, VS_FIXEDFILEINFO& AInfo);

// The Windows version this platform answers as: 10.0, so that callers take the paths of
// current systems (PNG wallpapers, per-monitor DPI).
struct TOSVersionInfo {
    uint32_t Major = 10;
    uint32_t Minor = 0;
};
inline TOSVersionInfo GetOSVersion()
{
    return TOSVersionInfo();
}

// What X_FILE_VERSION puts into the section "nv_version": a marker and the four numbers.
struct TEmbeddedFileVersion {
    char Marker[8];
    uint16_t Major, Minor, Release, Build;
};
inline constexpr char kFileVersionMarker[8] = {'N', 'V', 'V', 'E', 'R', 'S', 'N', '1'};

// Once in a program's own sources (beside main): X_FILE_VERSION(7, 2, 0, 650);
#define X_FILE_VERSION(AMajor, AMinor, ARelease, ABuild)                                     \
    [[gnu::used, gnu::retain, gnu::section("nv_version")]] constinit const TEmbeddedFileVersion \
        XFileVersion = {{'N', 'V', 'V', 'E', 'R', 'S', 'N', '1'}, AMajor, AMinor, ARelease, ABuild}
