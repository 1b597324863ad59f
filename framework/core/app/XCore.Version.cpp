// XCore.Version.cpp: version records and file versions.
#include "XCore.Version.h"

#include <sstream>

#include "Rtl.SysUtils.h"
#include "Win.Version.h"

namespace {

TXNVVersion* GNVVersion = nullptr;

int Sign(int32_t A, int32_t B)
{
    return A < B ? -1 : (A > B ? 1 : 0);
}

}  // namespace

bool TXNVVersion::GetFileVersion(const String& AFileName, TXVersion& AVersion)
{
    ClearVersion(AVersion);
    VS_FIXEDFILEINFO Info;
    if (!GetFileVersionInfo(AFileName, Info))
        return false;
    AVersion.Major = static_cast<int32_t>(Info.dwFileVersionMS >> 16);
    AVersion.Minor = static_cast<int32_t>(Info.dwFileVersionMS & 0xFFFF);
    AVersion.Release = static_cast<int32_t>(Info.dwFileVersionLS >> 16);
    AVersion.Build = static_cast<int32_t>(Info.dwFileVersionLS & 0xFFFF);
    return true;
}

String TXNVVersion::GetFileVersionText(const String& AFileName)
{
    TXVersion Version;
    GetFileVersion(AFileName, Version);
    return VersionToText(Version);
}

TXVersion TextToVersion(const String& AText)
{
    TXVersion Result;
    int32_t* Parts[] = {&Result.Major, &Result.Minor, &Result.Release, &Result.Build};
    std::istringstream Stream(AText);
    String Part;
    for (int32_t* Target : Parts) {
        if (!std::getline(Stream, Part, '.'))
            break;
        *Target = StrToIntDef(Part, 0);
    }
    return Result;
}

String VersionToText(const TXVersion& AVersion)
{
    return IntToStr(AVersion.Major) + "." + IntToStr(AVersion.Minor) + "." + IntToStr(AVersion.Release) + "."
           + IntToStr(AVersion.Build);
}

void ClearVersion(TXVersion& AVersion)
{
    AVersion = TXVersion();
}

bool IsVersionEmpty(const TXVersion& AVersion)
{
    return AVersion == TXVersion();
}

int CompareVersions(const TXVersion& A, const TXVersion& B)
{
    if (int Result = Sign(A.Build, B.Build))
        return Result;
    if (int Result = Sign(A.Major, B.Major))
        return Result;
    if (int Result = Sign(A.Minor, B.Minor))
        return Result;
    return Sign(A.Release, B.Release);
}

bool VersionAtLeast(const TXVersion& A, const TXVersion& B)
{
    return CompareVersions(A, B) >= 0;
}

bool VersionAtMost(const TXVersion& A, const TXVersion& B)
{
    return CompareVersions(A, B) <= 0;
}

void ClearVersionRange(TXVersionRange& ARange)
{
    ARange = TXVersionRange();
}

bool VersionInClosedRange(const TXVersionRange& ARange, const TXVersion& AVersion)
{
    return VersionAtLeast(AVersion, ARange.Start) && VersionAtMost(AVersion, ARange.Ends);
}

bool VersionInRange(const TXVersionRange& ARange, const TXVersion& AVersion)
{
    bool HasStart = !IsVersionEmpty(ARange.Start), HasEnd = !IsVersionEmpty(ARange.Ends);
    if (HasStart && HasEnd)
        return VersionInClosedRange(ARange, AVersion);
    if (HasEnd)
        return VersionAtMost(AVersion, ARange.Ends);
    if (HasStart)
        return VersionAtLeast(AVersion, ARange.Start);
    return true;
}

TXNVVersion* NVVersion()
{
    return GNVVersion;
}

void StartNVVersion()
{
    GNVVersion = TXNVVersion::Create();
    GNVVersion->Initialize();
}

void StopNVVersion()
{
    FreeAndNil(GNVVersion);
}
