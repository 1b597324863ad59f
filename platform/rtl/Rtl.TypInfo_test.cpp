// Published properties: listing order, kinds and defaults, access by name, text forms, the
// stored rule, redeclaration, published methods.
#include "Rtl.TypInfo.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "Rtl.Classes.h"

namespace {

X_ENUM(TXFrameStyle, fsNone, fsSingle, fsDouble);
X_ENUM(TXFontStyle, xfsBold, xfsItalic, xfsUnderline);
using TXFontStyles = TSet<TXFontStyle>;
using TXResizeEvent = TMethod<void(TObject*, int&, int&)>;

class TXFont : public TPersistent {
    X_CLASS(TXFont, TPersistent)
protected:
    TXFont() = default;
};

class TXBrush : public TPersistent {
    X_CLASS(TXBrush, TPersistent)
protected:
    TXBrush() = default;
};

class TXShape : public TPersistent {
    X_CLASS(TXShape, TPersistent)
public:
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& AValue) { FCaption = AValue; }
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t AValue) { FWidth = AValue; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool AValue) { FVisible = AValue; }
    bool IsVisibleStored() const { return !FLocked; }

    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Caption", &TXShape::Caption, &TXShape::SetCaption);
        P.Property("Width", &TXShape::Width, &TXShape::SetWidth).Default(100);
        P.Property("Style", &TXShape::FStyle, &TXShape::FStyle).Default(fsSingle);
        P.Property("Visible", &TXShape::Visible, &TXShape::SetVisible).Default(true).Stored(&TXShape::IsVisibleStored);
        P.Property("Count", &TXShape::FCount);
    }

    String FCaption;
    int32_t FWidth = 100;
    TXFrameStyle FStyle = fsSingle;
    bool FVisible = true;
    bool FLocked = false;
    int32_t FCount = 7;

protected:
    TXShape() = default;
};

class TXBox : public TXShape {
    X_CLASS(TXBox, TXShape)
public:
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Letter", &TXBox::FLetter, &TXBox::FLetter);
        P.Property("Level", &TXBox::FLevel, &TXBox::FLevel);
        P.Property("LgID", &TXBox::FLgID, &TXBox::FLgID).Default(9);
        P.Property("Styles", &TXBox::FStyles, &TXBox::FStyles).Default(TXFontStyles{xfsBold});
        P.Property("Ratio", &TXBox::FRatio, &TXBox::FRatio);
        P.Property("Created", &TXBox::FCreated, &TXBox::FCreated);
        P.Property("Price", &TXBox::FPrice, &TXBox::FPrice);
        P.Property("Size", &TXBox::FSize, &TXBox::FSize);
        P.Property("Font", &TXBox::FFont, &TXBox::FFont);
        P.Property("OnClick", &TXBox::FOnClick, &TXBox::FOnClick);
        P.Property("OnResize", &TXBox::FOnResize, &TXBox::FOnResize);
        P.Property("Hidden", &TXBox::FHidden, &TXBox::FHidden).Stored(false);
        P.Property("Width").Default(50);
    }

    char16_t FLetter = u'*';
    uint8_t FLevel = 0;
    uint32_t FLgID = 9;
    TXFontStyles FStyles{xfsBold};
    double FRatio = 0;
    TDateTime FCreated;
    Currency FPrice;
    int64_t FSize = 0;
    TXFont* FFont = nullptr;
    TNotifyEvent FOnClick;
    TXResizeEvent FOnResize;
    String FHidden;

protected:
    TXBox() = default;
};

class TXForm : public TComponent {
    X_CLASS(TXForm, TComponent)
public:
    void ButtonClick(TObject* ASender) { FClicked = ASender; }
    void FormResize(TObject*, int& AWidth, int&) { AWidth = 640; }

    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Method<&TXForm::ButtonClick>("ButtonClick");
        P.Method<&TXForm::FormResize>("FormResize");
    }

    TObject* FClicked = nullptr;

protected:
    TXForm() = default;
};

// Declares nothing itself: its list and methods are its parent's.
class TXMainForm : public TXForm {
    X_CLASS(TXMainForm, TXForm)
protected:
    TXMainForm() = default;
};

std::vector<String> Names(const TPropList& AList)
{
    std::vector<String> Result;
    for (const TPropInfo* Info : AList)
        Result.push_back(Info->Name());
    return Result;
}

