#include "XVData.Filers.h"

#include "XVData.Containers.h"

namespace {

// The record kinds the label and object groups have always been written with.
constexpr int32_t kLabelItemKind = 200;
constexpr int32_t kObjectKind = 3;

TXL* LabelOf(TObject* ATarget)
{
    if (auto* Label = AsOrNull<TXL>(ATarget))
        return Label;
    if (auto* Owner = AsOrNull<TXLC>(ATarget))
        return Owner->L();
    if (auto* Object = AsOrNull<TXCustomVDataObject>(ATarget))
        return Object->Label();
    return nullptr;
}

}  // namespace

// ---- Groups ------------------------------------------------------------------------------

void TXRLStreamFilerGroup::Construct()
{
    inherited::Construct();
    SetName("XXL");
    SetObjectKind(kObjectKind);
    SetItemKind(kLabelItemKind);
}

void TXVDataObjectFilerGroup::Construct()
{
    inherited::Construct();
    SetName("VData");
    SetObjectKind(kObjectKind);
    SetItemKind(kObjectKind);
}

bool TXCustomVNoteObjectFilerGroup::ReadsDescription() const
{
    return Filer() != nullptr && Filer()->Parts().test(kReadDescription);
}

bool TXCustomVNoteObjectFilerGroup::BeforeLoad(bool ARaise)
{
    auto* Note = AsOrNull<TXCustomVNoteObject>(DataObject());
    if (Note != nullptr && !ReadsDescription()) {
        FKeptDescription = Owned(TXStreamObject::Create());
        FKeptDescription->Assign(Note->Description());
    }
    return inherited::BeforeLoad(ARaise);
}

bool TXCustomVNoteObjectFilerGroup::AfterLoad(bool ARaise)
{
    auto* Note = AsOrNull<TXCustomVNoteObject>(DataObject());
    if (Note != nullptr && FKeptDescription) {
        Note->Description()->Assign(FKeptDescription.get());
        FKeptDescription.reset();
    }
    return inherited::AfterLoad(ARaise);
}

void TXCustomVNoteObjectFilerGroup::ObjectIndexRead()
{
    auto* Note = AsOrNull<TXCustomVNoteObject>(DataObject());
    if (Note == nullptr)
        return;
    if (ReadsDescription())
        WantStream("Description", Note->Description()->DataStream());
    WantStream("Image", Note->Image()->DataStream());
}

void TXCustomVNoteObjectFilerGroup::DefineObjectData()
{
    if (auto* Note = AsOrNull<TXCustomVNoteObject>(DataObject())) {
        DefineStream("Description", Note->Description()->DataStream());
        DefineStream("Image", Note->Image()->DataStream());
    }
}

#define X_VDATA_GROUP_NAME(Class, Name) \
    void Class::Construct()             \
    {                                   \
        inherited::Construct();         \
        SetName(Name);                  \
    }

X_VDATA_GROUP_NAME(TXVQuickNoteObjectFilerGroup, "QuickNote")
X_VDATA_GROUP_NAME(TXVJournalObjectFilerGroup, "Journal")
X_VDATA_GROUP_NAME(TXVEventObjectFilerGroup, "Event")
X_VDATA_GROUP_NAME(TXVHolidayObjectFilerGroup, "Holiday")
X_VDATA_GROUP_NAME(TXVTabObjectFilerGroup, "Tab")
X_VDATA_GROUP_NAME(TXVNotebookObjectFilerGroup, "Notebook")
X_VDATA_GROUP_NAME(TXVVolumeObjectFilerGroup, "Volume")
#undef X_VDATA_GROUP_NAME

// ---- Filers ------------------------------------------------------------------------------

// A label is a few names and numbers: a file whose groups inflate past this is a crafted one,
// whatever it claims to be.
void TXRLStreamFiler::Construct()
{
    inherited::Construct();
    SetInflateLimit(kXZDocumentLimit);
}

void TXRLStreamFiler::PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts)
{
    inherited::PrepareGroups(ATarget, ASelector, AParts);
    Groups()->AddGroup(this, TXRLStreamFilerGroup::StaticClass(), nullptr, LabelOf(ATarget));
}

// Notes, dates and a small picture: a file that inflates past this is a crafted one.
void TXVDataObjectFiler::Construct()
{
    inherited::Construct();
    SetInflateLimit(kXZDocumentLimit);
}

void TXVDataObjectFiler::PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts)
{
    inherited::PrepareGroups(ATarget, ASelector, AParts);
    Groups()->AddGroup(this, TXRLStreamFilerGroup::StaticClass(), nullptr, LabelOf(ATarget));
    Groups()->AddGroup(this, ObjectGroupClass(), nullptr, AsOrNull<TXCustomVDataObject>(ATarget));
}

void TXVDataObjectFiler::SetKindIdentity(const String& AName)
{
    TXRIdentity Identity;
    SetFilerIdentity(Identity, 3000, 0, 0, 0, 0, AName);
    SetIdentity(Identity);
}

#define X_VDATA_FILER_IDENTITY(Class, Name) \
    void Class::Construct()                 \
    {                                       \
        inherited::Construct();             \
        SetKindIdentity(Name);              \
    }

X_VDATA_FILER_IDENTITY(TXVQuickNoteFiler, "QuickNote")
X_VDATA_FILER_IDENTITY(TXVJournalFiler, "Journal")
X_VDATA_FILER_IDENTITY(TXVEventFiler, "Event")
X_VDATA_FILER_IDENTITY(TXVHolidayFiler, "Holiday")
X_VDATA_FILER_IDENTITY(TXVTabFiler, "Tab")
X_VDATA_FILER_IDENTITY(TXVNotebookFiler, "Notebook")
X_VDATA_FILER_IDENTITY(TXVVolumeFiler, "Volume")
#undef X_VDATA_FILER_IDENTITY
