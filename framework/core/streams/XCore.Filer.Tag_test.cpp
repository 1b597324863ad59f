// The tagged text filer: the exact text it writes, and reading of well-formed, truncated,
// wrongly nested and hostile text into collections and object lists.
#include "XCore.Filer.Tag.h"

#include <gtest/gtest.h>

#include "Rtl.Lists.h"
#include "XCore.Errors.h"

namespace {

class TXTagItem : public TXCollectionItem {
    X_CLASS(TXTagItem, TXCollectionItem)
public:
    String Text;

protected:
    TXTagItem() = default;
};

class TXTagThing : public TXNamedPersistent {
    X_CLASS(TXTagThing, TXNamedPersistent)
public:
    String Text;

protected:
    TXTagThing() = default;
};

class TXTagPart : public TComponent {
    X_CLASS(TXTagPart, TComponent)
protected:
    TXTagPart() = default;
};

const bool kRegistered = (RegisterClasses({TXTagThing::StaticClass(), TXTagPart::StaticClass()}), true);

using TTagItems = XCore::Collections::TXCollection<TXTagItem>;

// Texts of the object ("info") and the items, kept as they were read.
class TXTestTagGroup : public TXTagFilerGroup {
    X_CLASS(TXTestTagGroup, TXTagFilerGroup)
public:
    String ObjectText;

    String GetObjectText() override { return "<title>" + ObjectText + "</title>"; }
    String GetItemText(TObject* AItem) override { return static_cast<TXTagItem*>(AItem)->Text; }
    bool ReadObjectText(const String& AText, TXProgress*, bool) override
    {
        ObjectText = AText;
        return true;
    }
    TObject* ReadItemText(TObject* AItem, const String& AText, bool, TXProgress*) override
    {
        if (auto* Item = AsOrNull<TXTagItem>(AItem))
            Item->Text = AText;
        if (auto* Thing = AsOrNull<TXTagThing>(AItem))
            Thing->Text = AText;
        return AItem;
    }

protected:
    TXTestTagGroup() = default;
};

class TagFilerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        FFiler->PrepareGroups(FItems.get(), 0, {});
        FGroup = static_cast<TXTestTagGroup*>(FFiler->Groups()->AddNamedGroup(
            FFiler.get(), TXTestTagGroup::StaticClass(), FItems.get(), nullptr, "toc"));
        FGroup->SetItemTag("toc_item");
    }

    void AddItem(const String& AName, const String& AText)
    {
        TXTagItem* Item = FItems->Add();
        Item->SetDisplayName(AName);
        Item->Text = AText;
    }
    // The items as "name=text" joined by "|".
    String ItemsText() const
    {
        String Result;
        for (int I = 0; I < FItems->Count(); ++I)
            Result += (I > 0 ? "|" : "") + FItems->Items(I)->GetDisplayName() + "=" + FItems->Items(I)->Text;
        return Result;
    }

    TOwned<TTagItems> FItems = Owned(TTagItems::Create(nullptr));
    TOwned<TXTagFiler> FFiler = Owned(TXTagFiler::Create());
    TXTestTagGroup* FGroup = nullptr;
};

TEST_F(TagFilerTest, WritesGroupsItemsAndRootWithCrLf)
{
    AddItem("a", "1");
    AddItem("b", "2");
    String Text;
    ASSERT_TRUE(FFiler->SaveToString(Text, nullptr, false));
    EXPECT_EQ(Text, "<toc>\r\n"
                    "<toc_item name=\"a\">\r\n1\r\n</toc_item>\r\n"
                    "<toc_item name=\"b\">\r\n2\r\n</toc_item>\r\n"
                    "\r\n</toc>\r\n");

    auto Info = Owned(TXTagThing::Create());
    FGroup->SetDataObject(Info.get());
    FGroup->SetObjectTag("info");
    FGroup->ObjectText = "T";
    FItems->Delete(1);
    FItems->Items(0)->SetDisplayName("");
    FFiler->SetRootTag("root");
    ASSERT_TRUE(FFiler->SaveToString(Text, nullptr, false));
    EXPECT_EQ(Text, "<root>\r\n"
                    "<toc>\r\n"
                    "<info>\r\n<title>T</title>\r\n</info>\r\n"
                    "<toc_item>\r\n1\r\n</toc_item>\r\n"
                    "\r\n</toc>\r\n"
                    "\r\n</root>");
}

TEST_F(TagFilerTest, RoundTripsObjectAndNonAsciiNames)
{
    auto Info = Owned(TXTagThing::Create());
    FGroup->SetDataObject(Info.get());
    FGroup->SetObjectTag("info");
    FGroup->ObjectText = "T";
    FFiler->SetRootTag("root");
    AddItem("Grüße ✓", "<v>1</v>");
    String Text;
    ASSERT_TRUE(FFiler->SaveToString(Text, nullptr, false));

    FGroup->ObjectText.clear();
    ASSERT_TRUE(FFiler->LoadFromString(Text, nullptr, false));
    EXPECT_EQ(ItemsText(), "Grüße ✓= name=\"Grüße ✓\">\r\n<v>1</v>\r\n");
    EXPECT_EQ(FGroup->ObjectText, "\r\n<title>T</title>\r\n");
}

struct TReadCase {
    const char* Name;
    const char* Text;
    const char* Items;   // ItemsText() after loading
};

