// XCore.App.h: the core application: the one source of "now" and of millisecond tick stamps,
// and the owner of the application engine, whose observers hear that the application ends or
// that the system clock was set. Nothing else reads the system clock: a test installs a
// descendant that overrides Now, UtcNow and GetTickStamp, and Date, Time and GetTickElapsed
// follow them. The engine and its window belong to the thread that creates the application.
#pragma once

#include <cstdint>
#include <memory>

#include "Rtl.System.h"
#include "Rtl.Types.h"
#include "Win.Messages.h"
#include "XCore.Classes.h"
#include "XCore.Collections.Lite.h"
#include "XCore.Engine.h"

// The engine of application-wide notifications. Its window procedure shows every message to the
// window hooks first, ends the application on WM_QUIT and tells its observers at once when the
// system clock was set.
class TXAppEngine : public XCore::Engine::TXEngine {
    X_CLASS(TXAppEngine, XCore::Engine::TXEngine)
public:
    // Appends AMethod unless it is listed already; answers its index.
    int AddWindowHook(TWndMethod AMethod);
    // Answers the index AMethod had, or -1 when it was not listed.
    int RemoveWindowHook(TWndMethod AMethod);
    void WindowProc(TMessage& AMessage) override;

protected:
    TXAppEngine() = default;
    ~TXAppEngine() override;
    void Init() override;

private:
    int IndexOfWindowHook(TWndMethod AMethod) const;

    // Made before the window, which may see messages at once.
    TOwned<TXLiteList<TWndMethod>> FWindowHooks;
    // Posts WM_TIMECHANGE to the window; ends before the window goes.
    std::unique_ptr<TClockChangeWatch> FClockWatch;
};

class TXNVCoreApp : public TXInitializableObject {
    X_CLASS(TXNVCoreApp, TXInitializableObject)
public:
    // The local date and time.
    virtual TDateTime Now();
    // The UTC date and time, milliseconds kept.
    virtual TDateTime UtcNow();
    // Today's local date, without a time part: the date part of Now.
    virtual TDateTime Date();
    // The local time of day, without a date part: the time part of Now.
    virtual TDateTime Time();
    // Stores the millisecond tick count in AStamp.
    virtual void GetTickStamp(uint32_t& AStamp);
    // Replaces AStamp by the milliseconds since it, in 32-bit unsigned arithmetic, so that a
    // wrap of the tick count between the two is harmless.
    virtual void GetTickElapsed(uint32_t& AStamp);

    TXAppEngine* Engine() const { return FEngine; }
    bool Terminated() const { return FTerminated; }
    // Tells the engine's observers, once per run, that the application ends.
    void NotifyTerminated();

protected:
    TXNVCoreApp() = default;
    ~TXNVCoreApp() override;
    void Init() override;

private:
    TXAppEngine* FEngine = nullptr;   // owned
    bool FTerminated = false;
};

// The process's core application; nullptr before start-up has made one.
TXNVCoreApp* NVCoreApp();
// Makes AApp (owned from here on) the core application and frees the previous one; nullptr
// just frees it. Start-up installs a TXNVCoreApp; tests install one with a clock of their own.
void SetNVCoreApp(TXNVCoreApp* AApp);
