#include "XVData.Containers.h"

#include "Rtl.DateUtils.h"
#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"
#include "XCore.DateTime.Containers.h"
#include "XCore.IO.h"
#include "XCore.Strings.h"
#include "XVData.Filers.h"

namespace {

// A container's own file: "Folder" and its extension, in its folder.
String OwnFileName(const String& AFolder, const String& AExtension)
{
    return AddPathDelimiter(AFolder) + "Folder" + AExtension;
}

// AName made as a folder of ABase (numbered when taken), relative to ABase with a trailing
// delimiter; empty when it cannot be made.
String MakeChildFolder(const String& ABase, const String& AName)
{
    String Made = CreateNumberedDirectory(ABase, AName);
    return Made.empty() ? String() : ExtractFileName(ExcludeTrailingPathDelimiter(Made)) + PathDelim;
}

// A new container's folder AFolder, made under ABase (its parent's folder). A folder that cannot
// be made leaves the container Unavailable and unsaved.
void PlaceNewContainer(TXCustomVDataObject& AObject, const String& ABase, const String& ACaption,
                       String& AFolder)
{
    AFolder = MakeChildFolder(ABase, ACaption);
    if (AFolder.empty()) {
        AObject.SetFileName(String());
        AObject.SetStatusBit(kVStatusUnavailable, true);
        return;
    }
    AObject.SetFileName(OwnFileName(ABase + AFolder, AObject.GetExtension()));
    (void)AObject.Changed();   // a failed save is recorded; the object stays Modified
}

// A container read from disk: its folder is made again when it went missing.
void AttachContainer(TXCustomVDataObject& AObject, const String& AFolder)
{
    if (!DirExists(AFolder))
        TryForceDirectories(AFolder);
    AObject.SetFileName(OwnFileName(AFolder, AObject.GetExtension()));
}

// A container's caption, else its folder's name.
String CaptionOrFolder(const String& ACaption, const String& AFolder)
{
    return ACaption.empty() ? ExcludeTrailingPathDelimiter(AFolder) : ACaption;
}

// Not owned; see TXVJournalTabObject::SetDefaultJournalImage.
TXImageObject* GDefaultJournalImage = nullptr;

}  // namespace

// ---- Containers --------------------------------------------------------------------------

void TXVTabObject::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Caption", &TXVTabObject::Caption, &TXVTabObject::SetCaption);
    P.Property("Order", &TXVTabObject::Order, &TXVTabObject::SetOrder);
}

void TXVTabObject::Init()
{
    inherited::Init();
    FOrder = Owned(TXVOrder::Create());
    FItems = Owned(TXVDataList::Create());
    FItems->SetItemClass(GetItemClass());
}

void TXVTabObject::DoClear()
{
    inherited::DoClear();
    FCaption.clear();
    FOrder->Clear();
}

String TXVTabObject::GetFolder()
{
    auto* Notebook = AsOrNull<TXVNotebookObject>(Parent());
    return Notebook != nullptr ? Notebook->GetFolder() + FFolder : FFolder;
}

TClass TXVTabObject::GetFilerClass() const
{
    return TXVTabFiler::StaticClass();
}

void TXVTabObject::NewObject(TXCustomVDataObject* AParent)
{
    inherited::NewObject(AParent);
    auto* Notebook = AsOrNull<TXVNotebookObject>(AParent);
    String Base = Notebook != nullptr ? Notebook->GetFolder() : String();
    PlaceNewContainer(*this, Base, FCaption, FFolder);
}

void TXVTabObject::Attach(TXCustomVDataObject* AParent, const String&)
{
    inherited::Attach(AParent, String());
    AttachContainer(*this, GetFolder());
}

TXCustomVDataObject* TXVTabObject::NewItem()
{
    TXCustomVDataObject* Item = FItems->AddNewObject();
    Item->NewObject(this);
    return Item;
}

TXCustomVDataObject* TXVTabObject::AttachItem(const String& AFileName)
{
    TXCustomVDataObject* Item = FItems->AddNewObject();
    Item->Attach(this, AFileName);
    return Item;
}

void TXVTabObject::RemoveObject(TXCustomVDataObject* AObject)
{
    if (!AObject->FileName().empty())
        ForceDeleteFile(AObject->FileName());
    FItems->Remove(AObject);
}

void TXVTabObject::PurgeNew()
{
    for (int I = FItems->Count() - 1; I >= 0; --I)
        if (FItems->Objects(I)->HasStatus(kVStatusNew))
            FItems->Delete(I);
}

// The cached note is checked against the list: a removed note must not come back.
TXVQuickNoteObject* TXVQuickNoteTabObject::GetDefaultNote()
{
    if (FDefaultNote != nullptr && Items()->IndexOf(FDefaultNote) >= 0)
        return FDefaultNote;
    const String Name = "default.xqnote";
    FDefaultNote = nullptr;
    for (int I = 0; I < Items()->Count() && FDefaultNote == nullptr; ++I)
        if (SameText(ExtractFileName(Items()->Objects(I)->FileName()), Name))
            FDefaultNote = AsOrNull<TXVQuickNoteObject>(Items()->Objects(I));
    if (FDefaultNote == nullptr)
        FDefaultNote = static_cast<TXVQuickNoteObject*>(AttachItem(AddPathDelimiter(GetFolder()) + Name));
    return FDefaultNote;
}

