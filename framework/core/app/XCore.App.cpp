// XCore.App.cpp: the core application.
#include "XCore.App.h"

#include <atomic>
#include <cmath>

#include "Rtl.DateUtils.h"
#include "Rtl.System.h"

namespace {

// Read from any thread: the time queries are.
std::atomic<TXNVCoreApp*> GNVCoreApp{nullptr};

}  // namespace

TDateTime TXNVCoreApp::Now()
{
    return ::Now();
}

TDateTime TXNVCoreApp::UtcNow()
{
    TSystemTime Utc;
    GetSystemTime(Utc);
    return SystemTimeToDateTime(Utc);
}

TDateTime TXNVCoreApp::Date()
{
    return std::trunc(double(Now()));
}

TDateTime TXNVCoreApp::Time()
{
    double Value = Now();
    return Value - std::trunc(Value);
}

void TXNVCoreApp::GetTickStamp(uint32_t& AStamp)
{
    AStamp = GetTickCount();
}

void TXNVCoreApp::GetTickElapsed(uint32_t& AStamp)
{
    uint32_t Current = 0;
    GetTickStamp(Current);
    AStamp = Current - AStamp;
}

TXNVCoreApp* NVCoreApp()
{
    return GNVCoreApp.load();
}

void SetNVCoreApp(TXNVCoreApp* AApp)
{
    if (TXNVCoreApp* Old = GNVCoreApp.exchange(AApp); Old != nullptr && Old != AApp)
        Old->Free();
}
