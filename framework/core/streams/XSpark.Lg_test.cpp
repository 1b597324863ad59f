// The language text table: loading and decoding texts, binary items, the changed handlers
// and the language pack headers.
#include "XSpark.Lg.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "Rtl.Encoding.h"
#include "Rtl.TypInfo.h"
#include "XCore.Streams.h"
#include "XCore.Strings.h"

namespace {

String Coded(const String& AText)
{
    return EncodeRadix(AText, 36);
}

TOwned<TXRawStringStream> Lines(const String& AText)
{
    return Owned(TXRawStringStream::Create(AText));
}

TEST(LgTextsTest, LinesWithAHexadecimalIdBecomePairsInLoadOrder)
{
    auto Texts = Owned(TXW::Create());
    auto Stream = Lines("1F=" + Coded("thirty-one") + "\r\n"
                        "xyz=" + Coded("not hex") + "\r\n"
                        "0=" + Coded("zero") + "\r\n"
                        "no separator\r\n"
                        "=" + Coded("no name") + "\r\n"
                        "100000000=" + Coded("past 32 bits") + "\n"
                        "8200f2a9=" + Coded("lower-case id") + "\n"
                        "5=" + Coded("first") + "\r\n");
    ASSERT_TRUE(Texts->LoadFromStream(Stream.get()));
    auto More = Lines("5=" + Coded("second") + "\r\n");
    ASSERT_TRUE(Texts->LoadFromStream(More.get()));

    ASSERT_EQ(Texts->Count(), 4);
    EXPECT_EQ(Texts->Items(0).Key, 31u);
    EXPECT_EQ(Texts->GetText(31), "thirty-one");
    EXPECT_EQ(Texts->GetText(0x8200F2A9), "lower-case id");
    EXPECT_EQ(Texts->GetText(5), "first");
    EXPECT_EQ(Texts->GetText(6), "");
}

TEST(LgTextsTest, ValuesAreDecodedAndLineBreakCodesExpandUnlessBit31IsSet)
{
    auto Texts = Owned(TXW::Create());
    String Value = Coded("Zeile 1#13#10Zeile \xC3\xBC=2");
    auto Stream = Lines("10=" + Value + "\r\n80000010=" + Value + "\r\n");
    ASSERT_TRUE(Texts->LoadFromStream(Stream.get()));
    EXPECT_EQ(Texts->GetText(0x10), "Zeile 1\r\nZeile \xC3\xBC=2");
    EXPECT_EQ(Texts->GetText(0x80000010), "Zeile 1#13#10Zeile \xC3\xBC=2");
    EXPECT_EQ(Texts->Items(0).Value, Value);   // kept coded
}

TEST(LgTextsTest, AByteOrderMarkChoosesTheEncoding)
{
    TBytes Bytes = TEncoding::Unicode()->GetPreamble();
    TBytes Body = TEncoding::Unicode()->GetBytes("2=" + Coded("wide") + "\r\n");
    Bytes.insert(Bytes.end(), Body.begin(), Body.end());
    auto Texts = Owned(TXW::Create());
    auto Stream = Lines(String(Bytes.begin(), Bytes.end()));
    ASSERT_TRUE(Texts->LoadFromStream(Stream.get()));
    EXPECT_EQ(Texts->GetText(2), "wide");
}

// Counts the calls it hears; may raise or unregister another handler when called.
class TLgListener : public TObject {
    X_CLASS(TLgListener, TObject)
public:
    void LanguageChanged()
    {
        ++Calls;
        if (Other != nullptr)
            UnregisterLgChangedHandler(Other->Handler());
        if (Raise)
            throw std::runtime_error("handler failed");
    }
    TMethod<void()> Handler() { return TMethod<void()>::Bind<&TLgListener::LanguageChanged>(this); }

    int Calls = 0;
    bool Raise = false;
    TLgListener* Other = nullptr;

protected:
    TLgListener() = default;
};

class LgTableTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (auto& Listener : FListeners)
            UnregisterLgChangedHandler(Listener->Handler());
        UnlockLgChangedHandlers(false);
        Lg()->Clear();
        Lg()->SetNotify(true);
    }
    TLgListener* Listener()
    {
        FListeners.push_back(Owned(TLgListener::Create()));
        return FListeners.back().get();
    }
    static void LoadGlobal(const String& AText)
    {
        auto Stream = Lines(AText);
        ASSERT_TRUE(Lg()->LoadTexts(Stream.get(), true));
    }

    std::vector<TOwned<TLgListener>> FListeners;
};

