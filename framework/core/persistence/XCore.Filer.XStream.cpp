// XCore.Filer.XStream.cpp: stream groups and filers over the record container. Objects go
// through the serializer of XObjectFiler, so what is written follows the installed hooks.
#include "XCore.Filer.XStream.h"

#include "Rtl.ComponentStreams.h"
#include "Rtl.Files.h"
#include "XClasses.h"
#include "XCore.Errors.h"
#include "XCore.Interfaces.h"
#include "XCore.Progress.h"
#include "XCore.Streams.Containers.h"
#include "XCore.Strings.Containers.h"
#include "XObjectFiler.h"

namespace {

bool FailWith(int32_t ACode)
{
    SetFirstError(ACode);
    return false;
}

TXProgress* SubRange(TXProgress* AProgress, uint8_t APercent)
{
    return AProgress != nullptr ? AProgress->BeginSubRange(APercent) : nullptr;
}

TXProgress* NextStep(TXProgress* AProgress)
{
    return AProgress != nullptr ? AProgress->BeginStepRange() : nullptr;
}

void SetSteps(TXProgress* AProgress, int ACount)
{
    if (AProgress != nullptr && ACount > 0)
        AProgress->SetStepCount(static_cast<uint32_t>(ACount));
}

void FinishProgress(TXProgress* AProgress)
{
    if (AProgress != nullptr)
        AProgress->Finish();
}

TOwned<TMemoryStream> NewMemoryStream()
{
    return Owned(TMemoryStream::Create());
}

// The stored id of an entry of the group's header; False when there is no such entry.
bool FindEntryId(TXRStream* AContainer, const String& AGroupName, int AHeaderIndex, int AEntryIndex, int32_t& AId)
{
    TXRGroupObject* Group = AContainer->Groups()->FindByName(AGroupName);
    if (Group == nullptr || AHeaderIndex < 0 || AHeaderIndex >= Group->Headers()->Count())
        return false;
    TXRHeaderObject* Header = Group->Headers()->Items(AHeaderIndex);
    if (AEntryIndex < 0 || AEntryIndex >= Header->Body().Count)
        return false;
    AId = Header->Table()[static_cast<size_t>(AEntryIndex)].Id;
    return true;
}

bool IsDataIndexEntry(TXRStream* AContainer, const String& AGroupName, int AHeaderIndex, int AEntryIndex)
{
    int32_t Id = 0;
    return FindEntryId(AContainer, AGroupName, AHeaderIndex, AEntryIndex, Id)
           && (Id == kEntryDataIndex || Id == -kEntryDataIndex);
}

String XFilterOf(TObject* AObject)
{
    TIntf<IXFilerable> Filerable;
    return Supports(AObject, Filerable) ? Filerable->GetXFilter() : String();
}

// The item out of the group's items again; an object list that does not own it leaves it to us.
void DropItem(TObject* AItems, TObject* AItem)
{
    if (auto* Item = AsOrNull<TCollectionItem>(AItem)) {
        Item->Collection()->Delete(Item->Index());
    } else if (auto* List = AsOrNull<TObjectList>(AItems)) {
        bool Owned = List->OwnsObjects();
        List->Remove(AItem);
        if (!Owned)
            AItem->Free();
    }
}

// AItem as its kind is stored: a component as a component stream, with no filter text; a
// collection item or any other object through the serializer, with its filter text.
bool SerializeItem(TObject* AItem, TStream* AData, int32_t& AId, String& AXFilter)
{
    if (auto* Component = AsOrNull<TComponent>(AItem)) {
        AId = kEntryComponent;
        AXFilter.clear();
        return Guarded([&] { WriteComponent(AData, Component); });
    }
    AId = AsOrNull<TCollectionItem>(AItem) != nullptr ? kEntryCollectionItem : kEntryObject;
    AXFilter = XFilterOf(AItem);
    return SaveObjectToStream(AItem, AData, false, false, nullptr);
}

// A component of the class the stream names, appended to AList; nullptr (44) on failure.
TObject* ReadListComponentFromStream(TComponentList* AList, TStream* AStream)
{
    TComponent* Component = nullptr;
    if (!Guarded([&] { Component = ReadComponent(AStream, nullptr); }) || Component == nullptr) {
        SetFirstError(kErrRead);
        return nullptr;
    }
    AList->Add(Component);
    return Component;
}

}  // namespace

