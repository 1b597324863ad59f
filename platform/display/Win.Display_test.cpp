// The screen's Windows calls on the headless display: monitors and their fallbacks, metrics at
// several DPIs, our windows beside other programs', foreground and popups.
#include "Win.Display.h"

#include <gtest/gtest.h>

#include "Display.Headless.h"

namespace {

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(HeadlessDisplay(), nullptr) << "tests run on the headless display (NV_DISPLAY=headless)";
        HeadlessDisplay()->Reset();
    }
    void TearDown() override
    {
        for (HWND Wnd : FWindows)
            DestroyWindow(Wnd);
        HeadlessDisplay()->Reset();
        EXPECT_EQ(SetProcessDpiAwareness(PROCESS_PER_MONITOR_DPI_AWARE), S_OK);
    }
    HWND NewWindow(const String& AClassName, const String& ACaption, HWND AOwner = nullptr,
                   TRect ABounds = Rect(10, 10, 110, 60))
    {
        FWindows.push_back(CreateTopLevelWindow(AClassName, ACaption, AOwner, ABounds, TWndMethod()));
        return FWindows.back();
    }
    static void TwoMonitors()
    {
        HeadlessDisplay()->SetMonitors({
            TXMonitor{"Left", "Card", Rect(0, 0, 1920, 1080), Rect(0, 0, 1920, 1040), false, 96},
            TXMonitor{"Right", "Card", Rect(1920, 0, 3200, 1024), Rect(1920, 0, 3200, 1024), true, 144},
        });
    }

    std::vector<HWND> FWindows;
};

std::vector<HWND> AllWindows()
{
    std::vector<HWND> Result;
    EnumWindows([](HWND AWnd, LPARAM AList) {
        reinterpret_cast<std::vector<HWND>*>(AList)->push_back(AWnd);
        return true;
    }, reinterpret_cast<LPARAM>(&Result));
    return Result;
}

int MonitorIndex(HMONITOR AMonitor)
{
    std::vector<HMONITOR> All = EnumDisplayMonitors();
    auto Found = std::find(All.begin(), All.end(), AMonitor);
    return Found == All.end() ? -1 : static_cast<int>(Found - All.begin());
}

TEST_F(DisplayTest, DefaultScreenIsOneFullHdMonitorAt96Dpi)
{
    EXPECT_STREQ(DisplayBackend().Name(), "headless");
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
    EXPECT_EQ(GetScreenLogicalDpi(), (TXDpi{96, 96}));
    TXMonitor Info;
    ASSERT_TRUE(GetMonitorInfoW(EnumDisplayMonitors().front(), Info));
    EXPECT_TRUE(Info.Primary);
    EXPECT_EQ(Info.WorkArea, Rect(0, 0, 1920, 1080));
    EXPECT_FALSE(GetMonitorInfoW(nullptr, Info));
}

