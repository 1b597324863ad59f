// The timer component on an installed clock: when it fires, and what stops it.
#include "Vcl.Timers.h"

#include <gtest/gtest.h>

#include "Vcl.Application.h"

namespace {

uint64_t GNow = 0;

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GNow = 5000;
        SetTimerClock([] { return GNow; });
        FTimer = TTimer::Create(nullptr);
        FTimer->SetInterval(100);
    }
    void TearDown() override
    {
        FTimer->Free();
        SetTimerClock(nullptr);
    }
    // Moves the clock and answers how often the timer fired on the way.
    int Advance(uint64_t AMilliseconds)
    {
        int Before = FFired;
        for (uint64_t Step = 0; Step < AMilliseconds; Step += 10) {
            GNow += 10;
            Application->ProcessMessages();
        }
        return FFired - Before;
    }
public:
    void Fire(TObject*) { ++FFired; }

protected:
    TTimer* FTimer = nullptr;
    int FFired = 0;
};

TEST_F(TimerTest, FiresEveryIntervalOnlyWhileEnabledWithAHandler)
{
    EXPECT_EQ(Advance(300), 0) << "no handler";
    FTimer->SetOnTimer(TNotifyEvent::Bind<&TimerTest::Fire>(this));
    EXPECT_EQ(Advance(90), 0);
    EXPECT_EQ(Advance(210), 3);
    FTimer->SetEnabled(false);
    EXPECT_EQ(Advance(300), 0);
    FTimer->SetEnabled(true);
    FTimer->SetInterval(0);
    EXPECT_EQ(Advance(300), 0);
    FTimer->SetInterval(50);
    EXPECT_EQ(Advance(100), 2);
}

}  // namespace
