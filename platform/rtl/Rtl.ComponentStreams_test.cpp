// Component streaming: a small zoo of every property kind written and read back through the
// binary and the text form, what defaults leave out, reader errors and method names.
#include "Rtl.ComponentStreams.h"

#include <gtest/gtest.h>

#include "Rtl.ComponentText.h"
#include "Rtl.TestZoo.h"

namespace {

using namespace XTestZoo;

class ComponentStreamsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterZoo(); }
    static void TearDownTestSuite()
    {
        UnRegisterClass(TZWidget::StaticClass());
        UnRegisterClass(TZForm::StaticClass());
    }
};

TComponent* TextToComponent(const String& AText, TComponent* AComponent, TReaderError AOnError = {},
                            TFindMethodEvent AOnFindMethod = {})
{
    auto Text = Owned(TStringStream::Create(AText));
    auto Binary = Owned(TMemoryStream::Create());
    ObjectTextToBinary(Text.get(), Binary.get());
    Binary->SetPosition(0);
    auto Reader = Owned(TReader::Create(Binary.get(), 4096));
    Reader->SetOnError(AOnError);
    Reader->SetOnFindMethod(AOnFindMethod);
    return Reader->ReadRootComponent(AComponent);
}

TEST_F(ComponentStreamsTest, EveryKindSurvivesTheTextRoundTrip)
{
    auto Zoo = MakeZoo();
    String Text = ComponentToText(Zoo.get());
    auto Read = Owned(TZForm::Create(nullptr));
    TextToComponent(Text, Read.get());

    EXPECT_EQ(Read->Name(), "Form1");
    EXPECT_EQ(Read->Tag(), 5);
    EXPECT_EQ(Read->FCount, -42);
    EXPECT_EQ(Read->FBig, int64_t(1) << 40);
    EXPECT_EQ(Read->FLetter, u'\u00e9');
    EXPECT_EQ(Read->FKind, zkWild);
    EXPECT_FALSE(Read->FEnabled);
    EXPECT_EQ(Read->FStyles, (TZStyles{zsBold, zsUnderline}));
    EXPECT_EQ(Read->FRatio, 0.1);
    EXPECT_EQ(Read->FScale, 2.5f);
    EXPECT_EQ(Read->FPrice, Currency::FromScaled(123456789));
    EXPECT_EQ(Read->FWhen.Value, 45000.75);
    EXPECT_EQ(Read->FCaption, Zoo->FCaption);
    EXPECT_EQ(Read->FFont->FName, "Sans");
    EXPECT_EQ(Read->FFont->FSize, 11);
    EXPECT_EQ(Read->FFont->FStyle, TZStyles{zsItalic});
    ASSERT_EQ(Read->FItems->Count(), 2);
    EXPECT_EQ(static_cast<TZItem*>(Read->FItems->Items(0))->FCaption, "first");
    EXPECT_EQ(static_cast<TZItem*>(Read->FItems->Items(1))->FValue, 7);
    EXPECT_EQ(Read->FLines->Text(), "one\r\n\r\n");
    EXPECT_EQ(Read->FBlob->FData, (TBytes{0, 1, 2, 0xFE, 0xFF}));

    ASSERT_EQ(Read->ComponentCount(), 2);
    auto* A = As<TZWidget>(Read->FindComponent("A"));
    auto* B = As<TZWidget>(Read->FindComponent("B"));
    ASSERT_TRUE(A != nullptr && B != nullptr);
    EXPECT_EQ(A->FBuddy, B);   // a reference forward, resolved after B was read
    EXPECT_EQ(B->FBuddy, Read.get());
    EXPECT_EQ(A->FOnClick, TNotifyEvent::Bind<&TZForm::WidgetClick>(Read.get()));
    EXPECT_EQ(Read->FLoadedCalls, 1);
    EXPECT_EQ(A->FLoadedCalls, 1);
    EXPECT_FALSE(A->ComponentState().Contains(csLoading));
    // Nothing was lost on the way: the copy writes the same text.
    EXPECT_EQ(ComponentToText(Read.get()), Text);
}

