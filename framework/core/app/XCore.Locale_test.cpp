// Language ids on items and lists, the locale singleton and the Monday-first format record.
#include "XCore.Locale.h"

#include <gtest/gtest.h>

#include "Rtl.TypInfo.h"
#include "Win.TestEnvironment.h"

namespace {

class TItem : public TXLocalizedCollectionItem {
    X_CLASS(TItem, TXLocalizedCollectionItem)
protected:
    TItem() = default;
};

TEST(LocalizedObjectsTest, ItemsCopyAndClearTheirLanguage)
{
    auto Items = Owned(TXLocalizedCollection<TItem>::Create(nullptr));
    Items->Header()->SetLgID(0x0407);
    TItem* A = Items->Add();
    A->SetLgID(0x0807);
    A->SetDisplayName("a");
    TItem* B = Items->Add();
    B->Assign(A);
    EXPECT_EQ(B->GetLgID(), 0x0807u);
    EXPECT_EQ(B->GetDisplayName(), "a");
    B->Clear();
    EXPECT_EQ(B->GetLgID(), 0u);
    TIntf<IXLocalizable> Localizable;
    ASSERT_TRUE(Supports(static_cast<TObject*>(Items->Header()), Localizable));
    EXPECT_EQ(Localizable->GetLgID(), 0x0407u);
}

TEST(LocaleIDListTest, LinesDefaultAndAssignment)
{
    auto List = Owned(TXLocaleIDStringList::Create());
    EXPECT_EQ(List->DefaultLgID(), 9u);
    List->SetText("1031\r\nnot a number\r\n");
    EXPECT_EQ(List->GetItemLgID(0), 1031u);
    EXPECT_EQ(List->GetItemLgID(1), 9u);

    struct TWatcher {
        int Calls = 0;
        uint32_t Seen = 0;
        void Changed(TObject* ASender) { ++Calls, Seen = static_cast<TXLocaleIDStringList*>(ASender)->DefaultLgID(); }
    } Watcher;
    auto Copy = Owned(TXLocaleIDStringList::Create());
    Copy->SetOnDefaultChanged(TNotifyEvent::Bind<&TWatcher::Changed>(&Watcher));
    List->SetDefaultLgID(0x0407);
    Copy->Assign(List.get());
    EXPECT_EQ(Watcher.Calls, 1);
    EXPECT_EQ(Watcher.Seen, 0x0407u);
    EXPECT_EQ(Copy->Text(), List->Text());
}

class LocaleTest : public ::testing::Test {
protected:
    void SetUp() override { FHome.Set("LC_MESSAGES", std::nullopt); }
    TTestHome FHome;
};

TEST_F(LocaleTest, TheSingletonAnswersTheUsersLanguage)
{
    FHome.Set("LC_ALL", "de_CH.UTF-8");
    StartNVLocale();
    EXPECT_EQ(NVLocale()->LangID(), 0x0807);
    EXPECT_EQ(NVLocale()->PrimaryLangID(), 0x07);
    EXPECT_EQ(NVLocale()->GetLangIDHex(), "0807");
    EXPECT_EQ(NVLocale()->GetPrimaryLangIDHex(), "0007");
    EXPECT_EQ(NVLocale()->GetLocaleName(), "de-CH");
    EXPECT_EQ(TXNVLocale::GetLocaleNameOf(0x0409), "en-US");
    EXPECT_EQ(GetUserLangID(), 0x0807);
    uint8_t Primary, Sub;
    SplitLangID(0x0807, Primary, Sub);
    EXPECT_EQ(Primary, 0x07);
    EXPECT_EQ(Sub, 0x08);
    StopNVLocale();
}

TEST_F(LocaleTest, FormatSettingsStartOnMonday)
{
    FHome.Set("LC_ALL", "en_US.UTF-8");
    TXFormatSettings Settings;
    TXNVLocale::GetLocaleFormatSettings(LOCALE_USER_DEFAULT, Settings);
    EXPECT_EQ(Settings.FirstDay, 7);   // the week starts on Sunday in the US
    EXPECT_EQ(Settings.LongDayNames[0], "Monday");
    EXPECT_EQ(Settings.LongDayNames[6], "Sunday");
    EXPECT_EQ(Settings.UltraShortDayNames[2], "W");
    EXPECT_EQ(Settings.LongMonthNames[0], "January");
    FHome.Set("LC_ALL", "de_DE.UTF-8");
    TXNVLocale::GetLocaleFormatSettings(0x0409, Settings);
    EXPECT_EQ(Settings.FirstDay, 1);   // the user's first day, whatever locale is asked for

    // Back to the platform's Sunday-first record; an empty short name gives an empty letter.
    Settings.ShortDayNames[0] = "";
    Settings.ShortDayNames[1] = "\xC3\x9C" "di";   // a letter of two bytes stays whole
    TFormatSettings Platform;
    TXNVLocale::AssignToFormatSettings(Settings, Platform);
    EXPECT_EQ(Platform.LongDayNames[0], "Sunday");
    EXPECT_EQ(Platform.ShortDayNames[1], "");
    TXFormatSettings Again;
    TXNVLocale::AssignFromFormatSettings(Platform, Again);
    EXPECT_EQ(Again.UltraShortDayNames[0], "");
    EXPECT_EQ(Again.UltraShortDayNames[1], "\xC3\x9C");
    EXPECT_EQ(Again.LongDayNames, Settings.LongDayNames);
}

TEST(FileFormatSettingsTest, FixedWhateverTheLocale)
{
    EXPECT_EQ(FileFormatSettings().DecimalSeparator, ".");
    EXPECT_EQ(FileFormatSettings().ThousandSeparator, ",");
    EXPECT_EQ(FileFormatSettings().CurrencyFormat, 3);
    EXPECT_EQ(FileFormatSettings().NegCurrFormat, 8);
}

}  // namespace

namespace {

TEST(FormatSettingsObjectTest, RecordFieldsArePublishedInOrder)
{
    auto Object = Owned(TXFormatSettingsObject::Create());
    Object->FormatSettings().FirstDay = 7;
    Object->FormatSettings().LongMonthNames[11] = "December";
    Object->FormatSettings().UltraShortDayNames[6] = "S";
    const TPropList& Props = GetPropList(Object.get());
    ASSERT_EQ(Props.size(), 16u + 12 + 12 + 7 + 7 + 7 + 1);
    EXPECT_EQ(Props.front()->Name(), "FirstDay");
    EXPECT_EQ(Props[16]->Name(), "ShortMonthNames1");
    EXPECT_EQ(Props.back()->Name(), "TwoDigitYearCenturyWindow");
    EXPECT_EQ(GetOrdProp(Object.get(), "FirstDay"), 7);
    EXPECT_EQ(GetStrProp(Object.get(), "LongMonthNames12"), "December");
    EXPECT_EQ(GetStrProp(Object.get(), "ultrashortdaynames7"), "S");
    SetStrProp(Object.get(), "DecimalSeparator", ",");
    EXPECT_EQ(Object->FormatSettings().DecimalSeparator, ",");
}

}  // namespace
