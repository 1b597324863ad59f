#include "XVData.Store.h"

#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"
#include "XCore.IO.h"
#include "XSpark.Lg.h"
#include "XVData.Filers.h"

namespace {

// The category texts of events; holidays take all but the second.
constexpr uint32_t kEventCategoryIds[] = {0x8200C9F4, 0x8200AD35, 0x820076D7, 0x8200B056, 0x82003160, 0x8200F3F2};
constexpr uint32_t kHolidayCategoryIds[] = {0x8200C9F4, 0x820076D7, 0x8200B056, 0x82003160, 0x8200F3F2};

// Reads the object's own file when its folder exists or can be made.
void PrepareFolderObject(TXCustomVDataObject* AObject, const String& AFolder)
{
    TryForceDirectories(AFolder);
    if (DirExists(AFolder))
        (void)AObject->Load();
    else
        AObject->SetStatusBit(kVStatusUnavailable, true);
}

// The sub-folders of AFolder, each with its trailing delimiter.
TOwned<TStringList> SubFolders(const String& AFolder)
{
    auto List = Owned(TStringList::Create());
    GetSubDirs(AFolder, List.get());
    return List;
}

TOwned<TStringList> FilesOfKind(const String& AFolder, const String& AExtension)
{
    auto List = Owned(TStringList::Create());
    if (!AExtension.empty())
        GetDirFiles(AFolder, "*" + AExtension, List.get(), true);
    return List;
}

// The "Class" in the label of a container's own file; empty when it does not read.
String ClassInLabel(const String& AFileName)
{
    auto Label = Owned(TXL::Create());
    if (!FilerLoadFromFile(AFileName, TXRLStreamFiler::StaticClass(), Label.get()))
        return String();
    return Label->Info()->GetValue("Class");
}

template <size_t N>
void AddCategories(TStringList* AList, const uint32_t (&AIds)[N])
{
    for (uint32_t Id : AIds) {
        String Text = Lg()->GetText(Id);
        if (!Text.empty())
            AList->Add(Text);
    }
}

TOwned<TStringList> NewCategoryList()
{
    auto List = Owned(TStringList::Create());
    List->SetSorted(true);
    List->SetDuplicates(dupIgnore);
    return List;
}

}  // namespace

// ---- Tab classes -------------------------------------------------------------------------

void TXVTabClassItem::SetTabClass(TClass ATabClass)
{
    auto Tab = Owned(As<TXVTabObject>(XCreateFromClass<TXPersistent>(ATabClass)));
    auto Item = Owned(As<TXCustomVDataObject>(XCreateFromClass<TXPersistent>(Tab->GetItemClass())));
    FTabClass = ATabClass;
    FItemClass = Tab->GetItemClass();
    FItemExtension = Item->GetExtension();
    SetDisplayName(ATabClass->ClassName());
}

TXVTabClassItem* TXVTabClassCollection::RegisterTabClass(TClass ATabClass)
{
    TXVTabClassItem* Item = Add();
    Item->SetTabClass(ATabClass);
    RegisterClass(Item->TabClass());
    RegisterClass(Item->ItemClass());
    return Item;
}

TXVTabClassItem* TXVTabClassCollection::Find(const String& AClassName) const
{
    int Index = IndexOfName(AClassName);
    return Index >= 0 ? Items(Index) : nullptr;
}

// ---- TXVNotebooks ------------------------------------------------------------------------

void TXVNotebooks::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FVolumes = Owned(TXVVolumeList::Create());
    FTabClasses = Owned(TXVTabClassCollection::Create(static_cast<TPersistent*>(this)));
}

TXVVolumeObject* TXVNotebooks::AddVolume(const String& AFolder)
{
    TXVVolumeObject* Volume = TXVVolumeObject::Create();
    FVolumes->Add(Volume);
    Volume->SetRootFolder(AddPathDelimiter(AFolder));
    Volume->Attach(nullptr, String());
    return Volume;
}

void TXVNotebooks::PrepareVolume(TXVVolumeObject* AVolume)
{
    PrepareFolderObject(AVolume, AVolume->RootFolder());
}

void TXVNotebooks::LoadVolume(TXVVolumeObject* AVolume)
{
    PrepareVolume(AVolume);
    TXVNotebookList* Notebooks = AVolume->Notebooks();
    if (AVolume->HasStatus(kVStatusLoaded)) {
        TOwned<TStringList> Folders = SubFolders(AVolume->RootFolder());
        for (int I = 0; I < Folders->Count(); ++I) {
            bool Known = false;
            for (int N = 0; N < Notebooks->Count() && !Known; ++N)
                Known = IsSameFileName(Notebooks->Notebooks(N)->Folder(), Folders->Strings(I));
            if (!Known)
                AddNotebook(Folders->Strings(I), AVolume);
        }
    }
    for (int N = 0; N < Notebooks->Count(); ++N)
        PrepareNotebook(Notebooks->Notebooks(N));
}

TXVNotebookObject* TXVNotebooks::AddNotebook(const String& AFolder, TXVVolumeObject* AVolume)
{
    TXVNotebookObject* Notebook = TXVNotebookObject::Create();
    AVolume->Notebooks()->Add(Notebook);
    Notebook->SetFolder(AFolder);
    Notebook->Attach(AVolume, String());
    return Notebook;
}

void TXVNotebooks::PrepareNotebook(TXVNotebookObject* ANotebook)
{
    PrepareFolderObject(ANotebook, ANotebook->GetFolder());
}

