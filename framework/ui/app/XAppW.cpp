#include "XAppW.h"

#include "Rtl.Files.h"
#include "Rtl.SafeFiles.h"
#include "Win.Registry.h"
#include "XClasses.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.IO.h"
#include "XMLClasses.h"
#include "XSpark.App.h"
#include "XSpark.Lg.h"

namespace {

constexpr uint32_t kLanguagePackKind = 100;
const char* const kLanguageName = "Language";
const char* const kWordsName = "Words";

}   // namespace

void RegisterUIApp()
{
    RegisterCorePersistence();
    // A pack names the class of its group object; reading makes one of that class by name.
    RegisterClasses({TXLgHeader::StaticClass(), TXLgProject::StaticClass()});
}

// ---- TXLgFilerGroup ----------------------------------------------------------------------

void TXLgFilerGroup::Construct()
{
    inherited::Construct();
    SetItemKind(4);
    SetName("Header");
}

void TXLgFilerGroup::ObjectIndexRead()
{
    if (auto* Project = AsOrNull<TXLgProject>(DataObject()))
        WantStream(kWordsName, Project->TextStream());
}

void TXLgFilerGroup::DefineObjectData()
{
    if (auto* Project = AsOrNull<TXLgProject>(DataObject()))
        DefineStream(kWordsName, Project->TextStream());
}

// ---- TXLgFiler ---------------------------------------------------------------------------

void TXLgFiler::Construct()
{
    inherited::Construct();
    SetContainerClass(TXQStream::StaticClass());
    TXRIdentity Identity;
    SetFilerIdentity(Identity, kLanguagePackKind, 0, 0, 0, 0, kLanguageName);
    SetIdentity(Identity);
}

void TXLgFiler::PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts)
{
    inherited::PrepareGroups(ATarget, ASelector, AParts);
    auto* Header = AsOrNull<TXLgHeader>(ATarget);
    auto* Project = AsOrNull<TXLgProject>(ATarget);
    if ((ASelector != 0 || Project == nullptr) && (ASelector != 1 || Header == nullptr))
        return;
    TXRIdentity Identity = this->Identity();
    Identity.Values[1] = Header->AppID();
    Identity.Values[2] = Header->AppVer();
    SetIdentity(Identity);
    TXFilerGroup* Group = Groups()->AddNamedGroup(this, TXLgFilerGroup::StaticClass(),
                                                  ASelector == 0 ? Project->Items() : nullptr, Header, kLanguageName);
    if (ASelector == 1)
        Group->SetReadOptions(Group->ReadOptions().Exclude(roObjectData));   // the header alone
}

// ---- Registry values ---------------------------------------------------------------------

namespace {

const char* const kRegLgID = "LgID";
const char* const kRegDataFolder = "DataFolder";

// AAction on the key "Software\" + ARegKey, opened as asked; every failure swallowed.
template <class TAction>
void WithRegKey(const String& ARegKey, bool AWrite, TAction AAction)
{
    if (ARegKey.empty())
        return;
    try {
        auto Registry = Owned(TRegistry::Create(AWrite ? KEY_ALL_ACCESS : KEY_READ));
        Registry->SetRootKey(HKEY_CURRENT_USER);
        String Key = "\\Software\\" + ARegKey;
        if (AWrite ? Registry->OpenKey(Key, true) : Registry->OpenKeyReadOnly(Key))
            AAction(Registry.get());
    } catch (const std::exception&) {
    }
}

// "card.ini" beside the program asks for card mode with a positive "CardMode".
bool CheckCardMode()
{
    try {
        String FileName = NVApp()->ExeFolder() + "card.ini";
        if (!FileExists(FileName))
            return false;
        auto Lines = Owned(TStringList::Create());
        Lines->LoadFromFile(FileName);
        return StrToIntDef(Trim(Lines->Values("CardMode")), 0) > 0;
    } catch (const std::exception&) {
        return false;
    }
}

}   // namespace

uint32_t ReadRegLgID(const String& ARegKey)
{
    uint32_t Result = 0;
    WithRegKey(ARegKey, false, [&](TRegistry* R) {
        if (R->ValueExists(kRegLgID))
            Result = static_cast<uint32_t>(R->ReadInteger(kRegLgID));
    });
    return Result;
}

void WriteRegLgID(const String& ARegKey, uint32_t AValue)
{
    WithRegKey(ARegKey, true, [&](TRegistry* R) { R->WriteInteger(kRegLgID, static_cast<int32_t>(AValue)); });
}

String ReadRegDataFolder(const String& ARegKey)
{
    String Result;
    WithRegKey(ARegKey, false, [&](TRegistry* R) { Result = R->ReadString(kRegDataFolder); });
    return Result;
}

void WriteRegDataFolder(const String& ARegKey, const String& AFolder)
{
    WithRegKey(ARegKey, true, [&](TRegistry* R) { R->WriteString(kRegDataFolder, AFolder); });
}

// ---- TXAppWizard -------------------------------------------------------------------------

using XClasses::IsCardMode;
using XClasses::IsDemoMode;

TXAppWizard* AppWizard = nullptr;
String BaseDataFolder;