TXImageObject* TXVJournalTabObject::DefaultJournalImage()
{
    return GDefaultJournalImage;
}

void TXVJournalTabObject::SetDefaultJournalImage(TXImageObject* AValue)
{
    GDefaultJournalImage = AValue;
}

TXVJournalObject* TXVJournalTabObject::GetJournal(TDateTime ADate)
{
    int Index = Items()->IndexOfDate(ADate);
    if (Index < 0)
        return NewJournal(ADate);
    auto* Journal = static_cast<TXVJournalObject*>(Items()->Objects(Index));
    (void)Journal->Load();   // a failed read is recorded and marks the entry
    return Journal;
}

TXVJournalObject* TXVJournalTabObject::NewJournal(TDateTime ADate)
{
    auto* Journal = static_cast<TXVJournalObject*>(NewItem());
    Journal->DTStart()->SetDDate(ADate);
    if (GDefaultJournalImage != nullptr)
        Journal->Image()->Assign(GDefaultJournalImage);
    uint16_t Year, Month, Day;
    DecodeDate(ADate, Year, Month, Day);
    String YearText = IntToStr(Year);
    Journal->SetFileName(AddPathDelimiter(GetFolder()) + YearText + PathDelim + YearText + ZeroPadInt(Month, 2)
                         + ZeroPadInt(Day, 2) + Journal->GetExtension());
    return Journal;
}

TXVJournalObject* TXVJournalTabObject::GetJournalByText(const String& AText)
{
    return GetJournal(ParseBasicDateTime(AText));
}

String TXVTabObject::GetDisplayText()
{
    return CaptionOrFolder(FCaption, FFolder);
}

bool TXVTabObject::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXVTabObject>(ASource)) {
        FCaption = Source->FCaption;
        FOrder->Assign(Source->Order());
    }
    return inherited::AssignFrom(ASource);
}

void TXVTabList::Construct(bool AOwnsObjects)
{
    inherited::Construct(AOwnsObjects);
    SetItemClass(TXVTabObject::StaticClass());
}

void TXVNotebookObject::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Caption", &TXVNotebookObject::Caption, &TXVNotebookObject::SetCaption);
}

void TXVNotebookObject::Init()
{
    inherited::Init();
    FTabs = Owned(TXVTabList::Create());
}

void TXVNotebookObject::DoClear()
{
    inherited::DoClear();
    FCaption.clear();
}

String TXVNotebookObject::GetFolder()
{
    auto* Volume = AsOrNull<TXVVolumeObject>(Parent());
    return Volume != nullptr ? Volume->RootFolder() + FFolder : FFolder;
}

TClass TXVNotebookObject::GetFilerClass() const
{
    return TXVNotebookFiler::StaticClass();
}

void TXVNotebookObject::NewObject(TXCustomVDataObject* AParent)
{
    inherited::NewObject(AParent);
    auto* Volume = AsOrNull<TXVVolumeObject>(AParent);
    String Base = Volume != nullptr ? Volume->RootFolder() : String();
    PlaceNewContainer(*this, Base, FCaption, FFolder);
}

void TXVNotebookObject::Attach(TXCustomVDataObject* AParent, const String&)
{
    inherited::Attach(AParent, String());
    AttachContainer(*this, GetFolder());
}

void TXVNotebookObject::DeleteObject(TXCustomVDataObject* AObject)
{
    for (int I = 0; I < FTabs->Count(); ++I)
        if (FTabs->Tabs(I)->Items()->IndexOf(AObject) >= 0) {
            FTabs->Tabs(I)->RemoveObject(AObject);
            return;
        }
}

String TXVNotebookObject::GetDisplayText()
{
    return CaptionOrFolder(FCaption, FFolder);
}

bool TXVNotebookObject::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXVNotebookObject>(ASource))
        FCaption = Source->FCaption;
    return inherited::AssignFrom(ASource);
}

void TXVNotebookList::Construct(bool AOwnsObjects)
{
    inherited::Construct(AOwnsObjects);
    SetItemClass(TXVNotebookObject::StaticClass());
}

TClass TXVVolumeObject::GetFilerClass() const
{
    return TXVVolumeFiler::StaticClass();
}

void TXVVolumeObject::NewObject(TXCustomVDataObject* AParent)
{
    inherited::NewObject(AParent);
    SetFileName(OwnFileName(FRootFolder, GetExtension()));
    (void)Changed();   // a failed save is recorded; the object stays Modified
}

void TXVVolumeObject::Attach(TXCustomVDataObject* AParent, const String&)
{
    inherited::Attach(AParent, String());
    if (!DirExists(FRootFolder))
        TryForceDirectories(FRootFolder);
    SetFileName(OwnFileName(FRootFolder, GetExtension()));
}

void TXVVolumeObject::Init()
{
    inherited::Init();
    FNotebooks = Owned(TXVNotebookList::Create());
}

void TXVVolumeList::Construct(bool AOwnsObjects)
{
    inherited::Construct(AOwnsObjects);
    SetItemClass(TXVVolumeObject::StaticClass());
}
