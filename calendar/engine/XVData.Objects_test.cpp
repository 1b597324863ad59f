// Calendar objects: construction values, display texts, sorting, copies, new objects in their
// tab's folder, and the stored form through the XML object format.
#include "XVData.Objects.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "Rtl.DateUtils.h"
#include "Rtl.Streams.h"
#include "Win.TestEnvironment.h"
#include "XCore.TestClock.h"
#include "XMLClasses.h"
#include "XVData.Containers.h"

namespace {

TDateTime DateOf(int AYear, int AMonth, int ADay)
{
    return EncodeDate(AYear, AMonth, ADay);
}

// The clock stands at 3 March 2024, 10:30 local; the locale is C, whose short date is mm/dd/yy.
class VDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FHome.Set("TZ", "XST-1");
        FHome.Set("LC_ALL", "C");
        FClock = TXTestClockApp::Create();
        SetNVCoreApp(FClock);
        FClock->SetLocal(DateOf(2024, 3, 3) + 0.4375);
    }
    void TearDown() override { SetNVCoreApp(nullptr); }

    TTestHome FHome;
    TXTestClockApp* FClock = nullptr;   // owned by the core application slot
};

template <class T>
T* ReadBack(T* ASource)
{
    auto Stream = Owned(TMemoryStream::Create());
    ObjectToXMLStream(ASource, Stream.get(), true);
    T* Copy = T::Create();
    Stream->SetPosition(0);
    LoadObjectFromXMLStream(Copy, Stream.get());
    return Copy;
}

TEST_F(VDataTest, NewObjectsCarryTheirConstructionValues)
{
    auto Event = Owned(TXVEventObject::Create());
    EXPECT_EQ(Event->TextColor(), 0x1FFFFFFF);
    EXPECT_EQ(Event->BgColor(), 0x1FFFFFFF);
    EXPECT_TRUE(Event->Enabled());
    EXPECT_EQ(Event->ColorType(), vdcDay);
    EXPECT_TRUE(Event->ShowSummary());
    EXPECT_FALSE(Event->ShowDescription());
    EXPECT_FALSE(Event->DTStart()->DateOnly());
    EXPECT_DOUBLE_EQ(Event->DTStart()->DDate(), DateOf(2024, 3, 3) + 0.4375);
    EXPECT_EQ(Event->RRule()->Count(), 0);
    EXPECT_EQ(Event->Status(), 0u);
    EXPECT_EQ(Event->OrderKey(), 2147483647);

    auto Journal = Owned(TXVJournalObject::Create());
    EXPECT_TRUE(Journal->DTStart()->DateOnly());
    EXPECT_FALSE(Journal->ShowSummary());
    EXPECT_TRUE(Journal->ShowDescription());

    auto Note = Owned(TXVQuickNoteObject::Create());
    EXPECT_FALSE(Note->ShowSummary());
    EXPECT_FALSE(Note->ShowDescription());
    EXPECT_TRUE(Note->Description()->IsEmpty());
    EXPECT_EQ(Note->DTStart(), nullptr);
    EXPECT_EQ(Note->GetExtension(), ".xqnote");
}

TEST_F(VDataTest, DisplayTexts)
{
    auto Note = Owned(TXVQuickNoteObject::Create());
    Note->SetDescriptionTitle("Title");
    Note->SetSummary("  \t ");
    EXPECT_EQ(Note->GetDisplayText(), "Title");
    Note->SetSummary(" Call Ann ");
    EXPECT_EQ(Note->GetDisplayText(), " Call Ann ");

    auto Journal = Owned(TXVJournalObject::Create());
    Journal->DTStart()->SetDDate(DateOf(2024, 2, 29));
    Journal->SetSummary("ignored");
    Journal->SetDescriptionTitle("Leap day");
    EXPECT_EQ(Journal->GetDisplayText(), "02/29/24 - Leap day");

    auto Holiday = Owned(TXVHolidayObject::Create());
    Holiday->DTStart()->SetDDate(DateOf(2024, 12, 25) + 0.5);
    Holiday->SetSummary("Christmas");
    Holiday->SetDescriptionTitle("ignored");
    EXPECT_EQ(Holiday->GetDisplayText(), "12/25/24 - Christmas");

    auto Tab = Owned(TXVQuickNoteTabObject::Create());
    Tab->SetFolder("QNotes/");
    EXPECT_EQ(Tab->GetDisplayText(), "QNotes");
    Tab->SetCaption("My notes");
    EXPECT_EQ(Tab->GetDisplayText(), "My notes");
    auto Notebook = Owned(TXVNotebookObject::Create());
    Notebook->SetFolder("Default/");
    EXPECT_EQ(Notebook->GetDisplayText(), "Default");
    EXPECT_EQ(Owned(TXVVolumeObject::Create())->GetDisplayText(), "");
}

