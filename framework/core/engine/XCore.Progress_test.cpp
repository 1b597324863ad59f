// Progress ranges: the absolute positions nested ranges report, the manager's forward-only
// rule, and delivery through the gear's engine on the engine's thread.
#include "XCore.Progress.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "Vcl.Application.h"
#include "XCore.Engine.Notifications.h"

using namespace XCore::Engine;

namespace {

// Records every position, section and style the gear delivers.
struct TDisplay {
    std::vector<int32_t> Positions;
    std::vector<String> Sections;
    std::vector<int> Styles;
    std::vector<TThreadID> Threads;

    void Hear(IXNotification* ANotification)
    {
        Threads.push_back(GetCurrentThreadId());
        if (auto* Changed = AspectOf<TXProgressChangedAspect>(ANotification))
            Positions.push_back(Changed->Position);
        else if (auto* Section = AspectOf<TXProgressSectionChangedAspect>(ANotification))
            Sections.push_back(Section->Text);
        else if (auto* Style = AspectOf<TXProgressStyleChangedAspect>(ANotification))
            Styles.push_back(Style->Style);
    }
};

class ProgressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Gear = TXProgressGear::Create(Engine);
        Gear->Subscribe(TXProgressAspect::StaticClass(), TXNotificationHandler::Bind<&TDisplay::Hear>(&Display));
        Manager = Gear->Manager();
        Root = Manager->Start("Reading");
    }
    void TearDown() override { Gear->Free(); }

    TIntf<IXEngine> Engine;   // none: the gear notifies at once
    TXProgressGear* Gear = nullptr;
    TXProgressManager* Manager = nullptr;
    TXProgress* Root = nullptr;
    TDisplay Display;
};

TEST_F(ProgressTest, StartSendsSectionAndStyle)
{
    EXPECT_EQ(Display.Sections, std::vector<String>{"Reading"});
    EXPECT_EQ(Display.Styles, std::vector<int>{0});
    EXPECT_TRUE(Display.Positions.empty());   // 0 was the last position sent
    Manager->SetSection("Reading");
    Manager->SetStyle(0);
    Manager->SetSection("Writing");
    Manager->SetStyle(1);
    EXPECT_EQ(Display.Sections, (std::vector<String>{"Reading", "Writing"}));
    EXPECT_EQ(Display.Styles, (std::vector<int>{0, 1}));
    EXPECT_TRUE(Manager->Running());
    Manager->Terminate();
    EXPECT_FALSE(Manager->Running());
}

TEST_F(ProgressTest, PositionsOnlyMoveForward)
{
    Root->SetPosition(500);
    Root->SetPosition(400);
    EXPECT_EQ(Root->Position(), 400u);
    EXPECT_EQ(Manager->GetPosition(), 500);
    Root->SetPosition(0);   // 0 always goes through: a new run starts from the left
    EXPECT_EQ(Display.Positions, (std::vector<int32_t>{500, 0}));
}

TEST_F(ProgressTest, SubRangesShareTheParentsRange)
{
    TXProgress* Transfer = Root->BeginSubRange(98);
    EXPECT_EQ(Transfer->Base(), 0);
    EXPECT_EQ(Transfer->Span(), 980);
    EXPECT_EQ(Transfer->EndPosition(), 980u);
    EXPECT_EQ(Manager->Current(), Transfer);
    Transfer->SetPercent(50);
    TXProgress* Processing = Root->BeginSubRange(2);   // finishes the transfer first
    EXPECT_EQ(Root->Position(), 980u);
    EXPECT_EQ(Processing->Base(), 980);
    EXPECT_EQ(Processing->Span(), 20);
    EXPECT_EQ(Root->BeginSubRange(200)->Span(), 720);   // 200 is taken as 72
    EXPECT_EQ(Root->Child()->EndPosition(), 1000u + 720);
    EXPECT_EQ(Display.Positions, (std::vector<int32_t>{490, 980, 1000}));
}

TEST_F(ProgressTest, StepRangesCoverOneStep)
{
    Root->SetStepCount(10);
    Root->SetPosition(5);
    TXProgress* Step = Root->BeginStepRange();
    EXPECT_EQ(Step->Base(), 500);
    EXPECT_EQ(Step->Span(), 100);
    EXPECT_EQ(Step->EndPosition(), 6u);
    Step->SetPosition(500);
    EXPECT_EQ(Manager->GetPosition(), 550);
    Step->Finish();
    EXPECT_EQ(Root->Position(), 6u);
    EXPECT_EQ(Manager->Current(), Root);
    EXPECT_EQ(Display.Positions, (std::vector<int32_t>{500, 550, 600}));
}

TEST_F(ProgressTest, StepCountsClampWithoutAReport)
{
    Root->SetPosition(5);
    Root->SetStepCount(0);
    EXPECT_EQ(Root->Count(), 1000u);
    Root->SetStepCount(3);
    EXPECT_EQ(Root->Count(), 3u);
    EXPECT_EQ(Root->Position(), 3u);
    EXPECT_EQ(Display.Positions.size(), 1u);
}

TEST_F(ProgressTest, PositionsRoundHalvesToEvenWith64BitProducts)
{
    const struct {
        uint32_t Count, Position;
        int32_t Expected;
    } Cases[] = {
        {16, 1, 62},     // 62.5
        {16, 3, 188},    // 187.5
        {16, 5, 312},    // 312.5
        {4000000000u, 3000000000u, 750},    // 1000 × 3e9 needs more than 32 bits
        {4000000000u, 4000000000u, 1000},
    };
    for (auto Case : Cases) {
        TXProgress* Range = Manager->Start("Case");
        Manager->SetPosition(0);
        Range->SetStepCount(Case.Count);
        Range->SetPosition(Case.Position);
        EXPECT_EQ(Manager->GetPosition(), Case.Expected) << Case.Count << " " << Case.Position;
    }
}

TEST_F(ProgressTest, FinishingTheRootSetsTheEndWithoutASecondReport)
{
    Root->BeginSubRange(50)->SetPosition(1000);
    Root->Finish();
    EXPECT_EQ(Manager->GetPosition(), 1000);
    EXPECT_EQ(Manager->Current(), nullptr);
    EXPECT_EQ(Display.Positions, (std::vector<int32_t>{500, 1000}));
    Manager->Start("Again");   // the finished run's position stays until a 0 is set
    EXPECT_EQ(Manager->GetPosition(), 1000);
}

TEST(ProgressEngineTest, AWorkerThreadsProgressArrivesOnTheEngineThread)
{
    auto* Engine = TXEngine::Create();
    auto* Gear = TXProgressGear::Create(TIntf<IXEngine>(Engine));
    TDisplay Display;
    Gear->Subscribe(TXProgressAspect::StaticClass(), TXNotificationHandler::Bind<&TDisplay::Hear>(&Display));
    std::thread([&] {
        TXProgress* Root = Gear->Manager()->Start("Scan");
        for (int Part = 0; Part < 4; ++Part)
            Root->BeginSubRange(25)->SetPercent(100);
        Root->Finish();
    }).join();
    EXPECT_TRUE(Display.Threads.empty());
    Application->ProcessMessages();
    EXPECT_EQ(Display.Sections, std::vector<String>{"Scan"});
    EXPECT_EQ(Display.Positions, (std::vector<int32_t>{250, 500, 750, 1000}));
    for (TThreadID Thread : Display.Threads)
        EXPECT_EQ(Thread, GetCurrentThreadId());
    Gear->Free();
    Engine->Free();
}

}  // namespace
