// Property paths, property text, events by path and the registry form of an object tree.
#include "XProps.h"

#include <gtest/gtest.h>

#include <functional>

#include "Rtl.Classes.h"
#include "Win.Registry.h"
#include "Win.TestEnvironment.h"

X_ENUM(TTestFontStyle, tfsBold, tfsItalic, tfsUnderline);
using TTestFontStyles = TSet<TTestFontStyle>;
X_ENUM(TTestPanelKind, pkNarrow, pkWide);

namespace {

class TTestFont : public TPersistent {
    X_CLASS(TTestFont, TPersistent)
public:
    int Size = 8;
    TTestFontStyles Style;
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Size", &TTestFont::Size, &TTestFont::Size).Default(8);
        P.Property("Style", &TTestFont::Style, &TTestFont::Style);
    }

protected:
    TTestFont() = default;
};

class TPropsTestItem : public TCollectionItem {
    X_CLASS(TPropsTestItem, TCollectionItem)
public:
    String Caption;
    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Caption", &TPropsTestItem::Caption, &TPropsTestItem::Caption);
    }

protected:
    TPropsTestItem() = default;
};

class TTestPanel : public TComponent {
    X_CLASS(TTestPanel, TComponent)
public:
    String Caption;
    String Hidden;   // never stored
    TTestPanelKind Kind = pkNarrow;
    double Scale = 1;
    TNotifyEvent OnClick;
    TMethod<void(TObject*, int)> OnMove;
    TTestPanel* Next = nullptr;   // a reference, not owned
    TTestFont* Font() const { return FFont.get(); }
    TCollection* Items() const { return FItems.get(); }
    void AddItems(std::initializer_list<const char*> ACaptions)
    {
        for (const char* Caption : ACaptions)
            static_cast<TPropsTestItem*>(FItems->Add())->Caption = Caption;
    }
    String ItemCaption(int AIndex) const { return static_cast<TPropsTestItem*>(FItems->Items(AIndex))->Caption; }

    static void DeclareProperties(TPropertyDeclarer& P)
    {
        P.Property("Caption", &TTestPanel::Caption, &TTestPanel::Caption);
        P.Property("Hidden", &TTestPanel::Hidden, &TTestPanel::Hidden).Stored(false);
        P.Property("Kind", &TTestPanel::Kind, &TTestPanel::Kind).Default(pkNarrow);
        P.Property("Scale", &TTestPanel::Scale, &TTestPanel::Scale);
        P.Property("Font", &TTestPanel::Font);
        P.Property("Items", &TTestPanel::Items);
        P.Property("Next", &TTestPanel::Next, &TTestPanel::Next);
        P.Property("OnClick", &TTestPanel::OnClick, &TTestPanel::OnClick);
        P.Property("OnMove", &TTestPanel::OnMove, &TTestPanel::OnMove);
    }

protected:
    TTestPanel() = default;
    void Construct(TComponent* AOwner) override
    {
        inherited::Construct(AOwner);
        FFont.reset(TTestFont::Create());
        FItems.reset(TCollection::Create(TPropsTestItem::StaticClass()));
    }

private:
    TOwned<TTestFont> FFont;
    TOwned<TCollection> FItems;
};

struct TClicks {
    int Count = 0;
    void Click(TObject*) { ++Count; }
};

// A root panel owning Panel1; the root has two items.
struct TTree {
    TOwned<TTestPanel> Root = Owned(TTestPanel::Create(nullptr));
    TTestPanel* Panel1 = TTestPanel::Create(Root.get());
    TTree()
    {
        Panel1->SetName("Panel1");
        Root->AddItems({"first", "second"});
    }
};

// ---- Paths -------------------------------------------------------------------------------

struct TResolveCase {
    const char* Name;
    const char* Path;
    std::function<TObject*(TTree&)> Expected;   // nullptr: the path does not resolve
    const char* Rest;
};

class ResolvePropertyPathTest : public ::testing::TestWithParam<TResolveCase> {};

