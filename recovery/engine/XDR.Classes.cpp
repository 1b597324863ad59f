// XDR.Classes.cpp: found-file status, extension tables and file-type switches.
#include "XDR.Classes.h"

#include <algorithm>

#include "Rtl.DateUtils.h"
#include "Rtl.SysUtils.h"
#include "XCode.Trek.h"
#include "XCore.Intervals.Blocks.h"

namespace {

#define XDR_EXTENSION_TEXT(Name) "." #Name,
const char* const kPhotoExtensions[] = {XDR_PHOTO_TYPES(XDR_EXTENSION_TEXT)};
const char* const kVideoExtensions[] = {XDR_VIDEO_TYPES(XDR_EXTENSION_TEXT)};
const char* const kAudioExtensions[] = {XDR_AUDIO_TYPES(XDR_EXTENSION_TEXT)};
#undef XDR_EXTENSION_TEXT

// Extensions in group order, each with its group's switch.
struct TXDRGroupTable {
    std::span<const char* const> Extensions;
    const char* GroupSwitch;
};
const TXDRGroupTable kGroups[] = {
    {kPhotoExtensions, "Images"}, {kVideoExtensions, "Video"}, {kAudioExtensions, "Audio"}};

// The published switch of an extension: ".jpg" is "_jpg".
String SwitchName(const char* AExtension)
{
    String Name = "_";
    return Name.append(AExtension + 1);
}

}  // namespace

// ---- Status ------------------------------------------------------------------------------

void SetThumbnailState(TXDRFileStatusSet& AStatus, bool AValid)
{
    AStatus.Include(AValid ? drThnValidated : drThnError).Exclude(AValid ? drThnError : drThnValidated);
}

void SetEntryState(TXDRFileStatusSet& AStatus)
{
    AStatus.Include(drEntry).Exclude(drDeletedEntry);
}

void SetDeletedEntryState(TXDRFileStatusSet& AStatus)
{
    AStatus.Include(drDeletedEntry).Exclude(drEntry);
}

void SetScanValidState(TXDRFileStatusSet& AStatus)
{
    AStatus.Include(drScanValid).Exclude(drScanError);
}

bool IsDeletedEntry(TXDRFileStatusSet AStatus)
{
    return AStatus.Contains(drDeletedEntry);
}

String StatusToText(TXDRFileStatusSet AStatus)
{
    return SetToString(TypeInfo<TXDRFileStatusSet>(), AStatus.Bits());
}

// ---- Extension tables --------------------------------------------------------------------

std::span<const char* const> PhotoExtensions()
{
    return kPhotoExtensions;
}

std::span<const char* const> VideoExtensions()
{
    return kVideoExtensions;
}

std::span<const char* const> AudioExtensions()
{
    return kAudioExtensions;
}

TXDRExtensionGroup ExtensionGroup(const String& AExtension)
{
    String Extension = LowerCase(AExtension);
    for (size_t Group = 0; Group < std::size(kGroups); ++Group)
        for (const char* Known : kGroups[Group].Extensions)
            if (Extension == Known)
                return static_cast<TXDRExtensionGroup>(Group + 1);
    return egNone;
}

// ---- TXDRFileTypes -----------------------------------------------------------------------

void TXDRFileTypes::DeclareProperties(TPropertyDeclarer& P)
{
    P.Property("Images", &TXDRFileTypes::FImages, &TXDRFileTypes::FImages);
    P.Property("Video", &TXDRFileTypes::FVideo, &TXDRFileTypes::FVideo);
    P.Property("Audio", &TXDRFileTypes::FAudio, &TXDRFileTypes::FAudio);
#define XDR_FILE_TYPE_PROPERTY(Name) P.Property("_" #Name, &TXDRFileTypes::F_##Name, &TXDRFileTypes::F_##Name);
    XDR_PHOTO_TYPES(XDR_FILE_TYPE_PROPERTY)
    XDR_VIDEO_TYPES(XDR_FILE_TYPE_PROPERTY)
    XDR_AUDIO_TYPES(XDR_FILE_TYPE_PROPERTY)
#undef XDR_FILE_TYPE_PROPERTY
}

bool TXDRFileTypes::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXDRFileTypes>(ASource))
        for (const TPropInfo* Prop : GetPropList(this))
            SetOrdProp(this, Prop, GetOrdProp(Source, Prop));
    return inherited::AssignFrom(ASource);
}

void TXDRFileTypes::GetEnabledExtensions(TStringList* AList)
{
    AList->Clear();
    AList->SetSorted(true);
    AList->SetDuplicates(dupIgnore);
    for (const TXDRGroupTable& Group : kGroups)
        if (GetOrdProp(this, Group.GroupSwitch) != 0)
            for (const char* Extension : Group.Extensions)
                if (GetOrdProp(this, SwitchName(Extension)) != 0)
                    AList->Add(Extension);
}

void TXDRFileTypes::GetAllExtensions(TStringList* AList)
{
    AList->Clear();
    AList->SetSorted(true);
    AList->SetDuplicates(dupIgnore);
    for (const TXDRGroupTable& Group : kGroups)
        for (const char* Extension : Group.Extensions)
            AList->Add(Extension);
}

