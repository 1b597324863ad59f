// The core application as the source of time: the system clock, and a test clock put in its place.
#include "XCore.App.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <time.h>

#include <cmath>
#include <ctime>
#include <vector>

#include "Rtl.DateUtils.h"
#include "Vcl.Application.h"
#include "Vcl.TestLoop.h"
#include "XCore.Engine.Aspects.h"

namespace {

// A clock that stands still where the test puts it.
class TFixedClockApp : public TXNVCoreApp {
    X_CLASS(TFixedClockApp, TXNVCoreApp)
public:
    TDateTime Now() override { return FNow; }
    TDateTime UtcNow() override { return FNow - 1.0 / 24; }
    void GetTickStamp(uint32_t& AStamp) override { AStamp = FTicks; }

    TDateTime FNow = 0;
    uint32_t FTicks = 0;

protected:
    TFixedClockApp() = default;
};

class CoreAppTest : public ::testing::Test {
protected:
    void TearDown() override { SetNVCoreApp(nullptr); }
};

TEST_F(CoreAppTest, DateAndTimeFollowTheInstalledClock)
{
    auto* App = TFixedClockApp::Create();
    SetNVCoreApp(App);
    ASSERT_EQ(NVCoreApp(), App);
    App->FNow = EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 30, 250);
    EXPECT_EQ(double(NVCoreApp()->Date()), double(EncodeDate(2024, 2, 29)));
    // The time part of a date-time keeps well under a millisecond of precision.
    const double kMillisecond = 1.0 / 86400000;
    EXPECT_NEAR(double(NVCoreApp()->Time()), double(EncodeTime(23, 59, 30, 250)), kMillisecond / 10);
    EXPECT_NEAR(double(NVCoreApp()->UtcNow()), double(EncodeDate(2024, 2, 29) + EncodeTime(22, 59, 30, 250)),
                kMillisecond / 10);
}

TEST_F(CoreAppTest, ElapsedTicksSurviveTheCounterWrapping)
{
    auto* App = TFixedClockApp::Create();
    SetNVCoreApp(App);
    const struct {
        uint32_t Stamp, Now, Elapsed;
    } Cases[] = {{100, 350, 250}, {0xFFFFFF00u, 0x10, 0x110}, {7, 7, 0}};
    for (auto Case : Cases) {
        App->FTicks = Case.Stamp;
        uint32_t Stamp = 0;
        App->GetTickStamp(Stamp);
        App->FTicks = Case.Now;
        App->GetTickElapsed(Stamp);
        EXPECT_EQ(Stamp, Case.Elapsed);
    }
}

TEST_F(CoreAppTest, TheSystemClockGivesLocalAndUniversalTime)
{
    SetNVCoreApp(TXNVCoreApp::Create());
    TXNVCoreApp* App = NVCoreApp();
    double Date = App->Date();
    EXPECT_EQ(Date, std::trunc(Date));
    double Time = App->Time();
    EXPECT_GE(Time, 0);
    EXPECT_LT(Time, 1);
    std::time_t Seconds = std::time(nullptr);
    std::tm Local{};
    localtime_r(&Seconds, &Local);
    double OffsetDays = double(Local.tm_gmtoff) / 86400;
    EXPECT_NEAR(double(App->Now()) - double(App->UtcNow()), OffsetDays, 2.0 / 86400);
}

// ---- The application engine --------------------------------------------------------------

struct TListener {
    std::vector<String> Heard;
    std::vector<UINT> Messages;

    void Hear(IXNotification* ANotification) { Heard.push_back(ANotification->GetAspect()->ClassName()); }
    void HookA(TMessage& AMessage) { Messages.push_back(AMessage.Msg); }
    void HookB(TMessage& AMessage) { Messages.push_back(AMessage.Msg + 1000); }
};

class AppEngineTest : public CoreAppTest {
protected:
    void SetUp() override
    {
        SetNVCoreApp(TXNVCoreApp::Create());
        Engine = NVCoreApp()->Engine();
        Engine->SubscribeAll(TXNotificationHandler::Bind<&TListener::Hear>(&Listener));
    }

    TXAppEngine* Engine = nullptr;
    TListener Listener;
};

TEST_F(AppEngineTest, WindowHooksAreListedOnceAndSeeEveryMessageInOrder)
{
    TWndMethod A = TWndMethod::Bind<&TListener::HookA>(&Listener);
    TWndMethod B = TWndMethod::Bind<&TListener::HookB>(&Listener);
    EXPECT_EQ(Engine->AddWindowHook(A), 0);
    EXPECT_EQ(Engine->AddWindowHook(B), 1);
    EXPECT_EQ(Engine->AddWindowHook(A), 0);
    SendMessageW(Engine->GetHandle(), WM_USER, 0, 0);
    EXPECT_EQ(Listener.Messages, (std::vector<UINT>{WM_USER, WM_USER + 1000}));

    EXPECT_EQ(Engine->RemoveWindowHook(A), 0);
    EXPECT_EQ(Engine->RemoveWindowHook(A), -1);
    Listener.Messages.clear();
    SendMessageW(Engine->GetHandle(), WM_USER, 0, 0);
    EXPECT_EQ(Listener.Messages, std::vector<UINT>{WM_USER + 1000});
}

TEST_F(AppEngineTest, TheApplicationEndsOnce)
{
    EXPECT_FALSE(NVCoreApp()->Terminated());
    SendMessageW(Engine->GetHandle(), WM_QUIT, 0, 0);
    SendMessageW(Engine->GetHandle(), WM_QUIT, 0, 0);
    NVCoreApp()->NotifyTerminated();
    EXPECT_TRUE(NVCoreApp()->Terminated());
    EXPECT_EQ(Listener.Heard, std::vector<String>{"TXAppTerminatedAspect"});
}

TEST_F(AppEngineTest, ATimeChangeIsToldAtOnceWithoutTheQueue)
{
    SendMessageW(Engine->GetHandle(), WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(Listener.Heard, std::vector<String>{"TXSystemTimeChangedAspect"});
}

TEST_F(AppEngineTest, SettingTheSystemClockReachesTheObserversOnTheEngineThread)
{
    // Setting the machine's clock is opt-in: a test run must not touch the host's time.
    if (std::getenv("X_ALLOW_CLOCK_SET") == nullptr)
        GTEST_SKIP() << "set X_ALLOW_CLOCK_SET=1 to let this test set the system clock";
    timespec Now{};
    clock_gettime(CLOCK_REALTIME, &Now);
    if (clock_settime(CLOCK_REALTIME, &Now) != 0)
        GTEST_SKIP() << "setting the clock is not permitted here";
    ASSERT_TRUE(PumpUntil("the clock change", [&] { return !Listener.Heard.empty(); }));
    EXPECT_EQ(Listener.Heard, std::vector<String>{"TXSystemTimeChangedAspect"});
}

}  // namespace