TEST_F(LgTableTest, TheLanguageIdIsText1)
{
    EXPECT_EQ(Lg()->GetLgID(), 0u);
    EXPECT_EQ(GetCurrentLgIDHex(), "0000");
    LoadGlobal("1=" + Coded("1031") + "\r\n");
    EXPECT_EQ(GetCurrentLgID(), 1031u);
    EXPECT_EQ(GetCurrentLgIDHex(), "0407");

    auto Table = Owned(TXLg::Create());
    auto Stream = Lines("1=" + Coded("German") + "\r\n");
    ASSERT_TRUE(Table->LoadTexts(Stream.get(), false));
    EXPECT_EQ(Table->GetLgID(), 0u);
}

TEST_F(LgTableTest, ItemStreamsAreFoundByNameIgnoringCase)
{
    auto Bytes = Lines("PNG bytes");
    ASSERT_NE(Lg()->AddItem("Flag", Bytes.get(), ".png"), nullptr);
    EXPECT_EQ(Lg()->GetItemStream("FLAG")->Size(), 9);
    TMemoryStream* Missing = Lg()->GetItemStream("Banner");
    EXPECT_EQ(Missing, EmptyMemoryStream());
    EXPECT_EQ(Missing->Size(), 0);
}

TEST_F(LgTableTest, HandlersAreCalledOnRegistrationAndOncePerChange)
{
    TLgListener* First = Listener();
    RegisterLgChangedHandler(First->Handler());
    RegisterLgChangedHandler(First->Handler());
    EXPECT_EQ(First->Calls, 2);   // each registration calls it, the list keeps it once

    LoadGlobal("2=" + Coded("x") + "\r\n");
    EXPECT_EQ(First->Calls, 3);

    auto Local = Owned(TXLg::Create());
    auto Stream = Lines("2=" + Coded("y") + "\r\n");
    ASSERT_TRUE(Local->LoadTexts(Stream.get(), false));
    EXPECT_EQ(First->Calls, 3);   // only the global table tells

    Lg()->SetNotify(false);
    LoadGlobal("3=" + Coded("z") + "\r\n");
    EXPECT_EQ(First->Calls, 3);

    Lg()->Assign(Local.get());   // assigning the global table always tells
    EXPECT_EQ(First->Calls, 4);
    EXPECT_EQ(Lg()->GetText(2), "y");
    EXPECT_TRUE(Lg()->Notify());   // copied from the local table

    UnregisterLgChangedHandler(First->Handler());
    NotifyLgChanged();
    EXPECT_EQ(First->Calls, 4);
}

TEST_F(LgTableTest, LockedHandlersHearNothingUntilUnlockedWithFire)
{
    TLgListener* First = Listener();
    TLgListener* Second = Listener();
    LockLgChangedHandlers();
    RegisterLgChangedHandler(First->Handler());
    RegisterLgChangedHandler(Second->Handler());
    LoadGlobal("2=" + Coded("x") + "\r\n");
    EXPECT_EQ(First->Calls + Second->Calls, 0);

    UnlockLgChangedHandlers(true);
    EXPECT_EQ(First->Calls, 1);
    EXPECT_EQ(Second->Calls, 1);
    LockLgChangedHandlers();
    UnlockLgChangedHandlers(false);
    EXPECT_EQ(First->Calls, 1);
}

TEST_F(LgTableTest, ARaisingHandlerEndsTheRoundAndAnUnregisteredOneIsSkipped)
{
    TLgListener* First = Listener();
    TLgListener* Second = Listener();
    TLgListener* Third = Listener();
    RegisterLgChangedHandler(First->Handler());
    RegisterLgChangedHandler(Second->Handler());
    RegisterLgChangedHandler(Third->Handler());

    Second->Raise = true;
    EXPECT_NO_THROW(NotifyLgChanged());
    EXPECT_EQ(First->Calls, 2);
    EXPECT_EQ(Second->Calls, 2);
    EXPECT_EQ(Third->Calls, 1);

    Second->Raise = false;
    First->Other = Third;   // a closing form takes a later one with it
    NotifyLgChanged();
    EXPECT_EQ(Second->Calls, 3);
    EXPECT_EQ(Third->Calls, 1);
}