void TXDRFileTypes::SetAll()
{
    for (const TPropInfo* Prop : GetPropList(this))
        SetOrdProp(this, Prop, 1);
}

void TXDRFileTypes::SetDefaults()
{
    static constexpr const char* kDefaultTypes[] = {"jpg", "arw", "cr2", "dng", "nef", "orf", "pef", "raf",
                                                    "raw", "tif", "avi", "mov", "mp4", "mpg", "mp3", "wma"};
    for (const TXDRGroupTable& Group : kGroups) {
        SetOrdProp(this, Group.GroupSwitch, 1);
        for (const char* Extension : Group.Extensions) {
            bool On = std::ranges::any_of(kDefaultTypes, [&](const char* AName) { return String(AName) == Extension + 1; });
            SetOrdProp(this, SwitchName(Extension), On ? 1 : 0);
        }
    }
}

void TXDRFileTypes::DoClear()
{
    inherited::DoClear();
    SetAll();
}

// ---- Found files -------------------------------------------------------------------------

bool TXDRFileItem::IsType(const String& AType) const
{
    return AType == FFileType || LowerCase(AType) == LowerCase(FFileType);
}

bool TXDRFileItem::IsOneOfTypes(std::span<const String> ATypes) const
{
    return std::ranges::any_of(ATypes, [this](const String& AType) { return IsType(AType); });
}

bool TXDRFileItem::AssignFrom(TPersistent* ASource)
{
    if (auto* Source = AsOrNull<TXDRFileItem>(ASource)) {
        FStatus = Source->FStatus;
        FSelected = Source->FSelected;
        FName = Source->FName;
        FFileType = Source->FFileType;
        FCreated = Source->FCreated;
        FModified = Source->FModified;
        FAccessed = Source->FAccessed;
        FImageSize = Source->FImageSize;
        FThumbnail->Assign(Source->FThumbnail.get());
    }
    return inherited::AssignFrom(ASource);
}

void TXDRFileItem::Init()
{
    inherited::Init();
    FThumbnail = Owned(TXImageObject::Create());
}

namespace {

// DD.MM.YYYY HH:NN:SS
String TraceDateText(TDateTime AValue)
{
    uint16_t Year, Month, Day, Hour, Minute, Second, MSec;
    DecodeDate(AValue, Year, Month, Day);
    DecodeTime(AValue, Hour, Minute, Second, MSec);
    return Format("%.2d.%.2d.%d %.2d:%.2d:%.2d", {Day, Month, Year, Hour, Minute, Second});
}

}  // namespace

void TXDRFileItem::TraceDump() const
{
    if (!IsTraceOn())
        return;
    IXCodeTrek* Trek = CodeTrek();
    Trek->Add("<file>" + FName + " " + IntToStr(GetSize()) + " " + StatusToText(FStatus));
    Trek->Add("  <created>" + TraceDateText(FCreated) + "</created>");
    Trek->Add("  <modified>" + TraceDateText(FModified) + "</modified>");
    Trek->Add("  <accessed>" + TraceDateText(FAccessed) + "</accessed>");
    for (int I = 0; I < Blocks()->Count(); ++I) {
        const TXBlock& Block = Blocks()->Items(I);
        Trek->Add("  " + IntToStr(Block.Start) + "-" + IntToStr(Block.Start + Block.Size - 1));
    }
    Trek->Add("  <size>" + IntToStr(FImageSize.Width) + "x" + IntToStr(FImageSize.Height) + "</size>");
    Trek->Add("</file>");
}

void TXDRFileItem::DoClear()
{
    inherited::DoClear();
    FStatus = {};
    FSelected = true;
    FName.clear();
    FFileType.clear();
    FCreated = FModified = FAccessed = TDateTime();
    FImageSize.Clear();
    FThumbnail->Clear();
}

bool TXDRFileCollection::AnySelected() const
{
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->Selected())
            return true;
    return false;
}

bool TXDRFileCollection::AnySelectedOfTypes(std::span<const String> ATypes) const
{
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->Selected() && Items(I)->IsOneOfTypes(ATypes))
            return true;
    return false;
}

void TXDRFileCollection::SelectByTypes(std::span<const String> ATypes, bool AValue)
{
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->IsOneOfTypes(ATypes) && Items(I)->Selected() != AValue)
            Items(I)->SetSelected(AValue);
}

int64_t TXDRFileCollection::SelectedSize() const
{
    int64_t Size = 0;
    for (int I = 0; I < Count(); ++I)
        if (Items(I)->Selected())
            Size += Items(I)->GetSize();
    return Size;
}

int TXDRFileCollection::IndexOfBlocks(const TXBlocks* ABlocks) const
{
    const IComparer<const TXBlocks*>& Comparer = *BlocksComparer();
    for (int I = 0; I < Count(); ++I)
        if (Comparer.Compare(Items(I)->Blocks(), ABlocks) == 0)
            return I;
    return -1;
}

void TXDRAddFileAspect::Construct(TXDRFileItem* AItem)
{
    inherited::Construct();
    Item = AItem;
}

// ---- Aspects -----------------------------------------------------------------------------

