// XCore.TestClock.h: for tests only: a core application whose clock stands where the test puts
// it. The test sets the local time; UTC is derived through the zone in TZ, so use a zone
// without daylight saving (such as "XST-1") unless the test is about the zone itself.
#pragma once

#include "Win.Time.h"
#include "XCore.App.h"

class TXTestClockApp : public TXNVCoreApp {
    X_CLASS(TXTestClockApp, TXNVCoreApp)
public:
    TDateTime Now() override { return UtcToLocalDateTime(FUtc); }
    TDateTime UtcNow() override { return FUtc; }
    void SetUtc(TDateTime AValue) { FUtc = AValue; }
    void SetLocal(TDateTime AValue) { FUtc = AValue - (UtcToLocalDateTime(AValue) - AValue); }

protected:
    TXTestClockApp() = default;

private:
    TDateTime FUtc = 0;
};
