// Calendar object files and the store: round trips through real files, refused and damaged
// files, the folder layout that opening makes and finds, and the tab operations.
#include "XVData.Store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <type_traits>

#include "Rtl.DateUtils.h"
#include "Rtl.Files.h"
#include "Win.TestEnvironment.h"
#include "XCore.Errors.h"
#include "XCore.QStream.h"
#include "XCore.TestClock.h"
#include "XVData.Filers.h"

namespace {

namespace fs = std::filesystem;

TDateTime StoreDay(int AYear, int AMonth, int ADay)
{
    return EncodeDate(AYear, AMonth, ADay);
}

String ReadBytes(const String& AFileName)
{
    std::ifstream File(AFileName, std::ios::binary);
    return String(std::istreambuf_iterator<char>(File), {});
}

void WriteBytes(const String& AFileName, const String& ABytes)
{
    fs::create_directories(fs::path(AFileName).parent_path());
    std::ofstream(AFileName, std::ios::binary) << ABytes;
}

void SetBytes(TMemoryStream* AStream, const String& ABytes)
{
    AStream->SetSize(0);
    AStream->WriteBuffer(ABytes.data(), static_cast<int64_t>(ABytes.size()));
}

String BytesOf(TMemoryStream* AStream)
{
    return String(reinterpret_cast<const char*>(AStream->Memory()), static_cast<size_t>(AStream->Size()));
}

class VStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FHome.Set("TZ", "XST-1");
        FHome.Set("LC_ALL", "C");
        FClock = TXTestClockApp::Create();
        SetNVCoreApp(FClock);
        FClock->SetLocal(StoreDay(2024, 3, 3) + 0.5);
        FRoot = FHome.Root() + "/Calendars/";
        ClearError();
    }
    void TearDown() override { SetNVCoreApp(nullptr); }

    // A saved object of class T in AFileName.
    template <class T>
    void SaveObject(const String& AFileName, const String& ASummary, const String& ACategory = String())
    {
        auto Object = Owned(T::Create());
        Object->SetFileName(AFileName);
        ASSERT_TRUE(Object->Load());   // no file yet: a loaded, empty object
        Object->SetSummary(ASummary);
        if constexpr (std::is_base_of_v<TXCustomVEventObject, T>)
            Object->SetCategory(ACategory);
        ASSERT_TRUE(Object->Changed());
    }

    TTestHome FHome;
    TXTestClockApp* FClock = nullptr;   // owned by the core application slot
    String FRoot;
};

TEST_F(VStoreTest, NotesRoundTripWithTheirDescriptionReadOnlyInFull)
{
    String File = FRoot + "note.xqnote";
    auto Note = Owned(TXVQuickNoteObject::Create());
    Note->SetFileName(File);
    ASSERT_TRUE(Note->Load());
    Note->SetUID("U1");
    Note->SetSummary("Buy milk");
    SetBytes(Note->Description()->DataStream(), "{\\rtf1 long text}");
    SetBytes(Note->Image()->DataStream(), "picture bytes");
    ASSERT_TRUE(Note->Changed());
    EXPECT_FALSE(Note->HasStatus(kVStatusModified));
    EXPECT_FALSE(fs::exists(File + ".tmp"));

    auto Header = Owned(TXVQuickNoteObject::Create());
    Header->SetFileName(File);
    SetBytes(Header->Description()->DataStream(), "kept");
    ASSERT_TRUE(Header->LoadHeader()) << GetErrorCode() << " " << GetErrorText();
    EXPECT_TRUE(Header->HasStatus(kVStatusHeaderLoaded));
    EXPECT_FALSE(Header->HasStatus(kVStatusLoaded));
    EXPECT_EQ(Header->Summary(), "Buy milk");
    EXPECT_EQ(Header->UID(), "U1");
    EXPECT_EQ(Header->Label()->Info()->GetValue("Class"), "TXVQuickNoteObject");
    EXPECT_EQ(BytesOf(Header->Image()->DataStream()), "picture bytes");
    EXPECT_EQ(BytesOf(Header->Description()->DataStream()), "kept");

    ASSERT_TRUE(Header->Load());
    EXPECT_TRUE(Header->HasStatus(kVStatusLoaded));
    EXPECT_FALSE(Header->HasStatus(kVStatusHeaderLoaded));
    EXPECT_EQ(BytesOf(Header->Description()->DataStream()), "{\\rtf1 long text}");
}

