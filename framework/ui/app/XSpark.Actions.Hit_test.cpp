// Hit items: the cursor each kind brings, assignment, and execution through the collection's
// hooks or the shell (a recorder stands in for the programs and the desktop's opener).
#include "XSpark.Actions.Hit.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

#include "Win.Shell.h"
#include "Win.TestEnvironment.h"
#include "XPlatform.System.h"

using namespace XEngine;
using namespace XSpark::Actions::Hit;

namespace {

TEST(HitItemTest, HitSetsItsCursorUntilTheCursorIsSetAlone)
{
    const struct {
        TXHitType Hit;
        TCursor Cursor;
    } kCases[] = {
        {xhtNone, crDefault},     {xhtBorder, crDefault},    {xhtCaption, crXHMove},   {xhtWeb, crXHPoint},
        {xhtCustom, crXHPoint},   {xhtLeft, crSizeWE},       {xhtBottom, crSizeNS},    {xhtSize, crSizeNWSE},
        {xhtBottomRight, crSizeNWSE}, {xhtTopRight, crSizeNESW}, {xhtBottomLeft, crSizeNESW},
    };
    auto Items = Owned(TXHitCollection<>::Create(nullptr));
    TXHitItem* Item = Items->Add();
    for (const auto& Case : kCases) {
        Item->SetHit(Case.Hit);
        EXPECT_EQ(Item->Cursor(), Case.Cursor) << int(Case.Hit);
    }
    Item->SetHit(xhtWeb);
    Item->SetCursor(crSizeNS);
    EXPECT_EQ(Item->Cursor(), crSizeNS);
    Item->SetHit(xhtWeb);
    EXPECT_EQ(Item->Cursor(), crXHPoint);
}

TEST(HitItemTest, AssignCopiesEveryFieldAndTheStoredCursor)
{
    auto Items = Owned(TXHitCollection<>::Create(nullptr));
    TXHitItem* Source = Items->Add();
    Source->SetName("support");
    Source->SetHit(xhtWeb);
    Source->SetCursor(crSizeWE);
    Source->SetCaption("Support");
    Source->SetCommand("unused");
    Source->SetArgs("https://example.invalid/support");
    Source->SetHint("Opens the support page");
    TXHitItem* Copy = Items->Add();
    Copy->Assign(Source);
    EXPECT_EQ(Copy->Name(), "support");
    EXPECT_EQ(Copy->Hit(), xhtWeb);
    EXPECT_EQ(Copy->Cursor(), crSizeWE);
    EXPECT_EQ(Copy->Caption(), "Support");
    EXPECT_EQ(Copy->Command(), "unused");
    EXPECT_EQ(Copy->Args(), "https://example.invalid/support");
    EXPECT_EQ(Copy->Hint(), "Opens the support page");
}

// ---- Execution ---------------------------------------------------------------------------

struct THooks {
    bool Handle = false;
    std::vector<String> Log;
    void HandleHit(TObject* ASender, TXHitItem* AHit, bool& AHandled)
    {
        Log.push_back("handle " + AHit->Name() + (ASender != nullptr ? " owner" : ""));
        AHandled = Handle;
    }
    void Hit(TObject* ASender, TXHitItem* AHit) { Log.push_back("hit " + AHit->Name() + (ASender != nullptr ? " owner" : "")); }
    bool Fallback(TObject* ASender, TXHitItem* AItem)
    {
        Log.push_back(String("fallback ") + (ASender == AItem ? "self" : "other"));
        return true;
    }
};

class HitExecuteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartNVSystem();
        FOwner = TComponent::Create(nullptr);
        FItems = TXHitCollection<>::Create(FOwner);
        FItems->SetOnHandleHit(TXHandleHitEvent::Bind<&THooks::HandleHit>(&FHooks));
        FItems->SetOnHit(TXHitEvent::Bind<&THooks::Hit>(&FHooks));
        // Writes each argument on a line of its own, then a mark.
        std::ofstream(Recorder()) << "#!/bin/sh\nfor A in \"$@\"; do printf '%s\\n' \"$A\" >> \"" << Output()
                                  << "\"; done\necho '--' >> \"" << Output() << "\"\n";
        ::chmod(Recorder().c_str(), 0755);
        SetShellOpener(Recorder());
    }
    void TearDown() override
    {
        SetShellOpener(String());
        FItems->Free();
        FOwner->Free();
        StopNVSystem();
    }
    TXHitItem* Item(const String& AName, TXHitType AHit, const String& ACommand, const String& AArgs)
    {
        TXHitItem* Result = FItems->Add();
        Result->SetName(AName);
        Result->SetHit(AHit);
        Result->SetCommand(ACommand);
        Result->SetArgs(AArgs);
        return Result;
    }
    String Recorder() const { return FHome.Root() + "/recorder"; }
    String Output() const { return FHome.Root() + "/recorded.txt"; }
    // The recorded lines once AMarks runs have finished.
    std::vector<String> Recorded(size_t AMarks)
    {
        std::vector<String> Lines;
        for (int Try = 0; Try < 500; ++Try) {
            Lines.clear();
            std::ifstream In(Output());
            for (String Line; std::getline(In, Line);)
                Lines.push_back(Line);
            if (static_cast<size_t>(std::count(Lines.begin(), Lines.end(), "--")) >= AMarks)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return Lines;
    }

    TTestHome FHome;
    THooks FHooks;
    TComponent* FOwner = nullptr;
    TXHitCollection<>* FItems = nullptr;
};

