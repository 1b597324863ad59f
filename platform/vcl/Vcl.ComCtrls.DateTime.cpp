// Vcl.ComCtrls.DateTime.cpp: the month calendar and the date-time picker with its drop-down
// calendar.
#include <algorithm>

#include "Rtl.DateUtils.h"
#include "Vcl.ComCtrls.h"
#include "Vcl.Forms.h"
#include "Vcl.Themes.h"
#include "Win.Locale.h"

namespace {

using TKind = TDateFormatField::TKind;

const TFormatSettings& LocaleFormats()
{
    static const TFormatSettings Settings = GetLocaleFormatSettings(LOCALE_USER_DEFAULT);
    return Settings;
}

bool Within(const TRect& ARect, TPoint APoint)
{
    return APoint.X >= ARect.Left && APoint.X < ARect.Right && APoint.Y >= ARect.Top && APoint.Y < ARect.Bottom;
}

TControlStyle WithoutClicks(TControlStyle AStyle)
{
    AStyle.Exclude(csClickEvents);
    return AStyle;
}

TSystemTime ToSystemTime(TDateTime AValue)
{
    TSystemTime Result;
    DecodeDate(AValue, Result.wYear, Result.wMonth, Result.wDay);
    DecodeTime(AValue, Result.wHour, Result.wMinute, Result.wSecond, Result.wMilliseconds);
    Result.wDayOfWeek = uint16_t(DayOfWeek(AValue) - 1);
    return Result;
}

struct TYmd {
    int Year = 0;
    int Month = 0;
    int Day = 0;
};

TYmd Split(TDateTime AValue)
{
    uint16_t Year = 0, Month = 0, Day = 0;
    DecodeDate(AValue, Year, Month, Day);
    return {Year, Month, Day};
}

TDateTime MonthStart(TDateTime AValue)
{
    TYmd D = Split(AValue);
    return EncodeDate(D.Year, D.Month, 1);
}

// The same day ADelta months on, kept within the month (31 January + 1 is 28 or 29 February)
// and within the years a date may have.
TDateTime AddMonths(TDateTime AValue, int ADelta)
{
    TYmd D = Split(AValue);
    int Months = std::clamp(D.Year * 12 + D.Month - 1 + ADelta, 12, 9999 * 12 + 11);
    int Year = Months / 12;
    int Month = Months % 12 + 1;
    return EncodeDate(Year, Month, std::min(D.Day, DaysInAMonth(Year, Month))) + TimeOf(AValue);
}

// Keeps a day between 1 January 0001 and 31 December 9999.
TDateTime ClampDay(double AValue)
{
    return std::clamp(AValue, double(EncodeDate(1, 1, 1)), double(EncodeDate(9999, 12, 31)));
}

// A Delphi date or time format in fields. Two-digit years show with four digits: a picker
// that edits the year must not hide its century.
std::vector<TDateFormatField> ParseFormat(const String& AFormat)
{
    std::vector<TDateFormatField> Fields;
    auto AddText = [&](const String& AText) {
        if (!Fields.empty() && Fields.back().Kind == TDateFormatField::fkText)
            Fields.back().Text += AText;
        else
            Fields.push_back({TDateFormatField::fkText, 0, AText});
    };
    auto LastValueField = [&]() {
        for (auto I = Fields.rbegin(); I != Fields.rend(); ++I)
            if (I->Kind != TDateFormatField::fkText)
                return I->Kind;
        return TDateFormatField::fkText;
    };
    size_t I = 0;
    while (I < AFormat.size()) {
        char C = AFormat[I];
        char Lower = char(std::tolower(static_cast<unsigned char>(C)));
        if (C == '"' || C == '\'') {
            size_t End = AFormat.find(C, I + 1);
            if (End == String::npos)
                End = AFormat.size();
            AddText(AFormat.substr(I + 1, End - I - 1));
            I = End + 1;
            continue;
        }
        if (Lower == 'a') {
            for (const char* AmPm : {"ampm", "am/pm", "a/p"}) {
                size_t Length = std::char_traits<char>::length(AmPm);
                String Part = AFormat.substr(I, Length);
                std::transform(Part.begin(), Part.end(), Part.begin(), [](char X) { return char(std::tolower(X)); });
                if (Part == AmPm) {
                    Fields.push_back({TDateFormatField::fkAmPm, int(Length), {}});
                    I += Length;
                    goto next;
                }
            }
        }
        if (std::string_view("dmyhns").find(Lower) != std::string_view::npos) {
            size_t Run = I;
            while (Run < AFormat.size() && std::tolower(static_cast<unsigned char>(AFormat[Run])) == Lower)
                ++Run;
            int Letters = int(Run - I);
            TKind Kind = TDateFormatField::fkText;
            switch (Lower) {
            case 'd': Kind = Letters >= 3 ? TDateFormatField::fkWeekday : TDateFormatField::fkDay; break;
            case 'm':
                // After an hour, "mm" is the minutes.
                Kind = Letters <= 2 && LastValueField() == TDateFormatField::fkHour ? TDateFormatField::fkMinute
                                                                                     : TDateFormatField::fkMonth;
                break;
            case 'y': Kind = TDateFormatField::fkYear; break;
            case 'h': Kind = TDateFormatField::fkHour; break;
            case 'n': Kind = TDateFormatField::fkMinute; break;
            case 's': Kind = TDateFormatField::fkSecond; break;
            default: break;
            }
            Fields.push_back({Kind, Letters, {}});
            I = Run;
            continue;
        }
        AddText(String(1, C));
        ++I;
    next:;
    }
    return Fields;
}

bool HasTwelveHours(const std::vector<TDateFormatField>& AFields)
{
    return std::any_of(AFields.begin(), AFields.end(), [](const auto& F) { return F.Kind == TDateFormatField::fkAmPm; });
}

bool IsEditable(TKind AKind)
{
    return AKind != TDateFormatField::fkText && AKind != TDateFormatField::fkWeekday;
}

String Padded(int AValue, int ADigits)
{
    String Text = std::to_string(AValue);
    return Text.size() < size_t(ADigits) ? String(size_t(ADigits) - Text.size(), '0') + Text : Text;
}

String FieldText(const TDateFormatField& AField, TDateTime AValue, bool ATwelve)
{
    const TFormatSettings& Formats = LocaleFormats();
    TYmd D = Split(AValue);
    uint16_t Hour = 0, Minute = 0, Second = 0, MSec = 0;
    DecodeTime(AValue, Hour, Minute, Second, MSec);
    int Digits = std::min(AField.Letters, 2);
    switch (AField.Kind) {
    case TDateFormatField::fkText: return AField.Text;
    case TDateFormatField::fkDay: return Padded(D.Day, Digits);
    case TDateFormatField::fkWeekday: {
        int Day = DayOfWeek(AValue) - 1;
        return AField.Letters == 3 ? Formats.ShortDayNames[Day] : Formats.LongDayNames[Day];
    }
    case TDateFormatField::fkMonth:
        if (AField.Letters == 3)
            return Formats.ShortMonthNames[D.Month - 1];
        if (AField.Letters >= 4)
            return Formats.LongMonthNames[D.Month - 1];
        return Padded(D.Month, Digits);
    case TDateFormatField::fkYear: return Padded(D.Year, 4);
    case TDateFormatField::fkHour: return Padded(ATwelve ? (Hour + 11) % 12 + 1 : Hour, Digits);
    case TDateFormatField::fkMinute: return Padded(Minute, Digits);
    case TDateFormatField::fkSecond: return Padded(Second, Digits);
    case TDateFormatField::fkAmPm: {
        String Text = Hour < 12 ? Formats.TimeAMString : Formats.TimePMString;
        return !Text.empty() ? Text : Hour < 12 ? "AM" : "PM";
    }
    }
    return {};
}

String FormatWith(const std::vector<TDateFormatField>& AFields, TDateTime AValue)
{
    bool Twelve = HasTwelveHours(AFields);
    String Text;
    for (const auto& Field : AFields)
        Text += FieldText(Field, AValue, Twelve);
    return Text;
}

// The locale's format of the kind, or a plain one when the locale gives no usable fields.
std::vector<TDateFormatField> FieldsOf(TDateTimeKind AKind, TDTDateFormat AFormat)
{
    const TFormatSettings& Formats = LocaleFormats();
    String Format = AKind == dtkTime ? Formats.LongTimeFormat
                    : AFormat == dfLong ? Formats.LongDateFormat
                                        : Formats.ShortDateFormat;
    std::vector<TDateFormatField> Fields = ParseFormat(Format);
    int Wanted = AKind == dtkTime ? 2 : 3;   // hours and minutes; day, month and year
    int Found = int(std::count_if(Fields.begin(), Fields.end(), [](const auto& F) { return IsEditable(F.Kind); }));
    if (Found < Wanted)
        Fields = ParseFormat(AKind == dtkTime ? "hh:nn:ss" : "yyyy-mm-dd");
    return Fields;
}

}  // namespace

