#include "XCore.Filer.h"

#include "Rtl.Files.h"
#include "Rtl.Lists.h"
#include "Rtl.SafeFiles.h"
#include "Rtl.TypInfo.h"
#include "XCore.Errors.h"
#include "XCore.IO.h"
#include "XCore.Progress.h"
#include "XCore.Strings.h"

bool ReportFilerResult(bool AOK, int32_t ACode, bool ARaise)
{
    if (AOK)
        ClearError();
    else
        SetFirstError(ACode, 0, {}, ARaise);
    return AOK;
}

bool SafeSaveFile(const String& AFileName, const std::function<bool(TStream*)>& AWrite)
{
    TOwned<TSafeFileStream> File;
    try {
        File = Owned(TSafeFileStream::Create(AFileName));
    } catch (const EStreamError& E) {
        SetFirstError(kErrFileOpen, E.OSError(), E.Message());
        return false;
    }
    try {
        if (!AWrite(File.get())) {
            SetFirstError(kErrWrite, 0, "Cannot write file \"" + AFileName + "\"");
            return false;
        }
        File->Commit();
        return true;
    } catch (const std::exception& E) {
        RecordSystemFailure(E);
        SetFirstError(kErrWrite, 0, E.what());
        return false;
    }
}

bool IsDataLoaded(uint32_t AStatusWord)
{
    return (AStatusWord & (uint32_t(1) << 5)) != 0;
}

namespace {

TXProgress* NextStep(TXProgress* AProgress)
{
    return AProgress != nullptr ? AProgress->BeginStepRange() : nullptr;
}

void SetSteps(TXProgress* AProgress, uint32_t ACount)
{
    if (AProgress != nullptr)
        AProgress->SetStepCount(ACount);
}

void FinishProgress(TXProgress* AProgress)
{
    if (AProgress != nullptr)
        AProgress->Finish();
}

// Runs ARead, after clearing the groups in mode 0, or AReadEx in mode 2; any other mode
// fails with 44. An exception is a failure too.
template <class TRead, class TReadEx>
bool LoadByMode(TXFiler* AFiler, TRead ARead, TReadEx AReadEx, bool ARaise)
{
    uint8_t Mode = AFiler->LoadMode();
    if (Mode > lmReadEx) {
        SetError(kErrRead, 0, {}, ARaise);
        return false;
    }
    bool OK = GuardedStep([&] {
        if (Mode == lmClearAndRead)
            AFiler->ClearGroups();
        return Mode == lmReadEx ? AReadEx() : ARead();
    });
    if (!OK)
        SetFirstError(kErrRead, 0, {}, ARaise);
    return OK;
}

// The filer of AFilerClass, its groups prepared for ATarget; nullptr (44 or 45) when it
// cannot be made.
TOwned<TXFiler> MakeFiler(TClass AFilerClass, TObject* ATarget, const TXFilerParts& AParts, int ASelector)
{
    TOwned<TXFiler> Filer;
    Guarded([&] {
        Filer.reset(XCreateFromClass<TXFiler>(AFilerClass));
        Filer->PrepareGroups(ATarget, ASelector, AParts);
    });
    return Filer;
}

template <class TLoad>
bool FilerLoad(TClass AFilerClass, TObject* ATarget, bool ARaise, const TXFilerParts& AParts, int ASelector,
               TLoad ALoad)
{
    TOwned<TXFiler> Filer = MakeFiler(AFilerClass, ATarget, AParts, ASelector);
    bool OK = Filer != nullptr && GuardedStep([&] {
        (void)Filer->BeforeLoad();
        return ALoad(Filer.get()) && Filer->AfterLoad();
    });
    return ReportFilerResult(OK, kErrRead, ARaise);
}

template <class TSave>
bool FilerSave(TClass AFilerClass, TObject* ASource, bool ARaise, const TXFilerParts& AParts, int ASelector,
               TSave ASave)
{
    TOwned<TXFiler> Filer = MakeFiler(AFilerClass, ASource, AParts, ASelector);
    bool OK = Filer != nullptr && GuardedStep([&] {
        (void)Filer->BeforeSave();
        return ASave(Filer.get()) && Filer->AfterSave();
    });
    return ReportFilerResult(OK, kErrWrite, ARaise);
}

// Opens a file stream; on failure records 4 with the system's error number and reason.
TOwned<TFileStream> OpenFileStream(const String& AFileName, uint16_t AMode)
{
    try {
        return Owned(TFileStream::Create(AFileName, AMode));
    } catch (const EStreamError& E) {
        SetFirstError(kErrFileOpen, E.OSError(), E.Message());
        return nullptr;
    }
}

// The whole stream, from its start, as text.
bool ReadWholeText(TStream* AStream, String& AText)
{
    return Guarded([&] {
        AStream->SetPosition(0);
        AText = ReadStreamUTF8(AStream, -1);
    });
}

// Every group's text, by AWrite, in list order: one progress step per group.
template <class TWrite>
bool ConcatGroupTexts(TXFilerGroupList* AGroups, String& AText, TXProgress* AProgress, TWrite AWrite)
{
    AText.clear();
    SetSteps(AProgress, static_cast<uint32_t>(AGroups->Count()));
    String Part;
    for (int I = 0; I < AGroups->Count(); ++I) {
        if (!AWrite(AGroups->Groups(I), Part, NextStep(AProgress)))
            return false;
        AText += Part;
    }
    FinishProgress(AProgress);
    return true;
}

}  // namespace

