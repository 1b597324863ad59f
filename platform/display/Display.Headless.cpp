// Display.Headless.cpp: the in-memory screen.
#include "Display.Headless.h"

#include <algorithm>

namespace {

bool SameKeys(const TXHotKey& A, UINT AModifiers, UINT AVirtualKey)
{
    return A.Modifiers == AModifiers && A.VirtualKey == AVirtualKey;
}

// Foreign handles start far above the ones Win.Messages counts up from 1.
constexpr uintptr_t kFirstForeignHandle = uintptr_t(1) << 48;

TXMonitor DefaultMonitor()
{
    TRect Screen = Rect(0, 0, 1920, 1080);
    return TXMonitor{"Headless-1", "Headless", Screen, Screen, true, 96};
}

}  // namespace

TXHeadlessDisplay::TXHeadlessDisplay()
{
    Reset();
}

void TXHeadlessDisplay::Reset()
{
    FMonitors = {DefaultMonitor()};
    FLogicalDpi = TXDpi();
    FForeign.clear();
    FHotKeys.clear();
    FForeignHotKeys.clear();
    FLastForeign = kFirstForeignHandle;
}

void TXHeadlessDisplay::SetMonitors(std::vector<TXMonitor> AMonitors)
{
    if (AMonitors.empty())
        AMonitors.push_back(DefaultMonitor());
    auto Primary = std::find_if(AMonitors.begin(), AMonitors.end(), [](const TXMonitor& M) { return M.Primary; });
    if (Primary == AMonitors.end())
        Primary = AMonitors.begin();
    for (TXMonitor& Monitor : AMonitors)
        Monitor.Primary = &Monitor == &*Primary;
    FMonitors = std::move(AMonitors);
}

std::vector<TXHeadlessDisplay::TForeignWindow>::iterator TXHeadlessDisplay::FindForeign(HWND AWnd)
{
    return std::find_if(FForeign.begin(), FForeign.end(), [&](const TForeignWindow& W) { return W.Handle == AWnd; });
}

bool TXHeadlessDisplay::Activate(HWND AWnd)
{
    if (reinterpret_cast<uintptr_t>(AWnd) < kFirstForeignHandle)
        return true;
    auto Found = FindForeign(AWnd);
    if (Found == FForeign.end())
        return false;
    std::rotate(FForeign.begin(), Found, Found + 1);
    return true;
}

HWND TXHeadlessDisplay::AddForeignWindow(const String& AClassName, const String& ACaption)
{
    HWND Wnd = reinterpret_cast<HWND>(++FLastForeign);
    FForeign.insert(FForeign.begin(), TForeignWindow{Wnd, AClassName, ACaption});
    return Wnd;
}

void TXHeadlessDisplay::RemoveForeignWindow(HWND AWnd)
{
    auto Found = FindForeign(AWnd);
    if (Found != FForeign.end())
        FForeign.erase(Found);
}

std::vector<HWND> TXHeadlessDisplay::ForeignWindows()
{
    std::vector<HWND> Result;
    for (const TForeignWindow& W : FForeign)
        Result.push_back(W.Handle);
    return Result;
}

bool TXHeadlessDisplay::ForeignWindowText(HWND AWnd, String& AClassName, String& ACaption)
{
    auto Found = FindForeign(AWnd);
    if (Found == FForeign.end())
        return false;
    AClassName = Found->ClassName;
    ACaption = Found->Caption;
    return true;
}

TXHeadlessDisplay* HeadlessDisplay()
{
    return dynamic_cast<TXHeadlessDisplay*>(&DisplayBackend());
}

bool TXHeadlessDisplay::GrabHotKey(const TXHotKey& AHotKey)
{
    if (std::any_of(FForeignHotKeys.begin(), FForeignHotKeys.end(),
                    [&](const TXHotKey& H) { return SameKeys(H, AHotKey.Modifiers, AHotKey.VirtualKey); }))
        return false;
    FHotKeys.push_back(AHotKey);
    return true;
}

void TXHeadlessDisplay::UngrabHotKey(const TXHotKey& AHotKey)
{
    std::erase(FHotKeys, AHotKey);
}

bool TXHeadlessDisplay::PressHotKey(UINT AModifiers, UINT AVirtualKey)
{
    auto Found = std::find_if(FHotKeys.begin(), FHotKeys.end(),
                              [&](const TXHotKey& H) { return SameKeys(H, AModifiers, AVirtualKey); });
    if (Found == FHotKeys.end())
        return false;
    PostHotKey(*Found);
    return true;
}