TEST_F(VDataTest, SortComparersByOrderType)
{
    auto Tab = Owned(TXVQuickNoteTabObject::Create());
    auto* A = static_cast<TXCustomVNoteObject*>(Tab->Items()->AddNewObject());
    auto* B = static_cast<TXCustomVNoteObject*>(Tab->Items()->AddNewObject());
    A->SetSummary("apple");
    B->SetSummary("Banana");
    struct TCase {
        TXVOrderType Order;
        int Sign;
    };
    for (TCase Case : {TCase{vorAlphaAsc, -1}, TCase{vorAlphaDesc, 1}, TCase{vorCustom, 0}, TCase{vorDateAsc, 0},
                       TCase{vorDateDesc, 0}}) {
        XClasses::TXObjectCompare Compare = A->GetSortCompare(Case.Order);
        int Result = Compare(A, B);
        EXPECT_EQ((Result > 0) - (Result < 0), Case.Sign) << int(Case.Order);
    }
}

TEST_F(VDataTest, ListsMakeTheirKindAndFindADay)
{
    auto Tab = Owned(TXVJournalTabObject::Create());
    EXPECT_EQ(Tab->GetKindName(), "Journals");
    auto* First = Tab->Items()->AddNewObject();
    auto* Second = Tab->Items()->AddNewObject();
    ASSERT_TRUE(First->Is<TXVJournalObject>());
    First->DTStart()->SetDDate(DateOf(2024, 2, 28) + 0.9);
    Second->DTStart()->SetDDate(DateOf(2024, 2, 29) + 0.1);
    EXPECT_EQ(Tab->Items()->IndexOfDate(DateOf(2024, 2, 29) + 0.7), 1);
    EXPECT_EQ(Tab->Items()->IndexOfDate(DateOf(2024, 3, 1)), -1);

    auto Notes = Owned(TXVQuickNoteTabObject::Create());
    Notes->Items()->AddNewObject();
    EXPECT_EQ(Notes->Items()->IndexOfDate(DateOf(2024, 3, 3)), -1);
}

TEST_F(VDataTest, NewObjectGetsAFreeFileInItsTabFolder)
{
    auto Volume = Owned(TXVVolumeObject::Create());
    Volume->SetRootFolder(FHome.Root() + "/Calendars/");
    auto* Notebook = static_cast<TXVNotebookObject*>(Volume->Notebooks()->AddNew());
    Notebook->Attach(Volume.get(), "");
    Notebook->SetFolder("Default/");
    auto* Holidays = TXVHolidayTabObject::Create();
    Notebook->Tabs()->Add(Holidays);
    Holidays->Attach(Notebook, "");
    Holidays->SetFolder("Holidays/");

    auto* Holiday = Holidays->Items()->AddNewObject();
    Holiday->NewObject(Holidays);
    EXPECT_TRUE(Holiday->HasStatus(kVStatusNew));
    EXPECT_TRUE(Holiday->HasStatus(kVStatusLoaded));
    EXPECT_FALSE(Holiday->HasStatus(kVStatusModified));
    EXPECT_EQ(Holiday->UID().size(), 36u);
    EXPECT_DOUBLE_EQ(Holiday->Created(), FClock->UtcNow());
    EXPECT_DOUBLE_EQ(Holiday->LastModified(), Holiday->Created());
    EXPECT_EQ(Holiday->GetTab(), Holidays);
    EXPECT_EQ(Holiday->FileName(), FHome.Root() + "/Calendars/Default/Holidays/" + Holiday->UID() + ".xholiday");
    EXPECT_TRUE(std::filesystem::is_directory(FHome.Root() + "/Calendars/Default/Holidays"));

    auto* Other = Holidays->Items()->AddNewObject();
    Other->NewObject(Holidays);
    EXPECT_NE(Other->UID(), Holiday->UID());
    EXPECT_EQ(Notebook->GetTab(), nullptr);
}

