// Rtl.TestZoo.h: components with a published property of every kind, binary data through
// DefineProperties and a published method; for the streaming tests and the fuzz target.
#pragma once

#include "Rtl.ComponentStreams.h"
#include "Rtl.ComponentText.h"
#include "Rtl.Strings.h"

namespace XTestZoo {

X_ENUM(TZKind, zkPlain, zkFancy, zkWild);
X_ENUM(TZStyle, zsBold, zsItalic, zsUnderline);
using TZStyles = TSet<TZStyle>;

class TZFont : public TPersistent {
    X_CLASS(TZFont, TPersistent)
public:
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Name", &TZFont::FName, &TZFont::FName);
        P.Property("Size", &TZFont::FSize, &TZFont::FSize).Default(8);
        P.Property("Style", &TZFont::FStyle, &TZFont::FStyle).Default(TZStyles{});
    }
    String FName;
    int32_t FSize = 8;
    TZStyles FStyle;

protected:
    TZFont() = default;
};

// Keeps its bytes through DefineProperties, as stream objects do.
class TZBlob : public TPersistent {
    X_CLASS(TZBlob, TPersistent)
public:
    void DefineProperties(TFiler* AFiler) override
    {
        AFiler->DefineBinaryProperty("Data", TStreamProc::Bind<&TZBlob::ReadData>(this),
                                     TStreamProc::Bind<&TZBlob::WriteData>(this), !FData.empty());
    }
    TBytes FData;

protected:
    TZBlob() = default;

private:
    void ReadData(TStream* AStream)
    {
        FData.resize(static_cast<size_t>(AStream->Size()));
        AStream->ReadBuffer(FData.data(), AStream->Size());
    }
    void WriteData(TStream* AStream) { AStream->WriteBuffer(FData.data(), static_cast<int64_t>(FData.size())); }
};

class TZItem : public TCollectionItem {
    X_CLASS(TZItem, TCollectionItem)
public:
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Caption", &TZItem::FCaption, &TZItem::FCaption);
        P.Property("Value", &TZItem::FValue, &TZItem::FValue).Default(0);
    }
    String FCaption;
    int32_t FValue = 0;

protected:
    TZItem() = default;
};

class TZWidget : public TComponent {
    X_CLASS(TZWidget, TComponent)
public:
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Count", &TZWidget::FCount, &TZWidget::FCount).Default(0);
        P.Property("Big", &TZWidget::FBig, &TZWidget::FBig);
        P.Property("Letter", &TZWidget::FLetter, &TZWidget::FLetter).Default(u'a');
        P.Property("Kind", &TZWidget::FKind, &TZWidget::FKind).Default(zkPlain);
        P.Property("Enabled", &TZWidget::FEnabled, &TZWidget::FEnabled).Default(true);
        P.Property("Styles", &TZWidget::FStyles, &TZWidget::FStyles).Default(TZStyles{});
        P.Property("Ratio", &TZWidget::FRatio, &TZWidget::FRatio);
        P.Property("Scale", &TZWidget::FScale, &TZWidget::FScale);
        P.Property("Price", &TZWidget::FPrice, &TZWidget::FPrice);
        P.Property("When", &TZWidget::FWhen, &TZWidget::FWhen);
        P.Property("Caption", &TZWidget::FCaption, &TZWidget::FCaption);
        P.Property("Font", &TZWidget::FFont);
        P.Property("Items", &TZWidget::FItems);
        P.Property("Lines", &TZWidget::FLines);
        P.Property("Blob", &TZWidget::FBlob);
        P.Property("Buddy", &TZWidget::FBuddy, &TZWidget::FBuddy);
        P.Property("OnClick", &TZWidget::FOnClick, &TZWidget::FOnClick);
        P.Property("Secret", &TZWidget::FSecret, &TZWidget::FSecret).Stored(false);
    }

    int32_t FCount = 0;
    int64_t FBig = 0;
    char16_t FLetter = u'a';
    TZKind FKind = zkPlain;
    bool FEnabled = true;
    TZStyles FStyles;
    double FRatio = 0;
    float FScale = 0;
    Currency FPrice;
    TDateTime FWhen;
    String FCaption;
    TZFont* FFont = nullptr;
    TCollection* FItems = nullptr;
    TStrings* FLines = nullptr;
    TZBlob* FBlob = nullptr;
    TZWidget* FBuddy = nullptr;
    TNotifyEvent FOnClick;
    String FSecret;
    int FLoadedCalls = 0;

protected:
    TZWidget() = default;
    ~TZWidget() override
    {
        FFont->Free();
        FItems->Free();
        FLines->Free();
        FBlob->Free();
    }
    void Construct(TComponent* AOwner) override
    {
        inherited::Construct(AOwner);
        FFont = TZFont::Create();
        FItems = TCollection::Create(TZItem::StaticClass());
        FLines = TStringList::Create();
        FBlob = TZBlob::Create();
    }
    void Loaded() override
    {
        inherited::Loaded();
        ++FLoadedCalls;
    }
};

// The root whose published methods the handlers are written by.
class TZForm : public TZWidget {
    X_CLASS(TZForm, TZWidget)
public:
    void WidgetClick(TObject* ASender) { FClicked = ASender; }
    void OtherClick(TObject*) {}
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Method<&TZForm::WidgetClick>("WidgetClick");
        P.Method<&TZForm::OtherClick>("OtherClick");
    }
    TObject* FClicked = nullptr;

protected:
    TZForm() = default;
};

inline String ComponentToText(TComponent* AComponent)
{
    auto Binary = Owned(TMemoryStream::Create());
    WriteComponent(Binary.get(), AComponent);
    Binary->SetPosition(0);
    auto Text = Owned(TStringStream::Create());
    ObjectBinaryToText(Binary.get(), Text.get());
    return Text->DataString();
}

// A form with every kind set away from its default, and two children that refer to each other.
inline TOwned<TZForm> MakeZoo()
{
    auto Form = Owned(TZForm::Create(nullptr));
    Form->SetName("Form1");
    Form->FCount = -42;
    Form->FBig = int64_t(1) << 40;
    Form->FLetter = u'\u00e9';
    Form->FKind = zkWild;
    Form->FEnabled = false;
    Form->FStyles = TZStyles{zsBold, zsUnderline};
    Form->FRatio = 0.1;
    Form->FScale = 2.5f;
    Form->FPrice = Currency::FromScaled(123456789);
    Form->FWhen = TDateTime(45000.75);
    Form->FCaption = String("It's a \"zoo\"\r\nwith \xC3\xA9 and \xF0\x9F\x98\x80 and ") + String(80, 'x');
    Form->FFont->FName = "Sans";
    Form->FFont->FSize = 11;
    Form->FFont->FStyle = TZStyles{zsItalic};
    static_cast<TZItem*>(Form->FItems->Add())->FCaption = "first";
    static_cast<TZItem*>(Form->FItems->Add())->FValue = 7;
    Form->FLines->Add("one");
    Form->FLines->Add("");
    Form->FBlob->FData = {0, 1, 2, 0xFE, 0xFF};
    Form->SetTag(5);
    TZWidget* A = TZWidget::Create(Form.get());
    A->SetName("A");
    TZWidget* B = TZWidget::Create(Form.get());
    B->SetName("B");
    A->FBuddy = B;
    B->FBuddy = Form.get();
    A->FOnClick = TNotifyEvent::Bind<&TZForm::WidgetClick>(Form.get());
    return Form;
}

inline void RegisterZoo()
{
    RegisterClasses({TZWidget::StaticClass(), TZForm::StaticClass()});
}

}  // namespace XTestZoo
