// Settings objects: files plain and compressed, older component text, the registry, change
// notification, and damaged or foreign data refused without touching the settings.
#include "XIni.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "../../../tests/fixtures/ScratchFolders.h"
#include "Rtl.Classes.h"
#include "Win.Registry.h"
#include "Win.TestEnvironment.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Errors.h"
#include "XCore.Streams.ZLib.h"
#include "XObjectFiler.h"

namespace {

class TTestView : public TPersistent {
    X_CLASS(TTestView, TPersistent)
public:
    int Zoom = 100;
    static void DeclareProperties(TPropertyDeclarer& P) { P.Property("Zoom", &TTestView::Zoom, &TTestView::Zoom); }

protected:
    TTestView() = default;
};

class TTestIni : public TXIni {
    X_CLASS(TTestIni, TXIni)
public:
    String Folder;
    bool Thumbnails = true;
    int AfterLoads = 0;
    bool FailBeforeSave = false;
    TTestView* View() const { return FView.get(); }

    void Reset() override
    {
        inherited::Reset();
        Folder = "<data>Pictures\\";
        Thumbnails = true;
        FView->Zoom = 100;
    }
    void AfterLoad() override { ++AfterLoads; }
    void BeforeSave() override
    {
        if (FailBeforeSave)
            throw Exception("refused");
    }
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Folder", &TTestIni::Folder, &TTestIni::Folder);
        P.Property("Thumbnails", &TTestIni::Thumbnails, &TTestIni::Thumbnails).Default(true);
        P.Property("View", &TTestIni::View);
    }

protected:
    TTestIni() = default;
    void Construct(TComponent* AOwner) override
    {
        FView = Owned(TTestView::Create());
        inherited::Construct(AOwner);
    }

private:
    TOwned<TTestView> FView;
};

TOwned<TTestIni> NewIni()
{
    auto Ini = Owned(TTestIni::Create(nullptr));
    Ini->Reset();
    return Ini;
}

// Values no reset gives, so a load that reached them shows.
void SetChanged(TTestIni* AIni)
{
    AIni->SetDocType("settings");
    AIni->SetDocVer(3);
    AIni->SetlgID(0x407);
    AIni->Folder = "/media/Ülkü/Фото";
    AIni->Thumbnails = false;
    AIni->View()->Zoom = 250;
}

void ExpectChanged(TTestIni* AIni)
{
    EXPECT_EQ(AIni->DocType(), "settings");
    EXPECT_EQ(AIni->DocVer(), 3);
    EXPECT_EQ(AIni->lgID(), 0x407u);
    EXPECT_EQ(AIni->Folder, "/media/Ülkü/Фото");
    EXPECT_FALSE(AIni->Thumbnails);
    EXPECT_EQ(AIni->View()->Zoom, 250);
}

void ExpectReset(TTestIni* AIni)
{
    EXPECT_EQ(AIni->lgID(), 9u);
    EXPECT_EQ(AIni->Folder, "<data>Pictures\\");
    EXPECT_TRUE(AIni->Thumbnails);
    EXPECT_EQ(AIni->View()->Zoom, 100);
}

std::string ReadFile(const std::filesystem::path& APath)
{
    std::ifstream File(APath, std::ios::binary);
    return {std::istreambuf_iterator<char>(File), {}};
}

void WriteFile(const std::filesystem::path& APath, const std::string& ABytes)
{
    std::ofstream(APath, std::ios::binary) << ABytes;
}

std::string Compressed(const std::string& ABytes)
{
    auto Source = Owned(TMemoryStream::Create());
    Source->WriteBuffer(ABytes.data(), static_cast<int64_t>(ABytes.size()));
    auto Target = Owned(TMemoryStream::Create());
    EXPECT_TRUE(WriteObjectData(Source.get(), Target.get(), true));
    return {reinterpret_cast<const char*>(Target->Memory()), static_cast<size_t>(Target->Size())};
}

class IniTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    std::filesystem::path Dir() const { return std::filesystem::path(Home.Root()) / "data"; }
    String PathOf(const char* AName) const { return (Dir() / AName).string(); }
    std::vector<String> Files() const
    {
        std::vector<String> Names;
        for (const auto& Entry : std::filesystem::directory_iterator(Dir()))
            Names.push_back(Entry.path().filename().string());
        std::sort(Names.begin(), Names.end());
        return Names;
    }

    TTestHome Home;
};

// ---- Files -------------------------------------------------------------------------------

