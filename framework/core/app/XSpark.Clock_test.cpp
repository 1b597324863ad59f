// The application clock on a test clock in a zone one hour east of UTC: the order of its
// notifications over a minute, an hour, midnight and a change of the system time, and the gears.
#include "XSpark.Clock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "Rtl.DateUtils.h"
#include "Win.TestEnvironment.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Engine.Notifications.h"
#include "XCore.TestClock.h"

namespace {

const TDateTime kDay = EncodeDate(2024, 2, 29);   // a Thursday

TDateTime At(int AHour, int AMinute, int ASecond, TDateTime ADay = kDay)
{
    return ADay + EncodeTime(AHour, AMinute, ASecond, 0);
}

String TimeText(TDateTime ATime)
{
    uint16_t H, M, S, MS;
    DecodeTime(ATime, H, M, S, MS);
    char Text[24];
    std::snprintf(Text, sizeof Text, "%02d:%02d:%02d", H, M, S);
    return Text;
}

// What the clock's observers hear, one token each: "changed", "601@10:01:30" for an exact
// minute, "day", "hour", "minute", "tick".
struct TClockListener {
    std::vector<String> Heard;
    void Hear(IXNotification* ANotification)
    {
        TObject* Aspect = ANotification->GetAspect();
        if (auto* Exact = AsOrNull<TXTimeExactMinuteAspect>(Aspect))
            Heard.push_back(std::to_string(Exact->Count) + "@" + TimeText(Exact->Time));
        else if (Aspect->Is<TXTimeChangedAspect>())
            Heard.push_back("changed");
        else if (Aspect->Is<TXTimeDayAspect>())
            Heard.push_back("day");
        else if (Aspect->Is<TXTimeHourAspect>())
            Heard.push_back("hour");
        else if (Aspect->Is<TXTimeMinuteAspect>())
            Heard.push_back("minute");
        else if (Aspect->Is<TXTimeTickAspect>())
            Heard.push_back("tick");
    }
};

class ClockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FHome.Set("TZ", "XST-1");
        ResetTimeZone();
        FTime = TXTestClockApp::Create();
        SetNVCoreApp(FTime);
    }
    void TearDown() override
    {
        StopAppClock();
        SetNVCoreApp(nullptr);
    }
    // Starts the clock at AStart (local time) with the listener on its observable.
    void StartAt(TDateTime AStart)
    {
        FTime->SetLocal(AStart);
        StartAppClock();
        AppClock()->Observable()->Subscribe(TXTimeAspect::StaticClass(),
                                            TXNotificationHandler::Bind<&TClockListener::Hear>(&FListener));
    }
    std::vector<String> TickAt(TDateTime ALocal)
    {
        FListener.Heard.clear();
        FTime->SetLocal(ALocal);
        AppClock()->Tick();
        return FListener.Heard;
    }

    TTestHome FHome;
    TXTestClockApp* FTime = nullptr;   // owned as the core application
    TClockListener FListener;
};

TEST_F(ClockTest, TicksSendEveryMinuteThatPassedInOrder)
{
    using TTokens = std::vector<String>;
    struct TCase {
        const char* Name;
        TDateTime From, To;
        TTokens Expected;
    };
    const TCase kCases[] = {
        {"SameMinute", At(10, 0, 10), At(10, 0, 50), {"tick"}},
        {"ThreeMinutesOn", At(10, 0, 30), At(10, 3, 5),
         {"changed", "601@10:01:30", "602@10:02:30", "603@10:03:30", "minute", "tick"}},
        {"FullHour", At(10, 59, 40), At(11, 0, 2), {"changed", "660@11:00:40", "hour", "minute", "tick"}},
        {"Midnight", At(23, 58, 20), At(0, 1, 10, kDay + 1),
         {"changed", "1439@23:59:20", "day", "0@00:00:00", "1@00:01:00", "minute", "tick"}},
        {"MidnightOnTheHour", At(23, 59, 0), At(0, 0, 1, kDay + 1),
         {"changed", "day", "0@00:00:00", "hour", "minute", "tick"}},
        {"SetBackSameDay", At(10, 30, 0), At(10, 10, 0), {"changed", "minute", "tick"}},
    };
    for (const TCase& C : kCases) {
        StartAt(C.From);
        EXPECT_EQ(TickAt(C.To), C.Expected) << C.Name;
        EXPECT_EQ(TickAt(C.To), TTokens{"tick"}) << C.Name;   // the next tick in that minute
        StopAppClock();
    }
}

TEST_F(ClockTest, ALongPauseCatchesUpTheRestOfTheLastDayAndTheNewOne)
{
    StartAt(At(22, 0, 0));
    std::vector<String> Heard = TickAt(At(1, 0, 0, kDay + 3));
    ASSERT_EQ(Heard.size(), 1u + 119 + 1 + 61 + 3);
    EXPECT_EQ(Heard[1], "1321@22:01:00");
    EXPECT_EQ(Heard[119], "1439@23:59:00");
    EXPECT_EQ(Heard[120], "day");
    EXPECT_EQ(Heard[121], "0@00:00:00");
    EXPECT_EQ(Heard[181], "60@01:00:00");
}

