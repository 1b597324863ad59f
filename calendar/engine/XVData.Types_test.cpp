// Value lists, weekday lists and the file label.
#include "XVData.Types.h"

#include <gtest/gtest.h>

#include "XVData.Label.h"

namespace {

TEST(ValueListsTest, IntegersAreFoundByValue)
{
    auto List = Owned(TXIntegerCollection::Create(static_cast<TPersistent*>(nullptr)));
    List->AddValue(-1);
    TXIntegerItem* Fifteen = List->AddValue(15);
    List->AddValue(15);
    EXPECT_EQ(List->FindValue(15), Fifteen);
    EXPECT_EQ(List->FindValue(0), nullptr);

    auto Copy = Owned(TXIntegerCollection::Create(static_cast<TPersistent*>(nullptr)));
    Copy->Assign(List.get());
    ASSERT_EQ(Copy->Count(), 3);
    EXPECT_EQ(Copy->Items(0)->Value(), -1);
}

TEST(ValueListsTest, NameValuePairsIgnoreLetterCase)
{
    auto Pairs = Owned(TXNameValueCollection::Create(static_cast<TPersistent*>(nullptr)));
    Pairs->SetValue("Class", "TXVEventObject");
    Pairs->SetValue("CLASS", "TXVHolidayObject");
    Pairs->SetValue("UID", "");
    ASSERT_EQ(Pairs->Count(), 2);
    EXPECT_EQ(Pairs->Items(0)->GetDisplayName(), "Class");
    EXPECT_EQ(Pairs->GetValue("class"), "TXVHolidayObject");
    EXPECT_EQ(Pairs->GetValue("ParentUID"), "");
    EXPECT_EQ(Pairs->Count(), 2);
}

TEST(ValueListsTest, WeekDaysAnswerByValueAndByDay)
{
    auto Days = Owned(TXVWeekDayCollection::Create(static_cast<TPersistent*>(nullptr)));
    Days->AddWeekDay(-1, 5);
    Days->AddWeekDay(2, 2);
    EXPECT_TRUE(Days->HasValue(-1));
    EXPECT_TRUE(Days->HasValue(2));
    EXPECT_FALSE(Days->HasValue(5));
    EXPECT_TRUE(Days->HasWeekDay(2));
    EXPECT_FALSE(Days->HasWeekDay(7));
}

TEST(LabelTest, ClearsAndCopiesTheStoredFieldsButKeepsItsOwnFile)
{
    auto Label = Owned(TXL::Create());
    Label->SetLType(1);
    Label->SetARType(2);
    Label->SetAWType(3);
    Label->SetLC(4);
    Label->SetLP("p");
    Label->Info()->SetValue("Class", "TXVVolumeObject");
    Label->SetFileName("/a/Folder.xvolume");

    auto Copy = Owned(TXL::Create());
    Copy->Assign(Label.get());
    EXPECT_EQ(Copy->LType() + Copy->ARType() + Copy->AWType(), 6);
    EXPECT_EQ(Copy->LC(), 4u);
    EXPECT_EQ(Copy->LP(), "p");
    EXPECT_EQ(Copy->Info()->GetValue("Class"), "TXVVolumeObject");
    EXPECT_EQ(Copy->FileName(), "/a/Folder.xvolume");

    Label->SetFileName("/b/other.xvolume");
    Copy->Assign(Label.get());
    EXPECT_EQ(Copy->FileName(), "/a/Folder.xvolume");

    Copy->Clear();
    EXPECT_EQ(Copy->LType() + Copy->LC(), 0u);
    EXPECT_EQ(Copy->LP(), "");
    EXPECT_EQ(Copy->Info()->Count(), 0);
}

}  // namespace
