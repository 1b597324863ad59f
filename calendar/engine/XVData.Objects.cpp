#include "XVData.Objects.h"

#include <cctype>
#include <exception>
#include <limits>

#include "Rtl.DateUtils.h"
#include "Rtl.Files.h"
#include "Rtl.SysUtils.h"
#include "Win.Locale.h"
#include "XCore.App.h"
#include "XCore.IO.h"
#include "XCore.Strings.h"
#include "XCore.Types.h"
#include "XVData.Containers.h"
#include "XVData.Filers.h"

namespace {

// A run of one format letter ("dd", "mmmm") in the locale's short date format.
String FormatDatePart(char ALetter, size_t ALength, TDateTime ADate, const TFormatSettings& ASettings)
{
    uint16_t Year, Month, Day;
    DecodeDate(ADate, Year, Month, Day);
    auto Padded = [](int AValue, size_t AWidth) { return ZeroPadInt(AValue, static_cast<int>(AWidth)); };
    switch (ALetter) {
    case 'd':
        if (ALength <= 2)
            return Padded(Day, ALength);
        // The platform's day arrays start with Sunday, as DayOfWeek counts.
        return (ALength == 3 ? ASettings.ShortDayNames : ASettings.LongDayNames)[DayOfWeek(ADate) - 1];
    case 'm':
        if (ALength <= 2)
            return Padded(Month, ALength);
        return (ALength == 3 ? ASettings.ShortMonthNames : ASettings.LongMonthNames)[Month - 1];
    case 'y':
        return ALength <= 2 ? Padded(Year % 100, 2) : Padded(Year, 4);
    default:
        return String(ALength, ALetter);
    }
}

// ADate in the user's short date format (Delphi's "ddddd").
String ShortDateText(TDateTime ADate)
{
    TFormatSettings Settings = GetLocaleFormatSettings(LOCALE_USER_DEFAULT);
    const String& Format = Settings.ShortDateFormat;
    String Result;
    for (size_t I = 0; I < Format.size();) {
        char Letter = Format[I];
        size_t Run = 1;
        while (I + Run < Format.size() && Format[I + Run] == Letter)
            ++Run;
        Result += FormatDatePart(static_cast<char>(std::tolower(static_cast<unsigned char>(Letter))), Run, ADate,
                                 Settings);
        I += Run;
    }
    return Result;
}

// A failing display text counts as equal: sorting must not stop on one bad object.
int CompareDisplayTexts(TObject* A, TObject* B)
{
    try {
        return CompareText(static_cast<TXCustomVDataObject*>(A)->GetDisplayText(),
                           static_cast<TXCustomVDataObject*>(B)->GetDisplayText());
    } catch (const std::exception&) {
        return 0;
    }
}

int CompareDisplayTextsDescending(TObject* A, TObject* B)
{
    return -CompareDisplayTexts(A, B);
}

int CompareAllEqual(TObject*, TObject*)
{
    return 0;
}

}  // namespace

// ---- TXCustomVDataObject -----------------------------------------------------------------

void TXCustomVDataObject::DeclareProperties(TPropertyDeclarer& P)
{
    using O = TXCustomVDataObject;
    P.Property("UID", &O::UID, &O::SetUID);
    P.Property("ParentUID", &O::ParentUID, &O::SetParentUID);
    P.Property("Created", &O::Created, &O::SetCreated);
    P.Property("LastModified", &O::LastModified, &O::SetLastModified);
}

void TXCustomVDataObject::Init()
{
    inherited::Init();
    FLabel = Owned(TXL::Create());
    FOrderKey = std::numeric_limits<int32_t>::max();
}

void TXCustomVDataObject::DoClear()
{
    inherited::DoClear();
    FUID.clear();
    FParentUID.clear();
    FCreated = 0;
    FLastModified = 0;
}

bool TXCustomVDataObject::HasStatus(unsigned ABit) const
{
    return GetBit(Status(), ABit);
}

void TXCustomVDataObject::SetStatusBit(unsigned ABit, bool AValue)
{
    SetStatus(SetBit(Status(), ABit, AValue));
}

void TXCustomVDataObject::NewObject(TXCustomVDataObject* AParent)
{
    SetStatus(0);
    SetStatusBit(kVStatusNew, true);
    SetStatusBit(kVStatusLoaded, true);
    FParent = AParent;
    FUID = CreateGUIDText();
    FTimeStamp = NVCoreApp()->UtcNow();
    FCreated = FTimeStamp;
    FLastModified = FTimeStamp;
    if (TXVTabObject* Tab = GetTab())
        SetFileName(GetUniqueFileName(Tab->GetFolder() + FUID + GetExtension()));
}

void TXCustomVDataObject::Attach(TXCustomVDataObject* AParent, const String& AFileName)
{
    FParent = AParent;
    SetFileName(AFileName);
}

XClasses::TXObjectCompare TXCustomVDataObject::GetSortCompare(TXVOrderType AOrderType)
{
    switch (AOrderType) {
    case vorAlphaAsc: return &CompareDisplayTexts;
    case vorAlphaDesc: return &CompareDisplayTextsDescending;
    default: return &CompareAllEqual;
    }
}