TEST_F(DisplayTest, MonitorsAreFoundByPlaceWithTheFallbackTheFlagsAskFor)
{
    TwoMonitors();
    struct TCase {
        TPoint At;
        uint32_t Flags;
        int Expected;   // -1: none
    } const kCases[] = {
        {{5, 5}, MONITOR_DEFAULTTONULL, 0},
        {{1920, 1000}, MONITOR_DEFAULTTONULL, 1},
        {{2500, 1050}, MONITOR_DEFAULTTONULL, -1},       // below the shorter right monitor
        {{2500, 1050}, MONITOR_DEFAULTTOPRIMARY, 1},
        {{-300, 500}, MONITOR_DEFAULTTONEAREST, 0},
        {{5000, 2000}, MONITOR_DEFAULTTONEAREST, 1},
    };
    for (const TCase& C : kCases)
        EXPECT_EQ(MonitorIndex(MonitorFromPoint(C.At, C.Flags)), C.Expected) << C.At.X << "," << C.At.Y;
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);   // the primary one's size
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);

    HWND Straddling = NewWindow("TProbe", "", nullptr, Rect(1800, 0, 2100, 100));   // more on the right
    EXPECT_EQ(MonitorIndex(MonitorFromWindow(Straddling, MONITOR_DEFAULTTONULL)), 1);
    HWND Foreign = HeadlessDisplay()->AddForeignWindow("Other", "");
    EXPECT_EQ(MonitorFromWindow(Foreign, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_EQ(MonitorIndex(MonitorFromWindow(Foreign, MONITOR_DEFAULTTONEAREST)), 1);
}

TEST_F(DisplayTest, MonitorDpiAndProcessAwareness)
{
    TwoMonitors();
    uint32_t X = 0, Y = 0;
    ASSERT_EQ(GetDpiForMonitor(EnumDisplayMonitors()[1], MDT_EFFECTIVE_DPI, X, Y), S_OK);
    EXPECT_EQ(X, 144u);
    EXPECT_EQ(Y, 144u);
    EXPECT_EQ(GetDpiForMonitor(nullptr, MDT_EFFECTIVE_DPI, X, Y), E_INVALIDARG);
    PROCESS_DPI_AWARENESS Awareness = PROCESS_DPI_UNAWARE;
    ASSERT_EQ(GetProcessDpiAwareness(nullptr, Awareness), S_OK);
    EXPECT_EQ(Awareness, PROCESS_PER_MONITOR_DPI_AWARE);
    ASSERT_EQ(SetProcessDpiAwareness(PROCESS_SYSTEM_DPI_AWARE), S_OK);
    ASSERT_EQ(GetProcessDpiAwareness(nullptr, Awareness), S_OK);
    EXPECT_EQ(Awareness, PROCESS_SYSTEM_DPI_AWARE);
}

TEST_F(DisplayTest, MetricsScaleWithTheLogicalDpiExceptBorders)
{
    struct TCase {
        TXDpi Dpi;
        int Index;
        int Expected;
    } const kCases[] = {
        {{96, 96}, SM_CXICON, 32},      {{120, 120}, SM_CXICON, 40},     {{144, 144}, SM_CYCAPTION, 29},
        {{144, 96}, SM_CXVSCROLL, 26},  {{144, 96}, SM_CYHSCROLL, 17},   {{192, 192}, SM_CXBORDER, 1},
        {{96, 96}, SM_CXMINIMIZED, 160}, {{96, 96}, 9999, 0},
    };
    for (const TCase& C : kCases) {
        HeadlessDisplay()->SetLogicalDpi(C.Dpi);
        EXPECT_EQ(GetSystemMetrics(C.Index), C.Expected) << C.Index << " at " << C.Dpi.X << "x" << C.Dpi.Y;
    }
}

TEST_F(DisplayTest, EnumerationListsOursFrontToBackThenOtherProgramsWithTheirTexts)
{
    HWND Other = HeadlessDisplay()->AddForeignWindow("Progman", "Program Manager");
    HWND First = NewWindow("TFirst", "Erste Seite");
    HWND Second = NewWindow("TSecond", "Zweite");
    EXPECT_EQ(AllWindows(), (std::vector<HWND>{Second, First, Other}));
    EXPECT_EQ(GetClassNameW(Other, 301), "Progman");
    EXPECT_EQ(GetWindowTextW(Other, 301), "Program Manager");
    EXPECT_EQ(GetWindowTextW(First, 301), "Erste Seite");
    // Cut by characters, as a buffer of that many with its terminator holds them.
    EXPECT_EQ(GetWindowTextW(First, 4), "Ers");
    ASSERT_TRUE(SetWindowTextW(First, "Übersicht"));
    EXPECT_EQ(GetWindowTextW(First, 3), "Üb");
    EXPECT_EQ(GetClassNameW(First, 0), "");

    HeadlessDisplay()->RemoveForeignWindow(Other);
    EXPECT_EQ(GetClassNameW(Other, 301), "");
    EXPECT_FALSE(SetForegroundWindow(Other));
    ASSERT_TRUE(DestroyWindow(Second));
    EXPECT_FALSE(IsWindow(Second));
    EXPECT_EQ(AllWindows(), (std::vector<HWND>{First}));
    EXPECT_EQ(GetWindowTextW(Second, 301), "");
    EXPECT_FALSE(DestroyWindow(Second));
}

TEST_F(DisplayTest, ForegroundBringsToFrontAndIsRememberedAsTheOwnersLastPopup)
{
    HWND Owner = NewWindow("TApplication", "");
    HWND Popup = NewWindow("TPopup", "", Owner);
    HWND Later = NewWindow("TLater", "");
    EXPECT_EQ(GetLastActivePopup(Owner), Owner);
    ASSERT_TRUE(SetForegroundWindow(Popup));
    EXPECT_EQ(GetForegroundWindow(), Popup);
    EXPECT_EQ(GetLastActivePopup(Owner), Popup);
    EXPECT_EQ(AllWindows().front(), Popup);
    ASSERT_TRUE(SetForegroundWindow(Later));
    EXPECT_EQ(GetLastActivePopup(Owner), Popup);   // another window's activation changes nothing

    HWND Foreign = HeadlessDisplay()->AddForeignWindow("Other", "");
    HeadlessDisplay()->AddForeignWindow("Newer", "");
    ASSERT_TRUE(SetForegroundWindow(Foreign));
    EXPECT_EQ(GetForegroundWindow(), Foreign);
    EXPECT_EQ(DisplayBackend().ForeignWindows().front(), Foreign);

    DestroyWindow(Popup);
    EXPECT_EQ(GetLastActivePopup(Owner), Owner);
}

TEST_F(DisplayTest, ShowWindowCommandsMoveBetweenHiddenShownAndMinimised)
{
    HWND Wnd = NewWindow("TProbe", "");
    EXPECT_FALSE(IsWindowVisible(Wnd));
    struct TStep {
        int Command;
        bool WasVisible, Visible, Iconic;
    } const kSteps[] = {
        {SW_SHOW, false, true, false},     {SW_MINIMIZE, true, true, true},   {SW_SHOW, true, true, true},
        {SW_RESTORE, true, true, false},   {SW_SHOWMINIMIZED, true, true, true}, {SW_HIDE, true, false, true},
        {SW_SHOWNORMAL, false, true, false},
    };
    for (const TStep& S : kSteps) {
        EXPECT_EQ(ShowWindow(Wnd, S.Command), S.WasVisible) << S.Command;
        EXPECT_EQ(IsWindowVisible(Wnd), S.Visible) << S.Command;
        EXPECT_EQ(IsIconic(Wnd), S.Iconic) << S.Command;
    }
    EXPECT_TRUE(IsWindowEnabled(Wnd));
    EXPECT_FALSE(EnableWindow(Wnd, false));
    EXPECT_FALSE(IsWindowEnabled(Wnd));
    EXPECT_TRUE(EnableWindow(Wnd, true));
    EXPECT_FALSE(IsIconic(nullptr));
}

}  // namespace