// ---- TMonthCalendar ----------------------------------------------------------------------

void TMonthCalendar::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetTabStop(true);
    SetColor(clWindow);
    SetControlStyle(WithoutClicks(ControlStyle()));
    FDate = DateOf(Today());
    FShownMonth = MonthStart(FDate);
    TSize Size = MinimumSize();
    SetBounds(0, 0, Size.cx, Size.cy);
}

TDateTime TMonthCalendar::Today() const
{
    return FToday != 0 ? FToday : DateOf(Now());
}

void TMonthCalendar::SetToday(TDateTime AValue)
{
    FToday = DateOf(AValue);
    Invalidate();
}

void TMonthCalendar::SetDate(TDateTime AValue)
{
    FDate = ClampDay(DateOf(AValue));
    Show(FDate);
    Invalidate();
}

void TMonthCalendar::SetFirstDayOfWeek(TCalDayOfWeek AValue)
{
    FFirstDayOfWeek = AValue;
    FDayState.clear();   // the shown days change
    Invalidate();
}

void TMonthCalendar::SetShowToday(bool AValue)
{
    FShowToday = AValue;
    Invalidate();
}

void TMonthCalendar::SetShowTodayCircle(bool AValue)
{
    FShowTodayCircle = AValue;
    Invalidate();
}

void TMonthCalendar::Show(TDateTime AMonth)
{
    TDateTime Month = MonthStart(AMonth);
    if (Month == FShownMonth)
        return;
    FShownMonth = Month;
    FDayState.clear();
    Invalidate();
}

int TMonthCalendar::FirstColumnDay() const
{
    int Monday0 = FFirstDayOfWeek == dowLocaleDefault ? GetUserFirstDayOfWeek() : int(FFirstDayOfWeek);
    return (Monday0 + 1) % 7 + 1;
}

TDateTime TMonthCalendar::FirstShownDay() const
{
    int Before = (DayOfWeek(FShownMonth) - FirstColumnDay() + 7) % 7;
    return ClampDay(FShownMonth - Before);
}