TEST(TypInfoTest, ListsInheritedPropertiesFirstAndRedeclaredOnesInTheirInheritedPlace)
{
    EXPECT_EQ(Names(GetPropList(TXShape::StaticClass())),
              (std::vector<String>{"Caption", "Width", "Style", "Visible", "Count"}));
    EXPECT_EQ(Names(GetPropList(TXBox::StaticClass())),
              (std::vector<String>{"Caption", "Width", "Style", "Visible", "Count", "Letter", "Level", "LgID", "Styles",
                                   "Ratio", "Created", "Price", "Size", "Font", "OnClick", "OnResize", "Hidden"}));
    EXPECT_EQ(Names(GetPropList(TXMainForm::StaticClass())), (std::vector<String>{"Name", "Tag"}));

    // The redeclaration takes a new default and keeps type and access; the ancestor keeps its own.
    const TPropInfo* BoxWidth = GetPropInfo(TXBox::StaticClass(), "width");
    const TPropInfo* ShapeWidth = GetPropInfo(TXShape::StaticClass(), "Width");
    ASSERT_NE(BoxWidth, nullptr);
    EXPECT_EQ(BoxWidth->Default(), 50);
    EXPECT_EQ(ShapeWidth->Default(), 100);
    EXPECT_EQ(BoxWidth->PropType(), ShapeWidth->PropType());
    EXPECT_EQ(GetPropInfo(TXBox::StaticClass(), "Colour"), nullptr);
    EXPECT_EQ(GetPropInfo(TXBox::StaticClass(), "Count")->IsWritable(), false);
    EXPECT_EQ(GetPropInfo(TXBox::StaticClass(), "Size")->Default(), std::nullopt);
}

TEST(TypInfoTest, KindsAndTypeNamesFollowTheCppTypes)
{
    struct TRow {
        const char* Property;
        TTypeKind Kind;
        const char* TypeName;
    };
    const TRow Rows[] = {
        {"Caption", tkUString, "string"},     {"Width", tkInteger, "Integer"},
        {"Style", tkEnumeration, "TXFrameStyle"}, {"Visible", tkEnumeration, "Boolean"},
        {"Letter", tkWChar, "Char"},          {"Level", tkInteger, "Byte"},
        {"LgID", tkInteger, "Cardinal"},      {"Styles", tkSet, "TSet<TXFontStyle>"},
        {"Ratio", tkFloat, "Double"},         {"Created", tkFloat, "TDateTime"},
        {"Price", tkFloat, "Currency"},       {"Size", tkInt64, "Int64"},
        {"Font", tkClass, "TXFont"},          {"OnClick", tkMethod, "TMethod<void (TObject*)>"},
    };
    for (const TRow& Row : Rows) {
        const TPropInfo* Info = GetPropInfo(TXBox::StaticClass(), Row.Property);
        ASSERT_NE(Info, nullptr) << Row.Property;
        EXPECT_EQ(Info->Kind(), Row.Kind) << Row.Property;
        EXPECT_EQ(Info->PropType()->Name, Row.TypeName) << Row.Property;
    }
    EXPECT_EQ(TypeInfo<Currency>()->FloatType, ftCurr);
    EXPECT_EQ(TypeInfo<TXFont*>()->ClassType, TXFont::StaticClass());
    EXPECT_EQ(TypeInfo<TXFontStyles>()->CompType, TypeInfo<TXFontStyle>());
}

TEST(TypInfoTest, TextFormsRoundTripThroughEachKind)
{
    struct TRow {
        const char* Property;
        const char* Text;
        const char* Expected;
    };
    const TRow Rows[] = {
        {"Caption", "Grüße, 'x'", "Grüße, 'x'"},
        {"Width", "-5", "-5"},
        {"Level", "$FF", "255"},
        {"LgID", "-1", "4294967295"},      // a Cardinal written signed by an older writer
        {"Letter", "65", "65"},
        {"Style", "FSDOUBLE", "fsDouble"},
        {"Visible", "false", "False"},
        {"Styles", "xfsUnderline, xfsBold", "[xfsBold,xfsUnderline]"},
        {"Styles", "[]", "[]"},
        {"Ratio", "1e3", "1000"},
        {"Ratio", "-0.125", "-0.125"},
        {"Created", "45000.25", "45000.25"},
        {"Price", "12.3456", "12.3456"},
        {"Size", "-9000000000", "-9000000000"},
    };
    TOwned<TXBox> Box = Owned(TXBox::Create());
    for (const TRow& Row : Rows) {
        SetPropText(Box.get(), Row.Property, Row.Text);
        EXPECT_EQ(GetPropText(Box.get(), Row.Property), Row.Expected) << Row.Property << " = " << Row.Text;
    }
    // The values reached the object through its own accessors.
    EXPECT_EQ(Box->FStyle, fsDouble);
    EXPECT_EQ(Box->FLetter, u'A');
    EXPECT_EQ(Box->FPrice.Scaled(), 123456);
    EXPECT_EQ(Box->FStyles, TXFontStyles{});
}

