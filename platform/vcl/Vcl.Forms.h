// Vcl.Forms.h: the application object with the main thread's message loop, and the screen.
// There is one loop: modal loops and windows of later units pump through HandleMessage and
// ProcessMessages, which also serve the calls that workers hand over with Synchronize and Queue.
#pragma once

#include <vector>

#include "Rtl.Classes.h"
#include "Win.Display.h"
#include "Win.Messages.h"

// Sees a message before it is dispatched; setting AHandled keeps it from its window.
using TMessageEvent = TMethod<void(TMsg& AMsg, bool& AHandled)>;

class TApplication : public TComponent {
    X_CLASS(TApplication, TComponent)
public:
    // Dispatches every message waiting in the queue, then returns.
    void ProcessMessages();
    // Dispatches one message; when there is none, runs the calls waiting for the main thread,
    // and when there are none either, waits for the next message.
    void HandleMessage();
    // Dispatches messages until WM_QUIT and answers its exit code. What a window procedure or a
    // handed-over call raises goes to HandleException, and the loop goes on.
    int Run();
    // Ends Run by posting a quit with exit code 0.
    void Terminate();
    bool Terminated() const { return FTerminated; }
    TMessageEvent OnMessage() const { return FOnMessage; }
    void SetOnMessage(TMessageEvent AValue) { FOnMessage = AValue; }
    // Call from a catch block: an EAbort passes silently, anything else is reported on stderr.
    void HandleException(TObject* ASender);
    // The application's own hidden top-level window, made at the first call: the owner of the
    // program's windows. WM_SYSCOMMAND with SC_RESTORE ends its minimised state.
    HWND Handle();

protected:
    TApplication() = default;
    ~TApplication() override;
    void Construct(TComponent* AOwner) override;

private:
    bool ProcessMessage(TMsg& AMsg);
    void Idle();
    void WndProc(TMessage& AMessage);

    HWND FHandle = nullptr;

    TMessageEvent FOnMessage;
    bool FTerminated = false;
    int FExitCode = 0;
};

// Made on the main thread before main() runs; it lives as long as the process.
extern TApplication* Application;

// One monitor of the screen, as it was when the screen last listed them.
class TMonitor : public TObject {
    X_CLASS(TMonitor, TObject)
public:
    HMONITOR Handle() const { return FHandle; }
    // The index in the screen's list.
    int MonitorNum() const { return FMonitorNum; }
    int Left() const { return FInfo.Bounds.Left; }
    int Top() const { return FInfo.Bounds.Top; }
    int Width() const { return FInfo.Bounds.Width(); }
    int Height() const { return FInfo.Bounds.Height(); }
    const TRect& BoundsRect() const { return FInfo.Bounds; }
    const TRect& WorkareaRect() const { return FInfo.WorkArea; }
    bool Primary() const { return FInfo.Primary; }
    // The monitor's effective DPI.
    int PixelsPerInch() const { return FInfo.EffectiveDpi; }

protected:
    TMonitor() = default;
    void Construct(HMONITOR AHandle, int AMonitorNum, const TXMonitor& AInfo);

private:
    HMONITOR FHandle = nullptr;
    int FMonitorNum = 0;
    TXMonitor FInfo;
};

// The screen: its logical DPI, which user-interface sizes are scaled to, and its monitors.
class TScreen : public TComponent {
    X_CLASS(TScreen, TComponent)
public:
    // The vertical logical DPI at creation until set otherwise (a program that scales to its
    // primary monitor's DPI sets it at start).
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int AValue) { FPixelsPerInch = AValue; }
    // The primary monitor's size.
    int Width();
    int Height();
    // The monitor list is taken again whenever the display's monitors have changed, which
    // frees the TMonitor objects handed out before.
    int MonitorCount();
    // Raises EListError for an index out of range.
    TMonitor* Monitors(int AIndex);
    // nullptr when there is no monitor.
    TMonitor* PrimaryMonitor();

protected:
    TScreen() = default;
    ~TScreen() override;
    void Construct(TComponent* AOwner) override;

private:
    void UpdateMonitors();
    void ClearMonitors();

    int FPixelsPerInch = 96;
    std::vector<TXMonitor> FMonitorInfos;
    std::vector<TMonitor*> FMonitors;   // owned
};

// Made on the main thread before main() runs; it lives as long as the process.
extern TScreen* Screen;
