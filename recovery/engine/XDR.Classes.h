// XDR.Classes.h: what the recovery engine knows of found files: their status, the program's
// vocabulary of file types (three extension tables), the user's choice among them, and the
// aspects and actions that travel between the worker, the engine and the wizard pages.
// Extensions carry their dot (".jpg"); the file-type switches are named after them ("_jpg").
#pragma once

#include <span>

#include "Rtl.Sets.h"
#include "Rtl.Strings.h"
#include "Rtl.TypInfo.h"
#include "XCore.Classes.h"
#include "XCore.Collections.h"
#include "XCore.Engine.Aspects.h"
#include "XCore.Streams.Split.h"
#include "XMedia.Graphics.Containers.h"
#include "XMedia.Types.h"
#include "XSpark.Dlgs.h"

// A local file (a card image, a restored file) could not be written.
inline constexpr int32_t kErrLocalWriteFailed = 30;

// ---- Status of a found file --------------------------------------------------------------

X_ENUM(TXDRFileStatusValue, drValidated, drThnValidated, drThnError, drEntry, drDeletedEntry, drScanValid,
       drScanError);
using TXDRFileStatusSet = TSet<TXDRFileStatusValue>;

// Each pair is exclusive: setting one state removes its opposite.
void SetThumbnailState(TXDRFileStatusSet& AStatus, bool AValid);
void SetEntryState(TXDRFileStatusSet& AStatus);
void SetDeletedEntryState(TXDRFileStatusSet& AStatus);
void SetScanValidState(TXDRFileStatusSet& AStatus);
bool IsDeletedEntry(TXDRFileStatusSet AStatus);
// The set as set text: "[drEntry,drScanValid]".
String StatusToText(TXDRFileStatusSet AStatus);

// ---- File types --------------------------------------------------------------------------

// X(name) for every extension of a group, in table order; the extension is "." + name.
#define XDR_PHOTO_TYPES(X)                                                                                    \
    X(jpg) X(arw) X(cr2) X(dng) X(nef) X(orf) X(pef) X(raf) X(raw) X(tif) X(3fr) X(ari) X(bay) X(bmp) X(cap) \
    X(crw) X(dcr) X(dcs) X(drf) X(eip) X(erf) X(fff) X(gif) X(iiq) X(jp2) X(jps) X(k25) X(kdc) X(mef)       \
    X(mos) X(mpo) X(mrw) X(nrw) X(pcd) X(png) X(pns) X(psd) X(ptx) X(pxn) X(r3d) X(rw1) X(rw2) X(rwz)       \
    X(srf) X(sr2) X(x3f)
#define XDR_VIDEO_TYPES(X)                                                                                    \
    X(avi) X(mov) X(mp4) X(mpg) X(3g2) X(3gp) X(cam) X(flv) X(m1v) X(m2t) X(m2v) X(m4v) X(mpe) X(mts) X(rm) \
    X(qt) X(wmv)
#define XDR_AUDIO_TYPES(X) X(mp3) X(wma) X(aif) X(amr) X(m4a) X(m4b) X(mid) X(mp2) X(ra) X(wav)

enum TXDRExtensionGroup : uint8_t { egNone, egPhoto, egVideo, egAudio };

std::span<const char* const> PhotoExtensions();
std::span<const char* const> VideoExtensions();
std::span<const char* const> AudioExtensions();
// The group of an extension (with its dot, any letter case); egNone outside the tables.
TXDRExtensionGroup ExtensionGroup(const String& AExtension);

// The user's choice of file types: a switch per group and one per extension, all published
// (the settings store them by name). A new object selects everything.
class TXDRFileTypes : public TXPersistent {
    X_CLASS(TXDRFileTypes, TXPersistent)
public:
    static void DeclareProperties(TPropertyDeclarer& P);

    bool AssignFrom(TPersistent* ASource) override;
    // The extensions whose group switch and own switch are both on, sorted, without duplicates.
    void GetEnabledExtensions(TStringList* AList);
    void GetAllExtensions(TStringList* AList);
    void SetAll();
    // Groups on; the common photo, video and audio types on, the rest off.
    void SetDefaults();

protected:
    TXDRFileTypes() = default;
    void DoClear() override;

private:
#define XDR_FILE_TYPE_FIELD(Name) bool F_##Name = true;
    bool FImages = true;
    bool FVideo = true;
    bool FAudio = true;
    XDR_PHOTO_TYPES(XDR_FILE_TYPE_FIELD)
    XDR_VIDEO_TYPES(XDR_FILE_TYPE_FIELD)
    XDR_AUDIO_TYPES(XDR_FILE_TYPE_FIELD)
#undef XDR_FILE_TYPE_FIELD
};

// ---- Found files -------------------------------------------------------------------------