// ---- Filerable objects -------------------------------------------------------------------

bool TXFilerablePersistent::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXFilerablePersistent>(ASource)) {
        FIdx = Source->FIdx;
        FXFilter = Source->FXFilter;
    }
    return inherited::AssignFrom(ASource);
}

void TXFilerablePersistent::DoClear()
{
    inherited::DoClear();
    FIdx = -1;
    FXFilter.clear();
}

bool TXFilerableItem::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXFilerableItem>(ASource)) {
        FIdx = Source->FIdx;
        FXFilter = Source->FXFilter;
    }
    return inherited::AssignFrom(ASource);
}

void TXFilerableItem::DoClear()
{
    inherited::DoClear();
    FIdx = -1;
    FXFilter.clear();
}

// ---- The data index ----------------------------------------------------------------------

void TXDataIndexItem::Init()
{
    inherited::Init();
    FStream = Owned(TMemoryStream::Create());
}

void TXDataIndexItem::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Name", &TXDataIndexItem::GetDisplayName, &TXDataIndexItem::SetDisplayName);
    P.Property("LgID", &TXDataIndexItem::GetLgID, &TXDataIndexItem::SetLgID);
    P.Property("Idx", &TXDataIndexItem::GetIdx, &TXDataIndexItem::SetIdx);
    P.Property("XFilter", &TXDataIndexItem::GetXFilter, &TXDataIndexItem::SetXFilter);
}

TXDataIndexItem* TXDataIndexCollection::AddEntry(const String& AName, const String& AXFilter, uint32_t ALgID)
{
    TXDataIndexItem* Item = Add();
    Item->SetDisplayName(AName);
    Item->SetXFilter(AXFilter);
    Item->SetLgID(ALgID);
    Item->SetIdx(Item->Index() + FIndexBase);
    return Item;
}

int32_t TXDataIndexCollection::FindIdx(const String& AName) const
{
    int Index = IndexOfName(AName);
    return Index >= 0 ? Items(Index)->GetIdx() : 0;
}

int32_t TXDataIndexCollection::FindLocalizedIdx(const String& AName, uint32_t ALgID) const
{
    int Index = IndexOfNameFallback(AName, ALgID, false);
    return Index >= 0 ? Items(Index)->GetIdx() : 0;
}

int TXDataIndexCollection::IndexOfNameLgID(const String& AName, uint32_t ALgID) const
{
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->GetLgID() == ALgID && Items(I)->GetDisplayName() == AName)
            return I;
    return -1;
}

