// Win.Registry.cpp: the file-backed hive and TRegistry over it.
//
// File format, one record a line, fields separated by a tab, "%", tab, CR and LF in names and
// texts written as %25, %09, %0D, %0A:
//   XREGISTRY 1
//   K <path>            a key (components joined by "\"); the values below belong to it
//   S <name> <text>     a REG_SZ value
//   D <name> <number>   a REG_DWORD value, unsigned decimal
#include "Win.Registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <sstream>

#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Win.Folders.h"

namespace {

constexpr const char* kHeader = "XREGISTRY 1";

struct TRegValue {
    String Name;
    TRegDataType Type = rdString;
    String Text;
    uint32_t Number = 0;
};

struct TRegKey {
    String Name;
    std::vector<TRegValue> Values;
    std::vector<std::unique_ptr<TRegKey>> Keys;   // ordered by CompareText of Name

    TRegKey* FindKey(const String& AName) const
    {
        for (const auto& Key : Keys)
            if (SameText(Key->Name, AName))
                return Key.get();
        return nullptr;
    }
    TRegKey* AddKey(const String& AName)
    {
        auto At = std::find_if(Keys.begin(), Keys.end(),
                               [&](const auto& Key) { return CompareText(Key->Name, AName) > 0; });
        auto Key = std::make_unique<TRegKey>();
        Key->Name = AName;
        return Keys.insert(At, std::move(Key))->get();
    }
    TRegValue* FindValue(const String& AName)
    {
        for (TRegValue& Value : Values)
            if (SameText(Value.Name, AName))
                return &Value;
        return nullptr;
    }
};

std::vector<String> SplitKeyPath(const String& APath)
{
    std::vector<String> Parts;
    std::istringstream Stream(APath);
    String Part;
    while (std::getline(Stream, Part, '\\'))
        if (!Part.empty())
            Parts.push_back(Part);
    return Parts;
}

// AKeyName escapes "\" too: a key's name is one component of a path.
String Escape(const String& AText, bool AKeyName = false)
{
    String Result;
    for (char C : AText) {
        switch (C) {
        case '%': Result += "%25"; break;
        case '\\':
            Result += AKeyName ? "%5C" : "\\";
            break;
        case '\t': Result += "%09"; break;
        case '\r': Result += "%0D"; break;
        case '\n': Result += "%0A"; break;
        default: Result += C;
        }
    }
    return Result;
}

String Unescape(const String& AText)
{
    String Result;
    for (size_t I = 0; I < AText.size(); ++I) {
        int32_t Code;
        if (AText[I] == '%' && I + 2 < AText.size() && TryStrToInt("$" + AText.substr(I + 1, 2), Code)) {
            Result += static_cast<char>(Code);
            I += 2;
        } else {
            Result += AText[I];
        }
    }
    return Result;
}

std::vector<String> SplitTabs(const String& ALine)
{
    std::vector<String> Fields;
    size_t Start = 0;
    for (size_t Tab; (Tab = ALine.find('\t', Start)) != String::npos; Start = Tab + 1)
        Fields.push_back(ALine.substr(Start, Tab - Start));
    Fields.push_back(ALine.substr(Start));
    return Fields;
}

void WriteKey(std::ostream& AOut, const TRegKey& AKey, const String& APath)
{
    AOut << "K\t" << APath << '\n';
    for (const TRegValue& Value : AKey.Values) {
        if (Value.Type == rdInteger)
            AOut << "D\t" << Escape(Value.Name) << '\t' << Value.Number << '\n';
        else
            AOut << "S\t" << Escape(Value.Name) << '\t' << Escape(Value.Text) << '\n';
    }
    for (const auto& Sub : AKey.Keys)
        WriteKey(AOut, *Sub, (APath.empty() ? String() : APath + "\\") + Escape(Sub->Name, true));
}

// Walks APath from ARoot, adding the keys that are missing.
TRegKey* Descend(TRegKey* ARoot, const String& APath)
{
    TRegKey* Key = ARoot;
    for (const String& Part : SplitKeyPath(APath)) {
        String Name = Unescape(Part);
        TRegKey* Sub = Key->FindKey(Name);
        Key = Sub != nullptr ? Sub : Key->AddKey(Name);
    }
    return Key;
}

// A value named again replaces the first one, as writing it would.
void PutValue(TRegKey* AKey, TRegValue AValue)
{
    if (TRegValue* Known = AKey->FindValue(AValue.Name))
        *Known = std::move(AValue);
    else
        AKey->Values.push_back(std::move(AValue));
}

// The tree a hive file's text holds; empty without the header. Lines that are no record are
// skipped.
TRegKey ParseHive(const String& AText)
{
    TRegKey Root;
    std::istringstream File(AText);
    String Line;
    if (!std::getline(File, Line) || Line != kHeader)
        return Root;
    TRegKey* Key = &Root;
    while (std::getline(File, Line)) {
        std::vector<String> Fields = SplitTabs(Line);
        if (Fields[0] == "K" && Fields.size() == 2)
            Key = Descend(&Root, Fields[1]);
        else if (Fields[0] == "S" && Fields.size() == 3)
            PutValue(Key, {Unescape(Fields[1]), rdString, Unescape(Fields[2]), 0});
        else if (Fields[0] == "D" && Fields.size() == 3)
            PutValue(Key, {Unescape(Fields[1]), rdInteger, String(),
                           static_cast<uint32_t>(StrToInt64Def(Fields[2], 0))});
    }
    return Root;
}

String FormatHive(const TRegKey& ARoot)
{
    std::ostringstream Out;
    Out << kHeader << '\n';
    WriteKey(Out, ARoot, String());
    return Out.str();
}

// Identity of the file's current version: a save renames a new file over it, so the inode
// changes even when the time stamp does not.
struct TFileStamp {
    ino_t Inode = 0;
    off_t Size = -1;
    timespec Modified{};
    bool operator==(const TFileStamp& A) const
    {
        return Inode == A.Inode && Size == A.Size && Modified.tv_sec == A.Modified.tv_sec
               && Modified.tv_nsec == A.Modified.tv_nsec;
    }
};

TFileStamp StampOf(const String& AFileName)
{
    TFileStamp Stamp;
    struct stat Info;
    if (::stat(AFileName.c_str(), &Info) == 0) {
        Stamp.Inode = Info.st_ino;
        Stamp.Size = Info.st_size;
        Stamp.Modified = Info.st_mtim;
    }
    return Stamp;
}

class THive {
public:
    std::recursive_mutex Mutex;