// ---- Entry helpers -----------------------------------------------------------------------

TObject* ReadObjectEntry(TXRStream* AContainer, const String& AGroupName, int AHeaderIndex, int AEntryIndex)
{
    auto Data = NewMemoryStream();
    if (!AContainer->ReadEntry(AGroupName, AHeaderIndex, false, nullptr, Data.get(), AEntryIndex))
        return nullptr;
    return ReadObjectFromStream(Data.get(), nullptr, false);
}

bool ReadDataIndexEntry(TXRStream* AContainer, const String& AGroupName, int AHeaderIndex, int AEntryIndex,
                        TXDataIndex* AIndex)
{
    if (!IsDataIndexEntry(AContainer, AGroupName, AHeaderIndex, AEntryIndex))
        return FailWith(kErrRead);
    auto Data = NewMemoryStream();
    return AContainer->ReadEntry(AGroupName, AHeaderIndex, false, nullptr, Data.get(), AEntryIndex)
           && LoadObjectFromStream(AIndex, Data.get(), nullptr, false);
}

bool WriteObjectEntry(TXRStream* AContainer, int32_t AId, TObject* AObject)
{
    auto Data = NewMemoryStream();
    return SaveObjectToStream(AObject, Data.get(), false, false, nullptr) && AContainer->WriteEntry(AId, Data.get());
}

TCollectionItem* ReadCollectionItemFromStream(TCollection* ACollection, TStream* AStream)
{
    auto Component = Owned(TXObjectComponent::Create(nullptr));
    if (!Component->ReadCollectionItem(ACollection, AStream, false))
        return nullptr;
    return AsOrNull<TCollectionItem>(Component->Obj());
}

TObject* ReadListObjectFromStream(TObjectList* AList, TStream* AStream)
{
    TObject* Object = ReadObjectFromStream(AStream, nullptr, false, ReadableItemClass(AList));
    if (Object != nullptr)
        AList->Add(Object);
    return Object;
}

// ---- TXRStreamFilerGroup -----------------------------------------------------------------

void TXRStreamFilerGroup::Construct()
{
    inherited::Construct();
    FDataIndex = Owned(TXDataIndex::Create());
    SetWriteOptions({woObject, woIndexObjectData, woIndexItemData});
}

void TXRStreamFilerGroup::SetIdxOf(TObject* AObject, int32_t AIdx) const
{
    TIntf<IXFilerable> Filerable;
    if (Supports(AObject, Filerable))
        Filerable->SetIdx(AIdx);
    else if (FFilerableAccess == faInterfacesOnly)
        return;
    else if (auto* Item = AsOrNull<XClasses::TXYCollectionItem>(AObject))
        Item->SetIdx(AIdx);
    else if (auto* Object = AsOrNull<XClasses::TXFilerableObject>(AObject))
        Object->SetIdx(AIdx);
}

void TXRStreamFilerGroup::SetDataStorableOf(TObject* AObject, bool AValue) const
{
    TIntf<IXDataStorable> Storable;
    if (Supports(AObject, Storable))
        Storable->SetDataStorable(AValue);
    else if (FFilerableAccess == faInterfacesOnly)
        return;
    else if (auto* Object = AsOrNull<XClasses::TXFilerableObject>(AObject))
        Object->SetDataStorable(AValue);
    else if (auto* YItem = AsOrNull<XClasses::TXYCollectionItem>(AObject))
        YItem->SetDataStorable(AValue);
    else if (auto* Item = AsOrNull<TXCollectionItem>(AObject))
        Item->SetDataStorable(AValue);
}

void TXRStreamFilerGroup::DefineStream(const String& AName, TStream* AStream)
{
    FDataIndex->DataIndex()->AddEntry(AName, {}, 0)->SetDataTarget(AStream);
}

void TXRStreamFilerGroup::WantStream(const String& AName, TStream* AStream)
{
    AStream->SetSize(0);
    int Index = FDataIndex->DataIndex()->IndexOfName(AName);
    if (Index < 0)
        return;
    TXDataIndexItem* Item = FDataIndex->DataIndex()->Items(Index);
    Item->SetWanted(true);
    Item->SetDataTarget(AStream);
}