int TXDataIndexCollection::IndexOfNameFallback(const String& AName, uint32_t ALgID, bool AUseEnglish) const
{
    constexpr uint32_t kEnglish = 9;
    uint32_t Own = Header()->GetLgID();
    std::vector<uint32_t> Tries{ALgID, TXNVLocale::PrimaryLangIDOf(static_cast<uint16_t>(ALgID))};
    if (Own != ALgID)
        Tries.push_back(Own);
    Tries.push_back(0);
    if (AUseEnglish && Own != kEnglish)
        Tries.push_back(kEnglish);
    for (uint32_t LgID : Tries) {
        int Index = IndexOfNameLgID(AName, LgID);
        if (Index >= 0)
            return Index;
    }
    return -1;
}

void TXDataIndex::Init()
{
    inherited::Init();
    FDataIndex = Owned(TXDataIndexCollection::Create(this));
}

void TXDataIndex::DoClear()
{
    inherited::DoClear();
    SetLgID(0);
    FIndexing = false;
    FDataIndex->Clear();
}

void TXDataIndex::SetLgID(uint32_t AValue)
{
    inherited::SetLgID(AValue);
    FDataIndex->Header()->SetLgID(AValue);
}

bool TXDataIndex::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXDataIndex>(ASource)) {
        FIndexing = Source->FIndexing;
        FDataIndex->Assign(Source->FDataIndex.get());
    }
    return inherited::AssignFrom(ASource);
}

void TXDataIndex::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("LgID", &TXDataIndex::GetLgID, &TXDataIndex::SetLgID);
    P.Property("DataIndex", &TXDataIndex::DataIndex, &TXDataIndex::SetDataIndex);
}

void RegisterCoreStreams()
{
    // Stored data indexes are read back by class name.
    RegisterClass(TXDataIndex::StaticClass());
}

// ---- Groups ------------------------------------------------------------------------------

void TXFilerGroup::Construct()
{
    FFilter = Owned(TStringList::Create());
}

void TXFilerGroup::Clear()
{
    DoClear();
    if (auto* Collection = AsOrNull<TCollection>(FItems))
        Collection->Clear();
    else if (auto* List = AsOrNull<TObjectList>(FItems))
        List->Clear();
}

bool TXFilerGroup::WriteObjectText(String& AText, TXProgress*, bool)
{
    AText.clear();
    return true;
}

TObject* TXFilerGroup::ReadItemText(TObject* AItem, const String&, bool, TXProgress*)
{
    return AItem;
}

bool TXFilerGroup::WriteItemText(TObject*, String& AText, bool, TXProgress*)
{
    AText.clear();
    return true;
}

bool TXFilerGroup::WriteText(String& AText, TXProgress*, bool)
{
    AText.clear();
    return true;
}

bool TXFilerGroup::WriteRawText(String& AText, TXProgress*, bool)
{
    AText.clear();
    return true;
}

TXFilerGroup* TXFilerGroupList::AddNamedGroup(TXFiler* AFiler, TClass AGroupClass, TObject* AItems,
                                              TObject* ADataObject, const String& AName)
{
    TXFilerGroup* Group = AddGroup(AFiler, AGroupClass, AItems, ADataObject);
    Group->SetName(AName);
    return Group;
}

TXFilerGroup* TXFilerGroupList::AddGroup(TXFiler* AFiler, TClass AGroupClass, TObject* AItems, TObject* ADataObject)
{
    TXFilerGroup* Group = XCreateFromClass<TXFilerGroup>(AGroupClass);
    Group->SetFiler(AFiler);
    Group->SetItems(AItems);
    Group->SetDataObject(ADataObject);
    Add(Group);
    return Group;
}

// ---- TXFiler -----------------------------------------------------------------------------

void TXFiler::Construct()
{
    FGroups = Owned(TXFilerGroupList::Create());
}

void TXFiler::ClearGroups()
{
    for (int I = 0; I < FGroups->Count(); ++I)
        FGroups->Groups(I)->Clear();
}

void TXFiler::PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts)
{
    FTarget = ATarget;
    FSelector = ASelector;
    FParts = AParts;
    FGroups->Clear();
}