TMonthCalendar::TLayout TMonthCalendar::Layout() const
{
    TLayout L;
    Canvas()->Font()->Assign(Font());
    int Text = Canvas()->TextHeight("Wg");
    int Widest = Canvas()->TextWidth("00");
    for (const String& Name : LocaleFormats().ShortDayNames)
        Widest = std::max(Widest, Canvas()->TextWidth(Name));
    L.Cell = Widest + 10;
    L.Row = Text + 4;
    L.Title = Text + 10;
    L.Left = std::max((ClientWidth() - 7 * L.Cell) / 2, 0);
    L.Top = L.Title + 2;
    return L;
}

TSize TMonthCalendar::MinimumSize() const
{
    TLayout L = Layout();
    int Height = L.Top + L.Row + 2 + 6 * L.Row + (FShowToday ? L.Row + 6 : 4);
    return TSize{7 * L.Cell + 8, Height};
}

TRect TMonthCalendar::DayRect(TDateTime ADay) const
{
    int Index = int(DateOf(ADay) - FirstShownDay());
    if (Index < 0 || Index >= 42)
        return Rect(0, 0, 0, 0);
    TLayout L = Layout();
    int X = L.Left + Index % 7 * L.Cell;
    int Y = L.Top + L.Row + 2 + Index / 7 * L.Row;
    return Rect(X, Y, X + L.Cell, Y + L.Row);
}

TRect TMonthCalendar::PrevButtonRect() const
{
    TLayout L = Layout();
    int Side = L.Title - 6;
    return Rect(L.Left + 2, 3, L.Left + 2 + Side, 3 + Side);
}

TRect TMonthCalendar::NextButtonRect() const
{
    TLayout L = Layout();
    int Side = L.Title - 6;
    int Right = L.Left + 7 * L.Cell - 2;
    return Rect(Right - Side, 3, Right, 3 + Side);
}

TRect TMonthCalendar::TodayRect() const
{
    if (!FShowToday)
        return Rect(0, 0, 0, 0);
    TLayout L = Layout();
    int Y = L.Top + L.Row + 2 + 6 * L.Row + 2;
    return Rect(L.Left, Y, L.Left + 7 * L.Cell, Y + L.Row + 2);
}

TDateTime TMonthCalendar::DayAt(int AX, int AY) const
{
    TLayout L = Layout();
    int Top = L.Top + L.Row + 2;
    if (AX < L.Left || AX >= L.Left + 7 * L.Cell || AY < Top || AY >= Top + 6 * L.Row)
        return 0;
    return FirstShownDay() + (AY - Top) / L.Row * 7 + (AX - L.Left) / L.Cell;
}

bool TMonthCalendar::IsBold(TDateTime ADay) const
{
    if (FDayState.empty())
        return false;
    TYmd Start = Split(FDayStateStart);
    TYmd D = Split(ADay);
    int Month = (D.Year - Start.Year) * 12 + D.Month - Start.Month;
    return Month >= 0 && Month < int(FDayState.size()) && (FDayState[size_t(Month)] >> (D.Day - 1) & 1) != 0;
}

// Asks for the bold days of every month that has a day in the grid.
void TMonthCalendar::AskDayState()
{
    TDateTime First = MonthStart(FirstShownDay());
    TDateTime Last = MonthStart(ClampDay(FirstShownDay() + 41));
    TYmd A = Split(First), B = Split(Last);
    int Months = (B.Year - A.Year) * 12 + B.Month - A.Month + 1;
    std::vector<MONTHDAYSTATE> State(size_t(Months), 0);
    NMDAYSTATE Ask;
    Ask.nmhdr.code = MCN_GETDAYSTATE;
    Ask.stStart = ToSystemTime(First);
    Ask.cDayState = Months;
    Ask.prgDayState = State.data();
    Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&Ask));
    FDayStateStart = First;
    FDayState = std::move(State);
}

void TMonthCalendar::Notify(int ACode)
{
    NMSELCHANGE Change;
    Change.nmhdr.code = ACode;
    Change.stSelStart = ToSystemTime(FDate);
    Change.stSelEnd = Change.stSelStart;
    Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&Change));
}

void TMonthCalendar::SelectByUser(TDateTime ADay, bool AChosen)
{
    ADay = ClampDay(DateOf(ADay));
    bool Changed = ADay != FDate;
    FDate = ADay;
    Show(ADay);
    Invalidate();
    if (Changed)
        Notify(MCN_SELCHANGE);
    if (AChosen)
        Notify(MCN_SELECT);
}

void TMonthCalendar::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case WM_GETDLGCODE:
        AMessage.Result = DLGC_WANTARROWS;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_FONTCHANGED:
        Invalidate();
        break;
    default:
        break;
    }
    inherited::WndProc(AMessage);
}

void TMonthCalendar::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyDown(AKey, AShift);
    TDateTime Day = FDate;
    bool Ctrl = AShift.Contains(ssCtrl);
    switch (AKey) {
    case VK_LEFT: Day = Day - 1; break;
    case VK_RIGHT: Day = Day + 1; break;
    case VK_UP: Day = Day - 7; break;
    case VK_DOWN: Day = Day + 7; break;
    case VK_PRIOR: Day = AddMonths(Day, Ctrl ? -12 : -1); break;
    case VK_NEXT: Day = AddMonths(Day, Ctrl ? 12 : 1); break;
    case VK_HOME: Day = MonthStart(Day); break;
    case VK_END: Day = MonthStart(Day) + DaysInMonth(Day) - 1; break;
    default: return;
    }
    SelectByUser(Day, false);
    AKey = 0;
}