void TXRStreamFilerGroup::PrepareIndex(bool AIndexing, uint16_t AFixedCount)
{
    FCurrentCount = AFixedCount;
    FDataIndex->Clear();
    FDataIndex->SetIndexing(AIndexing);
    FDataIndex->DataIndex()->SetIndexBase(AFixedCount);
}

bool TXRStreamFilerGroup::BeforeSave(bool)
{
    PrepareIndex(WriteOptions().Contains(woIndexObjectData), FObjectFixedCount);
    if (FDataIndex->Indexing())
        DefineObjectData();
    FCurrentCount = static_cast<uint16_t>(FObjectFixedCount + FDataIndex->DataIndex()->Count());
    return true;
}

bool TXRStreamFilerGroup::BeforeSaveItem(TObject* AItem, bool)
{
    PrepareIndex(WriteOptions().Contains(woIndexItemData), FItemFixedCount);
    if (FDataIndex->Indexing())
        DefineItemData(AItem);
    FCurrentCount = static_cast<uint16_t>(FItemFixedCount + FDataIndex->DataIndex()->Count());
    return true;
}

// ---- Writing -----------------------------------------------------------------------------

bool TXRStreamFilerGroup::WriteGroup(TXRStream* AContainer, TXProgress* AProgress)
{
    bool OK = AContainer->CanWrite() && GuardedStep([&] {
        AContainer->Groups()->SelectByName(Name());
        (void)BeforeWrite(true);
        if (!AContainer->AddGroupText(Name(), {}, false))
            return false;
        auto* Collection = AsOrNull<TCollection>(Items());
        auto* List = AsOrNull<TObjectList>(Items());
        int Count = Collection != nullptr ? Collection->Count() : List != nullptr ? List->Count() : 0;
        SetSteps(AProgress, Count + 1);
        if (WriteOptions().Contains(woObject) && !WriteObject(AContainer, NextStep(AProgress)))
            return false;
        for (int I = 0; I < Count; ++I) {
            TObject* Item = Collection != nullptr ? static_cast<TObject*>(Collection->Items(I)) : List->Items(I);
            if (!WriteItem(AContainer, NextStep(AProgress), Item))
                return false;
        }
        return true;
    });
    FinishProgress(AProgress);
    return OK || FailWith(kErrWrite);
}

bool TXRStreamFilerGroup::WriteObject(TXRStream* AContainer, TXProgress* AProgress)
{
    TObject* Object = DataObject();
    if (Object == nullptr)
        return AContainer->WriteSingleEntry(Name(), FObjectKind, false, AProgress, EmptyMemoryStream(), 0);
    if (!BeforeSave(false))
        return FailWith(kErrWrite);
    SetDataStorableOf(Object, WriteOptions().Contains(woObjectDataInline));
    auto Data = NewMemoryStream();
    if (!SaveObjectToStream(Object, Data.get(), false, false, nullptr) || !AfterWriteData(Data.get(), false))
        return FailWith(kErrWrite);
    return AContainer->BeginHeader(Name(), FObjectKind, false, nullptr, FCurrentCount)
           && AContainer->WriteEntry(kEntryObject, Data.get())
           && (!FDataIndex->Indexing() || WriteObjectEntry(AContainer, kEntryDataIndex, FDataIndex.get()))
           && WriteObjectData(AContainer, SubRange(AProgress, 30)) && AContainer->EndHeader();
}

bool TXRStreamFilerGroup::WriteItem(TXRStream* AContainer, TXProgress* AProgress, TObject* AItem)
{
    FDataIndex->Clear();
    SetDataStorableOf(AItem, WriteOptions().Contains(woItemDataInline));
    if (!BeforeSaveItem(AItem, false))
        return FailWith(kErrWrite);
    auto Data = NewMemoryStream();
    int32_t Id = 0;
    String XFilter;
    if (!SerializeItem(AItem, Data.get(), Id, XFilter) || !AfterWriteData(Data.get(), false))
        return FailWith(kErrWrite);
    bool OK = AContainer->BeginHeader(Name(), FItemKind, false, nullptr, FCurrentCount)
              && AContainer->WriteEntryText(kEntryText, XFilter) && AContainer->WriteEntry(Id, Data.get())
              && (!FDataIndex->Indexing() || WriteObjectEntry(AContainer, kEntryDataIndex, FDataIndex.get()))
              && WriteItemData(AItem, AContainer, SubRange(AProgress, 20)) && AContainer->EndHeader();
    if (OK)
        SetIdxOf(AItem, AContainer->Groups()->FindByName(Name())->Headers()->Count() - 1);
    return OK;
}

