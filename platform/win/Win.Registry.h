// Win.Registry.h: the current user's registry hive (HKEY_CURRENT_USER) and TRegistry.
// The hive is a tree kept in one file under the user's configuration folder; every change is
// written through at once (a temporary file renamed over it, under a lock file, after re-reading
// what other processes wrote). Key and value names are compared without regard to letter case;
// sub-keys are listed in that order, values in the order they were first written.
#pragma once

#include <cstdint>
#include <vector>

#include "Rtl.Objects.h"
#include "Rtl.Strings.h"
#include "Rtl.SysUtils.h"

struct HKEY__;
using HKEY = HKEY__*;
using REGSAM = uint32_t;

// Only HKEY_CURRENT_USER holds keys here; the others open nothing.
inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(uintptr_t(0x80000000));
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(uintptr_t(0x80000001));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(uintptr_t(0x80000002));

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

X_EXCEPTION(ERegistryException, Exception);

enum TRegDataType : uint8_t { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// The file that holds HKEY_CURRENT_USER: by default "norvale/registry" in the user's
// configuration folder (so $XDG_CONFIG_HOME moves it); a non-empty name replaces it.
void SetRegistryFile(const String& AFileName);
String RegistryFile();
// The text a hive file holds after it is read and written again; a text without the header
// reads as an empty hive. Lets the reader be checked without the file.
String NormalizeRegistryText(const String& AText);

class TRegistry : public TObject {
    X_CLASS(TRegistry, TObject)
public:
    HKEY RootKey() const { return FRootKey; }
    // Closes the open key first.
    void SetRootKey(HKEY AValue);
    REGSAM Access() const { return FAccess; }
    void SetAccess(REGSAM AValue) { FAccess = AValue; }
    // The open key's path below the root ("" for the root itself).
    const String& CurrentPath() const { return FCurrentPath; }

    // A key starting with "\" is taken from the root, any other from the open key; a trailing
    // "\" is allowed. The key opened becomes the current key.
    bool OpenKey(const String& AKey, bool ACanCreate);
    // Opens for reading only: writes to it raise.
    bool OpenKeyReadOnly(const String& AKey);
    void CloseKey();
    bool CreateKey(const String& AKey);
    // Deletes the key with everything below it.
    bool DeleteKey(const String& AKey);
    bool KeyExists(const String& AKey);
    bool HasSubKeys();
    // Both clear AStrings first.
    void GetKeyNames(TStrings* AStrings);
    void GetValueNames(TStrings* AStrings);

    bool ValueExists(const String& AName);
    TRegDataType GetDataType(const String& AName);
    bool DeleteValue(const String& AName);
    // "" for a missing value; raises ERegistryException "Invalid data type for 'X'" for a number.
    String ReadString(const String& AName);
    // Raises ERegistryException for a missing value ("Failed to get data for 'X'") and for a
    // string ("Invalid data type for 'X'").
    int32_t ReadInteger(const String& AName);
    // Raise ERegistryException "Failed to set data for 'X'" on a key opened for reading only.
    void WriteString(const String& AName, const String& AValue);
    void WriteInteger(const String& AName, int32_t AValue);

protected:
    TRegistry() = default;
    virtual void Construct(REGSAM AAccess = KEY_ALL_ACCESS);

private:
    bool Open(const String& AKey, bool ACanCreate, bool AWritable);
    String FullPath(const String& AKey) const;
    void CheckWritable(const String& AName) const;
    // Clears AStrings, then lets AAddNames fill it from the current key when that exists.
    template <class TAddNames>
    void ListCurrentKey(TStrings* AStrings, TAddNames AAddNames);

    HKEY FRootKey = HKEY_CURRENT_USER;
    REGSAM FAccess = KEY_ALL_ACCESS;
    String FCurrentPath;
    bool FKeyOpen = false;
    bool FWritable = true;
};