TEST_F(IniTest, FilesRoundTripPlainAndCompressedThroughATemporaryFile)
{
    for (bool Compress : {false, true}) {
        SCOPED_TRACE(Compress ? "compressed" : "plain");
        std::filesystem::remove_all(Dir());
        std::filesystem::create_directories(Dir());
        WriteFile(Dir() / "S.ini", "old");
        WriteFile(Dir() / "S.tmp", "someone else's");
        auto Saved = NewIni();
        SetChanged(Saved.get());
        ASSERT_TRUE(Saved->SaveToFile(PathOf("S.ini"), Compress));

        // The save went through a temporary file beside S.ini, which is gone again; a file
        // of the user's that happens to end in ".tmp" is left alone.
        EXPECT_EQ(Files(), (std::vector<String>{"S.ini", "S.tmp"}));
        EXPECT_EQ(ReadFile(Dir() / "S.tmp"), "someone else's");
        std::string Bytes = ReadFile(Dir() / "S.ini");
        if (Compress)
            EXPECT_EQ(static_cast<uint8_t>(Bytes[0]), 0x78);
        else
            EXPECT_EQ(Bytes.substr(0, 5), "<?xml");

        auto Loaded = NewIni();
        ASSERT_TRUE(Loaded->LoadFromFile(PathOf("S.ini")));
        ExpectChanged(Loaded.get());
        EXPECT_EQ(Loaded->AfterLoads, 1);
    }
}

TEST_F(IniTest, DocumentIsIndentedAndItsRootObjectIsTheNamedComponent)
{
    auto Ini = NewIni();
    Ini->SetName("Settings");
    auto Stream = Owned(TMemoryStream::Create());
    ASSERT_TRUE(Ini->SaveToStream(Stream.get(), false));
    std::string Text(reinterpret_cast<const char*>(Stream->Memory()), static_cast<size_t>(Stream->Size()));
    EXPECT_NE(Text.find("<objects>\n  <o name=\"Settings\">\n    <p name=\"DocVer\">0</p>"), std::string::npos) << Text;
    EXPECT_NE(Text.find("<o name=\"View\">"), std::string::npos) << Text;
}

TEST_F(IniTest, TargetEndingInTmpIsWrittenDirectly)
{
    std::filesystem::create_directories(Dir());
    auto Ini = NewIni();
    SetChanged(Ini.get());
    ASSERT_TRUE(Ini->SaveToFile(PathOf("S.tmp"), false));
    EXPECT_EQ(Files(), std::vector<String>{"S.tmp"});
    auto Loaded = NewIni();
    ASSERT_TRUE(Loaded->LoadFromFile(PathOf("S.tmp")));
    ExpectChanged(Loaded.get());
}

TEST_F(IniTest, FailedSaveKeepsTheOldFileAndLeavesNoTemporaryFile)
{
    std::filesystem::create_directories(Dir());
    WriteFile(Dir() / "S.ini", "old");
    auto Ini = NewIni();
    Ini->FailBeforeSave = true;
    EXPECT_FALSE(Ini->SaveToFile(PathOf("S.ini"), true));
    EXPECT_EQ(GetErrorCode(), kErrWrite);
    EXPECT_EQ(Files(), std::vector<String>{"S.ini"});
    EXPECT_EQ(ReadFile(Dir() / "S.ini"), "old");
}