void TMonthCalendar::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    inherited::MouseDown(AButton, AShift, AX, AY);
    if (AButton != mbLeft)
        return;
    if (CanFocus() && !Focused() && TabStop())
        SetFocus();
    TPoint At = Point(AX, AY);
    if (Within(PrevButtonRect(), At))
        SelectByUser(AddMonths(FDate, -1), false);
    else if (Within(NextButtonRect(), At))
        SelectByUser(AddMonths(FDate, 1), false);
    else if (Within(TodayRect(), At))
        SelectByUser(Today(), true);
    else if (TDateTime Day = DayAt(AX, AY); Day != 0)
        SelectByUser(Day, true);
}

void TMonthCalendar::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    TCanvas* C = Canvas();
    TLayout L = Layout();
    C->Brush()->SetColor(StyledColor(Color()));
    C->FillRect(ClientRect());
    if (FDayState.empty())
        AskDayState();
    const TFormatSettings& Formats = LocaleFormats();
    TYmd Shown = Split(FShownMonth);
    TColor Text = StyledColor(Enabled() ? clWindowText : clGrayText);

    // Title with the month buttons.
    int State = Enabled() ? 0 : 3;
    Style->DrawElement(C, Style->GetElementDetails(TThemedScrollBar(tsArrowBtnLeftNormal + State)), PrevButtonRect());
    Style->DrawElement(C, Style->GetElementDetails(TThemedScrollBar(tsArrowBtnRightNormal + State)), NextButtonRect());
    C->Font()->SetStyle({fsBold});
    DrawCaption(C, Formats.LongMonthNames[Shown.Month - 1] + " " + std::to_string(Shown.Year),
                Rect(L.Left, 0, L.Left + 7 * L.Cell, L.Title), {tfSingleLine, tfVerticalCenter, tfCenter, tfNoPrefix},
                Text);
    C->Font()->SetStyle({});

    // Weekday names over a line.
    int First = FirstColumnDay();
    TColor Header = StyledColor(Enabled() ? clHighlight : clGrayText);
    for (int I = 0; I < 7; ++I) {
        TRect Cell = Rect(L.Left + I * L.Cell, L.Top, L.Left + (I + 1) * L.Cell, L.Top + L.Row);
        DrawCaption(C, Formats.ShortDayNames[size_t((First - 1 + I) % 7)], Cell,
                    {tfSingleLine, tfVerticalCenter, tfCenter, tfNoPrefix}, Header);
    }
    C->Brush()->SetColor(StyledColor(clBtnShadow));
    C->FillRect(Rect(L.Left + 2, L.Top + L.Row, L.Left + 7 * L.Cell - 2, L.Top + L.Row + 1));

    // The days.
    TDateTime Start = FirstShownDay();
    TDateTime TodayDate = Today();
    for (int I = 0; I < 42; ++I) {
        TDateTime Day = Start + I;
        TRect Cell = DayRect(Day);
        TYmd D = Split(Day);
        bool Selected = Day == FDate;
        TColor DayText = D.Month != Shown.Month ? StyledColor(clGrayText) : Text;
        if (Selected) {
            C->Brush()->SetColor(StyledColor(Focused() ? clHighlight : clBtnFace));
            C->FillRect(Rect(Cell.Left + 1, Cell.Top, Cell.Right - 1, Cell.Bottom));
            if (Focused())
                DayText = StyledColor(clHighlightText);
        }
        if (FShowTodayCircle && Day == TodayDate) {
            C->Brush()->SetColor(StyledColor(clHotLight));
            C->FrameRect(Rect(Cell.Left + 1, Cell.Top, Cell.Right - 1, Cell.Bottom));
        }
        C->Font()->SetStyle(IsBold(Day) ? TFontStyles{fsBold} : TFontStyles{});
        DrawCaption(C, std::to_string(D.Day), Cell, {tfSingleLine, tfVerticalCenter, tfCenter, tfNoPrefix}, DayText);
        if (Selected && Focused())
            Style->DrawFocusRect(C, Rect(Cell.Left + 1, Cell.Top, Cell.Right - 1, Cell.Bottom));
    }
    C->Font()->SetStyle({});

    if (FShowToday) {
        TRect Line = TodayRect();
        String Caption = "Today: " + FormatWith(FieldsOf(dtkDate, dfShort), TodayDate);
        DrawCaption(C, Caption, Line, {tfSingleLine, tfVerticalCenter, tfCenter, tfNoPrefix}, Text);
    }
}

// ---- The picker's drop-down --------------------------------------------------------------

// The drop-down's calendar hands what the user does to its picker.
class TPickerCalendar : public TMonthCalendar {
    X_CLASS(TPickerCalendar, TMonthCalendar)
public:
    void Forget() { FPicker = nullptr; }

protected:
    TPickerCalendar() = default;
    X_REINTRODUCE(void Construct(TComponent* AOwner, TDateTimePicker* APicker))
    {
        inherited::Construct(AOwner);
        FPicker = APicker;
        SetTabStop(false);
    }
    void WndProc(TMessage& AMessage) override
    {
        inherited::WndProc(AMessage);
        if (AMessage.Msg == CN_NOTIFY && FPicker != nullptr)
            FPicker->CalendarNotified(reinterpret_cast<NMHDR*>(AMessage.LParam)->code);
    }

private:
    TDateTimePicker* FPicker = nullptr;
};

