// Worker progress: sections nest on 0..1000, the bar never moves back, and a finished section
// hands its end to its parent.
#include "XCore.Engine.WorkerProgress.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "XCore.Engine.Notifications.h"

namespace {

struct TSent {
    std::vector<int32_t> Positions;
    void Hear(IXNotification* ANotification)
    {
        Positions.push_back(AspectOf<TXProgressChangedAspect>(ANotification)->Position);
    }
};

struct TProgressCase {
    const char* Name;
    std::function<void(IXProgress&)> Steps;
    std::vector<int32_t> Sent;
};

const TProgressCase kCases[] = {
    {"PercentAndFinishAtTheRoot", [](IXProgress& P) { P.SetPercent(50); P.Finish(); }, {500, 1000}},
    {"SubRangeEndsAtItsShare",
     [](IXProgress& P) {
         P.BeginSubRange("read", 35);
         P.SetPercent(100);
         P.Finish();
         P.BeginSubRange(15);
         P.SetPercent(50);
         P.Finish();
     },
     {350, 425, 500}},
    {"NeverBackButTo0", [](IXProgress& P) { P.SetPerMille(500); P.SetPerMille(400); P.SetPerMille(0); P.SetPerMille(100); }, {500, 0, 100}},
    {"StepRangeCoversOneStep",
     [](IXProgress& P) {
         P.SetStepCount(10);
         P.StepBy(2);
         P.BeginStepRange("file");
         P.SetPercent(50);
         P.Finish();
     },
     {200, 250, 300}},
    {"NestedSectionsFinishIntoTheirParents",
     [](IXProgress& P) {
         P.BeginSubRange(50);      // 0..500
         P.SetStepCount(4);
         P.StepIt();               // 125
         P.BeginStepRange();       // 125..250
         P.BeginSubRange(40);      // 125..175
         P.Finish();               // 175
         P.Finish();               // 250
         P.Finish();               // 500
     },
     {125, 175, 250, 500}},
    {"AddStepsKeepsTheBarStill",
     [](IXProgress& P) {
         P.SetStepCount(4);
         P.StepIt();               // 250
         P.AddSteps(4);            // 2 of 8
         P.StepIt();               // 375
     },
     {250, 375}},
};

class WorkerProgressTest : public ::testing::TestWithParam<TProgressCase> {};

TEST_P(WorkerProgressTest, SendsThePositionsOfItsSections)
{
    TXWorkerProgress* Progress = TXWorkerProgress::Create(rcmInterlocked, TIntf<IXEngine>());
    TIntf<IXProgress> Held(Progress);
    TSent Sent;
    Progress->Subscribe(TXProgressChangedAspect::StaticClass(), TXNotificationHandler::Bind<&TSent::Hear>(&Sent));
    GetParam().Steps(*Held.Get());
    EXPECT_EQ(Sent.Positions, GetParam().Sent);
}

INSTANTIATE_TEST_SUITE_P(Cases, WorkerProgressTest, ::testing::ValuesIn(kCases),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(WorkerProgressResetTest, ResetStartsAgainFromTheRoot)
{
    TXWorkerProgress* Progress = TXWorkerProgress::Create(rcmInterlocked, TIntf<IXEngine>());
    TIntf<IXProgress> Held(Progress);
    Progress->BeginSubRange("scan", 50);
    Progress->SetPercent(100);
    Progress->Reset();
    EXPECT_EQ(Progress->GetPosition(), 0);
    EXPECT_EQ(Progress->Current(), Progress->Root());
    EXPECT_EQ(Progress->Root()->Child(), nullptr);
    Progress->SetPercent(10);
    EXPECT_EQ(Progress->GetPosition(), 100);
}

}  // namespace