TEST_F(ClockTest, FieldsHoldTheLocalTime)
{
    StartAt(At(9, 17, 45));
    TickAt(At(23, 30, 15, kDay + 2));   // Saturday
    const TXNVClock* Clock = AppClock();
    const TXDateTimeRecord& T = Clock->LocalTime();
    EXPECT_EQ((std::vector<int>{T.Year, T.Month, T.Day, T.DayOfWeek, T.Hour, T.Minute, T.Second}),
              (std::vector<int>{2024, 3, 2, 6, 23, 30, 15}));
    const double Second = 1 / SecsPerDay;
    EXPECT_NEAR(Clock->LocalNow(), At(23, 30, 15, kDay + 2), Second / 100);
    EXPECT_NEAR(Clock->UtcNow(), At(22, 30, 15, kDay + 2), Second / 100);
    EXPECT_NEAR(Clock->UtcBias(), -1.0 / 24, Second / 100);
    EXPECT_NEAR(Clock->StartTime(), At(9, 17, 45), Second / 100);
    EXPECT_EQ(GetClockStartMinute(), 17);
    EXPECT_EQ(Clock->LastMinute(), 23 * 60 + 30);
}

TEST_F(ClockTest, ASystemTimeChangeReadsTheZoneAgainAndTicksAtOnce)
{
    StartAt(At(10, 0, 30));
    FListener.Heard.clear();
    FHome.Set("TZ", "XST-2");   // the same instant is now an hour later here
    SendMessageW(NVCoreApp()->Engine()->GetHandle(), WM_TIMECHANGE, 0, 0);
    std::vector<String> Heard = FListener.Heard;
    ASSERT_EQ(Heard.size(), 1u + 60 + 3);
    EXPECT_EQ(Heard.front(), "changed");
    EXPECT_EQ(Heard[60], "660@11:00:30");
    EXPECT_EQ(std::vector<String>(Heard.end() - 3, Heard.end()), (std::vector<String>{"hour", "minute", "tick"}));
    EXPECT_EQ(AppClock()->LocalTime().Hour, 11);
}

TEST_F(ClockTest, AHandlerThatPumpsMessagesGetsNoSecondRoundOfTheSameMinutes)
{
    StartAt(At(10, 0, 0));
    struct TPumpingHandler {
        int Calls = 0;
        void Hear(IXNotification*)
        {
            ++Calls;
            AppClock()->Tick();   // as a message box's loop would, when the timer comes due
        }
    } Handler;
    AppClock()->Observable()->Subscribe(TXTimeExactMinuteAspect::StaticClass(),
                                        TXNotificationHandler::Bind<&TPumpingHandler::Hear>(&Handler));
    EXPECT_EQ(TickAt(At(10, 2, 0)), (std::vector<String>{"changed", "601@10:01:00", "602@10:02:00", "minute", "tick"}));
    EXPECT_EQ(Handler.Calls, 2);
}

// ---- Gears ---------------------------------------------------------------------------------

struct TGearListener {
    std::vector<String> Heard;
    void ExactMinute(TObject*, TDateTime ATime, uint16_t AMinOfDay)
    {
        Heard.push_back(std::to_string(AMinOfDay) + "@" + TimeText(ATime));
    }
    void Minute(TObject*) { Heard.push_back("minute"); }
    void Hour(TObject*) { Heard.push_back("hour"); }
    void Day(TObject*) { Heard.push_back("day"); }
    void Changed(TObject*) { Heard.push_back("changed"); }
    void Tick(TObject*, bool ATick) { Heard.push_back(ATick ? "tick+" : "tick-"); }
};

void WireAll(TXClockGear* AGear, TGearListener& AListener)
{
    AGear->SetOnExactMinute(TXDateTimeEvent::Bind<&TGearListener::ExactMinute>(&AListener));
    AGear->SetOnMinute(TNotifyEvent::Bind<&TGearListener::Minute>(&AListener));
    AGear->SetOnHour(TNotifyEvent::Bind<&TGearListener::Hour>(&AListener));
    AGear->SetOnDay(TNotifyEvent::Bind<&TGearListener::Day>(&AListener));
    AGear->SetOnChanged(TNotifyEvent::Bind<&TGearListener::Changed>(&AListener));
    AGear->SetOnTick(TXTickEvent::Bind<&TGearListener::Tick>(&AListener));
}