// The window of the drop-down calendar below the picker, which it never activates. A press
// outside it and the picker closes it.
class TPickerPopup : public TCustomForm, public TPopupOwner {
    X_CLASS(TPickerPopup, TCustomForm)
public:
    TMonthCalendar* Calendar() const { return FCalendar; }
    void Detach()
    {
        UnregisterPopup(this);
        FCalendar->Forget();
        FPicker = nullptr;
        SetVisible(false);
        Release();
    }
    bool OwnsPress(TWinControl* AWindow, TPoint AScreen) override
    {
        if (AWindow == this || FPicker == nullptr)
            return true;
        TPoint Local = FPicker->ScreenToClient(AScreen);
        return Within(FPicker->ClientRect(), Local);
    }
    void ClosePopup() override
    {
        if (FPicker != nullptr)
            FPicker->SetDroppedDown(false);
    }

protected:
    TPickerPopup() = default;
    X_REINTRODUCE(void Construct(TDateTimePicker* APicker))
    {
        inherited::Construct(nullptr);
        FPicker = APicker;
        SetBorderStyle(bsNone);
        SetFormStyle(fsStayOnTop);
        FCalendar = TPickerCalendar::Create(this, APicker);
        FCalendar->SetParent(this);
        FCalendar->Font()->Assign(APicker->Font());
        FCalendar->SetDate(APicker->Date());
        TSize Size = FCalendar->MinimumSize();
        FCalendar->SetBounds(1, 1, Size.cx, Size.cy);
        SetColor(clBtnShadow);
        RegisterPopup(this);
    }
    ~TPickerPopup() override { UnregisterPopup(this); }

private:
    TDateTimePicker* FPicker = nullptr;
    TPickerCalendar* FCalendar = nullptr;
};

// ---- TDateTimePicker ---------------------------------------------------------------------

void TDateTimePicker::Construct(TComponent* AOwner)
{
    inherited::Construct(AOwner);
    SetBounds(0, 0, 186, 21);
    SetTabStop(true);
    SetColor(clWindow);
    SetControlStyle(WithoutClicks(ControlStyle()));
    FDateTime = Now();
    BuildFields();
}

TDateTimePicker::~TDateTimePicker()
{
    if (FPopup != nullptr) {
        static_cast<TPickerPopup*>(FPopup)->Detach();
        FPopup = nullptr;
    }
}

void TDateTimePicker::BuildFields()
{
    FFields = FieldsOf(FKind, FDateFormat);
    FTyped.clear();
    FSelected = std::min(FSelected, int(EditableFields().size()) - 1);
    Invalidate();
}

void TDateTimePicker::SetDateTime(TDateTime AValue)
{
    FDateTime = AValue;
    FTyped.clear();
    if (FCalendar != nullptr)
        FCalendar->SetDate(AValue);
    Invalidate();
}

TDateTime TDateTimePicker::Date() const
{
    return DateOf(FDateTime);
}

void TDateTimePicker::SetDate(TDateTime AValue)
{
    SetDateTime(DateOf(AValue) + TimeOf(FDateTime));
}

TDateTime TDateTimePicker::Time() const
{
    return TimeOf(FDateTime);
}

void TDateTimePicker::SetTime(TDateTime AValue)
{
    SetDateTime(DateOf(FDateTime) + TimeOf(AValue));
}

void TDateTimePicker::SetKind(TDateTimeKind AValue)
{
    if (AValue == dtkTime)
        SetDroppedDown(false);
    FKind = AValue;
    BuildFields();
}

void TDateTimePicker::SetDateMode(TDTDateMode AValue)
{
    if (AValue == dmUpDown)
        SetDroppedDown(false);
    FDateMode = AValue;
    Invalidate();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat AValue)
{
    FDateFormat = AValue;
    BuildFields();
}

void TDateTimePicker::SetShowCheckbox(bool AValue)
{
    FShowCheckbox = AValue;
    Invalidate();
}

void TDateTimePicker::SetChecked(bool AValue)
{
    FChecked = AValue;
    Invalidate();
}

String TDateTimePicker::DisplayText() const
{
    std::vector<int> Editable = EditableFields();
    bool Twelve = HasTwelveHours(FFields);
    String Text;
    for (size_t I = 0; I < FFields.size(); ++I) {
        bool Typing = !FTyped.empty() && FSelected >= 0 && Editable[size_t(FSelected)] == int(I);
        Text += Typing ? FTyped : FieldText(FFields[I], FDateTime, Twelve);
    }
    return Text;
}

std::vector<int> TDateTimePicker::EditableFields() const
{
    std::vector<int> Result;
    for (size_t I = 0; I < FFields.size(); ++I)
        if (IsEditable(FFields[I].Kind))
            Result.push_back(int(I));
    return Result;
}

TRect TDateTimePicker::CheckRect() const
{
    if (!FShowCheckbox)
        return Rect(0, 0, 0, 0);
    int Side = 13;
    int Top = (Height() - Side) / 2;
    return Rect(4, Top, 4 + Side, Top + Side);
}

TRect TDateTimePicker::ButtonRect() const
{
    int Side = StyleServices()->Metrics().ScrollBarSize;
    return Rect(Width() - 2 - Side, 2, Width() - 2, Height() - 2);
}

int TDateTimePicker::TextLeft() const
{
    return FShowCheckbox ? CheckRect().Right + 4 : 4;
}