// Stream targets go as -2, string items as their text (-1), other persistent targets
// serialized (-3); anything else is the group's own kind.
bool TXRStreamFilerGroup::WriteIndexedData(TXRStream* AContainer, TXProgress* AProgress, TObject* AItem)
{
    bool OK = GuardedStep([&] {
        TXDataIndexCollection* Index = FDataIndex->DataIndex();
        SetSteps(AProgress, Index->Count());
        for (int I = 0; I < Index->Count(); ++I) {
            TXDataIndexItem* Entry = Index->Items(I);
            TObject* Target = Entry->DataTarget();
            bool Written = false;
            if (auto* Stream = AsOrNull<TStream>(Target))
                Written = AContainer->WriteEntry(kEntryStream, Stream, false, NextStep(AProgress));
            else if (auto* Text = AsOrNull<TXStringItem>(Target))
                Written = AContainer->WriteEntryText(kEntryText, Text->s(), false, NextStep(AProgress));
            else if (AsOrNull<TPersistent>(Target) != nullptr)
                Written = WriteObjectEntry(AContainer, kEntryObject, Target);
            else
                Written = AItem != nullptr ? WriteItemCustomData(AContainer, AItem, Entry)
                                           : WriteObjectCustomData(AContainer, Entry);
            if (!Written)
                return false;
        }
        return true;
    });
    FinishProgress(AProgress);
    return OK;
}

bool TXRStreamFilerGroup::WriteObjectData(TXRStream* AContainer, TXProgress* AProgress)
{
    return WriteIndexedData(AContainer, AProgress, nullptr);
}

bool TXRStreamFilerGroup::WriteItemData(TObject* AItem, TXRStream* AContainer, TXProgress* AProgress)
{
    return WriteIndexedData(AContainer, AProgress, AItem);
}

// ---- Reading -----------------------------------------------------------------------------

bool TXRStreamFilerGroup::ReadGroup(TXRStream* AContainer, TXProgress* AProgress)
{
    if (!AContainer->CanRead())
        return FailWith(kErrRead);
    TXRGroupObject* Group = AContainer->Groups()->SelectByName(Name());
    if (Group == nullptr)
        return false;
    bool OK = GuardedStep([&] {
        int First = WriteOptions().Contains(woObject) ? 1 : 0;
        SetSteps(AProgress, Group->Headers()->Count() + 1);
        if (ReadOptions().Contains(roObject)) {
            if (!ReadObject(AContainer, NextStep(AProgress)))
                return false;
            First = 1;
        }
        if (Items() != nullptr)
            for (int H = First; H < Group->Headers()->Count(); ++H)
                if (!ReadItem(AContainer, NextStep(AProgress), H) && GetErrorCode() != kErrLeftOut)
                    return false;
        return AfterRead(false);
    });
    FinishProgress(AProgress);
    return OK || FailWith(kErrRead);
}

bool TXRStreamFilerGroup::ReadObject(TXRStream* AContainer, TXProgress* AProgress)
{
    auto* Object = AsOrNull<TPersistent>(DataObject());
    if (DataObject() == nullptr)
        return true;
    if (Object == nullptr || !BeforeLoad(false))
        return FailWith(kErrRead);
    auto Data = NewMemoryStream();
    if (!AContainer->ReadEntry(Name(), 0, false, SubRange(AProgress, 50), Data.get(), 0))
        return false;
    FCurrentCount = AContainer->LastEntryCount();
    if (!BeforeReadData(Data.get(), false) || !LoadObjectFromStream(Object, Data.get(), nullptr, false))
        return FailWith(kErrRead);
    (void)AfterLoad(false);
    return !ReadOptions().Contains(roObjectData) || ReadObjectData(AContainer, SubRange(AProgress, 50));
}