// A settings file may be private, or a link into another folder; a save keeps both. A save
// onto a full disk keeps the old file and says why it failed.
TEST_F(IniTest, SavesKeepPermissionsAndLinksAndSayWhyTheyFailed)
{
    std::filesystem::create_directories(Dir() / "real");
    WriteFile(Dir() / "real/S.ini", "old");
    std::filesystem::permissions(Dir() / "real/S.ini", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink("real/S.ini", Dir() / "S.ini");
    auto Ini = NewIni();
    SetChanged(Ini.get());
    ASSERT_TRUE(Ini->SaveToFile(PathOf("S.ini"), false));
    EXPECT_TRUE(std::filesystem::is_symlink(Dir() / "S.ini"));
    EXPECT_EQ(std::filesystem::status(Dir() / "real/S.ini").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    auto Loaded = NewIni();
    ASSERT_TRUE(Loaded->LoadFromFile(PathOf("real/S.ini")));
    ExpectChanged(Loaded.get());

    XTestFixtures::TSmallDisk Disk(64 * 1024);
    if (!Disk.Mounted())
        GTEST_SKIP() << Disk.Why();
    WriteFile(Disk / "S.ini", "old");
    Disk.Fill();
    Ini->Folder = std::string(100000, 'x');   // more than a page: it cannot go into the file's slack
    EXPECT_FALSE(Ini->SaveToFile(Disk / "S.ini", false));
    EXPECT_EQ(GetErrorCode(), kErrWrite);
    EXPECT_NE(GetErrorText().find("No space left on device"), String::npos) << GetErrorText() << " " << GetErrorData().Value;
    EXPECT_EQ(ReadFile(Disk / "S.ini"), "old");
}

TEST_F(IniTest, MissingFileIsTheFirstRun)
{
    auto Ini = NewIni();
    EXPECT_FALSE(Ini->LoadFromFile(PathOf("none.ini")));
    EXPECT_EQ(GetErrorCode(), 31);
    EXPECT_EQ(GetErrorText(), PathOf("none.ini"));
    EXPECT_EQ(Ini->AfterLoads, 1);
    ExpectReset(Ini.get());
}

// ---- Older component text ----------------------------------------------------------------

TEST_F(IniTest, ComponentTextOfAnotherComponentAndClassLoadsPlainOrCompressed)
{
    const std::string Text = "object OldSettings: TOldDeskIni\r\n"
                             "  DocType = 'settings'\r\n"
                             "  DocVer = 3\r\n"
                             "  lgID = 1031\r\n"
                             "  Folder = '/media/'#220'lk'#252'/'#1060#1086#1090#1086\r\n"
                             "  Thumbnails = False\r\n"
                             "  View.Zoom = 250\r\n"
                             "end\r\n";
    std::filesystem::create_directories(Dir());
    for (bool Compress : {false, true}) {
        SCOPED_TRACE(Compress ? "compressed" : "plain");
        WriteFile(Dir() / "old.ini", Compress ? Compressed(Text) : Text);
        auto Ini = NewIni();
        Ini->SetName("Settings");
        ASSERT_TRUE(Ini->LoadFromFile(PathOf("old.ini"))) << GetErrorText();
        ExpectChanged(Ini.get());
        EXPECT_EQ(Ini->Name(), "Settings");
    }
}

// ---- Damaged and foreign data ------------------------------------------------------------

struct TBadData {
    const char* Name;
    std::string Bytes;
};

String ValidDocument()
{
    auto Ini = NewIni();
    SetChanged(Ini.get());
    auto Stream = Owned(TMemoryStream::Create());
    EXPECT_TRUE(Ini->SaveToStream(Stream.get(), false));
    return {reinterpret_cast<const char*>(Stream->Memory()), static_cast<size_t>(Stream->Size())};
}

class IniBadDataTest : public IniTest, public ::testing::WithParamInterface<TBadData> {};

TEST_P(IniBadDataTest, IsRefusedWithAnErrorAndChangesNothing)
{
    auto Ini = NewIni();
    auto Stream = Owned(TMemoryStream::Create());
    const std::string& Bytes = GetParam().Bytes;
    Stream->WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    EXPECT_FALSE(Ini->LoadFromStream(Stream.get()));
    EXPECT_EQ(GetErrorCode(), kErrRead);
    EXPECT_EQ(Ini->AfterLoads, 1);
    ExpectReset(Ini.get());
}

INSTANTIATE_TEST_SUITE_P(
    Refused, IniBadDataTest,
    ::testing::Values(TBadData{"Empty", ""}, TBadData{"TruncatedXml", ValidDocument().substr(0, 120)},
                      TBadData{"ForeignXml", "<?xml version=\"1.0\"?><html><o><p name=\"lgID\">7</p></o></html>"},
                      TBadData{"BrokenComponentText", "object X: TY\r\n  lgID = \r\n"},
                      TBadData{"Binary", std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
                      TBadData{"TruncatedZlib", Compressed(ValidDocument()).substr(0, 40)},
                      TBadData{"ZlibOfText", Compressed("lgID = 7")}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// ---- Registry ----------------------------------------------------------------------------

const String kKey = "Software\\Norvale\\IniTest\\";

TEST_F(IniTest, RegistryRoundTripAndReloadOfAnEmptyKeyGivesTheDefaults)
{
    auto Saved = NewIni();
    SetChanged(Saved.get());
    ASSERT_TRUE(Saved->SaveToRegistry(kKey));
    auto Loaded = NewIni();
    ASSERT_TRUE(Loaded->LoadFromRegistry(kKey));
    ExpectChanged(Loaded.get());
    EXPECT_EQ(Loaded->AfterLoads, 1);

    auto Registry = Owned(TRegistry::Create());
    ASSERT_TRUE(Registry->OpenKey(kKey + "Empty\\", true));
    Registry->CloseKey();
    ASSERT_TRUE(Loaded->ReloadFromRegistry(kKey + "Empty\\"));
    ExpectReset(Loaded.get());
    EXPECT_EQ(Loaded->DocType(), "settings");   // a reset keeps the document's type
    EXPECT_FALSE(Loaded->ReloadFromRegistry(kKey + "Missing\\"));
    ExpectReset(Loaded.get());
}

// ---- Change notification -----------------------------------------------------------------

struct TCounter {
    int Heard = 0;
    void Hear(IXNotification*) { ++Heard; }
};

TEST_F(IniTest, ObserversHearOnceWhenTheOutermostUpdateEnds)
{
    auto Ini = NewIni();
    TCounter Counter;
    Ini->Subscribe(TXChangedAspect::StaticClass(), TXNotificationHandler::Bind<&TCounter::Hear>(&Counter));
    IXIni* Intf = Ini.get();
    Intf->BeginUpdate();
    Intf->BeginUpdate();
    Intf->EndUpdate();
    EXPECT_EQ(Counter.Heard, 0);
    Intf->EndUpdate();
    EXPECT_EQ(Counter.Heard, 1);

    // Loading and saving leave the telling to the caller.
    auto Stream = Owned(TMemoryStream::Create());
    ASSERT_TRUE(Ini->SaveToStream(Stream.get(), true));
    ASSERT_TRUE(Ini->LoadFromStream(Stream.get()));
    EXPECT_EQ(Counter.Heard, 1);
    Intf->GetObservable()->Unsubscribe(TXChangedAspect::StaticClass(),
                                       TXNotificationHandler::Bind<&TCounter::Hear>(&Counter));
    Intf->Changed();
    EXPECT_EQ(Counter.Heard, 1);
}

}  // namespace
