// Vcl.CommCtrl.h: the notification records and codes of the common controls (track bars, date
// pickers, calendars, list and tree views). A control sends them to itself as CN_NOTIFY with
// lParam pointing to the record, and reads the handler's answer from the result.
#pragma once

#include <cstdint>

#include "Rtl.System.h"
#include "Rtl.Types.h"
#include "Win.Graphics.h"
#include "Win.Messages.h"

class TCanvas;

struct NMHDR {
    HWND hwndFrom = nullptr;
    UINT_PTR idFrom = 0;
    int code = 0;
};

// Custom drawing. The canvas stands where a device context would: it draws on the control.
struct NMCUSTOMDRAW {
    NMHDR hdr;
    uint32_t dwDrawStage = 0;
    TCanvas* Canvas = nullptr;
    TRect rc;
    uintptr_t dwItemSpec = 0;
    UINT uItemState = 0;
    LPARAM lItemlParam = 0;
};

inline constexpr int NM_CUSTOMDRAW = -12;

inline constexpr uint32_t CDDS_PREPAINT = 0x00000001;
inline constexpr uint32_t CDDS_POSTPAINT = 0x00000002;
inline constexpr uint32_t CDDS_ITEM = 0x00010000;
inline constexpr uint32_t CDDS_ITEMPREPAINT = CDDS_ITEM | CDDS_PREPAINT;
inline constexpr uint32_t CDDS_ITEMPOSTPAINT = CDDS_ITEM | CDDS_POSTPAINT;

inline constexpr LRESULT CDRF_DODEFAULT = 0x00;
inline constexpr LRESULT CDRF_SKIPDEFAULT = 0x04;
inline constexpr LRESULT CDRF_NOTIFYPOSTPAINT = 0x10;
inline constexpr LRESULT CDRF_NOTIFYITEMDRAW = 0x20;

inline constexpr UINT CDIS_SELECTED = 0x0001;
inline constexpr UINT CDIS_DISABLED = 0x0004;
inline constexpr UINT CDIS_FOCUS = 0x0010;
inline constexpr UINT CDIS_HOT = 0x0040;

// Track bars: the items of custom drawing, and what the control answers about its parts
// (lParam points to a TRect that receives the rectangle).
inline constexpr uintptr_t TBCD_TICS = 1;
inline constexpr uintptr_t TBCD_THUMB = 2;
inline constexpr uintptr_t TBCD_CHANNEL = 3;
inline constexpr UINT TBM_GETTHUMBRECT = 0x0400 + 25;
inline constexpr UINT TBM_GETCHANNELRECT = 0x0400 + 26;

// Date-time pickers. DTN_DATETIMECHANGE carries the new value, or GDT_NONE when the picker's
// check box was cleared; DTN_DROPDOWN and DTN_CLOSEUP (a bare NMHDR) frame the drop-down
// calendar.
inline constexpr int DTN_DATETIMECHANGE = -759;
inline constexpr int DTN_DROPDOWN = -754;
inline constexpr int DTN_CLOSEUP = -753;
inline constexpr uint32_t GDT_VALID = 0;
inline constexpr uint32_t GDT_NONE = 1;

struct NMDATETIMECHANGE {
    NMHDR nmhdr;
    uint32_t dwFlags = GDT_VALID;
    TSystemTime st;
};

// Month calendars. MCN_SELCHANGE: the selected day moved (keys, month buttons, a click);
// MCN_SELECT: the user chose a day (a click on it, or on the today line). MCN_GETDAYSTATE asks
// for the bold days of cDayState months from stStart's month on: one bit per day, bit 0 the
// first of the month.
inline constexpr int MCN_SELECT = -746;
inline constexpr int MCN_GETDAYSTATE = -747;
inline constexpr int MCN_SELCHANGE = -749;

struct NMSELCHANGE {
    NMHDR nmhdr;
    TSystemTime stSelStart;
    TSystemTime stSelEnd;
};
using NMSELECT = NMSELCHANGE;

using MONTHDAYSTATE = uint32_t;
struct NMDAYSTATE {
    NMHDR nmhdr;
    TSystemTime stStart;
    int cDayState = 0;
    MONTHDAYSTATE* prgDayState = nullptr;
};