bool TXRStreamFilerGroup::ReadItem(TXRStream* AContainer, TXProgress* AProgress, int AHeaderIndex)
{
    if (Filter()->Count() > 0) {
        String XFilter;
        if (!AContainer->ReadEntryText(Name(), AHeaderIndex, false, nullptr, XFilter, 0))
            return false;
        if (Filter()->IndexOf(XFilter) < 0) {
            SetError(kErrLeftOut);
            return false;
        }
    }
    TObject* Item = ReadItemObject(AContainer, AHeaderIndex);
    if (Item == nullptr)
        return false;
    if (ReadOptions().Contains(roItemData) && !ReadItemData(Item, AContainer, AProgress, AHeaderIndex)) {
        DropItem(Items(), Item);
        return FailWith(kErrRead);
    }
    return true;
}

// Entry 1 read as an item of the kind the group's items take; the item is dropped again when
// the group refuses it.
TObject* TXRStreamFilerGroup::ReadItemObject(TXRStream* AContainer, int AHeaderIndex)
{
    auto Data = NewMemoryStream();
    if (!AContainer->ReadEntry(Name(), AHeaderIndex, false, nullptr, Data.get(), 1))
        return nullptr;
    Data->SetPosition(0);
    if (!BeforeReadData(Data.get(), false)) {
        FailWith(kErrRead);
        return nullptr;
    }
    TObject* Item = nullptr;
    if (auto* Collection = AsOrNull<TCollection>(Items()))
        Item = ReadCollectionItemFromStream(Collection, Data.get());
    else if (auto* Components = AsOrNull<TComponentList>(Items()))
        Item = ReadListComponentFromStream(Components, Data.get());
    else if (auto* List = AsOrNull<TObjectList>(Items()))
        Item = ReadListObjectFromStream(List, Data.get());
    if (Item == nullptr) {
        FailWith(kErrRead);
        return nullptr;
    }
    if (AsOrNull<TComponent>(Item) == nullptr)
        SetIdxOf(Item, AHeaderIndex);
    if (!AfterLoadItem(Item, false)) {
        DropItem(Items(), Item);
        FailWith(kErrRead);
        return nullptr;
    }
    return Item;
}

// The index at AIndexEntry of the header, when it has one, tells the group (through its index
// hook for AItem, or for the object when AItem is nullptr) which entries to read into what.
bool TXRStreamFilerGroup::ReadIndexedData(TXRStream* AContainer, TXProgress* AProgress, int AHeaderIndex,
                                          int AIndexEntry, TObject* AItem)
{
    FDataIndex->Clear();
    if (!IsDataIndexEntry(AContainer, Name(), AHeaderIndex, AIndexEntry))
        return true;
    if (!ReadDataIndexEntry(AContainer, Name(), AHeaderIndex, AIndexEntry, FDataIndex.get()))
        return false;
    if (AItem != nullptr)
        ItemIndexRead(AItem);
    else
        ObjectIndexRead();
    TXDataIndexCollection* Index = FDataIndex->DataIndex();
    SetSteps(AProgress, Index->Count());
    for (int I = 0; I < Index->Count(); ++I) {
        TXDataIndexItem* Entry = Index->Items(I);
        if (Entry->Wanted() && Entry->GetIdx() > 0
            && !ReadDataEntry(AContainer, NextStep(AProgress), AHeaderIndex, Entry->GetIdx(), Entry->DataTarget()))
            return false;
    }
    FinishProgress(AProgress);
    return true;
}

// A stream target is replaced by the entry's bytes, a string item takes its text, and any
// other persistent target the values of the object stored there.
bool TXRStreamFilerGroup::ReadDataEntry(TXRStream* AContainer, TXProgress* AProgress, int AHeaderIndex,
                                        int AEntryIndex, TObject* ATarget)
{
    if (auto* Stream = AsOrNull<TStream>(ATarget)) {
        Stream->SetSize(0);
        return AContainer->ReadEntry(Name(), AHeaderIndex, false, AProgress, Stream, AEntryIndex);
    }
    if (auto* Text = AsOrNull<TXStringItem>(ATarget)) {
        String Value;
        if (!AContainer->ReadEntryText(Name(), AHeaderIndex, false, AProgress, Value, AEntryIndex))
            return false;
        Text->SetS(Value);
        return true;
    }
    if (auto* Persistent = AsOrNull<TPersistent>(ATarget)) {
        auto Data = NewMemoryStream();
        return AContainer->ReadEntry(Name(), AHeaderIndex, false, AProgress, Data.get(), AEntryIndex)
               && LoadObjectFromStream(Persistent, Data.get(), nullptr, false);
    }
    return true;
}