// One found file: its bytes on the source (the split item's blocks), what it is and whether
// the user wants it back.
class TXDRFileItem : public TXSplitItem {
    X_CLASS(TXDRFileItem, TXSplitItem)
public:
    // The state pairs change through SetThumbnailState and its neighbours.
    TXDRFileStatusSet& Status() { return FStatus; }
    TXDRFileStatusSet Status() const { return FStatus; }
    bool Selected() const { return FSelected; }
    void SetSelected(bool AValue) { FSelected = AValue; }
    const String& Name() const { return FName; }
    void SetName(const String& AValue) { FName = AValue; }
    // The extension with its dot (".jpg").
    const String& FileType() const { return FFileType; }
    void SetFileType(const String& AValue) { FFileType = AValue; }
    TDateTime Created() const { return FCreated; }
    void SetCreated(TDateTime AValue) { FCreated = AValue; }
    TDateTime Modified() const { return FModified; }
    void SetModified(TDateTime AValue) { FModified = AValue; }
    TDateTime Accessed() const { return FAccessed; }
    void SetAccessed(TDateTime AValue) { FAccessed = AValue; }
    // The picture's size when the file is a picture the finder could measure; 0 x 0 otherwise.
    const TXSize& ImageSize() const { return FImageSize; }
    void SetImageSize(const TXSize& AValue) { FImageSize = AValue; }
    TXImageObject* Thumbnail() const { return FThumbnail.get(); }   // owned

    // Equal to the item's type exactly or ignoring letter case.
    bool IsType(const String& AType) const;
    bool IsOneOfTypes(std::span<const String> ATypes) const;
    bool AssignFrom(TPersistent* ASource) override;
    // The item's name, size, state, dates, blocks and picture size into the trace list, while
    // tracing is on.
    void TraceDump() const;

protected:
    TXDRFileItem() = default;
    void Init() override;
    void DoClear() override;

private:
    TXDRFileStatusSet FStatus;
    bool FSelected = true;
    String FName;
    String FFileType;
    TDateTime FCreated;
    TDateTime FModified;
    TDateTime FAccessed;
    TXSize FImageSize;
    TOwned<TXImageObject> FThumbnail;
};

// The found files of a job; owns its items.
class TXDRFileCollection : public XCore::Collections::TXCollection<TXDRFileItem> {
    X_CLASS(TXDRFileCollection, XCore::Collections::TXCollection<TXDRFileItem>)
public:
    bool AnySelected() const;
    bool AnySelectedOfTypes(std::span<const String> ATypes) const;
    // Items of one of ATypes get the selection AValue.
    void SelectByTypes(std::span<const String> ATypes, bool AValue);
    // The total size of the selected items.
    int64_t SelectedSize() const;
    // The first item whose blocks equal ABlocks, in the same order; -1 for none. This is the
    // finders' duplicate test.
    int IndexOfBlocks(const TXBlocks* ABlocks) const;

protected:
    TXDRFileCollection() = default;
};

// A file a finder found: the aspect owns a fresh item that the finder fills.
class TXDRFoundFileAspect : public TXCustomAspect {
    X_CLASS(TXDRFoundFileAspect, TXCustomAspect)
public:
    TXDRFileItem* Item() const { return FItem.get(); }

protected:
    TXDRFoundFileAspect() = default;

private:
    TOwned<TXDRFileItem> FItem = Owned(TXDRFileItem::Create(static_cast<TCollection*>(nullptr)));
};

// A found file now in the job's collection (not owned).
class TXDRAddFileAspect : public TXCustomAspect {
    X_CLASS(TXDRAddFileAspect, TXCustomAspect)
public:
    TXDRFileItem* Item = nullptr;

protected:
    TXDRAddFileAspect() = default;
    X_REINTRODUCE(void Construct(TXDRFileItem* AItem));
};

// ---- Aspects and actions -----------------------------------------------------------------

// Asks views to read the files' selection again.
X_SIGNAL_ASPECT(TXDRRefreshSelectedFilesAspect, TXCustomAspect);

// An aspect carrying one byte for its receiver; assigning copies the byte.
template <class TBase>
class TXDRByteAspect : public TBase {
    X_CLASS(TXDRByteAspect, TBase)
public:
    uint8_t Value = 0;

    bool AssignFrom(TXObject* ASource) override
    {
        if (auto* Source = AsOrNull<TXDRByteAspect>(ASource))
            Value = Source->Value;
        return inherited::AssignFrom(ASource);
    }

protected:
    TXDRByteAspect() = default;
    using TBase::Construct;
    void Construct(uint8_t AValue)
    {
        inherited::Construct();
        Value = AValue;
    }
};

// The action the user chose on the action page.
X_SIGNAL_ASPECT(TXDRSelectedActionAspect, TXDRByteAspect<TXCustomAspect>);
// What the preview and save pages are given when they are entered.
X_SIGNAL_ASPECT(TXDRDialogInitPageDataPreviewAspect, TXDRByteAspect<TXDialogInitPageDataAspect>);
X_SIGNAL_ASPECT(TXDRDialogInitPageDataSaveAspect, TXDRByteAspect<TXDialogInitPageDataAspect>);

// Requests to the engine, which dispatches on the class.
X_SIGNAL_ASPECT(TXDRAction, TXCustomAspect);
X_SIGNAL_ASPECT(TXDRActionImageFile, TXDRAction);      // create a card image
X_SIGNAL_ASPECT(TXDRActionDeepScan, TXDRAction);       // scan a disk or a card image
X_SIGNAL_ASPECT(TXDRActionRestoreFiles, TXDRAction);   // restore the selected files