bool TXFiler::ReadString(const String& AText, TXProgress* AProgress, bool ARaise)
{
    auto Stream = Owned(TStringStream::Create(AText));
    return ReadStream(Stream.get(), AProgress, ARaise);
}

bool TXFiler::ReadRawString(const String& AText, TXProgress* AProgress, bool ARaise)
{
    auto Stream = Owned(TXRawStringStream::Create(AText));
    return ReadStream(Stream.get(), AProgress, ARaise);
}

bool TXFiler::ReadStream(TStream*, TXProgress*, bool ARaise)
{
    return ReportFilerResult(false, kErrRead, ARaise);
}

bool TXFiler::ReadStringEx(const String& AText, TXProgress* AProgress, bool ARaise)
{
    auto Stream = Owned(TStringStream::Create(AText));
    return ReadStreamEx(Stream.get(), AProgress, ARaise);
}

bool TXFiler::ReadRawStringEx(const String& AText, TXProgress* AProgress, bool ARaise)
{
    auto Stream = Owned(TXRawStringStream::Create(AText));
    return ReadStreamEx(Stream.get(), AProgress, ARaise);
}

bool TXFiler::ReadStreamEx(TStream*, TXProgress*, bool ARaise)
{
    return ReportFilerResult(false, kErrRead, ARaise);
}

bool TXFiler::LoadFromString(const String& AText, TXProgress* AProgress, bool ARaise)
{
    auto Stream = Owned(TStringStream::Create(AText));
    return ReportFilerResult(LoadFromStream(Stream.get(), AProgress, false), kErrRead, ARaise);
}

bool TXFiler::LoadFromRawString(const String& AText, TXProgress* AProgress, bool ARaise)
{
    auto Stream = Owned(TXRawStringStream::Create(AText));
    return ReportFilerResult(LoadFromStream(Stream.get(), AProgress, false), kErrRead, ARaise);
}

bool TXFiler::SaveToString(String& AText, TXProgress* AProgress, bool ARaise)
{
    auto Stream = Owned(TStringStream::Create());
    bool OK = WriteStream(Stream.get(), AProgress, false);
    AText = OK ? Stream->DataString() : String();
    return ReportFilerResult(OK, kErrWrite, ARaise);
}

bool TXFiler::SaveToRawString(String& AText, TXProgress* AProgress, bool ARaise)
{
    auto Stream = Owned(TXRawStringStream::Create());
    bool OK = WriteStream(Stream.get(), AProgress, false);
    AText = OK ? Stream->Data() : String();
    return ReportFilerResult(OK, kErrWrite, ARaise);
}

bool TXFiler::WriteStream(TStream*, TXProgress*, bool ARaise)
{
    return ReportFilerResult(false, kErrWrite, ARaise);
}

bool TXFiler::UpdateFile(const String&, TXProgress*, bool ARaise)
{
    return ReportFilerResult(false, kErrWrite, ARaise);
}

bool TXFiler::UpdateFileEx(const String& AFileName, TXProgress* AProgress, bool ARaise)
{
    return UpdateFile(AFileName, AProgress, ARaise);
}

bool TXFiler::LoadFromStream(TStream* AStream, TXProgress* AProgress, bool ARaise)
{
    return LoadByMode(
        this, [&] { return ReadStream(AStream, AProgress, false); },
        [&] { return ReadStreamEx(AStream, AProgress, false); }, ARaise);
}

bool TXFiler::LoadFromFile(const String& AFileName, TXProgress* AProgress, bool ARaise)
{
    ClearError();
    TOwned<TFileStream> File = OpenFileStream(AFileName, fmOpenRead | fmShareDenyWrite);
    bool OK = File != nullptr && LoadFromStream(File.get(), AProgress, false);
    return ReportFilerResult(OK, kErrRead, ARaise);
}

