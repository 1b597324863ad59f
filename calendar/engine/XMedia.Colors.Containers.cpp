#include "XMedia.Colors.Containers.h"

#include <algorithm>

void TXCalendarColors::DeclareProperties(TPropertyDeclarer& P)
{
    using C = TXCalendarColors;
    P.Property("BgColor", &C::ColorAt<ciBgColor>, &C::SetColorAt<ciBgColor>).Default(clNone);
    P.Property("SaturdayBgColor", &C::ColorAt<ciSaturdayBgColor>, &C::SetColorAt<ciSaturdayBgColor>).Default(clNone);
    P.Property("SundayBgColor", &C::ColorAt<ciSundayBgColor>, &C::SetColorAt<ciSundayBgColor>).Default(clNone);
    P.Property("HolidayBgColor", &C::ColorAt<ciHolidayBgColor>, &C::SetColorAt<ciHolidayBgColor>).Default(clNone);
    P.Property("DayColor", &C::ColorAt<ciDayColor>, &C::SetColorAt<ciDayColor>).Default(clNone);
    P.Property("SaturdayColor", &C::ColorAt<ciSaturdayColor>, &C::SetColorAt<ciSaturdayColor>).Default(clNone);
    P.Property("SundayColor", &C::ColorAt<ciSundayColor>, &C::SetColorAt<ciSundayColor>).Default(clNone);
    P.Property("HolidayColor", &C::ColorAt<ciHolidayColor>, &C::SetColorAt<ciHolidayColor>).Default(clNone);
    P.Property("TodayColor", &C::ColorAt<ciTodayColor>, &C::SetColorAt<ciTodayColor>).Default(clNone);
    P.Property("DayShadowColor", &C::ColorAt<ciDayShadowColor>, &C::SetColorAt<ciDayShadowColor>).Default(clNone);
    P.Property("GridColor", &C::ColorAt<ciGridColor>, &C::SetColorAt<ciGridColor>).Default(clNone);
}

TColor TXCalendarColors::GetColor(int AIndex) const
{
    return AIndex >= 0 && AIndex < kColorCount ? FColors[AIndex] : clNone;
}

void TXCalendarColors::SetColor(int AIndex, TColor AValue)
{
    if (AIndex >= 0 && AIndex < kColorCount)
        FColors[AIndex] = AValue;
}

void TXCalendarColors::DoClear()
{
    inherited::DoClear();
    FColors.fill(clNone);
}

bool TXCalendarColors::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXCalendarColors>(ASource))
        FColors = Source->FColors;
    return inherited::AssignFrom(ASource);
}

bool TXCalendarColors::IsEmpty()
{
    return std::ranges::find(FColors, clNone) != FColors.end();
}