TEST_F(ClockTest, GearsAreSilentUntilStartedThenFollowTheClock)
{
    StartAt(At(10, 59, 30));
    TGearListener Listener;
    auto Gear = Owned(TXClockGear::Create(nullptr));
    WireAll(Gear.get(), Listener);
    TickAt(At(10, 59, 50));
    EXPECT_TRUE(Listener.Heard.empty());

    Gear->Start();   // the hour is not among what Start fires
    EXPECT_EQ(Listener.Heard, (std::vector<String>{"day", "659@10:59:50", "minute", "changed", "tick+"}));
    Listener.Heard.clear();
    TickAt(At(11, 0, 5));
    EXPECT_EQ(Listener.Heard, (std::vector<String>{"changed", "660@11:00:30", "hour", "minute", "tick-"}));

    Gear->SetOnMinute(nullptr);
    Gear->SetOnExactMinute(nullptr);
    Listener.Heard.clear();
    TickAt(At(11, 1, 5));
    EXPECT_EQ(Listener.Heard, (std::vector<String>{"changed", "tick+"}));
}

TEST_F(ClockTest, AGearMayOutliveTheClock)
{
    StartAt(At(8, 0, 0));
    TGearListener Listener;
    auto Gear = Owned(TXClockGear::Create(nullptr));
    WireAll(Gear.get(), Listener);
    Gear->Start();
    StopAppClock();
    Gear.reset();
    EXPECT_EQ(Listener.Heard.size(), 5u);
}

// ---- The elapsed-days gear ----------------------------------------------------------------

// Keeps its date in a field and logs what the base asks: "confirm", "set -20" (days from kDay),
// "run".
class TDaysProbe : public TXElapsedDaysGear {
    X_CLASS(TDaysProbe, TXElapsedDaysGear)
public:
    TDateTime LastDate = 0;
    bool Answer = true;
    std::vector<String> Log;

protected:
    TDaysProbe() = default;
    TDateTime GetLastDate() override { return LastDate; }
    void SetLastDate(TDateTime ADate) override
    {
        LastDate = ADate;
        Log.push_back("set " + std::to_string(static_cast<int>(ADate - kDay)));
    }
    bool Confirm() override
    {
        Log.push_back("confirm");
        return Answer;
    }
    void Run() override { Log.push_back("run"); }
};

class ElapsedDaysTest : public ClockTest {
protected:
    // Starts the clock at 9:00 on kDay and the probe with its last date ALastDays from kDay.
    void StartProbe(int ALastDays, bool AAnswer)
    {
        StartAt(At(9, 0, 0));
        FProbe = Owned(TDaysProbe::Create(nullptr));
        FProbe->LastDate = kDay + ALastDays;
        FProbe->Answer = AAnswer;
        FProbe->Start();
    }
    // Ticks through the minutes 9:01 ... 9:AMinutes of day ADay.
    void MinutesOn(int ADay, int AMinutes)
    {
        for (int M = 1; M <= AMinutes; ++M)
            TickAt(At(9, M, 0, kDay + ADay));
    }

    TOwned<TDaysProbe> FProbe;
};

TEST_F(ElapsedDaysTest, AfterTheDelayTheDateDecidesWhetherToAskAndWhatIsStored)
{
    using TLog = std::vector<String>;
    struct TCase {
        const char* Name;
        int LastDays;
        bool Answer;
        TLog Expected;
    } const kCases[] = {
        {"Recent", -29, true, {}},
        {"DueAndConfirmed", -30, true, {"confirm", "set 0", "run"}},
        {"NeverRun", -45000, true, {"confirm", "set 0", "run"}},
        {"DeclinedAsksAgainInTenDays", -30, false, {"confirm", "set -20"}},
        {"AheadOfToday", 3, true, {"confirm", "set 0", "run"}},
    };
    for (const TCase& C : kCases) {
        StartProbe(C.LastDays, C.Answer);
        MinutesOn(0, 4);
        EXPECT_TRUE(FProbe->Log.empty()) << C.Name << ": the delay is five minutes";
        MinutesOn(0, 10);
        EXPECT_EQ(FProbe->Log, C.Expected) << C.Name;
        EXPECT_FALSE(FProbe->Armed()) << C.Name;
        FProbe.reset();
        StopAppClock();
    }
}

TEST_F(ElapsedDaysTest, EachNewDayLooksAgainAfterTheDelay)
{
    StartProbe(-30, false);
    MinutesOn(0, 5);
    EXPECT_EQ(FProbe->Log, (std::vector<String>{"confirm", "set -20"}));
    FProbe->Log.clear();
    for (int Day = 1; Day < 10; ++Day)
        MinutesOn(Day, 6);
    EXPECT_TRUE(FProbe->Log.empty());
    FProbe->Answer = true;
    MinutesOn(10, 6);
    EXPECT_EQ(FProbe->Log, (std::vector<String>{"confirm", "set 10", "run"}));

    FProbe->SetDelay(2);
    FProbe->LastDate = 0;
    FProbe->Log.clear();
    TickAt(At(10, 1, 0, kDay + 10));
    EXPECT_EQ(FProbe->Countdown(), 1);
    TickAt(At(10, 2, 0, kDay + 10));
    EXPECT_EQ(FProbe->Log, (std::vector<String>{"confirm", "set 10", "run"}));
    FProbe.reset();   // its subscriptions go with it
    TickAt(At(10, 3, 0, kDay + 11));
}

}  // namespace