TRect TDateTimePicker::FieldRect(int AIndex) const
{
    Canvas()->Font()->Assign(Font());
    bool Twelve = HasTwelveHours(FFields);
    std::vector<int> Editable = EditableFields();
    int X = TextLeft();
    for (int I = 0; I < int(FFields.size()); ++I) {
        bool Typing = !FTyped.empty() && FSelected >= 0 && Editable[size_t(FSelected)] == I;
        int Width = Canvas()->TextWidth(Typing ? FTyped : FieldText(FFields[size_t(I)], FDateTime, Twelve));
        if (I == AIndex)
            return Rect(X, 3, X + Width, Height() - 3);
        X += Width;
    }
    return Rect(0, 0, 0, 0);
}

void TDateTimePicker::SelectField(int AEditable)
{
    CommitTyped();
    int Count = int(EditableFields().size());
    FSelected = Count == 0 ? -1 : std::clamp(AEditable, 0, Count - 1);
    Invalidate();
}

// The value with one field stepped by ADelta, going round within the field as the system's
// picker does: the day within its month, the month within the year, the hour within the day.
TDateTime TDateTimePicker::Stepped(const TField& AField, int ADelta) const
{
    TYmd D = Split(FDateTime);
    uint16_t Hour = 0, Minute = 0, Second = 0, MSec = 0;
    DecodeTime(FDateTime, Hour, Minute, Second, MSec);
    auto Round = [](int AValue, int AMin, int ACount) { return ((AValue - AMin) % ACount + ACount) % ACount + AMin; };
    switch (AField.Kind) {
    case TDateFormatField::fkDay: return WithField(AField, Round(D.Day + ADelta, 1, DaysInAMonth(D.Year, D.Month)));
    case TDateFormatField::fkMonth: return WithField(AField, Round(D.Month + ADelta, 1, 12));
    case TDateFormatField::fkYear: return WithField(AField, std::clamp(D.Year + ADelta, 1, 9999));
    case TDateFormatField::fkHour: return WithField(AField, Round(Hour + ADelta, 0, 24));
    case TDateFormatField::fkMinute: return WithField(AField, Round(Minute + ADelta, 0, 60));
    case TDateFormatField::fkSecond: return WithField(AField, Round(Second + ADelta, 0, 60));
    case TDateFormatField::fkAmPm: return WithField(AField, Hour < 12 ? 1 : 0);
    default: return FDateTime;
    }
}

// The value with one field set (hours 0..23; for the AM/PM field 0 or 1); the day is kept
// within the month.
TDateTime TDateTimePicker::WithField(const TField& AField, int AValue) const
{
    TYmd D = Split(FDateTime);
    uint16_t Hour = 0, Minute = 0, Second = 0, MSec = 0;
    DecodeTime(FDateTime, Hour, Minute, Second, MSec);
    switch (AField.Kind) {
    case TDateFormatField::fkDay: D.Day = AValue; break;
    case TDateFormatField::fkMonth: D.Month = AValue; break;
    case TDateFormatField::fkYear: D.Year = AValue; break;
    case TDateFormatField::fkHour: Hour = uint16_t(AValue); break;
    case TDateFormatField::fkMinute: Minute = uint16_t(AValue); break;
    case TDateFormatField::fkSecond: Second = uint16_t(AValue); break;
    case TDateFormatField::fkAmPm: Hour = uint16_t(Hour % 12 + (AValue != 0 ? 12 : 0)); break;
    default: break;
    }
    D.Day = std::min(D.Day, DaysInAMonth(D.Year, D.Month));
    TDateTime Day;
    TDateTime Time;
    if (!TryEncodeDate(D.Year, D.Month, D.Day, Day) || !TryEncodeTime(Hour, Minute, Second, MSec, Time))
        return FDateTime;
    return Day + Time;
}

// Digits typed into a field: each one that leaves a valid value takes effect at once; when no
// further digit could, the next field is selected. A year takes effect at four digits, or
// when the field is left.
void TDateTimePicker::TypeDigit(int ADigit)
{
    std::vector<int> Editable = EditableFields();
    if (FSelected < 0 || FSelected >= int(Editable.size()))
        return;
    const TField& Field = FFields[size_t(Editable[size_t(FSelected)])];
    if (Field.Kind == TDateFormatField::fkAmPm)
        return;
    FTyped += char('0' + ADigit);
    int Value = std::stoi(FTyped);
    if (Field.Kind == TDateFormatField::fkYear) {
        if (FTyped.size() >= 4)
            CommitTyped();
        Invalidate();
        return;
    }
    int Max = 0;
    switch (Field.Kind) {
    case TDateFormatField::fkDay: Max = DaysInAMonth(Split(FDateTime).Year, Split(FDateTime).Month); break;
    case TDateFormatField::fkMonth: Max = 12; break;
    case TDateFormatField::fkHour: Max = HasTwelveHours(FFields) ? 12 : 23; break;
    default: Max = 59; break;
    }
    int Min = Field.Kind == TDateFormatField::fkDay || Field.Kind == TDateFormatField::fkMonth ||
                      (Field.Kind == TDateFormatField::fkHour && HasTwelveHours(FFields))
                  ? 1
                  : 0;
    if (Value > Max) {   // this digit starts the field anew
        FTyped = char('0' + ADigit);
        Value = ADigit;
    }
    if (Value >= Min) {
        int Taken = Value;
        if (Field.Kind == TDateFormatField::fkHour && HasTwelveHours(FFields))
            Taken = Value % 12 + (TimeOf(FDateTime) >= 0.5 ? 12 : 0);
        ChangeByUser(WithField(Field, Taken));
    }
    if (Value * 10 > Max) {
        FTyped.clear();
        if (FSelected + 1 < int(Editable.size()))
            ++FSelected;
    }
    Invalidate();
}

