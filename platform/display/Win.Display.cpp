// Win.Display.cpp: our top-level windows' state, as the window manager of Windows keeps it, and
// the screen's queries through the backend.
#include "Win.Display.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "Rtl.Encoding.h"
#include "Rtl.SysUtils.h"

namespace {

struct TTopLevel {
    TXWindowState State;
    HWND LastActivePopup = nullptr;
    bool Enabled = true;
    HRGN Region = nullptr;   // owned
};

// The windows and their order, front first. A window procedure may call back in, so no lock is
// held while one of ours runs; the backend never calls back.
struct TTopLevelWindows {
    std::mutex Lock;
    std::map<HWND, TTopLevel> Windows;
    std::vector<HWND> Order;
    HWND Foreground = nullptr;
    HWND Capture = nullptr;
};

TTopLevelWindows& TopLevel()
{
    static auto* Instance = new TTopLevelWindows;
    return *Instance;
}

// Runs AAction on the window's state under the lock; false for no window of ours.
template <class TAction>
bool WithWindow(HWND AWnd, TAction AAction)
{
    TTopLevelWindows& T = TopLevel();
    std::lock_guard Guard(T.Lock);
    auto Found = T.Windows.find(AWnd);
    if (Found == T.Windows.end())
        return false;
    AAction(Found->second);
    return true;
}

// Tells the backend the window's state; the lock is held.
void Push(TTopLevelWindows& T, HWND AWnd, TTopLevel& AWindow)
{
    auto Owner = T.Windows.find(AWindow.State.Owner);
    AWindow.State.ShowOwner = Owner != T.Windows.end() && Owner->second.State.Visible;
    DisplayBackend().WindowChanged(AWnd, AWindow.State);
}

// Runs AAction on the window's state under the lock and tells the backend; false for no
// window of ours.
template <class TAction>
bool ChangeWindow(HWND AWnd, TAction AAction)
{
    TTopLevelWindows& T = TopLevel();
    std::lock_guard Guard(T.Lock);
    auto Found = T.Windows.find(AWnd);
    if (Found == T.Windows.end())
        return false;
    AAction(Found->second);
    Push(T, AWnd, Found->second);
    return true;
}

String Truncated(const String& AText, int AMaxCount)
{
    if (AMaxCount <= 1)
        return String();
    size_t Pos = 0;
    for (int Count = 0; Pos < AText.size() && Count < AMaxCount - 1; ++Count)
        Pos += Utf8CharLength(AText, Pos);
    return AText.substr(0, Pos);
}

bool ForeignText(HWND AWnd, String& AClassName, String& ACaption)
{
    return DisplayBackend().ForeignWindowText(AWnd, AClassName, ACaption);
}

HMONITOR MonitorHandle(size_t AIndex)
{
    return reinterpret_cast<HMONITOR>(AIndex + 1);
}

int64_t Area(const TRect& ARect)
{
    return ARect.Right > ARect.Left && ARect.Bottom > ARect.Top ? int64_t(ARect.Width()) * ARect.Height() : 0;
}

TRect Intersection(const TRect& A, const TRect& B)
{
    return Rect(std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
                std::min(A.Bottom, B.Bottom));
}

int64_t DistanceSquared(const TRect& ARect, TPoint APoint)
{
    int64_t DX = APoint.X < ARect.Left ? ARect.Left - APoint.X : APoint.X >= ARect.Right ? APoint.X - ARect.Right + 1 : 0;
    int64_t DY = APoint.Y < ARect.Top ? ARect.Top - APoint.Y : APoint.Y >= ARect.Bottom ? APoint.Y - ARect.Bottom + 1 : 0;
    return DX * DX + DY * DY;
}

size_t PrimaryIndex(const std::vector<TXMonitor>& AMonitors)
{
    auto Primary = std::find_if(AMonitors.begin(), AMonitors.end(), [](const TXMonitor& M) { return M.Primary; });
    return Primary != AMonitors.end() ? static_cast<size_t>(Primary - AMonitors.begin()) : 0;
}

// The fallback AFlags ask for when no monitor holds the place: the primary, the nearest to
// ANearTo, or none.
HMONITOR Fallback(const std::vector<TXMonitor>& AMonitors, uint32_t AFlags, TPoint ANearTo)
{
    if (AMonitors.empty() || AFlags == MONITOR_DEFAULTTONULL)
        return nullptr;
    if (AFlags != MONITOR_DEFAULTTONEAREST)
        return MonitorHandle(PrimaryIndex(AMonitors));
    size_t Nearest = 0;
    for (size_t I = 1; I < AMonitors.size(); ++I)
        if (DistanceSquared(AMonitors[I].Bounds, ANearTo) < DistanceSquared(AMonitors[Nearest].Bounds, ANearTo))
            Nearest = I;
    return MonitorHandle(Nearest);
}

PROCESS_DPI_AWARENESS GDpiAwareness = PROCESS_PER_MONITOR_DPI_AWARE;

}  // namespace