const TReadCase kReads[] = {
    {"LongerTagNameIsNoItem", "<toc><toc_items>x</toc_items><toc_item name=\"a\">A</toc_item></toc>",
     "a= name=\"a\">A"},
    {"NameFoundInsideTheText", "<toc><toc_item>name=\"x\"</toc_item><toc_item>y</toc_item></toc>",
     "x=>name=\"x\"|=>y"},
    {"MissingCloseEndsTheScan", "<toc><toc_item name=\"a\">A</toc_item><toc_item name=\"b\">B</toc>", "a= name=\"a\">A"},
    {"SectionEndsAfterTagName", "<toc><toc_item name=\"a\">A</toc_item><toc_item</toc>", "a= name=\"a\">A"},
    {"TruncatedInsideTag", "<toc><toc_item name=\"a", ""},
    {"TruncatedBeforeGroupClose", "<toc><toc_item name=\"a\">A</toc_item>", ""},
    {"NestedItemsEndAtTheFirstClose",
     "<toc><toc_item name=\"a\"><toc_item name=\"b\">B</toc_item>A</toc_item></toc>",
     "a= name=\"a\"><toc_item name=\"b\">B"},
    {"UnterminatedQuote", "<toc><toc_item name=\"abc>A</toc_item></toc>", "= name=\"abc>A"},
    {"MalformedUtf8Name", "<toc><toc_item name=\"a\xff\">A</toc_item></toc>", "a\xEF\xBF\xBD= name=\"a\xff\">A"},
    {"ClosingTagsOnly", "</toc></toc_item></toc_item><toc></toc>", ""},
    {"NoGroup", "<toc_item name=\"a\">A</toc_item>", ""},
    {"Empty", "", ""},
};

class TagReadTest : public TagFilerTest, public ::testing::WithParamInterface<TReadCase> {};

TEST_P(TagReadTest, ReadsWhatIsThereAndStopsQuietly)
{
    EXPECT_TRUE(FFiler->LoadFromString(GetParam().Text, nullptr, false));
    EXPECT_EQ(ItemsText(), GetParam().Items);
    EXPECT_EQ(GetErrorCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(Texts, TagReadTest, ::testing::ValuesIn(kReads),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(TagFilerTest, MissingRootFailsWith44AndReadsNoGroup)
{
    FFiler->SetRootTag("reply");
    EXPECT_FALSE(FFiler->LoadFromString("<toc><toc_item name=\"a\">A</toc_item></toc>", nullptr, false));
    EXPECT_EQ(GetErrorCode(), kErrRead);
    EXPECT_EQ(FItems->Count(), 0);
    EXPECT_THROW((void)FFiler->LoadFromString("", nullptr, true), EXError);
}

TEST_F(TagFilerTest, ReadsFromStreamsAndByteStrings)
{
    auto Stream = Owned(TStringStream::Create("<toc><toc_item name=\"a\">A</toc_item></toc>"));
    Stream->SetPosition(Stream->Size());   // read from the start whatever the position
    EXPECT_TRUE(FFiler->LoadFromStream(Stream.get(), nullptr, false));
    EXPECT_EQ(ItemsText(), "a= name=\"a\">A");
    EXPECT_TRUE(FFiler->LoadFromRawString("<toc><toc_item name=\"b\">B</toc_item></toc>", nullptr, false));
    EXPECT_EQ(ItemsText(), "b= name=\"b\">B");
}

struct TListCase {
    const char* Name;
    const char* Element;   // inside <toc_item name="n">...</toc_item>
    bool FrameworkList;
    bool ComponentList;
    const char* Expected;   // class and text of what was added, or ""
};

const TListCase kLists[] = {
    {"RegisteredClass", "<class>TXTagThing</class>x", false, false, "TXTagThing:n"},
    {"UnknownClassIsSkipped", "<class>TXNoSuchClass</class>", false, false, ""},
    {"NoClassInAPlainList", "x", false, false, ""},
    {"NoClassInAFrameworkList", "x", true, false, "TXTagThing:n"},
    {"ComponentListTakesComponents", "<class>TXTagPart</class>", false, true, "TXTagPart:"},
    {"ComponentListRefusesOtherObjects", "<class>TXTagThing</class>", false, true, ""},
    {"FrameworkListRefusesOtherClasses", "<class>TXTagPart</class>", true, false, ""},
};

class TagListTest : public TagFilerTest, public ::testing::WithParamInterface<TListCase> {};

TEST_P(TagListTest, CreatesObjectsByClassName)
{
    TOwned<TObjectList> List;
    if (GetParam().FrameworkList)
        List.reset(XCore::Collections::TXObjectList<TXTagThing>::Create());
    else if (GetParam().ComponentList)
        List.reset(TComponentList::Create());
    else
        List.reset(TObjectList::Create());
    FGroup->SetItems(List.get());
    String Text = String("<toc><toc_item name=\"n\">") + GetParam().Element + "</toc_item></toc>";
    ASSERT_TRUE(FFiler->LoadFromString(Text, nullptr, false));

    String Added;
    if (List->Count() == 1) {
        TObject* Item = List->Items(0);
        auto* Thing = AsOrNull<TXTagThing>(Item);
        Added = Item->ClassName() + ":" + (Thing != nullptr ? Thing->GetName() : String());
    }
    EXPECT_EQ(Added, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Lists, TagListTest, ::testing::ValuesIn(kLists),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

}  // namespace