TEST_F(VStoreTest, AFileOfAnotherKindIsRefusedButItsLabelReads)
{
    String File = FRoot + "x.xholiday";
    SaveObject<TXVEventObject>(File, "An event");

    auto Holiday = Owned(TXVHolidayObject::Create());
    Holiday->SetFileName(File);
    EXPECT_FALSE(Holiday->Load());
    EXPECT_EQ(GetErrorCode(), 42);
    EXPECT_TRUE(Holiday->HasStatus(kVStatusLoadFailed));
    EXPECT_NE(Holiday->Summary(), "An event");

    auto Label = Owned(TXL::Create());
    ASSERT_TRUE(FilerLoadFromFile(File, TXRLStreamFiler::StaticClass(), Label.get()));
    EXPECT_EQ(Label->Info()->GetValue("Class"), "TXVEventObject");
}

// Any file may be asked for its label: one whose groups inflate to many megabytes (a few
// kilobytes on the disk) is refused before it fills memory.
TEST_F(VStoreTest, ALabelIsNotReadFromAFileThatInflatesPastADocument)
{
    String File = FRoot + "bomb.xevent";
    SaveObject<TXVEventObject>(File, "An event");
    {
        auto Stream = Owned(TFileStream::Create(File, fmOpenReadWrite));
        auto Container = Owned(TXQStream::Create());
        ASSERT_TRUE(Container->OpenStream(rmRead | rmWrite, Stream.get(), false, nullptr));
        ASSERT_TRUE(Container->AddGroupText("Bulk", String(kXZDocumentLimit + 1, ' ')));
        Container->Close();
    }
    ASSERT_LT(std::filesystem::file_size(File), 200000u);
    auto Label = Owned(TXL::Create());
    EXPECT_FALSE(FilerLoadFromFile(File, TXRLStreamFiler::StaticClass(), Label.get()));
    EXPECT_EQ(GetErrorCode(), 44);
}

struct TDamage {
    const char* Name;
    void (*Apply)(String&);
};
const TDamage kDamages[] = {
    {"Truncated", [](String& B) { B.resize(B.size() / 2); }},
    {"FlippedBody", [](String& B) { B[B.size() / 2] ^= 0x5A; }},
    {"NotAContainer", [](String& B) { B = "not a calendar file at all"; }},
    {"Empty", [](String& B) { B.clear(); }},
};

class VDamagedFileTest : public VStoreTest, public ::testing::WithParamInterface<TDamage> {};