void TXCustomVDataObject::PrepareLabel()
{
    TXNameValueCollection* Info = FLabel->Info();
    Info->Clear();
    Info->SetValue("Class", ClassName());
    Info->SetValue("UID", FUID);
    Info->SetValue("ParentUID", FParentUID);
}

TXVTabObject* TXCustomVDataObject::GetTab()
{
    for (TXCustomVDataObject* Obj = this; Obj != nullptr; Obj = Obj->FParent)
        if (auto* Tab = AsOrNull<TXVTabObject>(Obj))
            return Tab;
    return nullptr;
}

TClass TXCustomVDataObject::GetFilerClass() const
{
    return TXVDataObjectFiler::StaticClass();
}

bool TXCustomVDataObject::HasValidDates() const
{
    return IsStoredDateValid(FCreated) && IsStoredDateValid(FLastModified)
           && (DTStart() == nullptr || IsStoredDateValid(DTStart()->DDate()));
}

bool TXCustomVDataObject::LoadHeader()
{
    if (HasStatus(kVStatusLoaded) || HasStatus(kVStatusHeaderLoaded))
        return true;
    return ReadFile({}, kVStatusHeaderLoaded);
}

bool TXCustomVDataObject::Load()
{
    if (HasStatus(kVStatusLoaded))
        return true;
    TXFilerParts Parts;
    Parts.set(kReadDescription);
    return ReadFile(Parts, kVStatusLoaded);
}

// Every read attempt drops Modified (which the copy from the file sets) and the other kind
// of loaded. A missing file leaves the object as a loaded, empty one.
bool TXCustomVDataObject::ReadFile(const TXFilerParts& AParts, unsigned ALoadedBit)
{
    bool Missing = !FileExists(FileName());
    bool OK = Missing || FilerLoadFromFile(FileName(), GetFilerClass(), this, false, nullptr, AParts);
    // A date no calendar has would reach the day arithmetic of every month view.
    if (OK && !HasValidDates()) {
        SetFirstError(kErrRead, 0, "The dates of \"" + FileName() + "\" are out of range");
        OK = false;
    }
    SetStatusBit(kVStatusModified, false);
    SetStatusBit(kVStatusHeaderLoaded, false);
    SetStatusBit(kVStatusLoaded, false);
    SetStatusBit(Missing ? kVStatusLoaded : ALoadedBit, OK);
    SetStatusBit(kVStatusLoadFailed, !OK);
    if (OK)
        SetStatusBit(kVStatusUnavailable, false);
    return OK;
}

bool TXCustomVDataObject::Save()
{
    bool Wanted = !FileName().empty() && HasStatus(kVStatusModified)
                  && (HasStatus(kVStatusLoaded) || HasStatus(kVStatusNew)) && !HasStatus(kVStatusLoadFailed);
    if (!Wanted)
        return true;
    ClearError();
    if (!TryForceDirectories(GetFilePath(FileName()))) {
        SetFirstError(kErrWrite, 0, FileName());
        return false;
    }
    PrepareLabel();
    if (!FilerSafeSaveToFile(FileName(), GetFilerClass(), this))
        return false;
    SetStatusBit(kVStatusNew, false);
    SetStatusBit(kVStatusModified, false);
    return true;
}

bool TXCustomVDataObject::Changed()
{
    SetStatusBit(kVStatusNew, false);
    SetStatusBit(kVStatusModified, true);
    return Save();
}

bool TXCustomVDataObject::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXCustomVDataObject>(ASource)) {
        FUID = Source->FUID;
        FParentUID = Source->FParentUID;
        FCreated = Source->FCreated;
        FLastModified = Source->FLastModified;
    }
    return inherited::AssignFrom(ASource);
}

// ---- TXVDataObject -----------------------------------------------------------------------

void TXVDataObject::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("SensitivityType", &TXVDataObject::SensitivityType, &TXVDataObject::SetSensitivityType);
}

void TXVDataObject::DoClear()
{
    inherited::DoClear();
    FSensitivityType = vcsPublic;
}

bool TXVDataObject::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXVDataObject>(ASource))
        FSensitivityType = Source->FSensitivityType;
    return inherited::AssignFrom(ASource);
}

// ---- TXCustomVNoteObject -----------------------------------------------------------------

void TXCustomVNoteObject::DeclareProperties(TPropertyDeclarer& P)
{
    using O = TXCustomVNoteObject;
    P.Property("Priority", &O::Priority, &O::SetPriority);
    P.Property("Summary", &O::Summary, &O::SetSummary);
    P.Property("DescriptionTitle", &O::DescriptionTitle, &O::SetDescriptionTitle);
    P.Property("Description", &O::Description, &O::SetDescription);
    P.Property("Image", &O::Image, &O::SetImage);
    P.Property("ShowSummary", &O::ShowSummary, &O::SetShowSummary);
    P.Property("ShowDescription", &O::ShowDescription, &O::SetShowDescription);
}

void TXCustomVNoteObject::Init()
{
    inherited::Init();
    FDescription = Owned(TXStreamObject::Create());
    FImage = Owned(TXImageObject::Create());
}

