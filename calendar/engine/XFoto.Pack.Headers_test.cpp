// Photo names, pack headers and the installed pack list.
#include "XFoto.Pack.Headers.h"

#include <gtest/gtest.h>

#include "XCore.IO.h"
#include "XObjectFiler.h"

namespace {

TEST(FotoNameTest, SplitsAtTheFirstBang)
{
    struct TCase {
        const char* Text;
        const char* Pack;
        const char* Image;
    };
    const TCase kCases[] = {
        {"<data>Pictures\\Alps.wfp!peak.jpg", "<data>Pictures\\Alps.wfp", "peak.jpg"},
        {"a!b!c", "a", "b!c"},
        {"Alps.wfp", "Alps.wfp", ""},   // no bang: a pack without image
        {"!x", "", "x"},
        {"", "", ""},
    };
    for (const TCase& Case : kCases) {
        const TXFotoName Name = TXFotoName::Parse(Case.Text);
        EXPECT_EQ(Name.Pack, Case.Pack) << Case.Text;
        EXPECT_EQ(Name.Image, Case.Image) << Case.Text;
    }
    EXPECT_TRUE(TXFotoName::Parse("").IsEmpty());
    EXPECT_FALSE(TXFotoName::Parse("!x").IsEmpty());
    EXPECT_EQ((TXFotoName{"p", "i"}.Text()), "p!i");
}

TEST(FotoPackHeaderTest, ResetGivesTheDefaultPublisherAndUnknownAdverts)
{
    auto Header = Owned(TXFotoPackHeader::Create());
    EXPECT_EQ(Header->FotoPackType(), fpFoto);
    EXPECT_EQ(Header->PublisherID(), "qz");
    EXPECT_EQ(Header->Publisher(), "Brindle");
    EXPECT_EQ(Header->Title()->Header()->GetLgID(), 9u);
    EXPECT_EQ(Header->UseAdv(), "");

    struct TCase {
        const char* Written;
        TXFotoPackUseAdv Value;
        const char* Read;
    };
    const TCase kCases[] = {
        {"fpaClientXX", fpaClientXX, "fpaClientXX"},
        {"fpaNone", fpaNone, "fpaNone"},
        {"fpaUnknown", fpaUnknown, ""},
        {"nonsense", fpaUnknown, ""},
        {"", fpaUnknown, ""},
    };
    for (const TCase& Case : kCases) {
        Header->SetUseAdv(Case.Written);
        EXPECT_EQ(Header->UseAdvValue(), Case.Value) << Case.Written;
        EXPECT_EQ(Header->UseAdv(), Case.Read) << Case.Written;
    }
}

TEST(FotoPackHeaderTest, StoredFieldsSurviveTheComponentText)
{
    auto Header = Owned(TXFotoPackHeader::Create());
    Header->SetFotoPackType(fpOrvaP);
    Header->SetID("alps-2026");
    Header->SetPublisherID("np");
    Header->SetForceCopyright(true);
    Header->SetPackDate(46000.5);
    Header->SetExpires(46100);
    Header->FotoNames()->Add("peak.jpg");
    Header->FotoNames()->Add("lake.jpg");
    Header->SetUseAdv("fpaForceClient");
    Header->Title()->SetText(7, "Alpen");
    Header->Title()->SetText(9, "Alps");
    Header->SetPackName("not stored");

    String Text;
    ASSERT_TRUE(SaveObjectToText(Header.get(), Text, true, false, nullptr));
    auto Read = Owned(TXFotoPackHeader::Create());
    ASSERT_TRUE(LoadObjectFromText(Read.get(), Text, nullptr, false)) << Text;
    EXPECT_EQ(Read->FotoPackType(), fpOrvaP);
    EXPECT_EQ(Read->ID(), "alps-2026");
    EXPECT_EQ(Read->PublisherID(), "np");
    EXPECT_TRUE(Read->ForceCopyright());
    EXPECT_DOUBLE_EQ(Read->PackDate(), 46000.5);
    EXPECT_DOUBLE_EQ(Read->Expires(), 46100);
    EXPECT_EQ(Read->FotoNames()->Text(), Header->FotoNames()->Text());
    EXPECT_EQ(Read->UseAdvValue(), fpaForceClient);
    Read->UpdateTexts(0x0407);   // German (Germany) falls back to German
    EXPECT_EQ(Read->TitleText(), "Alpen");
    Read->UpdateTexts(0x040C);   // French falls back to English
    EXPECT_EQ(Read->TitleText(), "Alps");
}

TEST(FotoPackHeaderTest, IndexesStayInsideTheNames)
{
    auto Header = Owned(TXFotoPackHeader::Create());
    Header->SetPackName("P");
    Header->FotoNames()->Add("a");
    Header->FotoNames()->Add("b");
    struct TCase {
        int Index;
        int Prior;
        int Next;
        const char* Name;
    };
    const TCase kCases[] = {{-1, -1, 0, ""}, {0, -1, 1, "P!a"}, {1, 0, -1, "P!b"}, {2, -1, -1, ""}};
    for (const TCase& Case : kCases) {
        EXPECT_EQ(Header->PriorIndex(Case.Index), Case.Prior) << Case.Index;
        EXPECT_EQ(Header->NextIndex(Case.Index), Case.Next) << Case.Index;
        EXPECT_EQ(Header->ImageName(Case.Index), Case.Name) << Case.Index;
    }
}

// "<data>" expands to a fixed folder while a test runs.
class TDataFolder {
public:
    TDataFolder() { RegisterPathMacroExpander(Method()); }
    ~TDataFolder() { UnregisterPathMacroExpander(Method()); }
    String Expand(const String& AText)
    {
        String Result = AText;
        for (size_t At; (At = Result.find("<data>")) != String::npos;)
            Result.replace(At, 6, "/home/u/Data/");
        return Result;
    }

private:
    TXPathMacroExpander Method() { return TXPathMacroExpander::Bind<&TDataFolder::Expand>(this); }
};

class FotoPackHeadersTest : public ::testing::Test {
protected:
    // A pack with the given photos under "<data>Pictures\".
    TXFotoPackHeader* Add(const String& AFile, std::initializer_list<const char*> AImages,
                          TXFotoPackType AType = fpFoto, const String& AID = "")
    {
        auto Header = Owned(TXFotoPackHeader::Create());
        Header->SetFotoPackType(AType);
        Header->SetID(AID);
        for (const char* Image : AImages)
            Header->FotoNames()->Add(Image);
        return List->AddHeader(Header.get(), "/home/u/Data/Pictures\\" + AFile, "<data>Pictures\\", 9);
    }

