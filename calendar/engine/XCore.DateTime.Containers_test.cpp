// Day-number sets, dated and period items, and the basic date text.
#include "XCore.DateTime.Containers.h"

#include <gtest/gtest.h>

#include <vector>

#include "Rtl.DateUtils.h"
#include "Rtl.Streams.h"
#include "XMLClasses.h"

namespace {

TDateTime D(int AYear, int AMonth, int ADay)
{
    return EncodeDate(AYear, AMonth, ADay);
}

struct TParseCase {
    const char* Text;
    double Expected;
};

TEST(BasicDateTimeTest, ParsesDateAndTimeParts)
{
    const TParseCase Cases[] = {
        {"20240229", D(2024, 2, 29)},
        {"20230229", 0},                                  // no such day
        {"20240115T1430", D(2024, 1, 15) + 14.5 / 24},    // missing seconds are 0
        {"20240115T143015", D(2024, 1, 15) + (14 * 3600 + 30 * 60 + 15) / 86400.0},
        {"T120000", 0.5},                                 // a time on day 0
        {"20241301", 0},                                  // month 13
        {"20240101T2500", D(2024, 1, 1)},                 // no such time: the date alone
        {"2024", 0},                                      // no year before month and day
        {"", 0},
        {"x", 0},
        {"99991231", D(9999, 12, 31)},
    };
    for (const TParseCase& Case : Cases)
        EXPECT_NEAR(double(ParseBasicDateTime(Case.Text)), Case.Expected, 1e-9) << Case.Text;
}

struct TRangeCase {
    const char* Name;
    std::vector<int32_t> Values;
    int32_t Low, High;
    std::vector<int32_t> Kept;
};

TEST(DatesListTest, KeepRangeLeavesTheSortedValuesInside)
{
    const TRangeCase Cases[] = {
        {"Mixed", {25, 5, 12, 20, 12}, 10, 20, {12, 20}},
        {"AllAbove", {30, 40}, 10, 20, {}},
        {"AllBelow", {1, 2}, 10, 20, {}},
        {"Bounds", {10, 20}, 10, 20, {10, 20}},
        {"Empty", {}, 10, 20, {}},
        {"EmptyRange", {15}, 20, 10, {}},
    };
    for (const TRangeCase& Case : Cases) {
        auto List = Owned(TXDatesList::Create());
        for (int32_t Value : Case.Values)
            List->AddUnique(Value);
        List->KeepRange(Case.Low, Case.High);
        std::vector<int32_t> Kept;
        for (int I = 0; I < List->Count(); ++I)
            Kept.push_back(List->Items(I));
        EXPECT_EQ(Kept, Case.Kept) << Case.Name;
    }
}

TEST(DatedItemsTest, StampsReadAndWriteDottedDays)
{
    using TCollectionType = TXDatedCollection<String, TXDatedStringItem>;
    auto Items = Owned(TCollectionType::Create(static_cast<TPersistent*>(nullptr)));
    TXDatedStringItem* Item = Items->Add();
    EXPECT_EQ(Item->Stamp(), "");
    Item->SetDay(D(2024, 2, 29) + 0.75);
    EXPECT_DOUBLE_EQ(Item->Day(), D(2024, 2, 29));
    EXPECT_EQ(Item->Stamp(), "29.02.2024");
    Item->SetStamp("31.04.2024");
    EXPECT_DOUBLE_EQ(Item->Day(), 0.0);
    Item->SetStamp("01.03.2024");
    EXPECT_DOUBLE_EQ(Item->Day(), D(2024, 3, 1));
}

TEST(DatedItemsTest, PeriodBoundsAcceptThreeForms)
{
    auto Items = Owned(TXPeriodCollection<String, TXPeriodStringItem>::Create(static_cast<TPersistent*>(nullptr)));
    TXPeriodStringItem* Item = Items->Add();
    Item->SetStart("2024-02-28T23:59:00");
    Item->SetEnds("2024-03-01");
    EXPECT_EQ(Item->Start(), "28.02.2024");
    EXPECT_EQ(Item->Ends(), "01.03.2024");
    EXPECT_EQ(Item->StartISOText(), "2024-02-28");
    Item->SetStart("29.02.2024");
    EXPECT_DOUBLE_EQ(Item->StartDay(), D(2024, 2, 29));
    Item->SetEnds("2023-02-29");
    EXPECT_EQ(Item->Ends(), "");
}

TEST(DatedItemsTest, CollectionsSortByDayThenByEnd)
{
    auto Periods = Owned(TXPeriodCollection<String, TXPeriodStringItem>::Create(static_cast<TPersistent*>(nullptr)));
    auto AddPeriod = [&](const char* AStart, const char* AEnds, const char* AData) {
        TXPeriodStringItem* Item = Periods->Add();
        Item->SetStart(AStart);
        Item->SetEnds(AEnds);
        Item->SetData(AData);
    };
    AddPeriod("2024-03-01", "2024-03-09", "c");
    AddPeriod("2024-03-01", "2024-03-02", "b");
    AddPeriod("2024-02-29", "2024-03-31", "a");
    Periods->Sort();
    EXPECT_EQ(Periods->Items(0)->Data() + Periods->Items(1)->Data() + Periods->Items(2)->Data(), "abc");

    auto Dated = Owned(TXDatedCollection<String, TXDatedStringItem>::Create(static_cast<TPersistent*>(nullptr)));
    for (const char* Stamp : {"31.12.2024", "01.01.2024", "29.02.2024"}) {
        TXDatedStringItem* Item = Dated->Add();
        Item->SetStamp(Stamp);
        Item->SetData(Stamp);
    }
    Dated->Sort();
    EXPECT_EQ(Dated->Items(0)->Data(), "01.01.2024");
    EXPECT_EQ(Dated->Items(2)->Data(), "31.12.2024");
}

TEST(DatedItemsTest, StringListItemsCopyTheirLines)
{
    auto Items =
        Owned(TXDatedCollection<TStrings, TXDatedStringsItem>::Create(static_cast<TPersistent*>(nullptr)));
    TXDatedStringsItem* Item = Items->Add();
    Item->SetStamp("03.03.2024");
    Item->Data()->Add("first");
    TXDatedStringsItem* Copy = Items->Add();
    Copy->Assign(Item);
    Item->Data()->Clear();
    EXPECT_EQ(Copy->Stamp(), "03.03.2024");
    ASSERT_EQ(Copy->Data()->Count(), 1);
    EXPECT_EQ(Copy->Data()->Strings(0), "first");
}

TEST(DatedItemsTest, ItemsSurviveTheObjectFormat)
{
    auto Items = Owned(TXDatedCollection<String, TXDatedStringItem>::Create(static_cast<TPersistent*>(nullptr)));
    TXDatedStringItem* Item = Items->Add();
    Item->SetStamp("29.02.2024");
    Item->SetData("leap");
    auto Stream = Owned(TMemoryStream::Create());
    ObjectToXMLStream(Items.get(), Stream.get(), false);
    auto Copy = Owned(TXDatedCollection<String, TXDatedStringItem>::Create(static_cast<TPersistent*>(nullptr)));
    Stream->SetPosition(0);
    LoadObjectFromXMLStream(Copy.get(), Stream.get());
    ASSERT_EQ(Copy->Count(), 1);
    EXPECT_DOUBLE_EQ(Copy->Items(0)->Day(), D(2024, 2, 29));
    EXPECT_EQ(Copy->Items(0)->Data(), "leap");
}

}  // namespace