void TXVNotebooks::LoadNotebook(TXVNotebookObject* ANotebook)
{
    PrepareNotebook(ANotebook);
    if (!ANotebook->HasStatus(kVStatusLoaded))
        return;
    TXVTabList* Tabs = ANotebook->Tabs();
    TOwned<TStringList> Folders = SubFolders(ANotebook->GetFolder());
    for (int I = 0; I < Folders->Count(); ++I) {
        bool Known = false;
        for (int T = 0; T < Tabs->Count() && !Known; ++T)
            Known = IsSameFileName(Tabs->Tabs(T)->Folder(), Folders->Strings(I));
        if (!Known)
            AddTabFromFolder(Folders->Strings(I), ANotebook);
    }
}

TXVTabObject* TXVNotebooks::AddTabFromFolder(const String& AFolder, TXVNotebookObject* ANotebook)
{
    String Folder = ANotebook->GetFolder() + AFolder;
    String OwnFile = Folder + "Folder" + ".xtab";
    String ClassName;
    if (FileExists(OwnFile)) {
        ClassName = ClassInLabel(OwnFile);
    } else {
        for (int I = 0; I < FTabClasses->Count() && ClassName.empty(); ++I)
            if (FilesOfKind(Folder, FTabClasses->Items(I)->ItemExtension())->Count() > 0)
                ClassName = FTabClasses->Items(I)->GetDisplayName();
    }
    return ClassName.empty() ? nullptr : AddTab(AFolder, ClassName, ANotebook);
}

TXVTabObject* TXVNotebooks::AddTab(const String& AFolder, const String& AClassName, TXVNotebookObject* ANotebook)
{
    TXVTabClassItem* Registered = FTabClasses->Find(AClassName);
    if (Registered == nullptr)
        return nullptr;
    auto* Tab = static_cast<TXVTabObject*>(XCreateFromClass<TXPersistent>(Registered->TabClass()));
    ANotebook->Tabs()->Add(Tab);
    Tab->SetFolder(AFolder);
    Tab->Attach(ANotebook, String());
    (void)Tab->Load();
    return Tab;
}

void TXVNotebooks::LoadTabItems(TXVTabObject* ATab)
{
    (void)ATab->Load();
    TXVTabClassItem* Registered = FTabClasses->Find(ATab->ClassName());
    if (Registered == nullptr)
        return;
    TOwned<TStringList> Files = FilesOfKind(ATab->GetFolder(), Registered->ItemExtension());
    for (int I = 0; I < Files->Count(); ++I) {
        TXCustomVDataObject* Item = ATab->Items()->AddNewObject();
        Item->SetFileName(Files->Strings(I));
        (void)Item->LoadHeader();
    }
}

// ---- TXVCalendars ------------------------------------------------------------------------

void TXVCalendars::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    for (TClass Tab : {TXVQuickNoteTabObject::StaticClass(), TXVJournalTabObject::StaticClass(),
                       TXVHolidayTabObject::StaticClass(), TXVEventTabObject::StaticClass()})
        TabClasses()->RegisterTabClass(Tab);
    FEventCategories = NewCategoryList();
    FHolidayCategories = NewCategoryList();
}

TXVCalendars::~TXVCalendars()
{
    if (FOpened)
        UnregisterLgChangedHandler(TMethod<void()>::Bind<&TXVCalendars::UpdateCategories>(this));
}

void TXVCalendars::Open(const String& ARootFolder)
{
    TXVVolumeObject* Volume = AddVolume(ARootFolder);
    FDefaultNotebook = AddNotebook(String("Default") + PathDelim, Volume);
    auto AddStandardTab = [this](const char* AFolder, TClass AClass) {
        return AddTab(String(AFolder) + PathDelim, AClass->ClassName(), FDefaultNotebook);
    };
    FQuickNoteTab = static_cast<TXVQuickNoteTabObject*>(AddStandardTab("QNotes", TXVQuickNoteTabObject::StaticClass()));
    FJournalTab = static_cast<TXVJournalTabObject*>(AddStandardTab("Journals", TXVJournalTabObject::StaticClass()));
    FHolidayTab = static_cast<TXVHolidayTabObject*>(AddStandardTab("Holidays", TXVHolidayTabObject::StaticClass()));
    FEventTab = static_cast<TXVEventTabObject*>(AddStandardTab("Events", TXVEventTabObject::StaticClass()));
    LoadVolume(Volume);
    LoadNotebook(FDefaultNotebook);
    for (TXVTabObject* Tab : {static_cast<TXVTabObject*>(FQuickNoteTab), static_cast<TXVTabObject*>(FJournalTab),
                              static_cast<TXVTabObject*>(FHolidayTab)})
        LoadTabItems(Tab);
    (void)FQuickNoteTab->GetDefaultNote()->Load();
    FOpened = true;
    RegisterLgChangedHandler(TMethod<void()>::Bind<&TXVCalendars::UpdateCategories>(this));
}

// Texts the current language lacks are left out: a blank category helps nobody.
void TXVCalendars::UpdateCategories()
{
    FEventCategories->Clear();
    AddCategories(FEventCategories.get(), kEventCategoryIds);
    FHolidayCategories->Clear();
    AddCategories(FHolidayCategories.get(), kHolidayCategoryIds);
    if (FHolidayTab == nullptr)
        return;
    for (int I = 0; I < FHolidayTab->Items()->Count(); ++I) {
        const String& Category = static_cast<TXVHolidayObject*>(FHolidayTab->Items()->Objects(I))->Category();
        if (!Category.empty())
            FHolidayCategories->Add(Category);
    }
}