    // Brings the tree up to the file's state; callers hold Mutex.
    void Refresh()
    {
        String FileName = RegistryFile();
        TFileStamp Stamp = StampOf(FileName);
        if (FileName == FFileName && Stamp == FStamp)
            return;
        FFileName = FileName;
        FStamp = Stamp;
        Load();
    }

    // Runs AChange on the current tree and writes it through, under the lock file so that
    // changes of other processes are read first and never lost. False when it cannot be saved.
    template <class TChange>
    bool Change(TChange AChange)
    {
        String FileName = RegistryFile();
        if (!ForceDirectories(ExtractFilePath(FileName)))
            return false;
        int Lock = ::open((FileName + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (Lock < 0)
            return false;
        ::flock(Lock, LOCK_EX);
        if (FileName != FCleanedFor) {   // once per file: a save that a crash cut short
            RemoveStaleTempFiles(ExtractFilePath(FileName));
            FCleanedFor = FileName;
        }
        Refresh();
        bool Result = AChange(Root) && Save();
        if (!Result)
            FFileName.clear();   // the tree may hold what the file does not: read it again
        ::close(Lock);           // releases the lock
        return Result;
    }

    TRegKey Root;

private:
    // A file that cannot be read (missing, a FIFO, a folder, a huge file) is an empty hive.
    void Load()
    {
        String Text;
        try {
            Text = ReadSmallFile(FFileName);
        } catch (const EStreamError&) {
        }
        Root = ParseHive(Text);
    }

    bool Save()
    {
        const String Text = FormatHive(Root);
        try {
            SafeWriteFileBytes(FFileName, TBytes(Text.begin(), Text.end()));
        } catch (const Exception&) {
            return false;
        }
        FStamp = StampOf(FFileName);
        return true;
    }

    String FFileName;
    TFileStamp FStamp;
    String FCleanedFor;
};

THive& Hive()
{
    static THive Instance;
    return Instance;
}

String& RegistryFileOverride()
{
    static String Name;
    return Name;
}

TRegKey* FindPath(TRegKey& ARoot, const std::vector<String>& AParts)
{
    TRegKey* Key = &ARoot;
    for (size_t I = 0; Key != nullptr && I < AParts.size(); ++I)
        Key = Key->FindKey(AParts[I]);
    return Key;
}

TRegKey* CreatePath(TRegKey& ARoot, const std::vector<String>& AParts)
{
    TRegKey* Key = &ARoot;
    for (const String& Part : AParts) {
        TRegKey* Sub = Key->FindKey(Part);
        Key = Sub != nullptr ? Sub : Key->AddKey(Part);
    }
    return Key;
}

[[noreturn]] void RaiseRegistry(const char* AFormat, const String& AName)
{
    String Message = AFormat;
    Message.replace(Message.find("%s"), 2, AName);
    throw ERegistryException(Message);
}

}  // namespace

void SetRegistryFile(const String& AFileName)
{
    std::lock_guard Guard(Hive().Mutex);
    RegistryFileOverride() = AFileName;
}

String NormalizeRegistryText(const String& AText)
{
    return FormatHive(ParseHive(AText));
}

String RegistryFile()
{
    std::lock_guard Guard(Hive().Mutex);
    const String& Override = RegistryFileOverride();
    return Override.empty() ? GetUserConfigFolder() + "norvale/registry" : NativePath(Override);
}

// ---- TRegistry ---------------------------------------------------------------------------

void TRegistry::Construct(REGSAM AAccess)
{
    FAccess = AAccess;
}

void TRegistry::SetRootKey(HKEY AValue)
{
    CloseKey();
    FRootKey = AValue;
}

String TRegistry::FullPath(const String& AKey) const
{
    bool Absolute = !AKey.empty() && AKey.front() == '\\';
    if (Absolute || !FKeyOpen || FCurrentPath.empty())
        return AKey;
    return FCurrentPath + "\\" + AKey;
}

bool TRegistry::Open(const String& AKey, bool ACanCreate, bool AWritable)
{
    if (FRootKey != HKEY_CURRENT_USER)
        return false;
    std::vector<String> Parts = SplitKeyPath(FullPath(AKey));
    THive& H = Hive();
    std::lock_guard Guard(H.Mutex);
    H.Refresh();
    if (FindPath(H.Root, Parts) == nullptr) {
        if (!ACanCreate || !H.Change([&](TRegKey& ARoot) { return CreatePath(ARoot, Parts) != nullptr; }))
            return false;
    }
    String Path;
    for (const String& Part : Parts)
        Path += (Path.empty() ? "" : "\\") + Part;
    FCurrentPath = Path;
    FKeyOpen = true;
    FWritable = AWritable;
    return true;
}

bool TRegistry::OpenKey(const String& AKey, bool ACanCreate)
{
    return Open(AKey, ACanCreate, (FAccess & KEY_SET_VALUE) != 0);
}

bool TRegistry::OpenKeyReadOnly(const String& AKey)
{
    return Open(AKey, false, false);
}

void TRegistry::CloseKey()
{
    FCurrentPath.clear();
    FKeyOpen = false;
    FWritable = (FAccess & KEY_SET_VALUE) != 0;
}

bool TRegistry::CreateKey(const String& AKey)
{
    if (FRootKey != HKEY_CURRENT_USER)
        return false;
    std::vector<String> Parts = SplitKeyPath(FullPath(AKey));
    std::lock_guard Guard(Hive().Mutex);
    return Hive().Change([&](TRegKey& ARoot) { return CreatePath(ARoot, Parts) != nullptr; });
}

bool TRegistry::DeleteKey(const String& AKey)
{
    std::vector<String> Parts = SplitKeyPath(FullPath(AKey));
    if (FRootKey != HKEY_CURRENT_USER || Parts.empty())
        return false;
    String Last = Parts.back();
    Parts.pop_back();
    std::lock_guard Guard(Hive().Mutex);
    return Hive().Change([&](TRegKey& ARoot) {
        TRegKey* Parent = FindPath(ARoot, Parts);
        if (Parent == nullptr)
            return false;
        auto At = std::find_if(Parent->Keys.begin(), Parent->Keys.end(),
                               [&](const auto& Key) { return SameText(Key->Name, Last); });
        if (At == Parent->Keys.end())
            return false;
        Parent->Keys.erase(At);
        return true;
    });
}

bool TRegistry::KeyExists(const String& AKey)
{
    if (FRootKey != HKEY_CURRENT_USER)
        return false;
    std::lock_guard Guard(Hive().Mutex);
    Hive().Refresh();
    return FindPath(Hive().Root, SplitKeyPath(FullPath(AKey))) != nullptr;
}

bool TRegistry::HasSubKeys()
{
    auto Names = Owned(TStringList::Create());
    GetKeyNames(Names.get());
    return Names->Count() > 0;
}

template <class TAddNames>
void TRegistry::ListCurrentKey(TStrings* AStrings, TAddNames AAddNames)
{
    AStrings->Clear();
    if (FRootKey != HKEY_CURRENT_USER)
        return;
    std::lock_guard Guard(Hive().Mutex);
    Hive().Refresh();
    if (TRegKey* Key = FindPath(Hive().Root, SplitKeyPath(FCurrentPath)))
        AAddNames(*Key);
}

void TRegistry::GetKeyNames(TStrings* AStrings)
{
    ListCurrentKey(AStrings, [AStrings](const TRegKey& AKey) {
        for (const auto& Sub : AKey.Keys)
            AStrings->Add(Sub->Name);
    });
}

void TRegistry::GetValueNames(TStrings* AStrings)
{
    ListCurrentKey(AStrings, [AStrings](const TRegKey& AKey) {
        for (const TRegValue& Value : AKey.Values)
            AStrings->Add(Value.Name);
    });
}

bool TRegistry::ValueExists(const String& AName)
{
    return GetDataType(AName) != rdUnknown;
}

TRegDataType TRegistry::GetDataType(const String& AName)
{
    if (FRootKey != HKEY_CURRENT_USER)
        return rdUnknown;
    std::lock_guard Guard(Hive().Mutex);
    Hive().Refresh();
    TRegKey* Key = FindPath(Hive().Root, SplitKeyPath(FCurrentPath));
    TRegValue* Value = Key != nullptr ? Key->FindValue(AName) : nullptr;
    return Value != nullptr ? Value->Type : rdUnknown;
}

bool TRegistry::DeleteValue(const String& AName)
{
    if (FRootKey != HKEY_CURRENT_USER || !FWritable)
        return false;
    std::vector<String> Parts = SplitKeyPath(FCurrentPath);
    std::lock_guard Guard(Hive().Mutex);
    return Hive().Change([&](TRegKey& ARoot) {
        TRegKey* Key = FindPath(ARoot, Parts);
        if (Key == nullptr)
            return false;
        auto At = std::find_if(Key->Values.begin(), Key->Values.end(),
                               [&](const TRegValue& V) { return SameText(V.Name, AName); });
        if (At == Key->Values.end())
            return false;
        Key->Values.erase(At);
        return true;
    });
}

String TRegistry::ReadString(const String& AName)
{
    std::lock_guard Guard(Hive().Mutex);
    Hive().Refresh();
    TRegKey* Key = FRootKey == HKEY_CURRENT_USER ? FindPath(Hive().Root, SplitKeyPath(FCurrentPath)) : nullptr;
    TRegValue* Value = Key != nullptr ? Key->FindValue(AName) : nullptr;
    if (Value == nullptr)
        return String();
    if (Value->Type != rdString)
        RaiseRegistry("Invalid data type for '%s'", AName);
    return Value->Text;
}

int32_t TRegistry::ReadInteger(const String& AName)
{
    std::lock_guard Guard(Hive().Mutex);
    Hive().Refresh();
    TRegKey* Key = FRootKey == HKEY_CURRENT_USER ? FindPath(Hive().Root, SplitKeyPath(FCurrentPath)) : nullptr;
    TRegValue* Value = Key != nullptr ? Key->FindValue(AName) : nullptr;
    if (Value == nullptr)
        RaiseRegistry("Failed to get data for '%s'", AName);
    if (Value->Type != rdInteger)
        RaiseRegistry("Invalid data type for '%s'", AName);
    return static_cast<int32_t>(Value->Number);
}

void TRegistry::CheckWritable(const String& AName) const
{
    if (FRootKey != HKEY_CURRENT_USER || !FWritable)
        RaiseRegistry("Failed to set data for '%s'", AName);
}

namespace {

template <class TAssign>
bool StoreValue(const String& APath, const String& AName, TAssign AAssign)
{
    std::vector<String> Parts = SplitKeyPath(APath);
    std::lock_guard Guard(Hive().Mutex);
    return Hive().Change([&](TRegKey& ARoot) {
        TRegKey* Key = FindPath(ARoot, Parts);
        if (Key == nullptr)
            return false;
        TRegValue* Value = Key->FindValue(AName);
        if (Value == nullptr) {
            Key->Values.push_back({AName, rdString, String(), 0});
            Value = &Key->Values.back();
        }
        AAssign(*Value);
        return true;
    });
}

}  // namespace

void TRegistry::WriteString(const String& AName, const String& AValue)
{
    CheckWritable(AName);
    if (!StoreValue(FCurrentPath, AName, [&](TRegValue& V) { V.Type = rdString, V.Text = AValue, V.Number = 0; }))
        RaiseRegistry("Failed to set data for '%s'", AName);
}

void TRegistry::WriteInteger(const String& AName, int32_t AValue)
{
    CheckWritable(AName);
    if (!StoreValue(FCurrentPath, AName, [&](TRegValue& V) {
            V.Type = rdInteger, V.Text.clear(), V.Number = static_cast<uint32_t>(AValue);
        }))
        RaiseRegistry("Failed to set data for '%s'", AName);
}
