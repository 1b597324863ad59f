// XMedia.Colors.Containers.h: the calendar colour set, eleven colours that month and schedule
// items paint with. clNone marks a colour as unset; streaming writes only the set ones.
#pragma once

#include <array>
#include <cstdint>

#include "Vcl.Graphics.h"
#include "XCore.Classes.h"

class TXCalendarColors : public TXPersistent {
    X_CLASS(TXCalendarColors, TXPersistent)
public:
    static constexpr int kColorCount = 11;
    enum TIndex : int {
        ciBgColor,
        ciSaturdayBgColor,
        ciSundayBgColor,
        ciHolidayBgColor,
        ciDayColor,
        ciSaturdayColor,
        ciSundayColor,
        ciHolidayColor,
        ciTodayColor,
        ciDayShadowColor,
        ciGridColor
    };

    // clNone for an index outside 0..10.
    TColor GetColor(int AIndex) const;
    // An index outside 0..10 is ignored.
    void SetColor(int AIndex, TColor AValue);

    TColor BgColor() const { return FColors[ciBgColor]; }
    TColor SaturdayBgColor() const { return FColors[ciSaturdayBgColor]; }
    TColor SundayBgColor() const { return FColors[ciSundayBgColor]; }
    TColor HolidayBgColor() const { return FColors[ciHolidayBgColor]; }
    TColor DayColor() const { return FColors[ciDayColor]; }
    TColor SaturdayColor() const { return FColors[ciSaturdayColor]; }
    TColor SundayColor() const { return FColors[ciSundayColor]; }
    TColor HolidayColor() const { return FColors[ciHolidayColor]; }
    TColor TodayColor() const { return FColors[ciTodayColor]; }
    TColor DayShadowColor() const { return FColors[ciDayShadowColor]; }
    TColor GridColor() const { return FColors[ciGridColor]; }

    // All eleven, unset ones included.
    bool AssignFrom(TPersistent* ASource) override;
    // True while any colour is unset: a set counts as complete only with all eleven.
    bool IsEmpty() override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXCalendarColors() = default;
    void DoClear() override;

private:
    template <int I>
    TColor ColorAt() const { return FColors[I]; }
    template <int I>
    void SetColorAt(TColor AValue) { FColors[I] = AValue; }

    std::array<TColor, kColorCount> FColors{};
};