bool TXRStreamFilerGroup::ReadObjectData(TXRStream* AContainer, TXProgress* AProgress)
{
    return ReadIndexedData(AContainer, AProgress, 0, 1, nullptr);
}

bool TXRStreamFilerGroup::ReadItemData(TObject* AItem, TXRStream* AContainer, TXProgress* AProgress, int AHeaderIndex)
{
    return ReadIndexedData(AContainer, AProgress, AHeaderIndex, 2, AItem);
}

// ---- Stream groups -----------------------------------------------------------------------

namespace {

// The bytes of a stream object or of a stream item's object; nullptr for anything else.
TMemoryStream* DataStreamOf(TObject* AObject)
{
    if (auto* Object = AsOrNull<TXStreamObject>(AObject))
        return Object->DataStream();
    if (auto* Item = AsOrNull<TXCustomStreamItem>(AObject))
        return Item->StreamObject()->DataStream();
    return nullptr;
}

}  // namespace

void TXRStreamItemsFilerGroup::Construct()
{
    inherited::Construct();
    SetName("Streams");
    SetItemKind(2);
}

void TXRStreamItemsFilerGroup::ItemIndexRead(TObject* AItem)
{
    if (TMemoryStream* Stream = DataStreamOf(AsOrNull<TXCustomStreamItem>(AItem)))
        WantStream("Data", Stream);
}

void TXRStreamItemsFilerGroup::DefineItemData(TObject* AItem)
{
    if (TMemoryStream* Stream = DataStreamOf(AsOrNull<TXCustomStreamItem>(AItem)))
        DefineStream("Data", Stream);
}

void TXRStreamObjectFilerGroup::Construct()
{
    inherited::Construct();
    SetName("Data");
    SetItemKind(3);
}

void TXRStreamObjectFilerGroup::ObjectIndexRead()
{
    if (TMemoryStream* Stream = DataStreamOf(DataObject()))
        WantStream("Data", Stream);
}

void TXRStreamObjectFilerGroup::DefineObjectData()
{
    if (TMemoryStream* Stream = DataStreamOf(DataObject()))
        DefineStream("Data", Stream);
}

// ---- TXRStreamFiler ----------------------------------------------------------------------

void TXRStreamFiler::Construct()
{
    inherited::Construct();
    FContainerClass = TXQStream::StaticClass();
}

TOwned<TXRStream> TXRStreamFiler::NewContainer() const
{
    TOwned<TXRStream> Container(XCreateFromClass<TXRStream>(FContainerClass));
    Container->SetInflateLimit(FInflateLimit);
    return Container;
}

void TXRStreamFiler::ContainerCheckIdentity(TXRStream* AContainer, bool& AAccept)
{
    AAccept = CheckIdentity(AContainer);
}

bool TXRStreamFiler::CheckIdentity(TXRStream* AContainer)
{
    if (FIdentity.IsEmpty())
        return true;
    if (!FIdentity.Name.empty())
        return AContainer->CheckIdentityRecord(FIdentity);
    const auto& V = FIdentity.Values;
    return AContainer->CheckIdentity5(V[0], V[1], V[2], V[3], V[4]);
}

// Before the container is open the identity goes into the head it is about to write.
bool TXRStreamFiler::WriteIdentity(TXRStream* AContainer)
{
    if (FIdentity.IsEmpty())
        return true;
    AContainer->SetIdentity(FIdentity);
    return !AContainer->IsOpen() || AContainer->WriteFileHead(true);
}

// A group the container lacks keeps what it holds.
bool TXRStreamFiler::ReadGroups(TXRStream* AContainer, TXProgress* AProgress)
{
    SetSteps(AProgress, Groups()->Count());
    for (int I = 0; I < Groups()->Count(); ++I) {
        auto* Group = AsOrNull<TXRStreamFilerGroup>(Groups()->Groups(I));
        TXProgress* Step = NextStep(AProgress);
        if (Group != nullptr && AContainer->Groups()->FindByName(Group->Name()) != nullptr
            && !Group->ReadGroup(AContainer, Step))
            return false;
    }
    FinishProgress(AProgress);
    return true;
}

