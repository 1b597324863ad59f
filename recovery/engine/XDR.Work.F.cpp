// XDR.Work.F.cpp: file-system entries, the file-system base and the class table.
#include "XDR.Work.F.h"

#include <array>

#include "Rtl.SysUtils.h"
#include "XCode.Trek.h"
#include "XCore.App.Helpers.h"

namespace {

// Nothing after the prefix for a date that is not set.
String DumpDate(const char* APrefix, TDateTime AValue)
{
    return AValue.Value == 0 ? String(APrefix) : APrefix + DateTimeToISOText(AValue);
}

std::array<TClass, kFileSystemKindCount>& ClassTable()
{
    static std::array<TClass, kFileSystemKindCount> Table = [] {
        std::array<TClass, kFileSystemKindCount> Slots;
        Slots.fill(TXUnknownFileSystem::StaticClass());
        return Slots;
    }();
    return Table;
}

}  // namespace

// ---- Entries -----------------------------------------------------------------------------

const TXFileSystemEntryList& TXFileSystemEntry::Children() const
{
    static const TOwned<TXFileSystemEntryList> Empty = Owned(TXFileSystemEntryList::Create());
    return *Empty;
}

void TXFileSystemEntry::Dump(IXCodeTrek* ATrek) const
{
    String Line = Name + " " + IntToStr(Size) + " " + IntToStr(FirstCluster) + " " + DumpDate("c-", Created) + " "
                  + DumpDate("m-", Modified) + " " + DumpDate("a-", Accessed);
    if (IsDeleted())
        Line += " d";
    if (IsFolder())
        Line += " f";
    ATrek->Add(Line);
    const TXFileSystemEntryList& List = Children();
    for (int I = 0; I < List.Count(); ++I)
        List[I]->Dump(ATrek);
}

// ---- File systems ------------------------------------------------------------------------

bool TXFileSystem::Open(TStream* AStream, const TXDiskInfoRecord& ADiskInfo)
{
    FStream = AStream;
    FDiskInfo = ADiskInfo;
    return true;
}

void TXFileSystem::Clear()
{
    FStream = nullptr;
    ClearDiskInfo(FDiskInfo);
    FEntries->Clear();
}

TClass FileSystemClassOfKind(int32_t AKind)
{
    return AKind >= 0 && AKind < kFileSystemKindCount ? ClassTable()[static_cast<size_t>(AKind)]
                                                       : TXUnknownFileSystem::StaticClass();
}

void RegisterFileSystemClass(int32_t AKind, TClass AClass)
{
    if (AKind >= 0 && AKind < kFileSystemKindCount && AClass->InheritsFrom(TXFileSystem::StaticClass()))
        ClassTable()[static_cast<size_t>(AKind)] = AClass;
}

TXFileSystem* CreateFileSystem(int32_t AKind)
{
    return XCreateFromClass<TXFileSystem>(FileSystemClassOfKind(AKind));
}