TEST_F(VDataTest, PrepareLabelWritesClassUIDAndParentUIDInOrder)
{
    auto Holiday = Owned(TXVHolidayObject::Create());
    Holiday->SetUID("3F2504E0-4F89-11D3-9A0C-0305E82C3301");
    Holiday->Label()->Info()->SetValue("Stale", "x");
    Holiday->PrepareLabel();
    TXNameValueCollection* Info = Holiday->Label()->Info();
    ASSERT_EQ(Info->Count(), 3);
    EXPECT_EQ(Info->Items(0)->GetDisplayName(), "Class");
    EXPECT_EQ(Info->Items(0)->Value(), "TXVHolidayObject");
    EXPECT_EQ(Info->GetValue("uid"), "3F2504E0-4F89-11D3-9A0C-0305E82C3301");
    EXPECT_EQ(Info->Items(2)->GetDisplayName(), "ParentUID");
    EXPECT_EQ(Info->GetValue("Missing"), "");
}

// Rules on the days that trip calendars up: month ends, leap days, N-th and last weekdays.
TXVHolidayObject* MakeHoliday(TXVFrequency AFrequency, TDateTime AStart, int32_t AMonthDay, int32_t AWeekValue,
                              uint16_t AWeekDay)
{
    TXVHolidayObject* Holiday = TXVHolidayObject::Create();
    Holiday->SetUID("UID");
    Holiday->SetSummary("Rule");
    Holiday->SetCategory("Bank");
    Holiday->SetColorType(vdcCustom);
    Holiday->SetTextColor(0x0000FF);
    Holiday->DTStart()->SetDateOnly(true);
    Holiday->DTStart()->SetDDate(AStart);
    TXVRecurrenceItem* Rule = Holiday->RRule()->Add();
    Rule->SetFrequency(AFrequency);
    Rule->SetInterval(1);
    Rule->SetEndType(vreEndDate);
    Rule->SetEndDate(DateOf(2028, 2, 29));
    if (AMonthDay != 0)
        Rule->ByMonthDay()->AddValue(AMonthDay);
    if (AWeekDay != 0)
        Rule->ByWeekDay()->AddWeekDay(AWeekValue, AWeekDay);
    return Holiday;
}

struct TRuleCase {
    const char* Name;
    TXVFrequency Frequency;
    TDateTime Start;
    int32_t MonthDay;
    int32_t WeekValue;
    uint16_t WeekDay;
};

class RecurrenceRoundTripTest : public VDataTest, public ::testing::WithParamInterface<TRuleCase> {};

TEST_P(RecurrenceRoundTripTest, RulesSurviveTheObjectFormat)
{
    const TRuleCase& Case = GetParam();
    auto Holiday = Owned(MakeHoliday(Case.Frequency, Case.Start, Case.MonthDay, Case.WeekValue, Case.WeekDay));
    auto Copy = Owned(ReadBack(Holiday.get()));

    EXPECT_EQ(Copy->UID(), "UID");
    EXPECT_EQ(Copy->Summary(), "Rule");
    EXPECT_EQ(Copy->Category(), "Bank");
    EXPECT_EQ(Copy->ColorType(), vdcCustom);
    EXPECT_EQ(Copy->TextColor(), 0x0000FF);
    EXPECT_EQ(Copy->BgColor(), 0x1FFFFFFF);
    EXPECT_TRUE(Copy->DTStart()->DateOnly());
    EXPECT_DOUBLE_EQ(Copy->DTStart()->DDate(), Case.Start);
    ASSERT_EQ(Copy->RRule()->Count(), 1);
    TXVRecurrenceItem* Rule = Copy->RRule()->Items(0);
    EXPECT_EQ(Rule->Frequency(), Case.Frequency);
    EXPECT_EQ(Rule->Interval(), 1u);
    EXPECT_EQ(Rule->EndType(), vreEndDate);
    EXPECT_DOUBLE_EQ(Rule->EndDate(), DateOf(2028, 2, 29));
    EXPECT_EQ(Rule->ByMonthDay()->FindValue(Case.MonthDay) != nullptr, Case.MonthDay != 0);
    EXPECT_EQ(Rule->ByWeekDay()->Count(), Case.WeekDay != 0 ? 1 : 0);
    if (Case.WeekDay != 0) {
        EXPECT_TRUE(Rule->ByWeekDay()->HasValue(Case.WeekValue));
        EXPECT_TRUE(Rule->ByWeekDay()->HasWeekDay(Case.WeekDay));
    }
    EXPECT_EQ(Rule->ByMonth()->Count() + Rule->ByPosition()->Count(), 0);
}

