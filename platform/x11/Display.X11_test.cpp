// The X11 display against a real server: one connection's window as another connection sees
// it, activation, monitors, Xft.dpi. The server is the one X_TEST_DISPLAY names (scripts/test
// starts an Xvfb), never the user's DISPLAY: the tests grab keys and change root properties.
// Without it they skip, or fail when X_REQUIRE_DISPLAY=1 (CI).
#include "Display.X11.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "Win.Display.h"

// After gtest: Xlib's macros (None, Bool) would break its headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

class X11DisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* Name = std::getenv("X_TEST_DISPLAY");
        if (Name == nullptr || *Name == '\0') {
            const char* Require = std::getenv("X_REQUIRE_DISPLAY");
            if (Require != nullptr && std::strcmp(Require, "1") == 0)
                FAIL() << "X_REQUIRE_DISPLAY=1 but X_TEST_DISPLAY is unset: the test X server did not start";
            GTEST_SKIP() << "no test X server (X_TEST_DISPLAY is unset; scripts/test starts one)";
        }
        FName = Name;
        FOurs = OpenX11Display(Name);
        FOther = OpenX11Display(Name);
        ASSERT_TRUE(FOurs && FOther) << "cannot open " << Name;
    }

    const char* FName = nullptr;
    std::unique_ptr<TXDisplayBackend> FOurs, FOther;
};

TEST_F(X11DisplayTest, AnotherProgramSeesOurWindowWithItsClassAndUtf8Caption)
{
    HWND Wnd = reinterpret_cast<HWND>(uintptr_t(7));
    FOurs->WindowCreated(Wnd, TXWindowState{"TNvProbe", "Kalender – März", Rect(0, 0, 200, 100), true, false});
    std::vector<HWND> Seen = FOther->ForeignWindows();
    String ClassName, Caption;
    auto Found = std::find_if(Seen.begin(), Seen.end(), [&](HWND AWnd) {
        return FOther->ForeignWindowText(AWnd, ClassName, Caption) && ClassName == "TNvProbe";
    });
    ASSERT_NE(Found, Seen.end());
    EXPECT_EQ(Caption, "Kalender – März");
    // Our own windows are not foreign to us.
    for (HWND Own : FOurs->ForeignWindows())
        EXPECT_FALSE(FOurs->ForeignWindowText(Own, ClassName, Caption) && ClassName == "TNvProbe");

    FOurs->WindowChanged(Wnd, TXWindowState{"TNvProbe", "Renamed", Rect(0, 0, 200, 100), true, false});
    ASSERT_TRUE(FOther->ForeignWindowText(*Found, ClassName, Caption));
    EXPECT_EQ(Caption, "Renamed");
    EXPECT_TRUE(FOther->Activate(*Found));

    FOurs->WindowDestroyed(Wnd);
    EXPECT_FALSE(FOther->ForeignWindowText(*Found, ClassName, Caption));
    EXPECT_FALSE(FOther->Activate(*Found));
}

TEST_F(X11DisplayTest, MonitorsHaveOnePrimaryAndTheLogicalDpiComesFromXftDpi)
{
    std::vector<TXMonitor> Monitors = FOurs->Monitors();
    ASSERT_FALSE(Monitors.empty());
    EXPECT_EQ(std::count_if(Monitors.begin(), Monitors.end(), [](const TXMonitor& M) { return M.Primary; }), 1);
    for (const TXMonitor& M : Monitors) {
        EXPECT_GT(M.Bounds.Width(), 0);
        EXPECT_FALSE(M.AdapterName.empty());
    }

    Display* Server = XOpenDisplay(FName);
    ASSERT_NE(Server, nullptr);
    auto SetResources = [&](const char* AText) {
        XChangeProperty(Server, DefaultRootWindow(Server), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(AText), static_cast<int>(std::strlen(AText)));
        XSync(Server, False);
    };
    struct TCase {
        const char* Resources;
        int Expected;
    } const kCases[] = {{"Xft.dpi:\t120\n", 120}, {"Xft.dpi:\t143.6\n", 144}, {"Xft.dpi:\tlarge\n", 96},
                        {"Xft.antialias:\t1\n", 96}};
    for (const TCase& C : kCases) {
        SetResources(C.Resources);
        std::unique_ptr<TXDisplayBackend> Reader = OpenX11Display(FName);   // resources are read at opening
        EXPECT_EQ(Reader->LogicalDpi(), (TXDpi{C.Expected, C.Expected})) << C.Resources;
        EXPECT_EQ(Reader->Monitors().front().EffectiveDpi, C.Expected) << C.Resources;
    }
    XDeleteProperty(Server, DefaultRootWindow(Server), XA_RESOURCE_MANAGER);
    XCloseDisplay(Server);
}

TEST_F(X11DisplayTest, AHotKeyGrabbedByOneProgramIsRefusedToAnother)
{
    TXHotKey Key{nullptr, 1, MOD_CONTROL | MOD_ALT | MOD_SHIFT, 0x7B};   // F12
    ASSERT_TRUE(FOurs->GrabHotKey(Key));
    EXPECT_FALSE(FOther->GrabHotKey(Key));
    FOurs->UngrabHotKey(Key);
    EXPECT_TRUE(FOther->GrabHotKey(Key));
    FOther->UngrabHotKey(Key);
}

// The user presses Ctrl+Shift+K: the server delivers it to the grab, whose reader posts it.
TEST_F(X11DisplayTest, APressOfAGrabbedKeyReachesItsWindow)
{
    std::vector<TMessage> Received;
    struct TReceiver {
        std::vector<TMessage>* Log;
        void WndProc(TMessage& AMessage) { Log->push_back(AMessage); }
    } Receiver{&Received};
    HWND Wnd = AllocateHWnd(TWndMethod::Bind<&TReceiver::WndProc>(&Receiver));
    TXHotKey Key{Wnd, 4, MOD_CONTROL | MOD_SHIFT, 'K'};
    ASSERT_TRUE(FOurs->GrabHotKey(Key));

    Display* Keyboard = XOpenDisplay(FName);
    ASSERT_NE(Keyboard, nullptr);
    const KeySym kKeys[] = {XK_Control_L, XK_Shift_L, XK_k};
    for (KeySym Sym : kKeys)
        XTestFakeKeyEvent(Keyboard, XKeysymToKeycode(Keyboard, Sym), True, CurrentTime);
    for (auto It = std::rbegin(kKeys); It != std::rend(kKeys); ++It)
        XTestFakeKeyEvent(Keyboard, XKeysymToKeycode(Keyboard, *It), False, CurrentTime);
    XSync(Keyboard, False);
    XCloseDisplay(Keyboard);

    TMsg Msg;
    for (int Try = 0; Try < 500 && Received.empty(); ++Try) {
        while (PeekMessageW(Msg, Wnd, 0, 0, PM_REMOVE))
            DispatchMessageW(Msg);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    FOurs->UngrabHotKey(Key);
    DeallocateHWnd(Wnd);
    ASSERT_EQ(Received.size(), 1u);
    EXPECT_EQ(Received[0].Msg, WM_HOTKEY);
    EXPECT_EQ(Received[0].WParam, 4u);
    EXPECT_EQ(Received[0].LParam, LPARAM(MOD_CONTROL | MOD_SHIFT) | (LPARAM('K') << 16));
}

}  // namespace