void TXAppWizard::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    FLanguageIDs = TXLocaleIDStringList::Create();
    FAllHeaders = TXLgHeaderList::Create();
    FHeaders = TXLgHeaderList::Create();
    FHeaders->SetOwnsObjects(false);
    AppWizard = this;
}

TXAppWizard::~TXAppWizard()
{
    if (AppWizard == this)
        AppWizard = nullptr;
    if (FLoadTimer != nullptr)
        FLoadTimer->Free();
    SetIni(nullptr);
    FreeAndNil(FHeaders);
    FreeAndNil(FAllHeaders);
    FreeAndNil(FLanguageIDs);
}

void TXAppWizard::Notification(TComponent* AComponent, TOperation AOperation)
{
    inherited::Notification(AComponent, AOperation);
    if (AOperation != opRemove)
        return;
    if (AComponent == FIni)
        FIni = nullptr;
    if (AComponent == FLoadTimer)
        FLoadTimer = nullptr;
}

void TXAppWizard::SetIni(TXIni* AIni)
{
    if (AIni == FIni)
        return;
    auto Handler = TXNotificationHandler::Bind<&TXAppWizard::IniChanged>(this);
    if (FIni != nullptr) {
        FIni->Unsubscribe(TXChangedAspect::StaticClass(), Handler);
        FIni->RemoveFreeNotification(this);
    }
    FIni = AIni;
    if (FIni != nullptr) {
        FIni->FreeNotification(this);
        FIni->Subscribe(TXChangedAspect::StaticClass(), Handler);
    }
}

void TXAppWizard::IniChanged(IXNotification*)
{
    SaveIni();
}

void TXAppWizard::Fire(const TNotifyEvent& AEvent)
{
    if (AEvent)
        AEvent(this);
}

bool TXAppWizard::Start()
{
    Fire(FOnStartApp);
    return StartApp();
}

bool TXAppWizard::StartApp()
{
    (void)InitApp();
    if (!ChooseDataFolder())
        return false;
    RemoveStaleSaves();
    LoadIni();
    SelectStartLanguage();
    FLoadTimer = XEngine::StartOneShotTimer(100, TNotifyEvent::Bind<&TXAppWizard::LoadDataTimer>(this));
    FLoadTimer->FreeNotification(this);
    return true;
}

bool TXAppWizard::InitApp()
{
    Fire(FOnInitApp);
    return true;
}

void TXAppWizard::LoadData()
{
    Fire(FOnLoadData);
}

void TXAppWizard::SaveData()
{
    Fire(FOnSaveData);
}

void TXAppWizard::LanguageChanged()
{
    Fire(FOnLanguageChanged);
}

