// Language packs: whole packs and headers read back, the texts replaced on reading, and packs
// of another program, of another kind or damaged refused with the reason recorded. The wizard:
// a headless program started end to end under a private home, its settings and language kept
// saved, and damaged settings files and language packs survived.
#include "XAppW.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "Rtl.Files.h"
#include "Win.Messages.h"
#include "Win.Registry.h"
#include "Win.TestEnvironment.h"
#include "XClasses.h"
#include "XCore.IO.h"
#include "XCore.Errors.h"
#include "XCore.TestStartUp.h"
#include "XSpark.App.h"
#include "XCore.Strings.h"
#include "XSpark.Lg.h"

namespace {

const auto* const kStartUp = ::testing::AddGlobalTestEnvironment(new TXTestStartUp<&RegisterUIApp>);

constexpr uint32_t kAppID = 6001;
constexpr uint32_t kAppVer = 600;

String StreamText(TStream* AStream)
{
    String Text(static_cast<size_t>(AStream->Size()), '\0');
    AStream->SetPosition(0);
    AStream->ReadBuffer(Text.data(), AStream->Size());
    return Text;
}

void SetStreamText(TStream* AStream, const String& AText)
{
    AStream->SetSize(0);
    AStream->WriteBuffer(AText.data(), static_cast<int64_t>(AText.size()));
}

String Coded(const String& AText)
{
    return EncodeRadix(AText, 36);
}

TOwned<TXLgProject> NewProject(uint32_t AAppID = kAppID, uint32_t AAppVer = kAppVer)
{
    auto Project = Owned(TXLgProject::Create());
    Project->SetAppID(AAppID);
    Project->SetAppVer(AAppVer);
    return Project;
}

// A German pack with two texts and a picture.
TOwned<TMemoryStream> SavedPack(uint32_t AAppID = kAppID, uint32_t AAppVer = kAppVer)
{
    auto Project = NewProject(AAppID, AAppVer);
    Project->SetName("Deutsch");
    Project->SetLgID(7);
    Project->SetRevision("3");
    Project->SetAuthor("Team");
    SetStreamText(Project->TextStream(), "1=7\r\n2=abc\r\n");
    auto Picture = Owned(TXRawStringStream::Create(String("\x89PNG-bytes", 10)));
    EXPECT_NE(Project->Items()->AddItem(".png", Picture.get(), "Flag"), nullptr);
    auto Pack = Owned(TMemoryStream::Create());
    EXPECT_TRUE(FilerSaveToStream(Pack.get(), TXLgFiler::StaticClass(), Project.get())) << GetErrorCode();
    return Pack;
}

TEST(LgPackTest, AWholePackReadsBackWithTextsAndItemsReplacingWhatWasThere)
{
    auto Pack = SavedPack();
    auto Project = NewProject();
    SetStreamText(Project->TextStream(), "5=old text that must go\r\n");

    ASSERT_TRUE(FilerLoadFromStream(Pack.get(), TXLgFiler::StaticClass(), Project.get())) << GetErrorCode();
    EXPECT_EQ(Project->GetName(), "Deutsch");
    EXPECT_EQ(Project->LgID(), 7u);
    EXPECT_EQ(Project->Revision(), "3");
    EXPECT_EQ(Project->Author(), "Team");
    EXPECT_EQ(StreamText(Project->TextStream()), "1=7\r\n2=abc\r\n");
    ASSERT_EQ(Project->Items()->Count(), 1);
    TXBI* Item = Project->Items()->Items(0);
    EXPECT_EQ(Item->GetDisplayName(), "Flag");
    EXPECT_EQ(StreamText(Item->Data()->DataStream()), String("\x89PNG-bytes", 10));
}

TEST(LgPackTest, APackWithoutWordsLeavesTheTextsEmpty)
{
    auto Empty = NewProject();
    Empty->SetName("Leer");
    auto Pack = Owned(TMemoryStream::Create());
    ASSERT_TRUE(FilerSaveToStream(Pack.get(), TXLgFiler::StaticClass(), Empty.get()));

    auto Project = NewProject();
    SetStreamText(Project->TextStream(), "5=x\r\n");
    ASSERT_TRUE(FilerLoadFromStream(Pack.get(), TXLgFiler::StaticClass(), Project.get())) << GetErrorCode();
    EXPECT_EQ(Project->GetName(), "Leer");
    EXPECT_EQ(Project->TextStream()->Size(), 0);
}

TEST(LgPackTest, TheHeaderAloneReadsNeitherTextsNorItems)
{
    auto Pack = SavedPack();
    auto Header = Owned(TXLgHeader::Create());
    Header->SetAppID(kAppID);
    Header->SetAppVer(kAppVer);

    ASSERT_TRUE(FilerLoadFromStream(Pack.get(), TXLgFiler::StaticClass(), Header.get(), false, nullptr, {}, 1))
        << GetErrorCode();
    EXPECT_EQ(Header->GetName(), "Deutsch");
    EXPECT_EQ(Header->LgID(), 7u);
    EXPECT_EQ(Header->Revision(), "3");
    EXPECT_EQ(Header->Author(), "Team");

    auto Filer = Owned(TXLgFiler::Create());
    Filer->PrepareGroups(Header.get(), 1, {});
    TXFilerGroup* Group = Filer->Groups()->Groups(0);
    EXPECT_EQ(Group->Items(), nullptr);
    EXPECT_FALSE(Group->ReadOptions().Contains(roObjectData));
}

struct TForeignCase {
    const char* What;
    uint32_t PackAppID, PackAppVer;
};

class LgForeignPackTest : public ::testing::TestWithParam<TForeignCase> {};

TEST_P(LgForeignPackTest, IsRefusedWithTheIdentityError)
{
    auto Pack = SavedPack(GetParam().PackAppID, GetParam().PackAppVer);
    auto Header = Owned(TXLgHeader::Create());
    Header->SetAppID(kAppID);
    Header->SetAppVer(kAppVer);
    ClearError();
    EXPECT_FALSE(FilerLoadFromStream(Pack.get(), TXLgFiler::StaticClass(), Header.get(), false, nullptr, {}, 1));
    EXPECT_EQ(GetErrorCode(), kErrIdentity);
    EXPECT_EQ(Header->LgID(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Packs, LgForeignPackTest,
                         ::testing::Values(TForeignCase{"OtherProgram", 7000, kAppVer},
                                           TForeignCase{"OtherVersion", kAppID, 601}),
                         [](const auto& AInfo) { return String(AInfo.param.What); });

TEST(LgPackTest, AContainerOfAnotherKindOrDamagedBytesAreRefused)
{
    // The same records under the name of another container kind.
    auto Pack = SavedPack();
    String Bytes = StreamText(Pack.get());
    size_t NameAt = Bytes.find("Language");
    ASSERT_NE(NameAt, String::npos);
    String Renamed = Bytes;
    Renamed.replace(NameAt, 8, "Languagf");
    String Truncated = Bytes.substr(0, Bytes.size() / 2);
    String Garbage = "not a container at all, just words";

    for (const String& Damaged : {Renamed, Truncated, Garbage}) {
        auto Stream = Owned(TXRawStringStream::Create(Damaged));
        auto Project = NewProject();
        ClearError();
        EXPECT_FALSE(FilerLoadFromStream(Stream.get(), TXLgFiler::StaticClass(), Project.get()));
        EXPECT_NE(GetErrorCode(), 0);
    }
}

TEST(LgPackTest, OtherTargetsOrSelectorsGetNoGroup)
{
    auto Filer = Owned(TXLgFiler::Create());
    auto Header = Owned(TXLgHeader::Create());
    auto Project = NewProject();
    Filer->PrepareGroups(Header.get(), 0, {});   // a header cannot take the whole pack
    EXPECT_EQ(Filer->Groups()->Count(), 0);
    Filer->PrepareGroups(Project.get(), 2, {});
    EXPECT_EQ(Filer->Groups()->Count(), 0);
    Filer->PrepareGroups(Project.get(), 0, {});
    ASSERT_EQ(Filer->Groups()->Count(), 1);
    EXPECT_EQ(Filer->Groups()->Groups(0)->Name(), "Language");
}

// ---- The wizard ---------------------------------------------------------------------------

uint64_t GNow = 0;

// A built-in pack of one language whose text 2 is AGreeting.
TOwned<TMemoryStream> BuiltInPack(uint32_t ALgID, const String& AName, const String& AGreeting)
{
    auto Project = NewProject();
    Project->SetName(AName);
    Project->SetLgID(ALgID);
    SetStreamText(Project->TextStream(), "1=" + Coded(std::to_string(ALgID)) + "\r\n2=" + Coded(AGreeting) + "\r\n");
    auto Pack = Owned(TMemoryStream::Create());
    EXPECT_TRUE(FilerSaveToStream(Pack.get(), TXLgFiler::StaticClass(), Project.get()));
    return Pack;
}

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GNow = 10000;
        SetTimerClock([] { return GNow; });
        StartAppSingletons();
        BaseDataFolder = FHome.Root() + "/Norvale/Desktop";
        FEnglish = BuiltInPack(9, "English", "Hello");
        FGerman = BuiltInPack(7, "Deutsch", "Hallo");
    }
    void TearDown() override
    {
        CloseWizard();
        XClasses::IsDemoMode = false;
        XClasses::IsCardMode = false;
        Lg()->Clear();
        BaseDataFolder.clear();
        StopAppSingletons();
        SetTimerClock(nullptr);
    }

    // A program's application data module and main block: the wizard with its events, the
    // settings handed over in OnInitApp, the built-in languages added under the lock.
    TXAppWizard* OpenWizard()
    {
        FIni = TXIni::Create(nullptr);
        FWizard = TXAppWizard::Create(nullptr);
        FWizard->SetAppID(kAppID);
        FWizard->SetAppVer(kAppVer);
        FWizard->SetDataExt("Data");
        FWizard->SetOnStartApp(TNotifyEvent::Bind<&WizardTest::StartApp>(this));
        FWizard->SetOnInitApp(TNotifyEvent::Bind<&WizardTest::InitApp>(this));
        FWizard->SetOnLoadIni(TNotifyEvent::Bind<&WizardTest::LoadIni>(this));
        FWizard->SetOnSaveIni(TNotifyEvent::Bind<&WizardTest::SaveIni>(this));
        FWizard->SetOnLoadData(TNotifyEvent::Bind<&WizardTest::LoadData>(this));
        FWizard->SetOnSaveData(TNotifyEvent::Bind<&WizardTest::SaveData>(this));
        FWizard->SetOnLanguageChanged(TNotifyEvent::Bind<&WizardTest::LanguageChanged>(this));
        LockLgChangedHandlers();
        FWizard->AddLanguageStream(FEnglish.get());
        FWizard->AddLanguageStream(FGerman.get());
        UnlockLgChangedHandlers(false);
        return FWizard;
    }
    void CloseWizard()
    {
        FreeAndNil(FWizard);
        FreeAndNil(FIni);
    }
    static void Advance(uint64_t AMilliseconds)
    {
        for (uint64_t Step = 0; Step < AMilliseconds; Step += 10) {
            GNow += 10;
            Application->ProcessMessages();
        }
    }
    String IniFile() const { return BaseDataFolder + "/Data/orva.ini"; }
    static TOwned<TRegistry> OrvaKey()
    {
        auto Registry = Owned(TRegistry::Create());
        EXPECT_TRUE(Registry->OpenKey("\\Software\\Norvale\\Orva", true));
        return Registry;
    }
    // The settings file as the next run reads it.
    uint32_t StoredLgID()
    {
        auto Ini = Owned(TXIni::Create(nullptr));
        EXPECT_TRUE(Ini->LoadFromFile(IniFile())) << GetErrorText();
        return Ini->lgID();
    }

    void StartApp(TObject*) { FLog.push_back("start"); }
    void InitApp(TObject* ASender)
    {
        FLog.push_back("init");
        auto* Wizard = static_cast<TXAppWizard*>(ASender);
        Wizard->SetRegKey("Norvale\\Orva");
        Wizard->SetIniFileName("<data>orva.ini");
        Wizard->SetIni(FIni);
    }
    void LoadIni(TObject*) { FLog.push_back("load ini"); }
    void SaveIni(TObject*) { FLog.push_back("save ini"); }
    void LoadData(TObject*) { FLog.push_back("load data"); }
    void SaveData(TObject*) { FLog.push_back("save data"); }
    void LanguageChanged(TObject*) { FLog.push_back("language " + Lg()->GetText(2)); }

    TTestHome FHome;
    TOwned<TMemoryStream> FEnglish;
    TOwned<TMemoryStream> FGerman;
    TXIni* FIni = nullptr;
    TXAppWizard* FWizard = nullptr;
    std::vector<String> FLog;
};

TEST_F(WizardTest, AFirstRunStartsUpEndToEndAndKeepsSettingsAndLanguageSaved)
{
    TXAppWizard* Wizard = OpenWizard();
    EXPECT_EQ(AppWizard, Wizard);
    ASSERT_TRUE(Wizard->Start());
    EXPECT_EQ(FLog, (std::vector<String>{"start", "init", "load ini", "language Hello"}));
    EXPECT_EQ(NVApp()->DataFolder(), BaseDataFolder + "/Data/");
    EXPECT_TRUE(DirExists(NVApp()->DataFolder()));
    EXPECT_EQ(OrvaKey()->ReadString("DataFolder"), BaseDataFolder + "/Data/");
    EXPECT_TRUE(Wizard->NewIni());
    EXPECT_FALSE(Wizard->ReadOnly());
    ASSERT_EQ(Wizard->Headers()->Count(), 2);
    EXPECT_EQ(Wizard->Headers()->Headers(0)->GetName(), "English");

    Advance(90);
    EXPECT_EQ(FLog.size(), 4u) << "the data load waits for the start timer";
    Advance(20);
    EXPECT_EQ(FLog.back(), "load data");

    // Switching language and telling of the change saves both.
    ASSERT_TRUE(Wizard->SelectLanguage(Wizard->Headers()->IndexOfLgID(7)));
    EXPECT_EQ(Lg()->GetText(2), "Hallo");
    FIni->Changed();
    EXPECT_EQ(FLog.back(), "save ini");
    EXPECT_EQ(StoredLgID(), 7u);
    EXPECT_EQ(OrvaKey()->ReadInteger("LgID"), 7);

    FLog.clear();
    Wizard->FinishApp();
    EXPECT_EQ(FLog, (std::vector<String>{"save data", "save ini"}));
    EXPECT_EQ(StoredLgID(), 7u);

    // The next run starts in the language it ended with, from the settings file.
    CloseWizard();
    Lg()->Clear();
    FLog.clear();
    ASSERT_TRUE(OpenWizard()->Start());
    EXPECT_FALSE(FWizard->NewIni());
    EXPECT_EQ(FWizard->LgID(), 7u);
    EXPECT_EQ(FLog.back(), "language Hallo");
}

TEST_F(WizardTest, TheSettingsFilesLanguageWinsOverTheRegistrys)
{
    ASSERT_TRUE(OpenWizard()->Start());
    FIni->Changed();   // the file remembers English
    CloseWizard();
    OrvaKey()->WriteInteger("LgID", 7);

    ASSERT_TRUE(OpenWizard()->Start());
    EXPECT_EQ(FWizard->LgID(), 9u);
    CloseWizard();

    std::filesystem::remove(IniFile());
    ASSERT_TRUE(OpenWizard()->Start());
    EXPECT_EQ(FWizard->LgID(), 7u) << "without a file the registry's language is taken";
}

TEST_F(WizardTest, ADamagedSettingsFileStartsWithDefaultsAndIsWrittenAnew)
{
    ForceDirectories(BaseDataFolder + "/Data");
    std::ofstream(IniFile()) << "<?xml garbage that is no settings document";
    OrvaKey()->WriteInteger("LgID", 7);

    ASSERT_TRUE(OpenWizard()->Start());
    EXPECT_EQ(FWizard->LgID(), 7u);
    EXPECT_EQ(Lg()->GetText(2), "Hallo");
    Advance(110);
    EXPECT_EQ(FLog.back(), "load data");
    FWizard->FinishApp();
    EXPECT_EQ(StoredLgID(), 7u);
}

TEST_F(WizardTest, DamagedOrRepeatedLanguagePacksAreNotOffered)
{
    auto Garbage = Owned(TXRawStringStream::Create("no language pack at all"));
    auto Foreign = Owned(TMemoryStream::Create());
    auto French = NewProject(7000, kAppVer);
    French->SetLgID(12);
    ASSERT_TRUE(FilerSaveToStream(Foreign.get(), TXLgFiler::StaticClass(), French.get()));
    auto Empty = Owned(TMemoryStream::Create());
    auto GermanAgain = BuiltInPack(7, "Deutsch 2", "Servus");

    TXAppWizard* Wizard = OpenWizard();
    for (TStream* Stream : {static_cast<TStream*>(Garbage.get()), static_cast<TStream*>(Foreign.get()),
                            static_cast<TStream*>(Empty.get()), static_cast<TStream*>(GermanAgain.get())})
        Wizard->AddLanguageStream(Stream);
    EXPECT_EQ(Wizard->AllHeaders()->Count(), 2);
    EXPECT_EQ(Wizard->Headers()->Count(), 2);
}

TEST_F(WizardTest, APackThatBrokeAfterItWasOfferedFallsBackOrKeepsTheCurrentLanguage)
{
    TXAppWizard* Wizard = OpenWizard();
    ASSERT_TRUE(Wizard->Start());
    int German = Wizard->Headers()->IndexOfLgID(7);
    SetStreamText(FGerman.get(), "damaged");
    FLog.clear();
    EXPECT_TRUE(Wizard->SelectLanguage(German));
    EXPECT_EQ(FLog, (std::vector<String>{"language Hello"})) << "the first built-in pack instead";

    SetStreamText(FEnglish.get(), "damaged too");
    FLog.clear();
    ClearError();
    EXPECT_FALSE(Wizard->SelectLanguage(German));
    EXPECT_NE(GetErrorCode(), 0);
    EXPECT_TRUE(FLog.empty());
    EXPECT_EQ(Lg()->GetText(2), "Hello") << "the current language stays";
    EXPECT_FALSE(Wizard->SelectLanguage(2));
}

TEST_F(WizardTest, LanguageIdsChooseTheOfferedLanguagesUnlessNoneIsInstalled)
{
    auto Spanish = BuiltInPack(10, "Espanol", "Hola");
    auto French = BuiltInPack(12, "Francais", "Salut");
    TXAppWizard* Wizard = OpenWizard();
    Wizard->LanguageIDs()->Add("14");
    Wizard->AddLanguageStream(Spanish.get());   // rebuilt: 14 is not installed, so all of them
    ASSERT_EQ(Wizard->Headers()->Count(), 3);
    EXPECT_EQ(Wizard->Headers()->Headers(0)->LgID(), 9u);
    EXPECT_EQ(Wizard->Headers()->Headers(1)->GetName(), "Deutsch");

    Wizard->LanguageIDs()->Add("7");
    Wizard->AddLanguageStream(French.get());
    ASSERT_EQ(Wizard->Headers()->Count(), 1);
    EXPECT_EQ(Wizard->Headers()->Headers(0)->LgID(), 7u);
}

TEST_F(WizardTest, DemonstrationModeKeepsItsOwnFolderAndLeavesTheRegistryAlone)
{
    NVParams()->Params()->Add("/demo");
    ASSERT_TRUE(OpenWizard()->Start());
    EXPECT_TRUE(XClasses::IsDemoMode);
    EXPECT_EQ(NVApp()->DataFolder(), BaseDataFolder + "demo/Data/");
    FWizard->SelectLanguage(FWizard->Headers()->IndexOfLgID(7));
    FWizard->FinishApp();
    EXPECT_TRUE(FileExists(BaseDataFolder + "demo/Data/orva.ini"));
    auto Registry = Owned(TRegistry::Create());
    EXPECT_FALSE(Registry->OpenKeyReadOnly("\\Software\\Norvale\\Orva"));
}

TEST_F(WizardTest, AnUnusableDataFolderStopsAfterInitApp)
{
    ForceDirectories(FHome.Root() + "/Norvale");
    std::ofstream(BaseDataFolder) << "a file where the folder should be";
    ASSERT_FALSE(OpenWizard()->Start());
    EXPECT_EQ(FLog, (std::vector<String>{"start", "init"}));
    EXPECT_EQ(NVApp()->DataFolder(), "");
    Advance(200);
    EXPECT_EQ(FLog.size(), 2u);
}

}   // namespace