TEST_F(ComponentStreamsTest, WritesTheExactText)
{
    auto Form = Owned(TZForm::Create(nullptr));
    Form->SetName("Form1");
    Form->FCount = 3;
    Form->FEnabled = false;
    Form->FStyles = TZStyles{zsBold, zsItalic};
    Form->FRatio = 1.5;
    Form->FPrice = Currency::FromScaled(25000);
    Form->FCaption = "Tom's\r\n";
    Form->FFont->FName = "Sans";
    Form->FSecret = "never written";
    static_cast<TZItem*>(Form->FItems->Add())->FCaption = "x";
    Form->FItems->Add();
    Form->FLines->Add("a");
    Form->FBlob->FData = {0xAB, 0x01};
    TZWidget* Child = TZWidget::Create(Form.get());
    Child->FBuddy = Form.get();
    Child->FOnClick = TNotifyEvent::Bind<&TZForm::WidgetClick>(Form.get());

    EXPECT_EQ(ComponentToText(Form.get()),
              "object Form1: TZForm\r\n"
              "  Count = 3\r\n"
              "  Enabled = False\r\n"
              "  Styles = [zsBold, zsItalic]\r\n"
              "  Ratio = 1.5\r\n"
              "  Price = 2.5c\r\n"
              "  Caption = 'Tom''s'#13#10\r\n"
              "  Font.Name = 'Sans'\r\n"
              "  Items = <\r\n"
              "    item\r\n"
              "      Caption = 'x'\r\n"
              "    end\r\n"
              "    item\r\n"
              "    end>\r\n"
              "  Lines.Strings = (\r\n"
              "    'a')\r\n"
              "  Blob.Data = {\r\n"
              "    AB01}\r\n"
              "  object TZWidget\r\n"
              "    Items = <>\r\n"
              "    Buddy = Form1\r\n"
              "    OnClick = WidgetClick\r\n"
              "  end\r\n"
              "end\r\n");
}

TEST_F(ComponentStreamsTest, BinaryDataTakesLinesOfThirtyTwoBytes)
{
    auto Widget = Owned(TZWidget::Create(nullptr));
    for (int I = 0; I < 70; ++I)
        Widget->FBlob->FData.push_back(static_cast<uint8_t>(I));
    String Text = ComponentToText(Widget.get());
    String Expected = "  Blob.Data = {\r\n    000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F\r\n"
                      "    202122232425262728292A2B2C2D2E2F303132333435363738393A3B3C3D3E3F\r\n    404142434445}\r\n";
    EXPECT_NE(Text.find(Expected), String::npos) << Text;

    auto Read = Owned(TZWidget::Create(nullptr));
    TextToComponent(Text, Read.get());
    EXPECT_EQ(Read->FBlob->FData, Widget->FBlob->FData);
}

TEST_F(ComponentStreamsTest, ReadingIntoNothingCreatesTheRootOfTheStreamsClass)
{
    TOwned<TComponent> Read(TextToComponent("object W: TZWidget\r\n  Count = 9\r\nend\r\n", nullptr));
    auto* Widget = As<TZWidget>(Read.get());
    EXPECT_EQ(Widget->Name(), "W");
    EXPECT_EQ(Widget->FCount, 9);
}

struct TBadProperty {
    const char* Name;
    const char* Line;
};

const TBadProperty kBadProperties[] = {
    {"Unknown", "Bogus = 5"},
    {"UnknownPath", "Font.Bogus.Size = 5"},
    {"StringForInteger", "Count = 'x'"},
    {"UnknownEnumValue", "Kind = zkNone"},
    {"UnknownSetMember", "Styles = [zsBold, zsNone]"},
    {"IntegerOutOfRange", "Count = 99999999999"},
    {"ListForString", "Caption = ('a' 'b')"},
    {"CollectionForFont", "Font = <\r\n item\r\n Value = 1\r\n end>"},
    {"UnknownMethod", "OnClick = NoSuchMethod"},
    {"ReadOnlyFromReference", "Items = A"},
    {"TwoCharacters", "Letter = 'ab'"},
};

class BadPropertyTest : public ComponentStreamsTest, public ::testing::WithParamInterface<TBadProperty> {
public:
    void OnError(TReader*, const String& AMessage, bool& AHandled)
    {
        Messages.push_back(AMessage);
        AHandled = true;
    }
    std::vector<String> Messages;
};