// ---- Top-level windows -------------------------------------------------------------------

HWND CreateTopLevelWindow(const String& AClassName, const String& ACaption, HWND AOwner, const TRect& ABounds,
                          TWndMethod AMethod)
{
    HWND Wnd = AllocateHWnd(AMethod);
    TTopLevelWindows& T = TopLevel();
    std::lock_guard Guard(T.Lock);
    TTopLevel& Window = T.Windows[Wnd];
    Window.State = TXWindowState{AClassName, ACaption, ABounds, false, false};
    Window.State.Owner = AOwner;
    T.Order.insert(T.Order.begin(), Wnd);
    DisplayBackend().WindowCreated(Wnd, Window.State);
    return Wnd;
}

bool DestroyWindow(HWND AWnd)
{
    if (!IsWindow(AWnd))
        return false;
    {
        TTopLevelWindows& T = TopLevel();
        std::lock_guard Guard(T.Lock);
        auto Found = T.Windows.find(AWnd);
        if (Found != T.Windows.end()) {
            if (Found->second.Region != nullptr)
                DeleteObject(Found->second.Region);
            T.Windows.erase(Found);
            std::erase(T.Order, AWnd);
            if (T.Foreground == AWnd)
                T.Foreground = nullptr;
            if (T.Capture == AWnd)
                T.Capture = nullptr;
            for (auto& [Wnd, Window] : T.Windows)
                if (Window.LastActivePopup == AWnd)
                    Window.LastActivePopup = nullptr;
            DisplayBackend().WindowDestroyed(AWnd);
        }
    }
    DeallocateHWnd(AWnd);
    return true;
}

bool EnumWindows(WNDENUMPROC AProc, LPARAM AParam)
{
    std::vector<HWND> Windows;
    {
        TTopLevelWindows& T = TopLevel();
        std::lock_guard Guard(T.Lock);
        Windows = T.Order;
    }
    std::vector<HWND> Foreign = DisplayBackend().ForeignWindows();
    Windows.insert(Windows.end(), Foreign.begin(), Foreign.end());
    for (HWND Wnd : Windows)
        if (!AProc(Wnd, AParam))
            return false;
    return true;
}

String GetClassNameW(HWND AWnd, int AMaxCount)
{
    String ClassName, Caption;
    if (!WithWindow(AWnd, [&](TTopLevel& W) { ClassName = W.State.ClassName; }))
        ForeignText(AWnd, ClassName, Caption);
    return Truncated(ClassName, AMaxCount);
}

String GetWindowTextW(HWND AWnd, int AMaxCount)
{
    String ClassName, Caption;
    if (!WithWindow(AWnd, [&](TTopLevel& W) { Caption = W.State.Caption; }))
        ForeignText(AWnd, ClassName, Caption);
    return Truncated(Caption, AMaxCount);
}

bool SetWindowTextW(HWND AWnd, const String& AText)
{
    return ChangeWindow(AWnd, [&](TTopLevel& W) { W.State.Caption = AText; });
}