const TRuleCase kRules[] = {
    {"LastDayOfMonth", vfqMonthly, DateOf(2024, 1, 31), -1, 0, 0},
    {"LeapDayYearly", vfqYearly, DateOf(2024, 2, 29), 0, 0, 0},
    {"SecondTuesday", vfqMonthly, DateOf(2024, 3, 12), 0, 2, 2},
    {"LastFriday", vfqMonthly, DateOf(2024, 3, 29), 0, -1, 5},
    {"EverySunday", vfqWeekly, DateOf(2024, 3, 3), 0, 0, 7},
};
INSTANTIATE_TEST_SUITE_P(Rules, RecurrenceRoundTripTest, ::testing::ValuesIn(kRules),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(VDataTest, NotesJournalsAndTabsSurviveTheObjectFormat)
{
    auto Journal = Owned(TXVJournalObject::Create());
    Journal->SetPriority(3);
    Journal->SetDescriptionTitle("Entry");
    Journal->SetSensitivityType(vcsPrivate);
    Journal->SetCreated(DateOf(2024, 2, 29) + 0.25);
    Journal->DTStart()->SetDDate(DateOf(2024, 2, 29));
    auto JournalCopy = Owned(ReadBack(Journal.get()));
    EXPECT_EQ(JournalCopy->Priority(), 3);
    EXPECT_EQ(JournalCopy->DescriptionTitle(), "Entry");
    EXPECT_EQ(JournalCopy->SensitivityType(), vcsPrivate);
    EXPECT_DOUBLE_EQ(JournalCopy->Created(), DateOf(2024, 2, 29) + 0.25);
    EXPECT_DOUBLE_EQ(JournalCopy->DTStart()->DDate(), DateOf(2024, 2, 29));
    EXPECT_TRUE(JournalCopy->ShowDescription());

    auto Tab = Owned(TXVHolidayTabObject::Create());
    Tab->SetCaption("Feiertage");
    Tab->Order()->SetOrderType(vorAlphaDesc);
    Tab->Order()->List()->Add("B");
    Tab->Order()->List()->Add("A");
    auto TabCopy = Owned(ReadBack(Tab.get()));
    EXPECT_EQ(TabCopy->Caption(), "Feiertage");
    EXPECT_EQ(TabCopy->Order()->OrderType(), vorAlphaDesc);
    EXPECT_EQ(TabCopy->Order()->List()->Text(), Tab->Order()->List()->Text());
}

TEST_F(VDataTest, CopiesAreDeepAndMarkTheCopyModified)
{
    auto Holiday = Owned(MakeHoliday(vfqMonthly, DateOf(2024, 1, 31), -1, 0, 0));
    Holiday->SetStatusBit(kVStatusNew, true);
    Holiday->SetFileName("/x/own.xholiday");
    auto Copy = Owned(TXVHolidayObject::Create());
    Copy->SetStatusBit(kVStatusNew, true);
    Copy->Assign(Holiday.get());

    EXPECT_EQ(Copy->Summary(), "Rule");
    EXPECT_EQ(Copy->UID(), "UID");
    ASSERT_EQ(Copy->RRule()->Count(), 1);
    EXPECT_NE(Copy->RRule()->Items(0), Holiday->RRule()->Items(0));
    Holiday->RRule()->Items(0)->ByMonthDay()->Clear();
    EXPECT_EQ(Copy->RRule()->Items(0)->ByMonthDay()->Count(), 1);
    EXPECT_FALSE(Copy->HasStatus(kVStatusNew));
    EXPECT_TRUE(Copy->HasStatus(kVStatusModified));
    // The file stays the copy's own.
    EXPECT_EQ(Copy->FileName(), "");
}

TEST_F(VDataTest, AnEmptiedRuleIsAllZeros)
{
    auto Holiday = Owned(MakeHoliday(vfqWeekly, DateOf(2024, 3, 3), -1, -1, 7));
    TXVRecurrenceItem* Rule = Holiday->RRule()->Items(0);
    Rule->ClearLists();
    EXPECT_EQ(Rule->ByMonthDay()->Count() + Rule->ByWeekDay()->Count(), 0);
    EXPECT_EQ(Rule->Frequency(), vfqWeekly);
    Rule->Clear();
    EXPECT_EQ(Rule->Frequency(), vfqSecondly);
    EXPECT_EQ(Rule->EndType(), vreForever);
    EXPECT_EQ(Rule->Interval(), 0u);
    EXPECT_DOUBLE_EQ(Rule->EndDate(), 0.0);
}

}  // namespace