void TXCustomVNoteObject::DoClear()
{
    inherited::DoClear();
    FPriority = 0;
    FSummary.clear();
    FDescriptionTitle.clear();
    FShowSummary = false;
    FShowDescription = false;
}

String TXCustomVNoteObject::GetDisplayText()
{
    return Trim(FSummary).empty() ? FDescriptionTitle : FSummary;
}

void TXCustomVNoteObject::SetDataStorable(bool AValue)
{
    inherited::SetDataStorable(AValue);
    FDescription->SetDataStorable(AValue);
    FImage->SetDataStorable(AValue);
}

TClass TXVQuickNoteObject::GetFilerClass() const
{
    return TXVQuickNoteFiler::StaticClass();
}

TClass TXVJournalObject::GetFilerClass() const
{
    return TXVJournalFiler::StaticClass();
}

TClass TXVEventObject::GetFilerClass() const
{
    return TXVEventFiler::StaticClass();
}

TClass TXVHolidayObject::GetFilerClass() const
{
    return TXVHolidayFiler::StaticClass();
}

bool TXCustomVNoteObject::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXCustomVNoteObject>(ASource)) {
        FPriority = Source->FPriority;
        FSummary = Source->FSummary;
        FDescriptionTitle = Source->FDescriptionTitle;
        FDescription->Assign(Source->Description());
        FImage->Assign(Source->Image());
        FShowSummary = Source->FShowSummary;
        FShowDescription = Source->FShowDescription;
    }
    return inherited::AssignFrom(ASource);
}

// ---- TXVJournalObject --------------------------------------------------------------------

void TXVJournalObject::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("DTStart", &TXVJournalObject::DTStart, &TXVJournalObject::SetDTStart);
}

void TXVJournalObject::Init()
{
    inherited::Init();
    FDTStart = Owned(TXVDateTimeItem::Create(nullptr));
    FDTStart->SetDateOnly(true);
}

void TXVJournalObject::DoClear()
{
    inherited::DoClear();
    SetShowDescription(true);
}

String TXVJournalObject::GetDisplayText()
{
    return ShortDateText(FDTStart->DDate()) + " - " + DescriptionTitle();
}

bool TXVJournalObject::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXVJournalObject>(ASource))
        FDTStart->Assign(Source->DTStart());
    return inherited::AssignFrom(ASource);
}

// ---- TXCustomVEventObject ----------------------------------------------------------------

void TXCustomVEventObject::DeclareProperties(TPropertyDeclarer& P)
{
    using O = TXCustomVEventObject;
    P.Property("Enabled", &O::Enabled, &O::SetEnabled);
    P.Property("Category", &O::Category, &O::SetCategory);
    P.Property("DTStart", &O::DTStart, &O::SetDTStart);
    P.Property("DTEnd", &O::DTEnd, &O::SetDTEnd);
    P.Property("RRule", &O::RRule, &O::SetRRule);
    P.Property("ColorType", &O::ColorType, &O::SetColorType);
    P.Property("TextColor", &O::TextColor, &O::SetTextColor);
    P.Property("BgColor", &O::BgColor, &O::SetBgColor);
}

void TXCustomVEventObject::Init()
{
    inherited::Init();
    FDTStart = Owned(TXVDateTimeItem::Create(nullptr));
    FDTEnd = Owned(TXVDateTimeItem::Create(nullptr));
    FRRule = Owned(TXVRecurrenceCollection::Create(static_cast<TPersistent*>(this)));
}

void TXCustomVEventObject::DoClear()
{
    inherited::DoClear();
    FEnabled = true;
    FCategory.clear();
    FColorType = vdcDay;
    FTextColor = kVNoColor;
    FBgColor = kVNoColor;
    SetShowSummary(true);
    SetShowDescription(false);
}

bool TXCustomVEventObject::HasValidDates() const
{
    if (!inherited::HasValidDates() || !IsStoredDateValid(FDTEnd->DDate()))
        return false;
    for (int I = 0; I < FRRule->Count(); ++I)
        if (!IsStoredDateValid(FRRule->Items(I)->EndDate()))
            return false;
    return true;
}

bool TXCustomVEventObject::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXCustomVEventObject>(ASource)) {
        FEnabled = Source->FEnabled;
        FCategory = Source->FCategory;
        FDTStart->Assign(Source->DTStart());
        FDTEnd->Assign(Source->DTEnd());
        FRRule->Assign(Source->RRule());
        FColorType = Source->FColorType;
        FTextColor = Source->FTextColor;
        FBgColor = Source->FBgColor;
    }
    return inherited::AssignFrom(ASource);
}

String TXVHolidayObject::GetDisplayText()
{
    return ShortDateText(DTStart()->DDate()) + " - " + Summary();
}

// ---- TXVDataList -------------------------------------------------------------------------

int TXVDataList::IndexOfDate(TDateTime ADate) const
{
    for (int I = 0; I < Count(); ++I) {
        TXVDateTimeItem* Start = Objects(I)->DTStart();
        if (Start != nullptr && IsSameDay(Start->DDate(), ADate))
            return I;
    }
    return -1;
}