bool ShowWindow(HWND AWnd, int ACmdShow)
{
    bool WasVisible = false;
    bool Sized = false, Iconic = false, Maximized = false;
    ChangeWindow(AWnd, [&](TTopLevel& W) {
        WasVisible = W.State.Visible;
        bool WasIconic = W.State.Iconic, WasMaximized = W.State.Maximized;
        W.State.Visible = ACmdShow != SW_HIDE;
        if (ACmdShow == SW_MINIMIZE || ACmdShow == SW_SHOWMINIMIZED) {
            W.State.Iconic = true;
        } else if (ACmdShow == SW_RESTORE || ACmdShow == SW_SHOWNORMAL) {
            // Restoring a minimised window brings back the maximised state it had.
            if (!W.State.Iconic || ACmdShow == SW_SHOWNORMAL)
                W.State.Maximized = false;
            W.State.Iconic = false;
        } else if (ACmdShow == SW_MAXIMIZE) {
            W.State.Iconic = false;
            W.State.Maximized = true;
        }
        Iconic = W.State.Iconic;
        Maximized = W.State.Maximized;
        Sized = Iconic != WasIconic || Maximized != WasMaximized;
    });
    // Owned windows follow their owner in and out of the screen's transients.
    {
        TTopLevelWindows& T = TopLevel();
        std::lock_guard Guard(T.Lock);
        for (auto& [Wnd, Window] : T.Windows)
            if (Window.State.Owner == AWnd)
                Push(T, Wnd, Window);
    }
    // Sent, as Windows does: the size is the window's before ShowWindow returns, and the
    // application's message hook never sees it.
    TRect Bounds;
    if (Sized && GetWindowRect(AWnd, Bounds))
        SendMessageW(AWnd, WM_SIZE, Iconic ? SIZE_MINIMIZED : Maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                     MakeMouseLParam(Bounds.Width(), Bounds.Height()));
    return WasVisible;
}

bool IsWindowVisible(HWND AWnd)
{
    bool Visible = false;
    WithWindow(AWnd, [&](TTopLevel& W) { Visible = W.State.Visible; });
    return Visible;
}

bool IsIconic(HWND AWnd)
{
    bool Iconic = false;
    WithWindow(AWnd, [&](TTopLevel& W) { Iconic = W.State.Iconic; });
    return Iconic;
}

bool IsWindowEnabled(HWND AWnd)
{
    bool Enabled = false;
    WithWindow(AWnd, [&](TTopLevel& W) { Enabled = W.Enabled; });
    return Enabled;
}

bool EnableWindow(HWND AWnd, bool AEnable)
{
    bool WasDisabled = false;
    WithWindow(AWnd, [&](TTopLevel& W) {
        WasDisabled = !W.Enabled;
        W.Enabled = AEnable;
    });
    return WasDisabled;
}

bool GetWindowRect(HWND AWnd, TRect& ARect)
{
    return WithWindow(AWnd, [&](TTopLevel& W) { ARect = W.State.Bounds; });
}

bool MoveWindow(HWND AWnd, const TRect& ABounds)
{
    return ChangeWindow(AWnd, [&](TTopLevel& W) { W.State.Bounds = ABounds; });
}

bool IsZoomed(HWND AWnd)
{
    bool Zoomed = false;
    WithWindow(AWnd, [&](TTopLevel& W) { Zoomed = W.State.Maximized; });
    return Zoomed;
}

intptr_t GetWindowLongPtrW(HWND AWnd, int AIndex)
{
    intptr_t Value = 0;
    WithWindow(AWnd, [&](TTopLevel& W) {
        Value = AIndex == GWL_STYLE     ? W.State.Style
                : AIndex == GWL_EXSTYLE ? W.State.ExStyle
                : AIndex == GWLP_HWNDPARENT ? reinterpret_cast<intptr_t>(W.State.Owner)
                                            : 0;
    });
    return Value;
}

intptr_t SetWindowLongPtrW(HWND AWnd, int AIndex, intptr_t AValue)
{
    intptr_t Old = 0;
    if (AIndex == GWLP_HWNDPARENT) {
        ChangeWindow(AWnd, [&](TTopLevel& W) {
            Old = reinterpret_cast<intptr_t>(W.State.Owner);
            W.State.Owner = reinterpret_cast<HWND>(AValue);
        });
        return Old;
    }
    if (AIndex != GWL_STYLE && AIndex != GWL_EXSTYLE)
        return 0;
    ChangeWindow(AWnd, [&](TTopLevel& W) {
        uint32_t& Field = AIndex == GWL_STYLE ? W.State.Style : W.State.ExStyle;
        Old = Field;
        Field = static_cast<uint32_t>(AValue);
        if (AIndex == GWL_EXSTYLE) {   // stay-on-top is SetWindowPos's to change
            Field = (Field & ~WS_EX_TOPMOST) | (uint32_t(Old) & WS_EX_TOPMOST);
            if (!(Field & WS_EX_LAYERED))
                W.State.Alpha = 255;
        }
    });
    return Old;
}