TEST_P(ResolvePropertyPathTest, FindsTheOwnerOfTheFinalProperty)
{
    const TResolveCase& Case = GetParam();
    TTree Tree;
    String Path = Case.Path;
    TObject* Found = ResolvePropertyPath(Tree.Root.get(), Path);
    EXPECT_EQ(Found, Case.Expected ? Case.Expected(Tree) : nullptr);
    if (Found != nullptr) {
        EXPECT_EQ(Path, Case.Rest);
    }
}

const TResolveCase kPaths[] = {
    {"Plain", "Caption", [](TTree& T) -> TObject* { return T.Root.get(); }, "Caption"},
    {"OwnedComponent", "Panel1:Caption", [](TTree& T) -> TObject* { return T.Panel1; }, "Caption"},
    {"SubObject", "Font.Size", [](TTree& T) -> TObject* { return T.Root->Font(); }, "Size"},
    {"ComponentSubObject", "panel1:Font.Size", [](TTree& T) -> TObject* { return T.Panel1->Font(); }, "Size"},
    {"Item", "Items[1].Caption", [](TTree& T) -> TObject* { return T.Root->Items()->Items(1); }, "Caption"},
    {"IndexNoNumber", "Items[x].Caption", [](TTree& T) -> TObject* { return T.Root->Items()->Items(0); }, "Caption"},
    {"FinalIndexStaysInThePath", "Items[1]", [](TTree& T) -> TObject* { return T.Root.get(); }, "Items[1]"},
    {"MissingComponent", "Missing:Caption", nullptr, ""},
    {"MissingProperty", "Colour.Size", nullptr, ""},
    {"NotAnObject", "Caption.Size", nullptr, ""},
    {"NilObject", "Next.Caption", nullptr, ""},
    {"NotACollection", "Font[0].Size", nullptr, ""},
    {"IndexOutOfRange", "Items[2].Caption", nullptr, ""},
    {"NegativeIndex", "Items[-1].Caption", nullptr, ""},
};
INSTANTIATE_TEST_SUITE_P(Paths, ResolvePropertyPathTest, ::testing::ValuesIn(kPaths),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(PropertyPathTest, APrefixNeedsAComponentRoot)
{
    TTree Tree;
    String Path = "Panel1:Size";
    EXPECT_EQ(ResolvePropertyPath(Tree.Root->Font(), Path), nullptr);
    Path = "Size";
    EXPECT_EQ(ResolvePropertyPath(nullptr, Path), nullptr);
}

struct TTextCase {
    const char* Path;
    const char* Text;
};

TEST(PropertyTextTest, ValuesOfEveryKindGoBothWaysByPath)
{
    const TTextCase Cases[] = {
        {"Caption", "Hello"},
        {"Panel1:Caption", "Inner"},
        {"Font.Size", "12"},
        {"Font.Style", "[tfsBold,tfsUnderline]"},
        {"Kind", "pkWide"},
        {"Scale", "1.5"},
        {"Items[1].Caption", "changed"},
        {"Tag", "-4"},
    };
    TTree Tree;
    for (const TTextCase& Case : Cases) {
        EXPECT_TRUE(SetPropTextByPath(Tree.Root.get(), Case.Path, Case.Text)) << Case.Path;
        String Text = "stale";
        EXPECT_TRUE(GetPropTextByPath(Tree.Root.get(), Case.Path, Text)) << Case.Path;
        EXPECT_EQ(Text, Case.Text) << Case.Path;
    }
    EXPECT_EQ(Tree.Panel1->Caption, "Inner");
    EXPECT_EQ(Tree.Root->ItemCaption(1), "changed");
    EXPECT_EQ(Tree.Root->Font()->Style, TTestFontStyles({tfsBold, tfsUnderline}));
}

struct TBadTextCase {
    const char* Path;
    const char* Text;
    bool Readable;   // the path itself is fine, only the text is not
};

TEST(PropertyTextTest, FailuresAnswerFalseAndLeaveTheValue)
{
    const TBadTextCase Cases[] = {
        {"Font.Size", "twelve", true},
        {"Kind", "pkHuge", true},
        {"Font.Style", "[fsBlink]", true},
        {"Items[1]", "x", false},   // an index on the final property
        {"Font", "x", false},       // an object has no text form
        {"Missing", "x", false},
        {"Missing:Caption", "x", false},
    };
    TTree Tree;
    for (const TBadTextCase& Case : Cases) {
        EXPECT_FALSE(SetPropTextByPath(Tree.Root.get(), Case.Path, Case.Text)) << Case.Path;
        String Text = "stale";
        EXPECT_EQ(GetPropTextByPath(Tree.Root.get(), Case.Path, Text), Case.Readable) << Case.Path;
        if (!Case.Readable) {
            EXPECT_EQ(Text, "") << Case.Path;
        }
    }
    EXPECT_EQ(Tree.Root->Font()->Size, 8);
    EXPECT_EQ(Tree.Root->Kind, pkNarrow);
    EXPECT_TRUE(Tree.Root->Font()->Style.IsEmpty());
}

TEST(PropertyEventTest, HandlersAreBoundByPathWhenTheSignatureFits)
{
    TTree Tree;
    TClicks Clicks;
    TMethodValue Handler = TMethodValue::Of(TNotifyEvent::Bind<&TClicks::Click>(&Clicks));
    EXPECT_TRUE(SetEventByPath(Tree.Root.get(), "Panel1:OnClick", Handler));
    ASSERT_TRUE(Tree.Panel1->OnClick);
    Tree.Panel1->OnClick(Tree.Panel1);
    EXPECT_EQ(Clicks.Count, 1);

    EXPECT_FALSE(SetEventByPath(Tree.Root.get(), "OnMove", Handler));    // another signature
    EXPECT_FALSE(SetEventByPath(Tree.Root.get(), "Caption", Handler));   // no event
    EXPECT_FALSE(SetEventByPath(Tree.Root.get(), "OnPaint", Handler));
    EXPECT_FALSE(Tree.Root->OnMove);
}

TEST(StoredPropertiesTest, ValuesAndObjectsAreListedApart)
{
    TTree Tree;
    auto Values = Owned(TStringList::Create());
    auto Objects = Owned(TStringList::Create());
    Values->Add("stale");
    ListStoredProperties(Tree.Root.get(), Values.get(), Objects.get());
    EXPECT_EQ(Values->CommaText(), "Tag,Caption,Kind,Scale");
    EXPECT_EQ(Objects->CommaText(), "Font,Items,Next");
}

// ---- Registry form -----------------------------------------------------------------------

const String kPropsKey = "\\Software\\Norvale\\Test\\";

class RegistryFormTest : public ::testing::Test {
protected:
    TTestHome Home;
    TOwned<TRegistry> Registry = Owned(TRegistry::Create());

    String ReadString(const String& AKey, const String& AName)
    {
        EXPECT_TRUE(Registry->OpenKeyReadOnly(AKey)) << AKey;
        String Value = Registry->ReadString(AName);
        Registry->CloseKey();
        return Value;
    }
    String KeyNames(const String& AKey)
    {
        auto Names = Owned(TStringList::Create());
        if (Registry->OpenKeyReadOnly(AKey))
            Registry->GetKeyNames(Names.get());
        Registry->CloseKey();
        return Names->CommaText();
    }
};

TEST_F(RegistryFormTest, SaveWritesValuesSubObjectsAndOneKeyPerItem)
{
    TTree Tree;
    Tree.Root->Caption = "Root";
    Tree.Root->Font()->Size = 11;
    Tree.Root->AddItems({"third"});
    Tree.Root->Next = Tree.Root.get();   // a cycle of references
    ASSERT_TRUE(Registry->OpenKey(kPropsKey + "Items\\Item3", true));   // left from a longer list
    Registry->CloseKey();

    ASSERT_TRUE(SavePropsToRegistry(Tree.Root.get(), kPropsKey));
    EXPECT_EQ(ReadString(kPropsKey, "Caption"), "Root");
    EXPECT_EQ(ReadString(kPropsKey, "Kind"), "pkNarrow");
    EXPECT_EQ(ReadString(kPropsKey + "Font\\", "Size"), "11");
    EXPECT_EQ(KeyNames(kPropsKey), "Font,Items");
    EXPECT_EQ(KeyNames(kPropsKey + "Items\\"), "Item0,Item1,Item2");
    EXPECT_EQ(ReadString(kPropsKey + "Items\\Item2\\", "Caption"), "third");
    Registry->OpenKeyReadOnly(kPropsKey);
    EXPECT_FALSE(Registry->ValueExists("Hidden"));
}

TEST_F(RegistryFormTest, LoadRestoresTheTreeAndAppendsItemsInTheirSavedOrder)
{
    TTree Saved;
    Saved.Root->Caption = "Root";
    Saved.Root->Kind = pkWide;
    Saved.Root->Font()->Style = {tfsItalic};
    Saved.Root->Items()->Clear();
    for (int I = 0; I < 12; ++I)
        Saved.Root->AddItems({IntToStr(I).c_str()});
    ASSERT_TRUE(SavePropsToRegistry(Saved.Root.get(), kPropsKey));

    TTree Loaded;
    ASSERT_TRUE(LoadPropsFromRegistry(Loaded.Root.get(), kPropsKey));
    EXPECT_EQ(Loaded.Root->Caption, "Root");
    EXPECT_EQ(Loaded.Root->Kind, pkWide);
    EXPECT_EQ(Loaded.Root->Font()->Style, TTestFontStyles({tfsItalic}));
    ASSERT_EQ(Loaded.Root->Items()->Count(), 14);   // the two it had, then the twelve
    EXPECT_EQ(Loaded.Root->ItemCaption(1), "second");
    for (int I = 0; I < 12; ++I)
        EXPECT_EQ(Loaded.Root->ItemCaption(I + 2), IntToStr(I));
}

TEST_F(RegistryFormTest, IntegersAndPathNamesWrittenByOthersAreRead)
{
    ASSERT_TRUE(Registry->OpenKey(kPropsKey, true));
    Registry->WriteInteger("Caption", 5);
    Registry->WriteString("Panel1:Caption", "Inner");
    Registry->WriteString("Font.Size", "14");
    Registry->WriteString("Unknown", "ignored");
    Registry->CloseKey();
    ASSERT_TRUE(Registry->OpenKey(kPropsKey + "Kind", true));   // a value property: no object to load
    Registry->CloseKey();

    TTree Tree;
    EXPECT_TRUE(LoadPropsFromRegistry(Tree.Root.get(), kPropsKey));
    EXPECT_EQ(Tree.Root->Caption, "5");
    EXPECT_EQ(Tree.Panel1->Caption, "Inner");
    EXPECT_EQ(Tree.Root->Font()->Size, 14);
}

TEST_F(RegistryFormTest, LoadFailsOnAMissingKeyAndStopsAtAForeignSubKey)
{
    TTree Tree;
    EXPECT_FALSE(LoadPropsFromRegistry(Tree.Root.get(), kPropsKey));
    for (const char* SubKey : {"AAA", "Font"})
        ASSERT_TRUE(Registry->OpenKey(kPropsKey + SubKey, true));
    Registry->WriteString("Size", "20");
    ASSERT_TRUE(Registry->OpenKey(kPropsKey, false));
    Registry->WriteString("Caption", "applied");
    Registry->CloseKey();

    EXPECT_FALSE(LoadPropsFromRegistry(Tree.Root.get(), kPropsKey));
    EXPECT_EQ(Tree.Root->Caption, "applied");
    EXPECT_EQ(Tree.Root->Font()->Size, 8);   // "Font" comes after "AAA"
}

TEST_F(RegistryFormTest, AFailureBelowTheTopIsReported)
{
    TTree Tree;
    ASSERT_TRUE(Registry->OpenKey(kPropsKey + "Font\\Extra", true));
    Registry->CloseKey();
    EXPECT_FALSE(LoadPropsFromRegistry(Tree.Root.get(), kPropsKey));
    EXPECT_FALSE(SavePropsToRegistry(nullptr, kPropsKey));
    EXPECT_FALSE(LoadPropsFromRegistry(nullptr, kPropsKey));
}

}  // namespace
