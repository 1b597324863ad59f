// String lists: text forms, name=value lines, sorting and duplicates, change events, owned
// objects, encodings and files.
#include "Rtl.Strings.h"

#include "Rtl.Streams.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "Rtl.SysUtils.h"

namespace {

using TLines = std::vector<String>;

TOwned<TStringList> NewList(const TLines& ALines = {})
{
    TOwned<TStringList> List = Owned(TStringList::Create());
    for (const String& Line : ALines)
        List->Add(Line);
    return List;
}

TLines Lines(const TStrings& AStrings)
{
    return {AStrings.begin(), AStrings.end()};
}

struct TTextCase {
    const char* Name;
    String Text;
    TLines Expected;
};
void PrintTo(const TTextCase& ACase, std::ostream* AOut)
{
    *AOut << ACase.Name;
}

class StringsTextTest : public ::testing::TestWithParam<TTextCase> {};

TEST_P(StringsTextTest, SplitsAtEveryLineBreakAndJoinsWithCrLf)
{
    TOwned<TStringList> List = NewList();
    List->SetText(GetParam().Text);
    EXPECT_EQ(Lines(*List), GetParam().Expected);
    String Joined;
    for (const String& Line : GetParam().Expected)
        Joined += Line + "\r\n";
    EXPECT_EQ(List->Text(), Joined);
}

const TTextCase kTexts[] = {
    {"CrLf", "a\r\nb\r\n", {"a", "b"}},
    {"NoBreakAtEnd", "a\nb", {"a", "b"}},
    {"MixedBreaks", "a\rb\n\r\nc", {"a", "b", "", "c"}},
    {"CrThenCrLf", "a\r\r\nb", {"a", "", "b"}},
    {"Empty", "", {}},
    {"OnlyBreak", "\r\n", {""}},
    {"NulKept", String("a\0b", 3), {String("a\0b", 3)}},
};
INSTANTIATE_TEST_SUITE_P(Texts, StringsTextTest, ::testing::ValuesIn(kTexts),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

struct TDelimitedCase {
    const char* Name;
    String Text;
    bool Strict;
    TLines Expected;
};
void PrintTo(const TDelimitedCase& ACase, std::ostream* AOut)
{
    *AOut << ACase.Name;
}

class DelimitedTextTest : public ::testing::TestWithParam<TDelimitedCase> {};

TEST_P(DelimitedTextTest, ReadsFieldsAndWritesThemBack)
{
    TOwned<TStringList> List = NewList();
    List->SetStrictDelimiter(GetParam().Strict);
    List->SetDelimitedText(GetParam().Text);
    EXPECT_EQ(Lines(*List), GetParam().Expected);
    TOwned<TStringList> Again = NewList();
    Again->SetStrictDelimiter(GetParam().Strict);
    Again->SetDelimitedText(List->DelimitedText());
    EXPECT_EQ(Lines(*Again), GetParam().Expected);
}

const TDelimitedCase kDelimited[] = {
    {"Plain", "a,b,c", false, {"a", "b", "c"}},
    {"BlanksSplitAndAreSkipped", "  a b , c ", false, {"a", "b", "c"}},
    {"StrictKeepsBlanks", " a b, c", true, {" a b", " c"}},
    {"Quoted", R"("a, b","say ""hi""",c)", false, {"a, b", "say \"hi\"", "c"}},
    {"UnclosedQuoteRunsToEnd", R"(a,"b,c)", false, {"a", "b,c"}},
    {"QuotedThenText", R"("a"b,c)", false, {"a", "b", "c"}},
    {"EmptyFields", "a,,b,", false, {"a", "", "b", ""}},
    {"LeadingEmptyField", ",a", true, {"", "a"}},
    {"TwoQuotesAreOneEmptyLine", R"("")", false, {""}},
    {"EmptyText", "", false, {}},
    {"Utf8Untouched", "\xC3\xA9t\xC3\xA9,\xE2\x82\xAC", false, {"\xC3\xA9t\xC3\xA9", "\xE2\x82\xAC"}},
};
INSTANTIATE_TEST_SUITE_P(Texts, DelimitedTextTest, ::testing::ValuesIn(kDelimited),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(StringsTest, CommaTextQuotesWhatWouldNotReadBack)
{
    TOwned<TStringList> List = NewList({"plain", "two words", "a,b", "q\"uote", ""});
    List->SetDelimiter(';');   // CommaText ignores the list's own settings
    EXPECT_EQ(List->CommaText(), R"(plain,"two words","a,b","q""uote",)");
    List->SetStrictDelimiter(true);
    EXPECT_EQ(List->DelimitedText(), R"(plain;two words;a,b;"q""uote";)");
    List->SetCommaText("x, y");
    EXPECT_EQ(Lines(*List), (TLines{"x", "y"}));
}

TEST(StringsTest, NameValueLines)
{
    TOwned<TStringList> List = NewList({"plain", "Key=1", "key=2", "Other==x"});
    EXPECT_EQ(List->IndexOfName("KEY"), 1);
    EXPECT_EQ(List->Values("other"), "=x");
    EXPECT_EQ(List->Names(3), "Other");
    EXPECT_EQ(List->Names(0), "");
    EXPECT_EQ(List->ValueFromIndex(0), "");
    EXPECT_EQ(List->IndexOfName("plain"), -1);
    List->SetValue("key", "3");
    List->SetValue("new", "4");
    List->SetValue("Other", "");
    EXPECT_EQ(Lines(*List), (TLines{"plain", "key=3", "key=2", "new=4"}));
    List->SetNameValueSeparator(':');
    List->SetValue("a", "b");
    EXPECT_EQ(List->Values("A"), "b");
    EXPECT_EQ(List->Values("key"), "");
}

TEST(StringListTest, SortedListKeepsOrderAndRefusesPositionalChanges)
{
    TOwned<TStringList> List = NewList({"pear", "Apple", "fig"});
    List->SetSorted(true);
    EXPECT_EQ(Lines(*List), (TLines{"Apple", "fig", "pear"}));
    EXPECT_EQ(List->Add("banana"), 1);
    int Index = -1;
    EXPECT_TRUE(List->Find("APPLE", Index));
    EXPECT_EQ(Index, 0);
    EXPECT_FALSE(List->Find("cherry", Index));
    EXPECT_EQ(Index, 2);
    EXPECT_EQ(List->IndexOf("PEAR"), 3);
    for (auto Change : {+[](TStringList& L) { L.Insert(0, "x"); }, +[](TStringList& L) { L.SetStrings(0, "x"); },
                        +[](TStringList& L) { L.Exchange(0, 1); }, +[](TStringList& L) { L.Move(0, 1); }}) {
        try {
            Change(*List);
            ADD_FAILURE() << "no exception";
        } catch (const EStringListError& E) {
            EXPECT_EQ(E.Message(), "Operation not allowed on sorted list");
        }
    }
    List->SetCaseSensitive(true);
    List->Add("apple");
    EXPECT_EQ(Lines(*List), (TLines{"Apple", "apple", "banana", "fig", "pear"}));
    EXPECT_EQ(List->IndexOf("APPLE"), -1);
}

TEST(StringListTest, DuplicatesDecideAboutEqualLinesOfASortedList)
{
    TOwned<TStringList> List = NewList({"b", "a"});
    List->SetSorted(true);
    EXPECT_EQ(List->Add("A"), 0);   // dupIgnore by default, letter case ignored
    EXPECT_EQ(List->Count(), 2);
    List->SetDuplicates(dupAccept);
    EXPECT_EQ(List->Add("B"), 1);
    EXPECT_EQ(Lines(*List), (TLines{"a", "B", "b"}));
    List->SetDuplicates(dupError);
    try {
        List->Add("a");
        FAIL() << "no exception";
    } catch (const EStringListError& E) {
        EXPECT_EQ(E.Message(), "String list does not allow duplicates");
    }
    EXPECT_EQ(List->Count(), 3);
    List->SetSorted(false);
    List->Add("a");   // only a sorted list looks for duplicates
    EXPECT_EQ(List->Count(), 4);
}

TEST(StringListTest, BadIndexRaisesStringListError)
{
    TOwned<TStringList> List = NewList({"a"});
    try {
        (void)List->Strings(1);
        FAIL() << "no exception";
    } catch (const EStringListError& E) {
        EXPECT_EQ(E.Message(), "List index out of bounds (1)");
    }
    EXPECT_THROW(List->Delete(-1), EStringListError);
    EXPECT_THROW(List->Insert(2, "x"), EStringListError);
    EXPECT_THROW(List->SetObjects(1, nullptr), EStringListError);
}

class TEventLog : public TObject {
    X_CLASS(TEventLog, TObject)
public:
    void Changing(TObject*) { Events += "<"; }
    void Change(TObject*) { Events += ">"; }
    String Events;

protected:
    TEventLog() = default;
};

TEST(StringListTest, ChangeEventsSurroundEachChangeOrTheOutermostUpdate)
{
    TOwned<TEventLog> Log = Owned(TEventLog::Create());
    TOwned<TStringList> List = NewList();
    List->SetOnChanging(TNotifyEvent::Bind<&TEventLog::Changing>(Log.get()));
    List->SetOnChange(TNotifyEvent::Bind<&TEventLog::Change>(Log.get()));
    List->Add("a");
    List->Clear();
    List->Clear();   // nothing to clear, nothing to tell
    EXPECT_EQ(Log->Events, "<><>");
    Log->Events.clear();
    List->BeginUpdate();
    List->BeginUpdate();
    List->SetText("x\ny\nz");
    List->EndUpdate();
    EXPECT_EQ(Log->Events, "<");
    List->EndUpdate();
    List->EndUpdate();   // unmatched: ignored
    EXPECT_EQ(Log->Events, "<>");
}

std::vector<String> GFreedTags;

class TTag : public TObject {
    X_CLASS(TTag, TObject)
public:
    String Name;
    ~TTag() override { GFreedTags.push_back(Name); }

protected:
    TTag() = default;
    void Construct(const String& AName) { Name = AName; }
};

TEST(StringListTest, OwningListFreesObjectsOfDeletedLinesOnly)
{
    GFreedTags.clear();
    auto* List = TStringList::Create(true);
    for (const char* Name : {"a", "b", "c", "d"})
        List->AddObject(Name, TTag::Create(Name));
    List->Move(0, 3);
    List->Exchange(0, 1);
    List->SetStrings(0, "C");
    EXPECT_TRUE(GFreedTags.empty());
    EXPECT_EQ(static_cast<TTag*>(List->Objects(0))->Name, "c");
    List->Delete(1);
    EXPECT_EQ(GFreedTags, (TLines{"b"}));
    List->Free();
    EXPECT_EQ(GFreedTags, (TLines{"b", "c", "d", "a"}));
}

TEST(StringsTest, AssignCopiesLinesObjectsAndTextSettings)
{
    TOwned<TTag> Tag = Owned(TTag::Create("t"));
    TOwned<TStringList> Source = NewList({"b", "a"});
    Source->SetObjects(1, Tag.get());
    Source->SetDelimiter(';');
    Source->SetNameValueSeparator(':');
    TOwned<TStringList> Target = NewList({"old"});
    Target->SetSorted(true);
    Target->Assign(Source.get());
    EXPECT_EQ(Lines(*Target), (TLines{"a", "b"}));   // the target stays sorted
    EXPECT_EQ(Target->Objects(0), Tag.get());
    EXPECT_EQ(Target->DelimitedText(), "a;b");
    EXPECT_EQ(Target->NameValueSeparator(), ':');
    Target->AddStrings(Source.get());
    EXPECT_EQ(Target->Count(), 2);   // dupIgnore
    TOwned<TPersistent> Other = Owned(TPersistent::Create());
    EXPECT_THROW(Target->Assign(Other.get()), EConvertError);
}

struct TLoadCase {
    const char* Name;
    TBytes Bytes;
    const TEncoding* (*Given)();   // nullptr: detect
    const TEncoding* (*Expected)();
    TLines Lines;
};
void PrintTo(const TLoadCase& ACase, std::ostream* AOut)
{
    *AOut << ACase.Name;
}

class StringsLoadTest : public ::testing::TestWithParam<TLoadCase> {};

TEST_P(StringsLoadTest, DetectsEncodingAndSavesWithIt)
{
    TOwned<TStringList> List = NewList();
    List->LoadFromBytes(GetParam().Bytes, GetParam().Given ? GetParam().Given() : nullptr);
    EXPECT_EQ(Lines(*List), GetParam().Lines);
    EXPECT_EQ(List->Encoding(), GetParam().Expected());
    EXPECT_EQ(List->SaveToBytes(), GetParam().Bytes);
}

const TLoadCase kLoads[] = {
    {"NoMarkIsAnsi", {'c', 'a', 'f', 0xE9, '\r', '\n'}, nullptr, &TEncoding::ANSI, {"caf\xC3\xA9"}},
    {"Utf8Mark", {0xEF, 0xBB, 0xBF, 0xC3, 0xA9, '\r', '\n'}, nullptr, &TEncoding::UTF8, {"\xC3\xA9"}},
    {"Utf16Mark", {0xFF, 0xFE, 'a', 0, '\r', 0, '\n', 0}, nullptr, &TEncoding::Unicode, {"a"}},
    {"Utf16BigEndianMark", {0xFE, 0xFF, 0, 'a', 0, '\r', 0, '\n'}, nullptr, &TEncoding::BigEndianUnicode, {"a"}},
    {"GivenEncodingSkipsItsMark", {0xEF, 0xBB, 0xBF, 'a', '\r', '\n'}, &TEncoding::UTF8, &TEncoding::UTF8, {"a"}},
};
INSTANTIATE_TEST_SUITE_P(Buffers, StringsLoadTest, ::testing::ValuesIn(kLoads),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(StringsTest, GivenEncodingReadsTextWithoutMarkAndSavingAddsIt)
{
    TOwned<TStringList> List = NewList();
    List->LoadFromBytes(TBytes{0xC3, 0xA9, '\n'}, TEncoding::UTF8());
    EXPECT_EQ(Lines(*List), (TLines{"\xC3\xA9"}));
    EXPECT_EQ(List->SaveToBytes(), (TBytes{0xEF, 0xBB, 0xBF, 0xC3, 0xA9, '\r', '\n'}));
}

TEST(StringsTest, SavingTakesTheGivenEncodingAndWriteBom)
{
    TOwned<TStringList> List = NewList({"\xE2\x82\xAC"});
    EXPECT_EQ(List->SaveToBytes(), (TBytes{0x80, '\r', '\n'}));
    EXPECT_EQ(List->SaveToBytes(TEncoding::UTF8()), (TBytes{0xEF, 0xBB, 0xBF, 0xE2, 0x82, 0xAC, '\r', '\n'}));
    List->SetWriteBOM(false);
    EXPECT_EQ(List->SaveToBytes(TEncoding::BigEndianUnicode()), (TBytes{0x20, 0xAC, 0, '\r', 0, '\n'}));
}

class StringsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        String Template = (std::filesystem::temp_directory_path() / "strings-XXXXXX").string();
        ASSERT_NE(::mkdtemp(Template.data()), nullptr);
        FFolder = Template;
    }
    void TearDown() override { std::filesystem::remove_all(FFolder); }
    std::vector<String> FolderEntries() const
    {
        std::vector<String> Names;
        for (const auto& Entry : std::filesystem::directory_iterator(FFolder))
            Names.push_back(Entry.path().filename().string());
        std::sort(Names.begin(), Names.end());
        return Names;
    }

    std::filesystem::path FFolder;
};

TEST_F(StringsFileTest, SavesOverTheOldFileAndLoadsItBack)
{
    String Name = (FFolder / "list.txt").string();
    std::ofstream(Name) << "old";
    ::chmod(Name.c_str(), 0600);
    TOwned<TStringList> List = NewList({"\xC3\xA9", "b"});
    List->SaveToFile(Name, TEncoding::UTF8());
    EXPECT_EQ(FolderEntries(), (std::vector<String>{"list.txt"}));
    struct stat Info;
    ASSERT_EQ(::stat(Name.c_str(), &Info), 0);
    EXPECT_EQ(Info.st_mode & 0777, 0600u);

    TOwned<TStringList> Loaded = NewList();
    String WindowsName = Name;
    std::replace(WindowsName.begin(), WindowsName.end(), '/', '\\');
    Loaded->LoadFromFile(WindowsName);
    EXPECT_EQ(Lines(*Loaded), (TLines{"\xC3\xA9", "b"}));
    EXPECT_EQ(Loaded->Encoding(), TEncoding::UTF8());
}

TEST_F(StringsFileTest, FailuresRaiseAndLeaveNothingBehind)
{
    TOwned<TStringList> List = NewList({"a"});
    EXPECT_THROW(List->LoadFromFile((FFolder / "missing.txt").string()), EFOpenError);
    EXPECT_EQ(Lines(*List), (TLines{"a"}));
    EXPECT_THROW(List->SaveToFile((FFolder / "no" / "such.txt").string()), EFCreateError);
    // A folder where the file should go: the rename fails, the folder stays, the temporary goes.
    std::filesystem::create_directory(FFolder / "taken");
    EXPECT_THROW(List->SaveToFile((FFolder / "taken").string()), EFCreateError);
    EXPECT_EQ(FolderEntries(), (std::vector<String>{"taken"}));
}

TEST(StringsStreamTest, LoadsFromThePositionAndSavesAtIt)
{
    TOwned<TMemoryStream> Stream = Owned(TMemoryStream::Create());
    Stream->WriteBuffer("skip", 4);
    TOwned<TStringList> List = NewList({"x", "y"});
    List->SaveToStream(Stream.get(), TEncoding::Unicode());
    Stream->SetPosition(4);
    TOwned<TStringList> Loaded = NewList();
    Loaded->LoadFromStream(Stream.get());
    EXPECT_EQ(Lines(*Loaded), (TLines{"x", "y"}));
    EXPECT_EQ(Loaded->Encoding(), TEncoding::Unicode());
}

}  // namespace