// A handled error skips just that property, whatever its value holds, and reading goes on.
TEST_P(BadPropertyTest, HandledErrorSkipsTheProperty)
{
    String Text = String("object Form1: TZForm\r\n  Count = 1\r\n  ") + GetParam().Line
                  + "\r\n  Big = 2\r\n  object A: TZWidget\r\n  end\r\nend\r\n";
    auto Form = Owned(TZForm::Create(nullptr));
    TextToComponent(Text, Form.get(), TReaderError::Bind<&BadPropertyTest::OnError>(this));
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_TRUE(Messages[0].starts_with("Error reading ")) << Messages[0];
    EXPECT_EQ(Form->FCount, 1);
    EXPECT_EQ(Form->FBig, 2);
    EXPECT_NE(Form->FindComponent("A"), nullptr);

    auto Unhandled = Owned(TZForm::Create(nullptr));
    EXPECT_THROW(TextToComponent(Text, Unhandled.get()), Exception);
}

INSTANTIATE_TEST_SUITE_P(Properties, BadPropertyTest, ::testing::ValuesIn(kBadProperties),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(ComponentStreamsTest, UnknownChildClassFailsTheRead)
{
    auto Form = Owned(TZForm::Create(nullptr));
    EXPECT_THROW(TextToComponent("object Form1: TZForm\r\n  object A: TZNoSuchClass\r\n  end\r\nend\r\n", Form.get()),
                 EClassNotFound);
    EXPECT_FALSE(Form->ComponentState().Contains(csLoading));
    EXPECT_THROW(TextToComponent("object X: TZNoSuchClass\r\nend\r\n", nullptr), EClassNotFound);
}

class FindMethodTest : public ComponentStreamsTest {
public:
    void FindMethod(TReader*, const String& AMethodName, TMethodValue& AAddress, bool& AError)
    {
        Asked.push_back(AMethodName);
        if (AError && AMethodName == "Renamed") {
            AAddress = MethodAddress(FRoot, "OtherClick");
            AError = false;
        }
    }
    std::vector<String> Asked;
    TComponent* FRoot = nullptr;
};

TEST_F(FindMethodTest, HandlerNamesGoThroughOnFindMethod)
{
    auto Form = Owned(TZForm::Create(nullptr));
    FRoot = Form.get();
    TextToComponent("object Form1: TZForm\r\n  OnClick = Renamed\r\n  object A: TZWidget\r\n"
                    "    OnClick = WidgetClick\r\n  end\r\nend\r\n",
                    Form.get(), {}, TFindMethodEvent::Bind<&FindMethodTest::FindMethod>(this));
    EXPECT_EQ(Asked, (std::vector<String>{"Renamed", "WidgetClick"}));
    EXPECT_EQ(Form->FOnClick, TNotifyEvent::Bind<&TZForm::OtherClick>(Form.get()));
    auto* A = As<TZWidget>(Form->FindComponent("A"));
    A->FOnClick(A);
    EXPECT_EQ(Form->FClicked, A);
}

TEST_F(ComponentStreamsTest, TruncatedBinaryRaisesReadError)
{
    auto Zoo = MakeZoo();
    auto Binary = Owned(TMemoryStream::Create());
    WriteComponent(Binary.get(), Zoo.get());
    for (int64_t Size : {int64_t(0), int64_t(3), int64_t(10), Binary->Size() / 2, Binary->Size() - 1}) {
        auto Cut = Owned(TMemoryStream::Create());
        Cut->WriteBuffer(Binary->Memory(), Size);
        Cut->SetPosition(0);
        auto Read = Owned(TZForm::Create(nullptr));
        EXPECT_THROW(ReadComponent(Cut.get(), Read.get()), EReadError) << Size;
    }
}

TEST_F(ComponentStreamsTest, ReaderLeavesTheStreamAfterTheComponent)
{
    auto Widget = Owned(TZWidget::Create(nullptr));
    auto Binary = Owned(TMemoryStream::Create());
    WriteComponent(Binary.get(), Widget.get());
    int64_t End = Binary->Size();
    Binary->WriteBuffer("tail", 4);
    Binary->SetPosition(0);
    ReadComponent(Binary.get(), Widget.get());
    EXPECT_EQ(Binary->Position(), End);
}

}  // namespace