TEST(TypInfoTest, TypedAccessReadsAndWritesThroughTheDeclaredAccessors)
{
    TOwned<TXBox> Box = Owned(TXBox::Create());
    TOwned<TXFont> Font = Owned(TXFont::Create());

    SetOrdProp(Box.get(), "Width", 320);
    SetEnumProp(Box.get(), "Style", "fsNone");
    SetSetProp(Box.get(), "Styles", "[xfsItalic]");
    SetStrProp(Box.get(), "Caption", "OK");
    SetFloatProp(Box.get(), "Created", 45000.5);
    SetInt64Prop(Box.get(), "Size", int64_t(1) << 40);
    SetObjectProp(Box.get(), "Font", Font.get());

    EXPECT_EQ(Box->FWidth, 320);
    EXPECT_EQ(GetOrdProp(Box.get(), "Style"), fsNone);
    EXPECT_EQ(GetOrdProp(Box.get(), "Styles"), static_cast<int64_t>(TXFontStyles{xfsItalic}.Bits()));
    EXPECT_EQ(GetSetProp(Box.get(), "Styles", false), "xfsItalic");
    EXPECT_EQ(GetStrProp(Box.get(), "Caption"), "OK");
    EXPECT_EQ(static_cast<double>(Box->FCreated), 45000.5);
    EXPECT_EQ(GetInt64Prop(Box.get(), "Size"), int64_t(1) << 40);
    EXPECT_EQ(GetObjectProp(Box.get(), "Font"), Font.get());
    EXPECT_EQ(GetOrdProp(Box.get(), GetPropInfo(TXShape::StaticClass(), "Count")), 7);
    SetObjectProp(Box.get(), "Font", nullptr);
    EXPECT_EQ(Box->FFont, nullptr);
}

TEST(TypInfoTest, WrongAccessRaisesPropertyErrorAndChangesNothing)
{
    TOwned<TXBox> Box = Owned(TXBox::Create());
    TOwned<TXShape> Shape = Owned(TXShape::Create());
    TOwned<TXBrush> Brush = Owned(TXBrush::Create());
    const std::pair<const char*, std::function<void()>> Cases[] = {
        {"unknown name", [&] { GetOrdProp(Box.get(), "Colour"); }},
        {"nil instance", [&] { GetStrProp(nullptr, "Caption"); }},
        {"string as ordinal", [&] { GetOrdProp(Box.get(), "Caption"); }},
        {"ordinal as string", [&] { SetStrProp(Box.get(), "Width", "1"); }},
        {"int64 as ordinal", [&] { SetOrdProp(Box.get(), "Size", 1); }},
        {"object as text", [&] { GetPropText(Box.get(), "Font"); }},
        {"read-only", [&] { SetOrdProp(Box.get(), "Count", 1); }},
        {"enumeration out of range", [&] { SetOrdProp(Box.get(), "Style", 3); }},
        {"byte out of range", [&] { SetPropText(Box.get(), "Level", "256"); }},
        {"set element out of range", [&] { SetOrdProp(Box.get(), "Styles", 8); }},
        {"object of another class", [&] { SetObjectProp(Box.get(), "Font", Brush.get()); }},
        {"property of a descendant", [&] { GetOrdProp(Shape.get(), GetPropInfo(TXBox::StaticClass(), "Level")); }},
    };
    for (const auto& [Name, Access] : Cases)
        EXPECT_THROW(Access(), EPropertyError) << Name;
    EXPECT_EQ(Box->FStyle, fsSingle);
    EXPECT_EQ(Box->FLevel, 0);
    EXPECT_EQ(Box->FFont, nullptr);
    EXPECT_THROW(SetPropText(Box.get(), "Width", "12px"), EConvertError);
    EXPECT_THROW(SetPropText(Box.get(), "Ratio", "1,5"), EConvertError);
}

