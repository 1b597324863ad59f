// Vcl.Screen.cpp: the screen's monitors, taken again whenever the display's change.
#include "Vcl.Screen.h"

#include "Rtl.SysUtils.h"

TScreen* Screen = TScreen::Create(nullptr);

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