bool TXFiler::SaveToFile(const String& AFileName, TXProgress* AProgress, bool ARaise)
{
    ClearError();
    bool OK = SafeSaveFile(AFileName, [&](TStream* AFile) {
        return GuardedStep([&] { return WriteStream(AFile, AProgress, false); });
    });
    return ReportFilerResult(OK, kErrWrite, ARaise);
}

// ---- Text groups and filers --------------------------------------------------------------

bool TXTextFilerGroup::WriteText(String& AText, TXProgress* AProgress, bool ARaise)
{
    ClearError();
    AText.clear();
    bool OK = GuardedStep([&] {
        (void)BeforeWrite(true);
        auto* Collection = AsOrNull<TCollection>(Items());
        if (Collection != nullptr)
            SetSteps(AProgress, static_cast<uint32_t>(Collection->Count()) + 1);
        String Part;
        if (WriteOptions().Contains(woObject)) {
            if (!WriteObjectText(Part, NextStep(AProgress), true))
                return false;
            AText += Part;
        }
        for (int I = 0; Collection != nullptr && I < Collection->Count(); ++I) {
            if (!WriteItemText(Collection->Items(I), Part, true, NextStep(AProgress)))
                return false;
            AText += Part;
        }
        return true;
    });
    return ReportFilerResult(OK, kErrWrite, ARaise);
}

bool TXTextFiler::LoadFromString(const String& AText, TXProgress* AProgress, bool ARaise)
{
    return LoadByMode(
        this, [&] { return ReadString(AText, AProgress, false); },
        [&] { return ReadStringEx(AText, AProgress, false); }, ARaise);
}

bool TXTextFiler::LoadFromRawString(const String& AText, TXProgress* AProgress, bool ARaise)
{
    return LoadByMode(
        this, [&] { return ReadRawString(AText, AProgress, false); },
        [&] { return ReadRawStringEx(AText, AProgress, false); }, ARaise);
}

bool TXTextFiler::ReadString(const String&, TXProgress*, bool ARaise)
{
    return ReportFilerResult(false, kErrRead, ARaise);
}

bool TXTextFiler::ReadRawString(const String& AText, TXProgress* AProgress, bool ARaise)
{
    return ReadString(AText, AProgress, ARaise);
}

bool TXTextFiler::ReadStringEx(const String&, TXProgress*, bool ARaise)
{
    return ReportFilerResult(false, kErrRead, ARaise);
}

bool TXTextFiler::ReadRawStringEx(const String& AText, TXProgress* AProgress, bool ARaise)
{
    return ReadStringEx(AText, AProgress, ARaise);
}

bool TXTextFiler::ReadStream(TStream* AStream, TXProgress* AProgress, bool ARaise)
{
    String Text;
    bool OK = ReadWholeText(AStream, Text) && ReadString(Text, AProgress, false);
    return ReportFilerResult(OK, kErrRead, ARaise);
}

bool TXTextFiler::ReadStreamEx(TStream* AStream, TXProgress* AProgress, bool ARaise)
{
    String Text;
    bool OK = ReadWholeText(AStream, Text) && ReadStringEx(Text, AProgress, false);
    return ReportFilerResult(OK, kErrRead, ARaise);
}

bool TXTextFiler::SaveToString(String& AText, TXProgress* AProgress, bool ARaise)
{
    bool OK = ConcatGroupTexts(Groups(), AText, AProgress, [](TXFilerGroup* AGroup, String& APart, TXProgress* AStep) {
        return AGroup->WriteText(APart, AStep, false);
    });
    return ReportFilerResult(OK, kErrWrite, ARaise);
}

bool TXTextFiler::SaveToRawString(String& AText, TXProgress* AProgress, bool ARaise)
{
    bool OK = ConcatGroupTexts(Groups(), AText, AProgress, [](TXFilerGroup* AGroup, String& APart, TXProgress* AStep) {
        return AGroup->WriteRawText(APart, AStep, false);
    });
    return ReportFilerResult(OK, kErrWrite, ARaise);
}

bool TXTextFiler::WriteStream(TStream* AStream, TXProgress* AProgress, bool ARaise)
{
    String Text;
    bool OK = SaveToString(Text, AProgress, false) && Guarded([&] { WriteRawToStream(AStream, Text); });
    return ReportFilerResult(OK, kErrWrite, ARaise);
}