TEST_F(HitExecuteTest, ItemsWithoutTheirTargetAreNotHandledAndReachOnHit)
{
    const struct {
        const char* Name;
        TXHitType Hit;
        const char* Command;
        const char* Args;
    } kCases[] = {
        {"exe", xhtExe, "", "--flag"},
        {"mail", xhtMail, "someone@example.invalid", ""},
        {"web", xhtWeb, "https://example.invalid", ""},
        {"custom", xhtCustom, "anything", "at all"},
    };
    for (const auto& Case : kCases) {
        FHooks.Log.clear();
        EXPECT_FALSE(Item(Case.Name, Case.Hit, Case.Command, Case.Args)->Execute()) << Case.Name;
        EXPECT_EQ(FHooks.Log, (std::vector<String>{String("handle ") + Case.Name + " owner",
                                                   String("hit ") + Case.Name + " owner"}));
    }
    FHooks.Log.clear();
    EXPECT_TRUE(Item("other", xhtNone, "", "")->ExecuteOr(TXHitItemCallback::Bind<&THooks::Fallback>(&FHooks)));
    EXPECT_EQ(FHooks.Log, (std::vector<String>{"handle other owner", "hit other owner", "fallback self"}));
}

TEST_F(HitExecuteTest, AHandledHitStopsTheBuiltInActionAndOnHit)
{
    FHooks.Handle = true;
    EXPECT_TRUE(Item("web", xhtWeb, "", "https://example.invalid")->Execute());
    EXPECT_TRUE(Item("web", xhtWeb, "", "https://example.invalid")
                    ->ExecuteOr(TXHitItemCallback::Bind<&THooks::Fallback>(&FHooks)));
    EXPECT_EQ(FHooks.Log, (std::vector<String>{"handle web owner", "handle web owner"}));
    EXPECT_FALSE(std::ifstream(Output()).good()) << "nothing was started";
}

TEST_F(HitExecuteTest, ProgramsMailsAndLinksStartWithExpandedArgumentsAndNoShell)
{
    EXPECT_TRUE(Item("exe", xhtExe, "<home>recorder", "\"<home>a b\" $HOME;x")->Execute());
    EXPECT_EQ(Recorded(1), (std::vector<String>{FHome.Root() + "/a b", "$HOME;x", "--"}));
    EXPECT_TRUE(Item("mail", xhtMail, "ignored", "someone@example.invalid")->Execute());
    EXPECT_EQ(Recorded(2).at(3), "mailto:someone@example.invalid");
    EXPECT_TRUE(Item("web", xhtWeb, "ignored", "https://example.invalid/?a=1&b=2")->Execute());
    EXPECT_EQ(Recorded(3).at(5), "https://example.invalid/?a=1&b=2");
    EXPECT_EQ(FHooks.Log, (std::vector<String>{"handle exe owner", "handle mail owner", "handle web owner"}));
    TXHitItem* Loose = TXHitItem::Create(nullptr);
    Loose->SetHit(xhtCustom);
    EXPECT_FALSE(Loose->Execute()) << "no collection, no hooks";
    Loose->Free();
}

}  // namespace