TEST(TypInfoTest, EnumerationNamesBothWays)
{
    EXPECT_EQ(GetEnumName(TypeInfo<TXFrameStyle>(), fsDouble), "fsDouble");
    EXPECT_EQ(GetEnumName(TypeInfo<bool>(), true), "True");
    EXPECT_EQ(GetEnumName(TypeInfo<TXFrameStyle>(), 3), "");
    EXPECT_EQ(GetEnumValue(TypeInfo<TXFrameStyle>(), "FSSINGLE"), fsSingle);
    EXPECT_EQ(GetEnumValue(TypeInfo<bool>(), "false"), 0);
    EXPECT_EQ(GetEnumValue(TypeInfo<TXFrameStyle>(), "fsTriple"), -1);

    TOwned<TXBox> Box = Owned(TXBox::Create());
    try {
        SetEnumProp(Box.get(), "Style", "fsTriple");
        FAIL() << "an unknown name was accepted";
    } catch (const EPropertyConvertError& E) {
        EXPECT_EQ(E.Message(), "Invalid property element: fsTriple");
    }
    EXPECT_EQ(Box->FStyle, fsSingle);
}

TEST(TypInfoTest, SetTextBothWays)
{
    struct TRow {
        const char* Text;
        TXFontStyles Expected;
    };
    const TRow Rows[] = {
        {"", {}},
        {"[]", {}},
        {"[xfsItalic]", {xfsItalic}},
        {"xfsUnderline,xfsBold", {xfsBold, xfsUnderline}},
        {"[ xfsBold, xfsItalic ]", {xfsBold, xfsItalic}},
        {"[XFSBOLD,xfsbold]", {xfsBold}},
    };
    for (const TRow& Row : Rows)
        EXPECT_EQ(StringToSet<TXFontStyle>(Row.Text), Row.Expected) << Row.Text;
    EXPECT_EQ(SetToString(TXFontStyles{xfsUnderline, xfsBold}), "[xfsBold,xfsUnderline]");
    EXPECT_EQ(SetToString(TXFontStyles{xfsItalic}, false), "xfsItalic");
    EXPECT_EQ(SetToString(TXFontStyles{}), "[]");
    try {
        StringToSet<TXFontStyle>("[xfsBold,xfsStrike]");
        FAIL() << "an unknown element was accepted";
    } catch (const EPropertyConvertError& E) {
        EXPECT_EQ(E.Message(), "Invalid property element: xfsStrike");
    }
}

TEST(TypInfoTest, StoredRuleIsAConstantOrTheClassesTest)
{
    TOwned<TXBox> Box = Owned(TXBox::Create());
    EXPECT_TRUE(IsStoredProp(Box.get(), "Caption"));
    EXPECT_FALSE(IsStoredProp(Box.get(), "Hidden"));
    EXPECT_TRUE(IsStoredProp(Box.get(), "Visible"));
    Box->FLocked = true;
    EXPECT_FALSE(IsStoredProp(Box.get(), "Visible"));

    TOwned<TXForm> Form = Owned(TXForm::Create(nullptr));
    EXPECT_FALSE(IsStoredProp(Form.get(), "Name"));
    EXPECT_TRUE(IsStoredProp(Form.get(), "Tag"));
}

TEST(TypInfoTest, DefaultValuesByKind)
{
    TOwned<TXBox> Box = Owned(TXBox::Create());
    TOwned<TXFont> Font = Owned(TXFont::Create());
    TOwned<TXForm> Form = Owned(TXForm::Create(nullptr));
    struct TRow {
        const char* Property;
        std::function<void()> Change;
    };
    // Each property starts at its default and leaves it with the change.
    const TRow Rows[] = {
        {"Style", [&] { Box->FStyle = fsNone; }},
        {"Visible", [&] { Box->FVisible = false; }},
        {"LgID", [&] { Box->FLgID = 7; }},
        {"Styles", [&] { Box->FStyles = {}; }},
        {"Ratio", [&] { Box->FRatio = 0.5; }},
        {"Size", [&] { Box->FSize = -1; }},
        {"Caption", [&] { Box->FCaption = "x"; }},
        {"Font", [&] { Box->FFont = Font.get(); }},
        {"OnClick", [&] { Box->FOnClick = TNotifyEvent::Bind<&TXForm::ButtonClick>(Form.get()); }},
    };
    for (const TRow& Row : Rows) {
        EXPECT_TRUE(IsDefaultPropertyValue(Box.get(), Row.Property)) << Row.Property;
        Row.Change();
        EXPECT_FALSE(IsDefaultPropertyValue(Box.get(), Row.Property)) << Row.Property;
    }
    // Without a declared default an ordinal is never at its default, even at 0.
    EXPECT_FALSE(IsDefaultPropertyValue(Box.get(), "Level"));
    // The redeclared default applies to the descendant only.
    Box->FWidth = 100;
    EXPECT_FALSE(IsDefaultPropertyValue(Box.get(), "Width"));
    Box->FWidth = 50;
    EXPECT_TRUE(IsDefaultPropertyValue(Box.get(), "Width"));
    EXPECT_TRUE(IsDefaultPropertyValue(Form.get(), "Tag"));
}