namespace {

struct THotKeySpy {
    std::vector<TMessage> Received;
    HWND Handle = AllocateHWnd(TWndMethod::Bind<&THotKeySpy::WndProc>(this));
    ~THotKeySpy() { DeallocateHWnd(Handle); }
    void WndProc(TMessage& AMessage) { Received.push_back(AMessage); }
    void Pump()
    {
        TMsg Msg;
        while (PeekMessageW(Msg, Handle, 0, 0, PM_REMOVE))
            DispatchMessageW(Msg);
    }
};

TEST_F(DisplayTest, RegisteredHotKeyPostsItsIdWithKeyAndModifiers)
{
    THotKeySpy Spy;
    ASSERT_TRUE(RegisterHotKey(Spy.Handle, 7, MOD_CONTROL | MOD_ALT, 'K'));
    EXPECT_FALSE(HeadlessDisplay()->PressHotKey(MOD_CONTROL, 'K'));
    ASSERT_TRUE(HeadlessDisplay()->PressHotKey(MOD_CONTROL | MOD_ALT, 'K'));
    Spy.Pump();
    ASSERT_EQ(Spy.Received.size(), 1u);
    EXPECT_EQ(Spy.Received[0].Msg, WM_HOTKEY);
    EXPECT_EQ(Spy.Received[0].WParam, 7u);
    EXPECT_EQ(Spy.Received[0].LParam, LPARAM(MOD_CONTROL | MOD_ALT) | (LPARAM('K') << 16));

    EXPECT_TRUE(UnregisterHotKey(Spy.Handle, 7));
    EXPECT_FALSE(UnregisterHotKey(Spy.Handle, 7));
    EXPECT_FALSE(HeadlessDisplay()->PressHotKey(MOD_CONTROL | MOD_ALT, 'K'));
    EXPECT_TRUE(HeadlessDisplay()->HotKeys().empty());
}

TEST_F(DisplayTest, HotKeyRegistrationRefusesWhatIsTaken)
{
    THotKeySpy Spy, Other;
    HeadlessDisplay()->SetForeignHotKeys({TXHotKey{nullptr, 0, MOD_WIN, 'E'}});
    ASSERT_TRUE(RegisterHotKey(Spy.Handle, 1, MOD_SHIFT, 0x70));
    const struct {
        const char* Name;
        HWND Wnd;
        int Id;
        UINT Modifiers;
        UINT Key;
    } kRefused[] = {
        {"SameIdSameWindow", Spy.Handle, 1, MOD_ALT, 'A'},
        {"SameKeysOtherWindow", Other.Handle, 2, MOD_SHIFT, 0x70},
        {"HeldByAnotherProgram", Other.Handle, 3, MOD_WIN, 'E'},
        {"NoWindow", reinterpret_cast<HWND>(uintptr_t(0xDEAD)), 4, MOD_ALT, 'B'},
    };
    for (const auto& Case : kRefused)
        EXPECT_FALSE(RegisterHotKey(Case.Wnd, Case.Id, Case.Modifiers, Case.Key)) << Case.Name;
    EXPECT_TRUE(RegisterHotKey(Other.Handle, 1, MOD_ALT, 'A')) << "ids belong to their window";
    EXPECT_TRUE(UnregisterHotKey(Spy.Handle, 1));
    EXPECT_TRUE(UnregisterHotKey(Other.Handle, 1));
}

}  // namespace