bool SetWindowPos(HWND AWnd, HWND AInsertAfter, int AX, int AY, int ACX, int ACY, UINT AFlags)
{
    bool Done = ChangeWindow(AWnd, [&](TTopLevel& W) {
        TRect& B = W.State.Bounds;
        int Width = (AFlags & SWP_NOSIZE) ? B.Width() : ACX, Height = (AFlags & SWP_NOSIZE) ? B.Height() : ACY;
        if (!(AFlags & SWP_NOMOVE))
            B = Rect(AX, AY, AX + Width, AY + Height);
        else
            B = Rect(B.Left, B.Top, B.Left + Width, B.Top + Height);
        if (!(AFlags & SWP_NOZORDER) && AInsertAfter == HWND_TOPMOST)
            W.State.ExStyle |= WS_EX_TOPMOST;
        else if (!(AFlags & SWP_NOZORDER) && AInsertAfter == HWND_NOTOPMOST)
            W.State.ExStyle &= ~WS_EX_TOPMOST;
    });
    if (Done && !(AFlags & SWP_NOACTIVATE))
        SetForegroundWindow(AWnd);
    return Done;
}

bool SetLayeredWindowAttributes(HWND AWnd, TColor, uint8_t AAlpha, uint32_t AFlags)
{
    bool Layered = (GetWindowLongPtrW(AWnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    return Layered && ChangeWindow(AWnd, [&](TTopLevel& W) { W.State.Alpha = (AFlags & LWA_ALPHA) ? AAlpha : 255; });
}

bool SetWindowRgn(HWND AWnd, HRGN ARegion, bool)
{
    TTopLevelWindows& T = TopLevel();
    std::lock_guard Guard(T.Lock);
    auto Found = T.Windows.find(AWnd);
    if (Found == T.Windows.end()) {
        if (ARegion != nullptr)
            DeleteObject(ARegion);
        return false;
    }
    if (Found->second.Region != nullptr && Found->second.Region != ARegion)
        DeleteObject(Found->second.Region);
    Found->second.Region = ARegion;
    DisplayBackend().SetWindowShape(AWnd, ARegion != nullptr, RegionRects(ARegion));
    return true;
}

int GetWindowRgn(HWND AWnd, HRGN ARegion)
{
    TTopLevelWindows& T = TopLevel();
    std::lock_guard Guard(T.Lock);
    auto Found = T.Windows.find(AWnd);
    if (Found == T.Windows.end() || Found->second.Region == nullptr)
        return ERROR;
    return CombineRgn(ARegion, Found->second.Region, nullptr, RGN_COPY);
}

void UpdateWindowSurface(HWND AWnd, const TXSurfaceView& ASurface, const TRect& ADirty)
{
    if (WithWindow(AWnd, [](TTopLevel&) {}))
        DisplayBackend().WindowPainted(AWnd, ASurface, ADirty);
}

void SetWindowIcons(HWND AWnd, const std::vector<TXIconImage>& AIcons)
{
    if (WithWindow(AWnd, [](TTopLevel&) {}))
        DisplayBackend().SetWindowIcons(AWnd, AIcons);
}

namespace {

std::map<String, TXCursorImage>& CursorImages()
{
    static auto* Images = new std::map<String, TXCursorImage>;
    return *Images;
}

}  // namespace

void DefineCursorImage(const String& AShape, const TXCursorImage& AImage)
{
    CursorImages()[AShape] = AImage;
}

void SetWindowCursor(HWND AWnd, const String& AShape)
{
    if (!WithWindow(AWnd, [](TTopLevel&) {}))
        return;
    auto Image = CursorImages().find(AShape);
    DisplayBackend().SetWindowCursor(AWnd, AShape, Image != CursorImages().end() ? &Image->second : nullptr);
}

HWND SetCapture(HWND AWnd)
{
    HWND Old = nullptr;
    {
        TTopLevelWindows& T = TopLevel();
        std::lock_guard Guard(T.Lock);
        if (T.Windows.count(AWnd) == 0)
            return nullptr;
        Old = std::exchange(T.Capture, AWnd);
        DisplayBackend().SetCapture(AWnd);
    }
    if (Old != nullptr && Old != AWnd)
        SendMessageW(Old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(AWnd));
    return Old;
}

bool ReleaseCapture()
{
    HWND Old = nullptr;
    {
        TTopLevelWindows& T = TopLevel();
        std::lock_guard Guard(T.Lock);
        Old = std::exchange(T.Capture, nullptr);
        DisplayBackend().SetCapture(nullptr);
    }
    if (Old != nullptr)
        SendMessageW(Old, WM_CAPTURECHANGED, 0, 0);
    return true;
}

HWND GetCapture()
{
    TTopLevelWindows& T = TopLevel();
    std::lock_guard Guard(T.Lock);
    return T.Capture;
}

bool GetCursorPos(TPoint& APoint)
{
    APoint = DisplayBackend().CursorPos();
    return true;
}

bool DragWindow(HWND AWnd, int AHitCode, TPoint AAt)
{
    bool Edge = AHitCode == HTCAPTION || (AHitCode >= HTLEFT && AHitCode <= HTBOTTOMRIGHT);
    if (!Edge || !WithWindow(AWnd, [](TTopLevel&) {}))
        return false;
    DisplayBackend().BeginMoveResize(AWnd, AHitCode, AAt);
    return true;
}

// ---- What the screen tells of our windows --------------------------------------------------

void ScreenMovedWindow(HWND AWnd, const TRect& ABounds)
{
    TRect Old;
    if (!WithWindow(AWnd, [&](TTopLevel& W) {
            Old = W.State.Bounds;
            W.State.Bounds = ABounds;
        }))
        return;
    if (Old.Left != ABounds.Left || Old.Top != ABounds.Top)
        PostMessageW(AWnd, WM_MOVE, 0, MakeMouseLParam(ABounds.Left, ABounds.Top));
    if (Old.Width() != ABounds.Width() || Old.Height() != ABounds.Height())
        PostMessageW(AWnd, WM_SIZE, IsZoomed(AWnd) ? SIZE_MAXIMIZED : SIZE_RESTORED,
                     MakeMouseLParam(ABounds.Width(), ABounds.Height()));
}

void ScreenChangedWindowState(HWND AWnd, bool AIconic, bool AMaximized)
{
    TRect Bounds;
    if (!WithWindow(AWnd, [&](TTopLevel& W) {
            W.State.Iconic = AIconic;
            W.State.Maximized = AMaximized;
            Bounds = W.State.Bounds;
        }))
        return;
    PostMessageW(AWnd, WM_SIZE, AIconic ? SIZE_MINIMIZED : AMaximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                 MakeMouseLParam(Bounds.Width(), Bounds.Height()));
}

void ScreenActivatedWindow(HWND AWnd, bool AActive)
{
    if (!WithWindow(AWnd, [](TTopLevel&) {}))
        return;
    if (AActive) {
        TTopLevelWindows& T = TopLevel();
        std::lock_guard Guard(T.Lock);
        T.Foreground = AWnd;
        std::erase(T.Order, AWnd);
        T.Order.insert(T.Order.begin(), AWnd);
    }
    PostMessageW(AWnd, WM_NCACTIVATE, AActive ? 1 : 0, 0);
    PostMessageW(AWnd, WM_ACTIVATE, AActive ? WA_ACTIVE : WA_INACTIVE, 0);
    PostMessageW(AWnd, AActive ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
}

bool SetForegroundWindow(HWND AWnd)
{
    TTopLevelWindows& T = TopLevel();
    std::lock_guard Guard(T.Lock);
    auto Own = T.Windows.find(AWnd);
    String ClassName, Caption;
    if (Own == T.Windows.end() && !ForeignText(AWnd, ClassName, Caption))
        return false;
    if (!DisplayBackend().Activate(AWnd))
        return false;
    T.Foreground = AWnd;
    if (Own != T.Windows.end()) {
        std::erase(T.Order, AWnd);
        T.Order.insert(T.Order.begin(), AWnd);
        auto Owner = T.Windows.find(Own->second.State.Owner);
        if (Owner != T.Windows.end())
            Owner->second.LastActivePopup = AWnd;
    }
    return true;
}

HWND GetForegroundWindow()
{
    TTopLevelWindows& T = TopLevel();
    std::lock_guard Guard(T.Lock);
    return T.Foreground;
}

HWND GetLastActivePopup(HWND AWnd)
{
    HWND Popup = nullptr;
    WithWindow(AWnd, [&](TTopLevel& W) { Popup = W.LastActivePopup; });
    return Popup != nullptr ? Popup : AWnd;
}

// ---- Monitors ----------------------------------------------------------------------------

std::vector<HMONITOR> EnumDisplayMonitors()
{
    std::vector<HMONITOR> Handles;
    size_t Count = DisplayBackend().Monitors().size();
    for (size_t I = 0; I < Count; ++I)
        Handles.push_back(MonitorHandle(I));
    return Handles;
}

bool GetMonitorInfoW(HMONITOR AMonitor, TXMonitor& AInfo)
{
    std::vector<TXMonitor> Monitors = DisplayBackend().Monitors();
    auto Index = reinterpret_cast<uintptr_t>(AMonitor);
    if (Index == 0 || Index > Monitors.size())
        return false;
    AInfo = Monitors[Index - 1];
    return true;
}

HMONITOR MonitorFromPoint(TPoint APoint, uint32_t AFlags)
{
    return MonitorFromRect(Rect(APoint.X, APoint.Y, APoint.X + 1, APoint.Y + 1), AFlags);
}

HMONITOR MonitorFromRect(const TRect& ARect, uint32_t AFlags)
{
    std::vector<TXMonitor> Monitors = DisplayBackend().Monitors();
    int64_t Best = 0;
    HMONITOR Found = nullptr;
    for (size_t I = 0; I < Monitors.size(); ++I) {
        int64_t Shared = Area(Intersection(Monitors[I].Bounds, ARect));
        if (Shared > Best) {
            Best = Shared;
            Found = MonitorHandle(I);
        }
    }
    TPoint Centre = Point(ARect.Left + ARect.Width() / 2, ARect.Top + ARect.Height() / 2);
    return Found != nullptr ? Found : Fallback(Monitors, AFlags, Centre);
}

HMONITOR MonitorFromWindow(HWND AWnd, uint32_t AFlags)
{
    TRect Bounds;
    if (GetWindowRect(AWnd, Bounds))
        return MonitorFromRect(Bounds, AFlags);
    // Any fallback for a window whose place is unknown is the primary monitor.
    return AFlags == MONITOR_DEFAULTTONULL ? nullptr
                                           : Fallback(DisplayBackend().Monitors(), MONITOR_DEFAULTTOPRIMARY, TPoint());
}

// ---- DPI and metrics ---------------------------------------------------------------------

HRESULT GetProcessDpiAwareness(void* AProcess, PROCESS_DPI_AWARENESS& AValue)
{
    if (AProcess != nullptr)
        return E_INVALIDARG;
    AValue = GDpiAwareness;
    return S_OK;
}

HRESULT SetProcessDpiAwareness(PROCESS_DPI_AWARENESS AValue)
{
    if (AValue < PROCESS_DPI_UNAWARE || AValue > PROCESS_PER_MONITOR_DPI_AWARE)
        return E_INVALIDARG;
    GDpiAwareness = AValue;
    return S_OK;
}

HRESULT GetDpiForMonitor(HMONITOR AMonitor, MONITOR_DPI_TYPE, uint32_t& ADpiX, uint32_t& ADpiY)
{
    TXMonitor Info;
    if (!GetMonitorInfoW(AMonitor, Info))
        return E_INVALIDARG;
    ADpiX = ADpiY = static_cast<uint32_t>(Info.EffectiveDpi);
    return S_OK;
}

TXDpi GetScreenLogicalDpi()
{
    return DisplayBackend().LogicalDpi();
}

int GetSystemMetrics(int AIndex)
{
    if (AIndex == SM_CXSCREEN || AIndex == SM_CYSCREEN || AIndex == SM_CMONITORS) {
        std::vector<TXMonitor> Monitors = DisplayBackend().Monitors();
        if (AIndex == SM_CMONITORS || Monitors.empty())
            return static_cast<int>(Monitors.size());
        const TRect& Primary = Monitors[PrimaryIndex(Monitors)].Bounds;
        return AIndex == SM_CXSCREEN ? Primary.Width() : Primary.Height();
    }
    if (AIndex == SM_CXBORDER || AIndex == SM_CYBORDER)
        return 1;   // borders stay one pixel wide at any DPI
    // The classic theme's sizes at 96 DPI; widths scale with the horizontal DPI.
    struct TClassicSize {
        int Index;
        int Size;
        bool Width;
    };
    static constexpr TClassicSize kClassic[] = {
        {SM_CXVSCROLL, 17, true},      {SM_CYHSCROLL, 17, false},     {SM_CYCAPTION, 19, false},
        {SM_CXDLGFRAME, 3, true},      {SM_CYDLGFRAME, 3, false},     {SM_CYVTHUMB, 17, false},
        {SM_CXHTHUMB, 17, true},       {SM_CXICON, 32, true},         {SM_CYICON, 32, false},
        {SM_CYMENU, 19, false},        {SM_CYVSCROLL, 17, false},     {SM_CXHSCROLL, 17, true},
        {SM_CXSIZE, 18, true},         {SM_CYSIZE, 18, false},        {SM_CXFRAME, 4, true},
        {SM_CYFRAME, 4, false},        {SM_CXICONSPACING, 75, true},  {SM_CYICONSPACING, 75, false},
        {SM_CXEDGE, 2, true},          {SM_CYEDGE, 2, false},         {SM_CXSMICON, 16, true},
        {SM_CYSMICON, 16, false},      {SM_CYSMCAPTION, 15, false},   {SM_CXSMSIZE, 12, true},
        {SM_CYSMSIZE, 14, false},      {SM_CXMENUSIZE, 18, true},     {SM_CYMENUSIZE, 18, false},
        {SM_CXMINIMIZED, 160, true},   {SM_CYMINIMIZED, 24, false},   {SM_CXMENUCHECK, 13, true},
        {SM_CYMENUCHECK, 13, false},
    };
    auto Found = std::find_if(std::begin(kClassic), std::end(kClassic),
                              [&](const TClassicSize& A) { return A.Index == AIndex; });
    if (Found == std::end(kClassic))
        return 0;
    TXDpi Dpi = GetScreenLogicalDpi();
    return MulDiv(Found->Size, Found->Width ? Dpi.X : Dpi.Y, 96);
}

// ---- Hot keys ----------------------------------------------------------------------------

namespace {

struct THotKeys {
    std::mutex Lock;
    std::vector<TXHotKey> Keys;
};

THotKeys& HotKeys()
{
    static auto* Instance = new THotKeys;
    return *Instance;
}

}  // namespace

bool RegisterHotKey(HWND AWnd, int AId, UINT AModifiers, UINT AVirtualKey)
{
    if (!IsWindow(AWnd))
        return false;
    THotKeys& H = HotKeys();
    std::lock_guard Guard(H.Lock);
    TXHotKey Key{AWnd, AId, AModifiers, AVirtualKey};
    bool Taken = std::any_of(H.Keys.begin(), H.Keys.end(), [&](const TXHotKey& K) {
        return (K.Wnd == AWnd && K.Id == AId) || (K.Modifiers == AModifiers && K.VirtualKey == AVirtualKey);
    });
    if (Taken || !DisplayBackend().GrabHotKey(Key))
        return false;
    H.Keys.push_back(Key);
    return true;
}

bool UnregisterHotKey(HWND AWnd, int AId)
{
    THotKeys& H = HotKeys();
    std::lock_guard Guard(H.Lock);
    auto Found = std::find_if(H.Keys.begin(), H.Keys.end(),
                              [&](const TXHotKey& K) { return K.Wnd == AWnd && K.Id == AId; });
    if (Found == H.Keys.end())
        return false;
    DisplayBackend().UngrabHotKey(*Found);
    H.Keys.erase(Found);
    return true;
}
