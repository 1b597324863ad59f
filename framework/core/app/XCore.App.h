// XCore.App.h: the core application: the one source of "now" and of millisecond tick stamps.
// Nothing else reads the system clock: a test installs a descendant that overrides Now, UtcNow
// and GetTickStamp, and Date, Time and GetTickElapsed follow them.
#pragma once

#include <cstdint>

#include "Rtl.Types.h"
#include "XCore.Classes.h"

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

protected:
    TXNVCoreApp() = default;
};

// The process's core application; nullptr before start-up has made one.
TXNVCoreApp* NVCoreApp();
// Makes AApp (owned from here on) the core application and frees the previous one; nullptr
// just frees it. Start-up installs a TXNVCoreApp; tests install one with a clock of their own.
void SetNVCoreApp(TXNVCoreApp* AApp);