void TDateTimePicker::CommitTyped()
{
    if (FTyped.empty())
        return;
    String Typed = std::exchange(FTyped, {});
    std::vector<int> Editable = EditableFields();
    if (FSelected < 0 || FSelected >= int(Editable.size()))
        return;
    const TField& Field = FFields[size_t(Editable[size_t(FSelected)])];
    if (Field.Kind != TDateFormatField::fkYear)
        return;   // the others took their digits already
    int Year = std::stoi(Typed);
    // A short year is one of the century window around now, as the locale's short dates read.
    if (Typed.size() <= 2) {
        int ThisYear = Split(Now()).Year;
        Year += ThisYear / 100 * 100;
        if (Year > ThisYear + 50)
            Year -= 100;
    }
    if (Year >= 1)
        ChangeByUser(WithField(Field, Year));
    Invalidate();
}

void TDateTimePicker::ChangeByUser(TDateTime AValue)
{
    bool Checking = FShowCheckbox && !FChecked;
    if (AValue == FDateTime && !Checking)
        return;
    FChecked = true;
    FDateTime = AValue;
    if (FCalendar != nullptr)
        FCalendar->SetDate(AValue);
    Invalidate();
    NotifyChange();
}

void TDateTimePicker::NotifyChange()
{
    NMDATETIMECHANGE Change;
    Change.nmhdr.code = DTN_DATETIMECHANGE;
    Change.dwFlags = FShowCheckbox && !FChecked ? GDT_NONE : GDT_VALID;
    Change.st = ToSystemTime(FDateTime);
    Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&Change));
}

void TDateTimePicker::NotifyCode(int ACode)
{
    NMHDR Header;
    Header.code = ACode;
    Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&Header));
}

void TDateTimePicker::Change()
{
    if (FOnChange)
        FOnChange(this);
}

void TDateTimePicker::WndProc(TMessage& AMessage)
{
    switch (AMessage.Msg) {
    case WM_GETDLGCODE:
        AMessage.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (DroppedDown() ? DLGC_WANTALLKEYS : 0);
        return;
    case WM_KILLFOCUS:
        CommitTyped();
        SetDroppedDown(false);
        Invalidate();
        break;
    case WM_SETFOCUS:
        if (FSelected < 0)
            FSelected = EditableFields().empty() ? -1 : 0;
        Invalidate();
        break;
    case CM_FONTCHANGED:
        Invalidate();
        break;
    case CN_NOTIFY:
        switch (reinterpret_cast<NMHDR*>(AMessage.LParam)->code) {
        case DTN_DATETIMECHANGE: Change(); break;
        case DTN_DROPDOWN:
            if (FOnDropDown)
                FOnDropDown(this);
            break;
        case DTN_CLOSEUP:
            if (FOnCloseUp)
                FOnCloseUp(this);
            break;
        default: break;
        }
        return;
    default:
        break;
    }
    inherited::WndProc(AMessage);
}

void TDateTimePicker::SetDroppedDown(bool AValue)
{
    if (AValue == DroppedDown() || (AValue && (FKind == dtkTime || FDateMode == dmUpDown)))
        return;
    if (!AValue) {
        auto* Popup = static_cast<TPickerPopup*>(FPopup);
        FPopup = nullptr;
        FCalendar = nullptr;
        Popup->Detach();
        Invalidate();
        NotifyCode(DTN_CLOSEUP);
        return;
    }
    CommitTyped();
    NotifyCode(DTN_DROPDOWN);
    auto* Popup = TPickerPopup::Create(this);
    FPopup = Popup;
    FCalendar = Popup->Calendar();
    TSize Size = FCalendar->MinimumSize();
    Size = TSize{Size.cx + 2, Size.cy + 2};
    // Below the picker, or above it when the screen ends first.
    TPoint At = ClientToScreen(Point(0, Height()));
    if (At.Y + Size.cy > Screen->Height())
        At.Y = std::max(At.Y - Height() - Size.cy, 0);
    At.X = std::clamp(At.X, 0, std::max(Screen->Width() - Size.cx, 0));
    Popup->SetBounds(At.X, At.Y, Size.cx, Size.cy);
    Popup->SetVisible(true);
    Invalidate();
}

void TDateTimePicker::CalendarNotified(int ACode)
{
    if (FCalendar == nullptr)
        return;
    if (ACode == MCN_SELCHANGE || ACode == MCN_SELECT)
        ChangeByUser(DateOf(FCalendar->Date()) + TimeOf(FDateTime));
    if (ACode == MCN_SELECT)
        SetDroppedDown(false);
}

void TDateTimePicker::KeyDown(uint16_t& AKey, TShiftState AShift)
{
    inherited::KeyDown(AKey, AShift);
    if (AKey == 0)
        return;
    if (DroppedDown()) {
        if (AKey == VK_RETURN || AKey == VK_ESCAPE || AKey == VK_F4 || (AShift.Contains(ssAlt) && AKey == VK_UP))
            SetDroppedDown(false);
        else
            FCalendar->Perform(WM_KEYDOWN, AKey, 0);
        AKey = 0;
        return;
    }
    if (AKey == VK_F4 || (AShift.Contains(ssAlt) && AKey == VK_DOWN)) {
        SetDroppedDown(true);
        AKey = 0;
        return;
    }
    std::vector<int> Editable = EditableFields();
    switch (AKey) {
    case VK_LEFT: SelectField(FSelected - 1); break;
    case VK_RIGHT: SelectField(FSelected + 1); break;
    case VK_UP:
    case VK_DOWN:
        CommitTyped();
        if (FSelected >= 0)
            ChangeByUser(Stepped(FFields[size_t(Editable[size_t(FSelected)])], AKey == VK_UP ? 1 : -1));
        break;
    default: return;
    }
    AKey = 0;
}