bool TXStringsFiler::ReadString(const String& AText, TXProgress*, bool)
{
    if (auto* Lines = AsOrNull<TStrings>(Target()))
        Lines->SetText(Trim(AText));
    return true;
}

bool TXStringsFiler::SaveToString(String& AText, TXProgress*, bool)
{
    auto* Lines = AsOrNull<TStrings>(Target());
    AText = Lines != nullptr ? Lines->Text() : String();
    return true;
}

// ---- Reading objects into lists ----------------------------------------------------------

TClass ReadableItemClass(const TObjectList* AList)
{
    TClass Class = AList->ItemClass();
    return TPersistent::StaticClass()->InheritsFrom(Class) ? TPersistent::StaticClass() : Class;
}

bool CheckReadableItemClass(const TObjectList* AList, TClass AClass)
{
    TClass Readable = ReadableItemClass(AList);
    if (AClass->InheritsFrom(Readable))
        return true;
    SetFirstError(kErrRead, 0, "The data holds a " + AClass->ClassName() + " where a " + Readable->ClassName() + " belongs");
    return false;
}

// ---- Filer helpers -----------------------------------------------------------------------

bool FilerLoadFromStream(TStream* AStream, TClass AFilerClass, TObject* ATarget, bool ARaise, TXProgress* AProgress,
                         const TXFilerParts& AParts, int ASelector)
{
    ClearError();
    return FilerLoad(AFilerClass, ATarget, ARaise, AParts, ASelector,
                     [&](TXFiler* AFiler) { return AFiler->LoadFromStream(AStream, AProgress, false); });
}

bool FilerLoadFromRawString(const String& AText, TClass AFilerClass, TObject* ATarget, bool ARaise,
                            TXProgress* AProgress, const TXFilerParts& AParts, int ASelector)
{
    ClearError();
    return FilerLoad(AFilerClass, ATarget, ARaise, AParts, ASelector,
                     [&](TXFiler* AFiler) { return AFiler->LoadFromRawString(AText, AProgress, false); });
}

bool FilerLoadFromFile(const String& AFileName, TClass AFilerClass, TObject* ATarget, bool ARaise,
                       TXProgress* AProgress, const TXFilerParts& AParts, int ASelector)
{
    ClearError();
    if (!FileExists(AFileName)) {
        SetError(kErrFileMissing, 0, AFileName);
        return ReportFilerResult(false, kErrRead, ARaise);
    }
    return FilerLoad(AFilerClass, ATarget, ARaise, AParts, ASelector,
                     [&](TXFiler* AFiler) { return AFiler->LoadFromFile(AFileName, AProgress, false); });
}

bool FilerSaveToStream(TStream* AStream, TClass AFilerClass, TObject* ASource, bool ARaise, TXProgress* AProgress,
                       const TXFilerParts& AParts, int ASelector)
{
    ClearError();
    return FilerSave(AFilerClass, ASource, ARaise, AParts, ASelector,
                     [&](TXFiler* AFiler) { return AFiler->WriteStream(AStream, AProgress, false); });
}

bool FilerSaveToFile(const String& AFileName, TClass AFilerClass, TObject* ASource, bool ARaise,
                     TXProgress* AProgress, const TXFilerParts& AParts, int ASelector)
{
    ClearError();
    return FilerSave(AFilerClass, ASource, ARaise, AParts, ASelector,
                     [&](TXFiler* AFiler) { return AFiler->SaveToFile(AFileName, AProgress, false); });
}

// Every file save goes through a temporary file now; the name stays for the callers that ask
// for it.
bool FilerSafeSaveToFile(const String& AFileName, TClass AFilerClass, TObject* ASource, bool ARaise,
                         TXProgress* AProgress, const TXFilerParts& AParts, int ASelector)
{
    return FilerSaveToFile(AFileName, AFilerClass, ASource, ARaise, AProgress, AParts, ASelector);
}
