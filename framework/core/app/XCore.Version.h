// XCore.Version.h: four-part versions, their text and order, ranges with open bounds, and the
// singleton that reads a file's version.
// The order compares the build number first: 1.0.0.5 is later than 2.0.0.4. Catalogues and
// update servers rely on it, so it stays.
#pragma once

#include <cstdint>

#include "XCore.Classes.h"

struct TXVersion {
    int32_t Major = 0;
    int32_t Minor = 0;
    int32_t Release = 0;
    int32_t Build = 0;

    friend bool operator==(const TXVersion&, const TXVersion&) = default;
};

// An empty bound is open.
struct TXVersionRange {
    TXVersion Start;
    TXVersion Ends;
};

class TXNVVersion : public TXObject {
    X_CLASS(TXNVVersion, TXObject)
public:
    // The start-up code calls it right after creation.
    virtual void Initialize() {}
    // False, and AVersion empty, for a file that carries no version.
    bool GetFileVersion(const String& AFileName, TXVersion& AVersion);
    // "0.0.0.0" for a file without a version.
    String GetFileVersionText(const String& AFileName);

protected:
    TXNVVersion() = default;
};

// Parts 1 to 4 of a text split at "."; a missing or non-numeric part is 0, further parts are
// ignored.
TXVersion TextToVersion(const String& AText);
// "6.2.9.650".
String VersionToText(const TXVersion& AVersion);
void ClearVersion(TXVersion& AVersion);
bool IsVersionEmpty(const TXVersion& AVersion);
// -1, 0 or 1, by Build, then Major, Minor and Release.
int CompareVersions(const TXVersion& A, const TXVersion& B);
bool VersionAtLeast(const TXVersion& A, const TXVersion& B);
bool VersionAtMost(const TXVersion& A, const TXVersion& B);
void ClearVersionRange(TXVersionRange& ARange);
bool VersionInClosedRange(const TXVersionRange& ARange, const TXVersion& AVersion);
bool VersionInRange(const TXVersionRange& ARange, const TXVersion& AVersion);

// The singleton, created first of the framework's singletons (see XSpark.App); nullptr before
// start-up and after shut-down.
TXNVVersion* NVVersion();
// The unit's start-up (creates the singleton and calls its Initialize) and shut-down.
void StartNVVersion();
void StopNVVersion();
