// Vcl.Screen.cpp: the screen's monitors, taken again whenever the display's change.
#include "Vcl.Screen.h"

#include <map>

#include "Rtl.SysUtils.h"

TScreen* Screen = TScreen::Create(nullptr);

// ---- Cursors ------------------------------------------------------------------------------

namespace {

struct TCursorShapes {
    std::map<TCursor, String> Shapes{
        {crNone, "none"},          {crArrow, "default"},     {crCross, "crosshair"},    {crIBeam, "text"},
        {crSizeNESW, "nesw-resize"}, {crSizeNS, "ns-resize"}, {crSizeNWSE, "nwse-resize"}, {crSizeWE, "ew-resize"},
        {crUpArrow, "up-arrow"},   {crHourGlass, "wait"},    {crNo, "not-allowed"},     {crAppStart, "progress"},
        {crHelp, "help"},          {crHandPoint, "pointer"}, {crSizeAll, "move"},
    };
};

TCursorShapes& CursorShapes()
{
    static auto* Instance = new TCursorShapes;
    return *Instance;
}

}  // namespace

String CursorShape(TCursor ACursor)
{
    const std::map<TCursor, String>& Shapes = CursorShapes().Shapes;
    auto Found = Shapes.find(ACursor);
    return Found != Shapes.end() ? Found->second : String("default");
}

void RegisterCursorShape(TCursor ACursor, const String& AShape)
{
    CursorShapes().Shapes[ACursor] = AShape;
}


// ---- TMonitor -----------------------------------------------------------------------------

void TMonitor::Construct(HMONITOR AHandle, int AMonitorNum, const TXMonitor& AInfo)
{
    FHandle = AHandle;
    FMonitorNum = AMonitorNum;
    FInfo = AInfo;
}

// ---- TScreen ------------------------------------------------------------------------------

int TScreen::PixelsPerInch()
{
    if (FPixelsPerInch == 0)
        FPixelsPerInch = GetScreenLogicalDpi().Y;
    return FPixelsPerInch;
}

// Each of our windows takes the new pointer at once, not at the next move of the mouse.
void TScreen::SetCursor(TCursor AValue)
{
    if (AValue == FCursor)
        return;
    FCursor = AValue;
    std::vector<HWND> Windows;
    EnumWindows(
        [](HWND AWnd, LPARAM AList) {
            if (IsWindow(AWnd))
                reinterpret_cast<std::vector<HWND>*>(AList)->push_back(AWnd);
            return true;
        },
        reinterpret_cast<LPARAM>(&Windows));
    for (HWND Window : Windows)
        SendMessageW(Window, WM_SETCURSOR, reinterpret_cast<WPARAM>(Window), HTCLIENT);
}

TScreen::~TScreen()
{
    ClearMonitors();
}

int TScreen::Width()
{
    return GetSystemMetrics(SM_CXSCREEN);
}

int TScreen::Height()
{
    return GetSystemMetrics(SM_CYSCREEN);
}

int TScreen::MonitorCount()
{
    UpdateMonitors();
    return static_cast<int>(FMonitors.size());
}

TMonitor* TScreen::Monitors(int AIndex)
{
    UpdateMonitors();
    if (AIndex < 0 || AIndex >= static_cast<int>(FMonitors.size()))
        RaiseListIndexError(AIndex);
    return FMonitors[AIndex];
}

TMonitor* TScreen::PrimaryMonitor()
{
    UpdateMonitors();
    for (TMonitor* Monitor : FMonitors)
        if (Monitor->Primary())
            return Monitor;
    return nullptr;
}

void TScreen::UpdateMonitors()
{
    std::vector<HMONITOR> Handles = EnumDisplayMonitors();
    std::vector<TXMonitor> Infos(Handles.size());
    for (size_t I = 0; I < Handles.size(); ++I)
        GetMonitorInfoW(Handles[I], Infos[I]);
    if (Infos == FMonitorInfos && !FMonitors.empty())
        return;
    ClearMonitors();
    FMonitorInfos = Infos;
    for (size_t I = 0; I < Handles.size(); ++I)
        FMonitors.push_back(TMonitor::Create(Handles[I], static_cast<int>(I), Infos[I]));
}

void TScreen::ClearMonitors()
{
    for (TMonitor* Monitor : FMonitors)
        Monitor->Free();
    FMonitors.clear();
}