namespace {

struct TMessageLog {
    std::vector<TMessage> Messages;
    void WndProc(TMessage& AMessage) { Messages.push_back(AMessage); }
    std::vector<UINT> Drain(HWND AWnd)
    {
        TMsg Msg;
        while (PeekMessageW(Msg, AWnd, 0, 0, PM_REMOVE))
            DispatchMessageW(Msg);
        std::vector<UINT> Ids;
        for (const TMessage& M : Messages)
            Ids.push_back(M.Msg);
        return Ids;
    }
};

TEST_F(DisplayTest, StylesOwnersAndStayOnTopAreTheWindowsToKeep)
{
    HWND Owner = NewWindow("TOwner", "Owner");
    HWND Wnd = NewWindow("TPopup", "Popup");
    EXPECT_EQ(SetWindowLongPtrW(Wnd, GWL_STYLE, WS_POPUP), 0);
    EXPECT_EQ(GetWindowLongPtrW(Wnd, GWL_STYLE), intptr_t(WS_POPUP));
    // Stay-on-top is SetWindowPos's: the extended style cannot set it.
    SetWindowLongPtrW(Wnd, GWL_EXSTYLE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    EXPECT_EQ(GetWindowLongPtrW(Wnd, GWL_EXSTYLE), intptr_t(WS_EX_TOOLWINDOW));
    ASSERT_TRUE(SetWindowPos(Wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
    EXPECT_EQ(GetWindowLongPtrW(Wnd, GWL_EXSTYLE), intptr_t(WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
    EXPECT_NE(GetForegroundWindow(), Wnd) << "SWP_NOACTIVATE activates nothing";
    ASSERT_TRUE(SetWindowPos(Wnd, HWND_NOTOPMOST, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE));
    TRect Bounds;
    ASSERT_TRUE(GetWindowRect(Wnd, Bounds));
    EXPECT_EQ(Bounds, Rect(5, 6, 105, 56));
    EXPECT_EQ(GetWindowLongPtrW(Wnd, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    SetWindowLongPtrW(Wnd, GWLP_HWNDPARENT, reinterpret_cast<intptr_t>(Owner));
    EXPECT_EQ(GetWindowLongPtrW(Wnd, GWLP_HWNDPARENT), reinterpret_cast<intptr_t>(Owner));
    ASSERT_TRUE(SetForegroundWindow(Wnd));
    EXPECT_EQ(GetLastActivePopup(Owner), Wnd);

    // Opacity needs a layered window, and leaving layered makes the window opaque again.
    EXPECT_FALSE(SetLayeredWindowAttributes(Wnd, 0, 100, LWA_ALPHA));
    SetWindowLongPtrW(Wnd, GWL_EXSTYLE, WS_EX_LAYERED);
    EXPECT_TRUE(SetLayeredWindowAttributes(Wnd, 0, 100, LWA_ALPHA));
    EXPECT_EQ(GetWindowLongPtrW(nullptr, GWL_STYLE), 0);
}

TEST_F(DisplayTest, AWindowOwnsItsRegion)
{
    HWND Wnd = NewWindow("TShaped", "Shaped");
    HRGN First = CreateRoundRectRgn(0, 0, 100, 50, 10, 10);
    ASSERT_TRUE(SetWindowRgn(Wnd, First, true));
    ASSERT_NE(HeadlessDisplay()->WindowShape(Wnd), nullptr);
    EXPECT_EQ(*HeadlessDisplay()->WindowShape(Wnd), RegionRects(First));
    HRGN Copy = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(Wnd, Copy), COMPLEXREGION);
    EXPECT_TRUE(EqualRgn(Copy, First));
    // A new region frees the old one, and so does the window when it goes.
    HRGN Second = CreateRectRgn(0, 0, 10, 10);
    ASSERT_TRUE(SetWindowRgn(Wnd, Second, true));
    EXPECT_FALSE(DeleteObject(First));
    ASSERT_TRUE(SetWindowRgn(Wnd, nullptr, true));
    EXPECT_FALSE(DeleteObject(Second));
    EXPECT_EQ(HeadlessDisplay()->WindowShape(Wnd), nullptr);
    EXPECT_EQ(GetWindowRgn(Wnd, Copy), ERROR);
    // A region handed to no window is freed all the same.
    HRGN Lost = CreateRectRgn(0, 0, 1, 1);
    EXPECT_FALSE(SetWindowRgn(nullptr, Lost, true));
    EXPECT_FALSE(DeleteObject(Lost));
    DeleteObject(Copy);
}

TEST_F(DisplayTest, TheScreensChangesReachTheWindowAsMessages)
{
    TMessageLog Log;
    FWindows.push_back(CreateTopLevelWindow("TLogged", "Logged", nullptr, Rect(10, 10, 110, 60),
                                            TWndMethod::Bind<&TMessageLog::WndProc>(&Log)));
    HWND Wnd = FWindows.back();
    ScreenMovedWindow(Wnd, Rect(20, 10, 120, 60));
    ScreenMovedWindow(Wnd, Rect(20, 10, 140, 70));
    ScreenMovedWindow(Wnd, Rect(20, 10, 140, 70));   // nothing changed: nothing said
    EXPECT_EQ(Log.Drain(Wnd), (std::vector<UINT>{WM_MOVE, WM_SIZE}));
    EXPECT_EQ(Log.Messages[1].LParam, MakeMouseLParam(120, 60));
    Log.Messages.clear();
    ShowWindow(Wnd, SW_SHOW);
    ShowWindow(Wnd, SW_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(Wnd));
    ShowWindow(Wnd, SW_MINIMIZE);
    ShowWindow(Wnd, SW_RESTORE);   // back to maximised, as on Windows
    EXPECT_TRUE(IsZoomed(Wnd));
    EXPECT_FALSE(IsIconic(Wnd));
    Log.Drain(Wnd);
    std::vector<WPARAM> Sizes;
    for (const TMessage& M : Log.Messages)
        Sizes.push_back(M.WParam);
    EXPECT_EQ(Sizes, (std::vector<WPARAM>{SIZE_MAXIMIZED, SIZE_MINIMIZED, SIZE_MAXIMIZED}));
    Log.Messages.clear();
    ScreenActivatedWindow(Wnd, true);
    EXPECT_EQ(Log.Drain(Wnd), (std::vector<UINT>{WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS}));
    EXPECT_EQ(GetForegroundWindow(), Wnd);

    Log.Messages.clear();
    HWND Other = NewWindow("TOther", "Other");
    EXPECT_EQ(SetCapture(Wnd), nullptr);
    EXPECT_EQ(HeadlessDisplay()->Capture(), Wnd);
    EXPECT_EQ(SetCapture(Other), Wnd);
    EXPECT_EQ(Log.Drain(Wnd), std::vector<UINT>{WM_CAPTURECHANGED}) << "the window losing the mouse hears it";
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(HeadlessDisplay()->Capture(), nullptr);
}

}  // namespace