bool TXAppWizard::ChooseDataFolder()
{
    NVApp()->SetDataFolder("");
    try {
        String Folder;
        IsCardMode = CheckCardMode();
        if (IsCardMode) {
            Folder = AddPathDelimiter(NVApp()->ExeFolder() + FDataExt);
        } else {
            IsDemoMode = NVParams()->Exists("/demo");
            if (IsDemoMode) {
                Folder = AddPathDelimiter(AddPathDelimiter(BaseDataFolder + "demo") + FDataExt);
            } else {
                Folder = ReadRegDataFolder(FRegKey);
                if (Folder.empty()) {
                    Folder = AddPathDelimiter(AddPathDelimiter(BaseDataFolder) + FDataExt);
                    WriteRegDataFolder(FRegKey, Folder);
                }
            }
        }
        (void)TryForceDirectories(Folder);
        if (IsDirectoryWritable(Folder))
            FReadOnly = false;
        else if (FAllowReadOnly && DirExists(Folder))
            FReadOnly = true;
        else
            return false;
        NVApp()->SetDataFolder(Folder);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Temporary files of saves that a crash or a power cut interrupted, in the folders we save to.
void TXAppWizard::RemoveStaleSaves()
{
    if (FReadOnly)
        return;
    RemoveStaleTempFiles(NVApp()->DataFolder());
    if (FIni != nullptr && !FIniFileName.empty())
        RemoveStaleTempFiles(ExtractFilePath(ExpandPathMacros(FIniFileName)));
}

void TXAppWizard::FinishApp()
{
    SaveData();
    SaveIni();
    if (!IsCardMode && !IsDemoMode)
        WriteRegDataFolder(FRegKey, NVApp()->DataFolder());
}

void TXAppWizard::LoadIni()
{
    if (FIni != nullptr && !FIniFileName.empty()) {
        FIni->Reset();
        if (uint32_t RegLgID = ReadRegLgID(FRegKey); RegLgID != 0)
            FIni->SetlgID(RegLgID);
        String FileName = ExpandPathMacros(FIniFileName);
        if (FileExists(FileName))
            (void)FIni->LoadFromFile(FileName);   // a damaged file leaves the defaults it did not reach
        else
            FNewIni = true;
        if (FIni->lgID() != 0)
            FLgID = FIni->lgID();
    } else if (IsDemoMode) {
        FNewIni = true;
    }
    Fire(FOnLoadIni);
}

void TXAppWizard::SaveIni()
{
    if (!IsDemoMode)
        WriteRegLgID(FRegKey, GetCurrentLgID());
    Fire(FOnSaveIni);
    if (FIni != nullptr && !FIniFileName.empty()) {
        FIni->SetlgID(GetCurrentLgID());
        (void)FIni->SaveToFile(ExpandPathMacros(FIniFileName), FCompress);
    }
}

// ---- Languages ---------------------------------------------------------------------------

void TXAppWizard::AddLanguageStream(TStream* AStream)
{
    auto Header = Owned(TXLgHeader::Create());
    Header->SetAppID(FAppID);
    Header->SetAppVer(FAppVer);
    if (AStream->Size() == 0
        || !FilerLoadFromStream(AStream, TXLgFiler::StaticClass(), Header.get(), false, nullptr, {}, 1)
        || FAllHeaders->IndexOfLgID(Header->LgID()) >= 0)
        return;
    Header->SetDataStream(AStream);
    TXLgHeader* Added = Header.release();
    FAllHeaders->Add(Added);
    FHeaders->Add(Added);
    RebuildLanguages();
}

void TXAppWizard::RebuildLanguages()
{
    if (LgChangedHandlersLocked())
        return;
    FHeaders->Clear();
    for (int I = 0; I < FLanguageIDs->Count(); ++I)
        if (int Index = FAllHeaders->IndexOfLgID(FLanguageIDs->GetItemLgID(I)); Index >= 0)
            FHeaders->Add(FAllHeaders->Headers(Index));
    if (FHeaders->Count() == 0)
        for (int I = 0; I < FAllHeaders->Count(); ++I)
            FHeaders->Add(FAllHeaders->Headers(I));
    FHeaders->SortByName();
}

void TXAppWizard::SelectStartLanguage()
{
    int Index = FHeaders->IndexOfLgID(FLgID);
    (void)SelectLanguage(Index >= 0 ? Index : 0);
}

bool TXAppWizard::LoadProject(TXLgProject* AProject, TXLgHeader* AHeader)
{
    if (AHeader->DataStream() != nullptr)
        return FilerLoadFromStream(AHeader->DataStream(), TXLgFiler::StaticClass(), AProject);
    return FilerLoadFromFile(AHeader->FileName(), TXLgFiler::StaticClass(), AProject);
}

void TXAppWizard::ActivateProject(TXLgProject* AProject)
{
    Lg()->Clear();
    TXBCollection* Items = AProject->Items();
    while (Items->Count() > 0) {
        TXBI* Item = Items->Items(0);
        (void)Lg()->AddItem(Item->GetDisplayName(), Item->Data()->DataStream(), Item->Data()->DataClass());
        Items->Delete(0);
    }
    (void)Lg()->LoadTexts(AProject->TextStream(), true);
    LanguageChanged();
}

bool TXAppWizard::SelectLanguage(int AIndex)
{
    if (AIndex < 0 || AIndex >= FHeaders->Count())
        return false;
    LockLgChangedHandlers();
    bool OK = false;
    try {
        auto Project = Owned(TXLgProject::Create());
        Project->SetAppID(FAppID);
        Project->SetAppVer(FAppVer);
        OK = LoadProject(Project.get(), FHeaders->Headers(AIndex));
        if (!OK) {
            // A pack that broke since it was offered: the first built-in one instead.
            int Fallback = FHeaders->IndexOfFirstWithData();
            if (Fallback >= 0 && Fallback != AIndex) {
                Project->TextStream()->SetSize(0);
                Project->Items()->Clear();
                OK = LoadProject(Project.get(), FHeaders->Headers(Fallback));
            }
        }
        // Nothing loaded: the current language stays.
        if (OK)
            ActivateProject(Project.get());
    } catch (const std::exception&) {
        OK = false;
    }
    UnlockLgChangedHandlers(true);
    return OK;
}

void TXAppWizard::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("RegKey", &TXAppWizard::RegKey, &TXAppWizard::SetRegKey);
    P.Property("DataExt", &TXAppWizard::DataExt, &TXAppWizard::SetDataExt);
    P.Property("AllowReadOnly", &TXAppWizard::AllowReadOnly, &TXAppWizard::SetAllowReadOnly).Default(false);
    P.Property("OnInitApp", &TXAppWizard::OnInitApp, &TXAppWizard::SetOnInitApp);
    P.Property("OnStartApp", &TXAppWizard::OnStartApp, &TXAppWizard::SetOnStartApp);
    P.Property("OnLoadIni", &TXAppWizard::OnLoadIni, &TXAppWizard::SetOnLoadIni);
    P.Property("OnSaveIni", &TXAppWizard::OnSaveIni, &TXAppWizard::SetOnSaveIni);
    P.Property("OnLoadData", &TXAppWizard::OnLoadData, &TXAppWizard::SetOnLoadData);
    P.Property("OnSaveData", &TXAppWizard::OnSaveData, &TXAppWizard::SetOnSaveData);
    P.Property("OnLanguageChanged", &TXAppWizard::OnLanguageChanged, &TXAppWizard::SetOnLanguageChanged);
}
