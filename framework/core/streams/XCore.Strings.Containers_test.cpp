// String collections: one text per language, found with fallback; colour items.
#include "XCore.Strings.Containers.h"

#include <gtest/gtest.h>

#include "Rtl.TypInfo.h"

namespace {

struct TLanguageFallbackCase {
    const char* Name;
    uint32_t OwnLgID;   // the collection's own language
    uint32_t Asked;
    bool Fallback;
    const char* Expected;
};

// Texts for German (0x0407), English (9) and French (0x0C); none is neutral.
class StringCollectionFallbackTest : public ::testing::TestWithParam<TLanguageFallbackCase> {};

TEST_P(StringCollectionFallbackTest, FindsTheNearestLanguage)
{
    const TLanguageFallbackCase& Case = GetParam();
    auto Texts = Owned(TXStringCollection::Create(nullptr));
    Texts->SetText(0x0407, "Hallo");
    Texts->SetText(9, "Hello");
    Texts->SetText(0x0C, "Bonjour");
    Texts->Header()->SetLgID(Case.OwnLgID);
    EXPECT_EQ(Texts->GetText(Case.Asked, Case.Fallback), Case.Expected);
}

const TLanguageFallbackCase kFallbackCases[] = {
    {"Exact", 0, 0x0407, true, "Hallo"},
    {"ExactWithoutFallback", 0, 0x0407, false, "Hallo"},
    {"SwissGermanFallsToEnglish", 0, 0x0807, true, "Hello"},
    {"SwissGermanWithoutFallback", 0, 0x0807, false, ""},
    {"PrimaryLanguage", 0, 0x080C, true, "Bonjour"},
    {"OwnLanguageBeforeEnglish", 0x0407, 0x0807, true, "Hallo"},
    {"UnknownFallsToEnglish", 0, 0x0415, true, "Hello"},
};
INSTANTIATE_TEST_SUITE_P(Cases, StringCollectionFallbackTest, ::testing::ValuesIn(kFallbackCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(StringCollectionTest, NeutralTextComesBeforeEnglishAndEnglishOnlyWhenAsked)
{
    auto Texts = Owned(TXStringCollection::Create(nullptr));
    Texts->SetText(9, "Hello");
    EXPECT_EQ(Texts->IndexOfLgIDFallback(0x0415, false), -1);
    EXPECT_EQ(Texts->IndexOfLgIDFallback(0x0415, true), 0);
    // A collection whose own language is English does not try English a second time.
    Texts->Header()->SetLgID(9);
    EXPECT_EQ(Texts->IndexOfLgIDFallback(0x0415, true), 0);   // found as its own language

    Texts->SetText(0, "Neutral");
    Texts->Header()->SetLgID(0);
    EXPECT_EQ(Texts->GetText(0x0415, true), "Neutral");
}

TEST(StringCollectionTest, SetTextReplacesInPlaceAndEmptyTextsCountAsEmpty)
{
    auto Texts = Owned(TXStringCollection::Create(nullptr));
    EXPECT_TRUE(Texts->IsEmpty());
    Texts->SetText(0x0407, "");
    Texts->SetText(9, "");
    EXPECT_EQ(Texts->Count(), 2);
    EXPECT_TRUE(Texts->IsEmpty());

    TXStringItem* English = Texts->Items(1);
    Texts->SetText(9, "Hello");
    EXPECT_EQ(Texts->Count(), 2);
    EXPECT_EQ(Texts->Items(1), English);
    EXPECT_EQ(English->s(), "Hello");
    EXPECT_FALSE(Texts->IsEmpty());
}

TEST(StringCollectionTest, TheTextIsStoredOnlyWhileTheItemDataIsStorable)
{
    auto Texts = Owned(TXStringCollection::Create(nullptr));
    Texts->SetText(9, "Hello");
    TXStringItem* Item = Texts->Items(0);
    EXPECT_TRUE(IsStoredProp(Item, "s"));
    Texts->SetDataStorable(false);
    EXPECT_FALSE(IsStoredProp(Item, "s"));
}

TEST(ColorStringCollectionTest, ItemsClearToNoColourAndCopyTheirColour)
{
    auto Texts = Owned(TXColorStringCollection::Create(nullptr, TXStorableColorStringItem::StaticClass()));
    Texts->SetText(9, "Red");
    TXColorStringItem* Item = Texts->Items(0);
    EXPECT_TRUE(Item->Is<TXStorableColorStringItem>());
    EXPECT_EQ(Item->Color(), 0x1FFFFFFF);
    Item->SetColor(0x0000FF);

    TXColorStringItem* Copy = Texts->Add();
    Copy->Assign(Item);
    EXPECT_EQ(Copy->s(), "Red");
    EXPECT_EQ(Copy->GetLgID(), 9u);
    EXPECT_EQ(Copy->Color(), 0x0000FF);

    Copy->Clear();
    EXPECT_EQ(Copy->s(), "");
    EXPECT_EQ(Copy->GetLgID(), 0u);
    EXPECT_EQ(Copy->Color(), 0x1FFFFFFF);

    // An item class outside the collection's is replaced by it.
    auto Plain = Owned(TXColorStringCollection::Create(nullptr, TXStringItem::StaticClass()));
    EXPECT_EQ(Plain->ItemClass(), TXColorStringItem::StaticClass());
}

}  // namespace