// ---- Headers -----------------------------------------------------------------------------

TEST(LgHeaderTest, PublishedInStoredOrder)
{
    std::vector<String> Names;
    for (const TPropInfo* Info : GetPropList(TXLgHeader::StaticClass()))
        Names.push_back(Info->Name());
    EXPECT_EQ(Names, (std::vector<String>{"Name", "LgID", "AppID", "AppVer", "Revision", "Author", "Contact",
                                          "Comments", "Data"}));
}

TEST(LgHeaderTest, AssignCopiesTheStreamReferenceAndClearEmptiesAll)
{
    auto Pack = Lines("pack");
    auto Source = Owned(TXLgHeader::Create());
    Source->SetName("Deutsch");
    Source->SetLgID(0x0407);
    Source->SetAppID(3);
    Source->SetAppVer(2);
    Source->SetRevision("4");
    Source->SetAuthor("A");
    Source->SetContact("C");
    Source->SetComments("N");
    Source->SetData("D");
    Source->SetFileName("de.lng");
    Source->SetDataStream(Pack.get());

    auto Target = Owned(TXLgHeader::Create());
    Target->Assign(Source.get());
    EXPECT_EQ(Target->GetName(), "Deutsch");
    EXPECT_EQ(Target->LgID(), 0x0407u);
    EXPECT_EQ(Target->AppVer(), 2u);
    EXPECT_EQ(Target->Comments(), "N");
    EXPECT_EQ(Target->FileName(), "de.lng");
    EXPECT_EQ(Target->DataStream(), Pack.get());

    Target->Clear();
    EXPECT_EQ(Target->GetName(), "");
    EXPECT_EQ(Target->LgID(), 0u);
    EXPECT_EQ(Target->Author(), "");
    EXPECT_EQ(Target->FileName(), "");
    EXPECT_EQ(Target->DataStream(), nullptr);
}

TEST(LgHeaderTest, AProjectCopiesItsItemsAndTexts)
{
    auto Source = Owned(TXLgProject::Create());
    Source->SetName("English");
    Source->TextStream()->WriteBuffer("1=2L\r\n", 6);
    auto Bytes = Lines("logo");
    ASSERT_NE(Source->Items()->AddItem(".png", Bytes.get(), "Logo"), nullptr);

    auto Target = Owned(TXLgProject::Create());
    Target->TextStream()->WriteBuffer("old text", 8);
    Target->Assign(Source.get());
    EXPECT_EQ(Target->GetName(), "English");
    TMemoryStream* Text = Target->TextStream();
    EXPECT_EQ(String(reinterpret_cast<const char*>(Text->Memory()), static_cast<size_t>(Text->Size())), "1=2L\r\n");
    ASSERT_EQ(Target->Items()->Count(), 1);
    EXPECT_EQ(Target->Items()->Items(0)->GetDisplayName(), "Logo");
    EXPECT_NE(Target->Items()->Items(0), Source->Items()->Items(0));
}

TEST(LgHeaderListTest, TheDefaultLanguageSortsFirstThenNamesIgnoringCase)
{
    auto List = Owned(TXLgHeaderList::Create());
    auto Pack = Lines("pack");
    const struct {
        const char* Name;
        uint32_t LgID;
    } kHeaders[] = {{"Deutsch", 0x0407}, {"English", 9}, {"cesky", 0x0405}};
    for (const auto& Header : kHeaders) {
        TXLgHeader* Item = List->AddNew();
        Item->SetName(Header.Name);
        Item->SetLgID(Header.LgID);
    }
    EXPECT_EQ(List->IndexOfLgID(0x0405), 2);
    EXPECT_EQ(List->IndexOfLgID(0x0415), -1);
    EXPECT_EQ(List->IndexOfFirstWithData(), -1);
    List->Headers(2)->SetDataStream(Pack.get());
    EXPECT_EQ(List->IndexOfFirstWithData(), 2);

    List->SortByName();
    EXPECT_EQ(List->Headers(0)->GetName(), "English");
    EXPECT_EQ(List->Headers(1)->GetName(), "cesky");
    EXPECT_EQ(List->Headers(2)->GetName(), "Deutsch");
}

}  // namespace