TEST(TypInfoTest, MethodPropertySetByNameFromAPublishedMethod)
{
    TOwned<TXMainForm> Form = Owned(TXMainForm::Create(nullptr));
    TOwned<TXBox> Box = Owned(TXBox::Create());

    TMethodValue Handler = MethodAddress(Form.get(), "buttonclick");
    ASSERT_TRUE(Handler);
    SetMethodProp(Box.get(), "OnClick", Handler);
    Box->FOnClick(Box.get());
    EXPECT_EQ(Form->FClicked, Box.get());
    // Bound by name or in code, the handler is the same one, and its name is found back.
    EXPECT_EQ(Box->FOnClick, TNotifyEvent::Bind<&TXForm::ButtonClick>(Form.get()));
    EXPECT_EQ(GetMethodProp(Box.get(), "OnClick"), Handler);
    EXPECT_EQ(MethodName(TXMainForm::StaticClass(), Handler.Code), "ButtonClick");

    SetMethodProp(Box.get(), "OnResize", MethodAddress(Form.get(), "FormResize"));
    int Width = 0;
    int Height = 0;
    Box->FOnResize(Box.get(), Width, Height);
    EXPECT_EQ(Width, 640);

    EXPECT_THROW(SetMethodProp(Box.get(), "OnClick", MethodAddress(Form.get(), "FormResize")), EPropertyError);
    EXPECT_FALSE(MethodAddress(Form.get(), "Missing"));
    EXPECT_EQ(MethodName(TXBox::StaticClass(), Handler.Code), "");
    SetMethodProp(Box.get(), "OnClick", TMethodValue{});
    EXPECT_FALSE(Box->FOnClick);
}

TEST(TypInfoTest, MoneyKeepsFourDecimalsExactly)
{
    EXPECT_EQ(Currency(12.3456).Scaled(), 123456);
    EXPECT_EQ(Currency(-0.5).Scaled(), -5000);
    EXPECT_EQ(static_cast<double>(Currency::FromScaled(15)), 0.0015);
    EXPECT_LT(Currency(1.25), Currency(1.2501));
    EXPECT_THROW(Currency(1e16), EConvertError);
}

class TXRaced : public TPersistent {
    X_CLASS(TXRaced, TPersistent)
public:
    static void DeclareProperties(TPropertyDeclarer& P) { P.Property("Value", &TXRaced::FValue, &TXRaced::FValue); }
    int32_t FValue = 0;

protected:
    TXRaced() = default;
};

TEST(TypInfoTest, TablesBuiltOnFirstUseFromManyThreadsAreOne)
{
    std::vector<const TPropList*> Seen(8);
    std::vector<std::thread> Threads;
    for (size_t I = 0; I < Seen.size(); ++I)
        Threads.emplace_back([&Seen, I] { Seen[I] = &GetPropList(TXRaced::StaticClass()); });
    for (std::thread& Thread : Threads)
        Thread.join();
    for (const TPropList* List : Seen)
        EXPECT_EQ(List, Seen[0]);
    EXPECT_EQ(Names(*Seen[0]), std::vector<String>{"Value"});
}

class TXFaulty : public TXShape {
    X_CLASS(TXFaulty, TXShape)
public:
    static inline int GFault = 0;
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        if (GFault == 1)
            P.Property("Colour").Default(1);
        if (GFault == 2)
            P.Property("Caption", &TXShape::Caption, &TXShape::SetCaption).Default(0);
        if (GFault == 3)
            P.Property("Style").Default(true);
        if (GFault == 4) {
            P.Property("Extra", &TXShape::FCount);
            P.Property("extra", &TXShape::FCount);
        }
        if (GFault == 5)
            P.Property("Level", &TXBox::FLevel, &TXBox::FLevel);
    }

protected:
    TXFaulty() = default;
};

TEST(TypInfoTest, FaultyDeclarationsRaiseWhenTheListIsBuilt)
{
    // An unknown redeclaration, a default on a string, a default of another type, a name
    // declared twice, a field of a class that is no ancestor.
    for (int Fault : {1, 2, 3, 4, 5}) {
        TXFaulty::GFault = Fault;
        EXPECT_THROW(GetPropList(TXFaulty::StaticClass()), EPropertyError) << Fault;
    }
    TXFaulty::GFault = 0;
    EXPECT_EQ(GetPropList(TXFaulty::StaticClass()).size(), GetPropList(TXShape::StaticClass()).size());
}

}  // namespace