TEST_P(VDamagedFileTest, IsRefusedNeverOverwrittenAndTheOthersStillLoad)
{
    String Folder = FRoot + "Default/Holidays/";
    SaveObject<TXVHolidayObject>(Folder + "a.xholiday", "New Year", "Bank");
    SaveObject<TXVHolidayObject>(Folder + "b.xholiday", "Damaged");
    SaveObject<TXVHolidayObject>(Folder + "c.xholiday", "Easter", "Church");
    String Bytes = ReadBytes(Folder + "b.xholiday");
    GetParam().Apply(Bytes);
    WriteBytes(Folder + "b.xholiday", Bytes);

    auto Calendars = Owned(TXVCalendars::Create(nullptr));
    Calendars->Open(FRoot);
    TXVDataList* Holidays = Calendars->HolidayTab()->Items();
    ASSERT_EQ(Holidays->Count(), 3);
    for (int I = 0; I < Holidays->Count(); ++I) {
        auto* Holiday = static_cast<TXVHolidayObject*>(Holidays->Objects(I));
        bool Damaged = ExtractFileName(Holiday->FileName()) == "b.xholiday";
        EXPECT_EQ(Holiday->HasStatus(kVStatusLoadFailed), Damaged) << Holiday->FileName();
        EXPECT_EQ(Holiday->HasStatus(kVStatusHeaderLoaded), !Damaged);
        if (!Damaged) {
            EXPECT_FALSE(Holiday->Summary().empty());
        }
    }
    TStringList* Categories = Calendars->HolidayCategories();
    ASSERT_EQ(Categories->Count(), 2);
    EXPECT_EQ(Categories->Strings(0), "Bank");
    EXPECT_EQ(Categories->Strings(1), "Church");

    auto* Damaged = static_cast<TXVHolidayObject*>(Holidays->Objects(1));
    Damaged->SetSummary("edited");
    EXPECT_TRUE(Damaged->Changed());
    EXPECT_EQ(ReadBytes(Folder + "b.xholiday"), Bytes);
    ClearError();
    EXPECT_FALSE(Damaged->Load());
    EXPECT_NE(GetErrorCode(), 0);
}
INSTANTIATE_TEST_SUITE_P(Damages, VDamagedFileTest, ::testing::ValuesIn(kDamages),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(VStoreTest, OpeningAnEmptyFolderMakesTheFoldersAndNoFile)
{
    auto Calendars = Owned(TXVCalendars::Create(nullptr));
    Calendars->Open(FRoot);
    for (const char* Folder : {"", "Default", "Default/QNotes", "Default/Journals", "Default/Holidays", "Default/Events"})
        EXPECT_TRUE(fs::is_directory(FRoot + Folder)) << Folder;
    int Files = 0;
    for (const auto& Entry : fs::recursive_directory_iterator(FRoot))
        Files += Entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(Files, 0);

    TXVQuickNoteObject* Note = Calendars->QuickNoteTab()->GetDefaultNote();
    EXPECT_EQ(Note->FileName(), FRoot + "Default/QNotes/default.xqnote");
    EXPECT_TRUE(Note->HasStatus(kVStatusLoaded));
    EXPECT_EQ(Calendars->QuickNoteTab()->GetDefaultNote(), Note);
    Note->SetSummary("First");
    ASSERT_TRUE(Note->Changed());
    EXPECT_TRUE(fs::exists(FRoot + "Default/QNotes/default.xqnote"));
}

TEST_F(VStoreTest, OpeningFindsTabsByTheirFilesAndReadsOnlyTheStandardOnes)
{
    SaveObject<TXVHolidayObject>(FRoot + "Default/School/2024/summer.xholiday", "Summer");
    SaveObject<TXVQuickNoteObject>(FRoot + "Default/QNotes/default.xqnote", "Default note");
    SaveObject<TXVEventObject>(FRoot + "Default/Events/e.xevent", "Not read");
    fs::create_directories(FRoot + "Default/Unknown");
    WriteBytes(FRoot + "Default/Unknown/readme.txt", "x");

    auto Calendars = Owned(TXVCalendars::Create(nullptr));
    Calendars->Open(FRoot);
    TXVTabList* Tabs = Calendars->DefaultNotebook()->Tabs();
    ASSERT_EQ(Tabs->Count(), 5);
    TXVTabObject* School = Tabs->Tabs(4);
    EXPECT_TRUE(School->Is<TXVHolidayTabObject>());
    EXPECT_EQ(School->GetDisplayText(), "School");
    EXPECT_EQ(School->Items()->Count(), 0);
    EXPECT_EQ(Calendars->EventTab()->Items()->Count(), 0);

    ASSERT_EQ(Calendars->QuickNoteTab()->Items()->Count(), 1);
    TXVQuickNoteObject* Note = Calendars->QuickNoteTab()->GetDefaultNote();
    EXPECT_EQ(Note, Calendars->QuickNoteTab()->Items()->Objects(0));
    EXPECT_TRUE(Note->HasStatus(kVStatusLoaded));
    EXPECT_EQ(Note->Summary(), "Default note");

    Calendars->LoadTabItems(School);
    ASSERT_EQ(School->Items()->Count(), 1);
    EXPECT_EQ(School->Items()->Objects(0)->GetTab(), nullptr);
}

TEST_F(VStoreTest, TabsNamedInTheirOwnFileWin)
{
    auto Calendars = Owned(TXVCalendars::Create(nullptr));
    Calendars->Open(FRoot);
    auto* Tab = TXVJournalTabObject::Create();
    Calendars->DefaultNotebook()->Tabs()->Add(Tab);
    Tab->SetCaption("QNotes");
    Tab->NewObject(Calendars->DefaultNotebook());
    EXPECT_EQ(Tab->Folder(), "QNotes1/");
    EXPECT_TRUE(fs::exists(FRoot + "Default/QNotes1/Folder.xtab"));
    // A holiday file in it does not make it a holiday tab.
    SaveObject<TXVHolidayObject>(FRoot + "Default/QNotes1/h.xholiday", "x");

    auto Reopened = Owned(TXVCalendars::Create(nullptr));
    Reopened->Open(FRoot);
    TXVTabList* Tabs = Reopened->DefaultNotebook()->Tabs();
    ASSERT_EQ(Tabs->Count(), 5);
    EXPECT_TRUE(Tabs->Tabs(4)->Is<TXVJournalTabObject>());
    EXPECT_EQ(Tabs->Tabs(4)->Caption(), "QNotes");
}

TEST_F(VStoreTest, JournalsLiveInAYearFolderPerDay)
{
    auto Calendars = Owned(TXVCalendars::Create(nullptr));
    Calendars->Open(FRoot);
    TXVJournalTabObject* Journals = Calendars->JournalTab();
    TXVJournalObject* Entry = Journals->GetJournalByText("20240303");
    EXPECT_EQ(Entry->FileName(), FRoot + "Default/Journals/2024/20240303.xjournal");
    EXPECT_TRUE(Entry->HasStatus(kVStatusNew));
    EXPECT_EQ(Journals->GetJournal(StoreDay(2024, 3, 3) + 0.9), Entry);
    Journals->PurgeNew();
    EXPECT_EQ(Journals->Items()->Count(), 0);

    Entry = Journals->GetJournal(StoreDay(2024, 3, 3));
    Entry->SetDescriptionTitle("Kept");
    ASSERT_TRUE(Entry->Changed());
    Journals->PurgeNew();
    ASSERT_EQ(Journals->Items()->Count(), 1);

    auto Reopened = Owned(TXVCalendars::Create(nullptr));
    Reopened->Open(FRoot);
    TXVJournalObject* Read = Reopened->JournalTab()->GetJournal(StoreDay(2024, 3, 3));
    EXPECT_EQ(Read->DescriptionTitle(), "Kept");
    EXPECT_TRUE(Read->HasStatus(kVStatusLoaded));
}

TEST_F(VStoreTest, NewObjectsGetFreeNamesAndRemovingDeletesTheFile)
{
    auto Calendars = Owned(TXVCalendars::Create(nullptr));
    Calendars->Open(FRoot);
    TXVHolidayTabObject* Holidays = Calendars->HolidayTab();
    TXVHolidayObject* First = Holidays->NewHoliday();
    TXVHolidayObject* Second = Holidays->NewHoliday();
    EXPECT_NE(First->FileName(), Second->FileName());
    ASSERT_TRUE(First->Changed());

    String File = First->FileName();
    Calendars->DefaultNotebook()->DeleteObject(First);
    EXPECT_FALSE(fs::exists(File));
    EXPECT_EQ(Holidays->Items()->Count(), 1);
}

TEST_F(VStoreTest, ARemovedDefaultNoteIsNotHandedOutAgain)
{
    auto Calendars = Owned(TXVCalendars::Create(nullptr));
    Calendars->Open(FRoot);
    TXVQuickNoteTabObject* Notes = Calendars->QuickNoteTab();
    Notes->RemoveObject(Notes->GetDefaultNote());
    TXVQuickNoteObject* Again = Notes->GetDefaultNote();
    EXPECT_EQ(Notes->Items()->IndexOf(Again), 0);
    EXPECT_EQ(Again->FileName(), FRoot + "Default/QNotes/default.xqnote");
}

// A regular file stands where the folders would go.
TEST_F(VStoreTest, FoldersThatCannotBeMadeLeaveContainersUnavailable)
{
    String Blocker = FHome.Root() + "/blocker";
    WriteBytes(Blocker, "x");
    auto Calendars = Owned(TXVCalendars::Create(nullptr));
    Calendars->Open(Blocker + "/Calendars/");
    EXPECT_TRUE(Calendars->Volumes()->Volumes(0)->HasStatus(kVStatusUnavailable));
    EXPECT_TRUE(Calendars->DefaultNotebook()->HasStatus(kVStatusUnavailable));

    auto Notebook = Owned(TXVNotebookObject::Create());
    Notebook->SetFolder(Blocker + "/");
    auto* Tab = TXVHolidayTabObject::Create();
    Notebook->Tabs()->Add(Tab);
    Tab->SetCaption("Holidays");
    Tab->NewObject(Notebook.get());
    EXPECT_TRUE(Tab->HasStatus(kVStatusUnavailable));
    EXPECT_EQ(Tab->FileName(), "");
    EXPECT_EQ(ReadBytes(Blocker), "x");
}

}  // namespace