    TDataFolder Data;
    TOwned<TXFotoPackHeaders> List = Owned(TXFotoPackHeaders::Create(nullptr));
};

TEST_F(FotoPackHeadersTest, PacksAreNamedByTheirFolderMacroAndFoundByName)
{
    ASSERT_EQ(List->Folders()->Count(), 3);
    EXPECT_EQ(List->Folders()->Strings(1), "<data>Pictures\\");
    EXPECT_EQ(List->HeaderOfImage("x!y"), nullptr);
    EXPECT_EQ(List->NameToPosition("x!y"), (TXFotoPosition{0, 0}));
    EXPECT_EQ(List->RandomPosition(), (TXFotoPosition{0, 0}));

    Add("Alps.wfp", {"peak", "lake"});
    TXFotoPackHeader* Sea = Add("Sea\\Coast.wfp", {"bay", "cliff", "dune"});
    Sea->SetForceCopyright(true);
    EXPECT_EQ(Sea->PackName(), "<data>Pictures\\Sea\\Coast.wfp");
    EXPECT_EQ(Sea->FullPath(), "/home/u/Data/Pictures\\Sea\\Coast.wfp");
    EXPECT_EQ(List->IndexOfFile("/HOME/u/Data/Pictures\\sea\\coast.WFP"), 1);
    EXPECT_EQ(List->IndexOfFile("/home/u/Data/Pictures\\Other.wfp"), -1);
    EXPECT_EQ(List->HeaderOfImage("<data>Pictures\\Sea\\Coast.wfp!dune"), Sea);
    EXPECT_TRUE(List->ForceCopyrightOf("<data>Pictures\\Sea\\Coast.wfp!x"));
    EXPECT_FALSE(List->ForceCopyrightOf("<data>Pictures\\Alps.wfp!peak"));
    EXPECT_FALSE(List->ForceCopyrightOf("gone.wfp!peak"));

    struct TCase {
        const char* Name;
        TXFotoPosition Position;
    };
    const TCase kCases[] = {
        {"<data>Pictures\\Sea\\Coast.wfp!cliff", {1, 1}},
        {"<data>Pictures\\Sea\\Coast.wfp!missing", {1, 0}},
        {"<data>Pictures\\Sea\\Coast.wfp", {1, 0}},
        {"unlisted.wfp!cliff", {0, 0}},   // an unknown pack falls back to the first one
    };
    for (const TCase& Case : kCases)
        EXPECT_EQ(List->NameToPosition(Case.Name), Case.Position) << Case.Name;
    EXPECT_EQ(List->PositionToName({1, 2}), "<data>Pictures\\Sea\\Coast.wfp!dune");
    for (TXFotoPosition Invalid : {TXFotoPosition{2, 0}, TXFotoPosition{-1, 0}, TXFotoPosition{0, 2}})
        EXPECT_EQ(List->PositionToName(Invalid), "");

    for (int I = 0; I < 50; ++I)
        EXPECT_NE(List->PositionToName(List->RandomPosition()), "");
}

TEST_F(FotoPackHeadersTest, TheWalkSkipsEmptyPacksAndGoesRound)
{
    EXPECT_EQ(List->NextImage("a.wfp!1"), "");
    Add("a.wfp", {"1", "2"});
    Add("empty.wfp", {});
    Add("c.wfp", {"1"});
    const String A = "<data>Pictures\\a.wfp!", C = "<data>Pictures\\c.wfp!";
    struct TCase {
        String From;
        String Next;
        String Prior;
    };
    const TCase kCases[] = {
        {A + "1", A + "2", C + "1"},
        {A + "2", C + "1", A + "1"},
        {C + "1", A + "1", A + "2"},
        {"<data>Pictures\\empty.wfp!", C + "1", A + "2"},
    };
    for (const TCase& Case : kCases) {
        EXPECT_EQ(List->NextImage(Case.From), Case.Next) << Case.From;
        EXPECT_EQ(List->PriorImage(Case.From), Case.Prior) << Case.From;
    }
}

TEST_F(FotoPackHeadersTest, ASinglePackWalksRoundBothWays)
{
    Add("a.wfp", {"1", "2", "3"});
    const String A = "<data>Pictures\\a.wfp!";
    EXPECT_EQ(List->PriorImage(A + "1"), A + "3");
    EXPECT_EQ(List->NextImage(A + "3"), A + "1");

    List->Clear();
    Add("empty.wfp", {});
    EXPECT_EQ(List->NextImage("<data>Pictures\\empty.wfp!"), "");
    EXPECT_EQ(List->PriorImage("<data>Pictures\\empty.wfp!"), "");
}

TEST_F(FotoPackHeadersTest, NewerPacksComeFirstThenTitlesIgnoringCase)
{
    struct TCase {
        const char* File;
        TDateTime Date;
        const char* Title;
    };
    const TCase kCases[] = {{"1", 100, "beta"}, {"2", 200, "Zulu"}, {"3", 100, "Alpha"}, {"4", 100, "ALPINE"}};
    for (const TCase& Case : kCases) {
        auto Header = Owned(TXFotoPackHeader::Create());
        Header->SetPackDate(Case.Date);
        Header->Title()->SetText(9, Case.Title);
        List->AddHeader(Header.get(), Case.File, "", 9);
    }
    List->Sort();
    String Order;
    for (int I = 0; I < List->Count(); ++I)
        Order += List->Items(I)->FullPath();
    EXPECT_EQ(Order, "2341");
}

TEST_F(FotoPackHeadersTest, IDListNamesPhotoPacksBeforeDownloadedOnes)
{
    Add("Alps.wfp", {"1"});
    EXPECT_EQ(List->GetIDList(), "Pictures\\Alps;");

    Add("d.wfp", {}, fpDFoto, "");
    Add("e.wfp", {}, fpDFotoP, "d2");
    Add("f.wfl", {}, fpFolder, "folders-are-left-out");
    Add("g.wfp", {}, fpCustomOrvaP, "g1");
    EXPECT_EQ(List->GetIDList(), "Pictures\\Alps;g1;;d2;");
}

TEST_F(FotoPackHeadersTest, IDListStopsOnceItPassedItsLimit)
{
    const String Long(16380, 'x');
    Add("1.wfp", {}, fpFoto, Long);
    Add("2.wfp", {}, fpFoto, "past");   // takes the text past the limit: still listed
    Add("3.wfp", {}, fpFoto, "cut");
    Add("4.wfp", {}, fpDFoto, "cut too");
    EXPECT_EQ(List->GetIDList(), Long + ";past;");
}

}  // namespace