void TDateTimePicker::KeyPress(char32_t& AKey)
{
    inherited::KeyPress(AKey);
    if (AKey == ' ' && FShowCheckbox) {
        FChecked = !FChecked;
        Invalidate();
        NotifyChange();
        AKey = 0;
        return;
    }
    if (AKey >= '0' && AKey <= '9' && !DroppedDown()) {
        TypeDigit(int(AKey - '0'));
        AKey = 0;
        return;
    }
    std::vector<int> Editable = EditableFields();
    if (FSelected >= 0 && FFields[size_t(Editable[size_t(FSelected)])].Kind == TDateFormatField::fkAmPm) {
        // The first letter of the AM or the PM text picks it.
        const TFormatSettings& Formats = LocaleFormats();
        char32_t Lower = AKey < 128 ? char32_t(std::tolower(int(AKey))) : AKey;
        for (int Pm = 0; Pm < 2; ++Pm) {
            String Text = Pm != 0 ? Formats.TimePMString : Formats.TimeAMString;
            if (Text.empty())
                Text = Pm != 0 ? "PM" : "AM";
            if (char32_t(std::tolower(static_cast<unsigned char>(Text[0]))) == Lower)
                ChangeByUser(WithField(FFields[size_t(Editable[size_t(FSelected)])], Pm));
        }
        AKey = 0;
    }
}

void TDateTimePicker::MouseDown(TMouseButton AButton, TShiftState AShift, int AX, int AY)
{
    inherited::MouseDown(AButton, AShift, AX, AY);
    if (AButton != mbLeft)
        return;
    if (CanFocus() && !Focused())
        SetFocus();
    TPoint At = Point(AX, AY);
    if (Within(CheckRect(), At)) {
        FChecked = !FChecked;
        Invalidate();
        NotifyChange();
        return;
    }
    TRect Button = ButtonRect();
    if (Within(Button, At)) {
        if (FKind == dtkTime || FDateMode == dmUpDown) {
            bool Up = AY < (Button.Top + Button.Bottom) / 2;
            if (FSelected < 0)
                SelectField(0);
            CommitTyped();
            std::vector<int> Editable = EditableFields();
            if (FSelected >= 0)
                ChangeByUser(Stepped(FFields[size_t(Editable[size_t(FSelected)])], Up ? 1 : -1));
        } else {
            SetDroppedDown(!DroppedDown());
        }
        return;
    }
    std::vector<int> Editable = EditableFields();
    for (int I = 0; I < int(Editable.size()); ++I) {
        TRect Field = FieldRect(Editable[size_t(I)]);
        if (AX >= Field.Left - 2 && AX < Field.Right + 2) {
            SelectField(I);
            return;
        }
    }
}

void TDateTimePicker::Paint()
{
    TCustomStyleServices* Style = StyleServices();
    TCanvas* C = Canvas();
    TRect Client = ClientRect();
    bool Hot = MouseInClient();
    TThemedComboBox Border = !Enabled() ? tcBorderDisabled : Focused() ? tcBorderFocused : Hot ? tcBorderHot : tcBorderNormal;
    Style->DrawElement(C, Style->GetElementDetails(Border), Client);
    if (FShowCheckbox) {
        TThemedButton Box = FChecked ? tbCheckBoxCheckedNormal : tbCheckBoxUncheckedNormal;
        if (!Enabled())
            Box = TThemedButton(Box + 3);
        Style->DrawElement(C, Style->GetElementDetails(Box), CheckRect());
    }
    TRect Button = ButtonRect();
    int State = !Enabled() ? 3 : DroppedDown() ? 2 : 0;
    if (FKind == dtkTime || FDateMode == dmUpDown) {
        int Middle = (Button.Top + Button.Bottom) / 2;
        Style->DrawElement(C, Style->GetElementDetails(TThemedScrollBar(tsArrowBtnUpNormal + State)),
                           Rect(Button.Left, Button.Top, Button.Right, Middle));
        Style->DrawElement(C, Style->GetElementDetails(TThemedScrollBar(tsArrowBtnDownNormal + State)),
                           Rect(Button.Left, Middle, Button.Right, Button.Bottom));
    } else {
        Style->DrawElement(C, Style->GetElementDetails(TThemedComboBox(tcDropDownButtonNormal + State)), Button);
    }
    C->Font()->Assign(Font());
    bool Active = Enabled() && (!FShowCheckbox || FChecked);
    TColor Text = StyledColor(Active ? clWindowText : clGrayText);
    std::vector<int> Editable = EditableFields();
    bool Twelve = HasTwelveHours(FFields);
    for (int I = 0; I < int(FFields.size()); ++I) {
        TRect Place = FieldRect(I);
        Place.Right = std::min(Place.Right, Button.Left - 1);
        if (Place.Right <= Place.Left)
            break;
        bool Selected = Focused() && !DroppedDown() && FSelected >= 0 && Editable[size_t(FSelected)] == I;
        bool Typing = Selected && !FTyped.empty();
        TColor Color = Text;
        if (Selected) {
            C->Brush()->SetColor(StyledColor(clHighlight));
            C->FillRect(Place);
            Color = StyledColor(clHighlightText);
        }
        DrawCaption(C, Typing ? FTyped : FieldText(FFields[size_t(I)], FDateTime, Twelve), Place,
                    {tfSingleLine, tfVerticalCenter, tfLeft, tfNoPrefix}, Color);
    }
}
