// The screen's monitors and DPI on the headless display.
#include "Vcl.Screen.h"

#include <gtest/gtest.h>

#include "Display.Headless.h"
#include "Rtl.SysUtils.h"

namespace {

TEST(ScreenTest, MonitorsFollowTheDisplayAndThePrimaryIsFound)
{
    TXHeadlessDisplay* Display = HeadlessDisplay();
    ASSERT_NE(Display, nullptr);
    EXPECT_EQ(Screen->PixelsPerInch(), 96);
    ASSERT_EQ(Screen->MonitorCount(), 1);
    EXPECT_EQ(Screen->PrimaryMonitor(), Screen->Monitors(0));
    EXPECT_EQ(Screen->Width(), 1920);

    Display->SetMonitors({
        TXMonitor{"A", "Card", Rect(0, 0, 1280, 1024), Rect(0, 0, 1280, 984), false, 96},
        TXMonitor{"B", "Card", Rect(1280, 0, 3840, 1440), Rect(1280, 0, 3840, 1440), true, 144},
    });
    ASSERT_EQ(Screen->MonitorCount(), 2);
    TMonitor* Primary = Screen->PrimaryMonitor();
    ASSERT_NE(Primary, nullptr);
    EXPECT_EQ(Primary->MonitorNum(), 1);
    EXPECT_EQ(Primary->Left(), 1280);
    EXPECT_EQ(Primary->Width(), 2560);
    EXPECT_EQ(Primary->PixelsPerInch(), 144);
    EXPECT_EQ(Screen->Monitors(0)->WorkareaRect(), Rect(0, 0, 1280, 984));
    EXPECT_EQ(Screen->Monitors(0)->Handle(), MonitorFromPoint(Point(10, 10), MONITOR_DEFAULTTONULL));
    EXPECT_EQ(Screen->Width(), 2560);
    EXPECT_EQ(Screen->Monitors(1), Primary);   // unchanged monitors keep their objects
    EXPECT_THROW(Screen->Monitors(2), EListError);

    Screen->SetPixelsPerInch(120);
    EXPECT_EQ(Screen->PixelsPerInch(), 120);
    Screen->SetPixelsPerInch(96);
    Display->Reset();
    EXPECT_EQ(Screen->MonitorCount(), 1);
}

}  // namespace