bool TXRStreamFiler::WriteGroups(TXRStream* AContainer, TXProgress* AProgress)
{
    SetSteps(AProgress, Groups()->Count());
    for (int I = 0; I < Groups()->Count(); ++I) {
        auto* Group = AsOrNull<TXRStreamFilerGroup>(Groups()->Groups(I));
        TXProgress* Step = NextStep(AProgress);
        if (Group != nullptr && !Group->WriteGroup(AContainer, Step))
            return false;
    }
    FinishProgress(AProgress);
    return true;
}

bool TXRStreamFiler::ReadStream(TStream* AStream, TXProgress* AProgress, bool ARaise)
{
    ClearError();
    bool OK = GuardedStep([&] {
        TOwned<TXRStream> Container = NewContainer();
        Container->SetOnCheckIdentity(TXRCheckIdentityEvent::Bind<&TXRStreamFiler::ContainerCheckIdentity>(this));
        bool Read = Container->DoOpenStream(rmRead, AStream, false, SubRange(AProgress, 20), StartOffset())
                    && ReadGroups(Container.get(), SubRange(AProgress, 80));
        Container->Close();
        return Read;
    });
    FinishProgress(AProgress);
    return ReportFilerResult(OK, kErrRead, ARaise);
}

bool TXRStreamFiler::ReadStreamEx(TStream*, TXProgress*, bool ARaise)
{
    return ReportFilerResult(false, kErrRead, ARaise);
}

bool TXRStreamFiler::WriteStream(TStream* AStream, TXProgress* AProgress, bool ARaise)
{
    ClearError();
    bool OK = GuardedStep([&] {
        TOwned<TXRStream> Container = NewContainer();
        bool Written = WriteIdentity(Container.get())
                       && Container->DoOpenStream(rmCreate | rmWrite, AStream, false, SubRange(AProgress, 20),
                                                  StartOffset())
                       && WriteGroups(Container.get(), SubRange(AProgress, 80));
        Container->Close();
        return Written;
    });
    FinishProgress(AProgress);
    return ReportFilerResult(OK, kErrWrite, ARaise);
}

// Opening with AReadRecords walks the whole chain, so headers join the groups already there;
// without it the container only finds its end and the groups are appended as new ones.
bool TXRStreamFiler::UpdateExisting(const String& AFileName, TXROpenMode AMode, bool AReadRecords,
                                    TXProgress* AProgress, bool ARaise)
{
    ClearError();
    bool OK = GuardedStep([&] {
        TOwned<TXRStream> Container = NewContainer();
        bool Opened = AReadRecords ? Container->DoOpenFile(AMode, AFileName, false, SubRange(AProgress, 20))
                                   : Container->OpenFile(AMode, AFileName, false, SubRange(AProgress, 20));
        bool Written = Opened && WriteGroups(Container.get(), SubRange(AProgress, 80));
        Container->Close();
        return Written;
    });
    FinishProgress(AProgress);
    return ReportFilerResult(OK, kErrWrite, ARaise);
}

bool TXRStreamFiler::UpdateFile(const String& AFileName, TXProgress* AProgress, bool ARaise)
{
    if (!FileExists(AFileName))
        return SaveToFile(AFileName, AProgress, ARaise);
    return UpdateExisting(AFileName, rmRead | rmWrite, true, AProgress, ARaise);
}

bool TXRStreamFiler::UpdateFileEx(const String& AFileName, TXProgress* AProgress, bool ARaise)
{
    if (!FileExists(AFileName))
        return SaveToFile(AFileName, AProgress, ARaise);
    return UpdateExisting(AFileName, rmCreateWhenEmpty | rmRead | rmWrite, false, AProgress, ARaise);
}

// ---- TXRStreamObjectFiler ----------------------------------------------------------------

void TXRStreamObjectFiler::Construct()
{
    inherited::Construct();
    TXRIdentity Identity;
    SetFilerIdentity(Identity, 3000, 0, 0, 0, 0, "Data");
    SetIdentity(Identity);
}

void TXRStreamObjectFiler::PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts)
{
    inherited::PrepareGroups(ATarget, ASelector, AParts);
    Groups()->AddGroup(this, TXRStreamObjectFilerGroup::StaticClass(), nullptr, AsOrNull<TXStreamObject>(ATarget));
}
