// XVData.Objects.h: the calendar objects (quick notes, journal entries, events, holidays) with
// their display texts, sort comparers, data status bits and files; their containers are in
// XVData.Containers. Set-up lives in Init and DoClear: objects are also made from class references.
#pragma once

#include <cstdint>

#include "Win.Graphics.h"
#include "XClasses.h"
#include "XCore.Streams.Containers.h"
#include "XMedia.Graphics.Containers.h"
#include "XVData.Label.h"
#include "XVData.Types.h"

class TXVTabObject;

// Bits of the data status word.
inline constexpr unsigned kVStatusLoadFailed = 1;
inline constexpr unsigned kVStatusNew = 2;
inline constexpr unsigned kVStatusHeaderLoaded = 4;
inline constexpr unsigned kVStatusLoaded = 5;
inline constexpr unsigned kVStatusModified = 6;
inline constexpr unsigned kVStatusUnavailable = 10;

// The framework's value for "no colour"; 0 would be black.
inline constexpr TColor kVNoColor = 0x1FFFFFFF;

// ---- The base ----------------------------------------------------------------------------

class TXCustomVDataObject : public XClasses::TXFilerableObject {
    X_CLASS(TXCustomVDataObject, XClasses::TXFilerableObject)
public:
    const String& UID() const { return FUID; }
    void SetUID(const String& AValue) { FUID = AValue; }
    const String& ParentUID() const { return FParentUID; }
    void SetParentUID(const String& AValue) { FParentUID = AValue; }
    TDateTime Created() const { return FCreated; }
    void SetCreated(TDateTime AValue) { FCreated = AValue; }
    TDateTime LastModified() const { return FLastModified; }
    void SetLastModified(TDateTime AValue) { FLastModified = AValue; }

    // Not stored. The parent is a tab for notes, journals, events and holidays, a notebook for
    // tabs, a volume for notebooks; none for volumes and for objects read from a tab folder.
    TXCustomVDataObject* Parent() const { return FParent; }
    // Owned; carries the object's file path.
    TXL* Label() const { return FLabel.get(); }
    const String& FileName() const { return FLabel->FileName(); }
    void SetFileName(const String& AValue) { FLabel->SetFileName(AValue); }
    TDateTime TimeStamp() const { return FTimeStamp; }
    int32_t OrderKey() const { return FOrderKey; }
    void SetOrderKey(int32_t AValue) { FOrderKey = AValue; }
    bool HasStatus(unsigned ABit) const;
    void SetStatusBit(unsigned ABit, bool AValue);

    // A new child of AParent: New and Loaded, a new UID, created now (UTC); inside a tab its
    // file is a free name of the tab folder + UID + extension.
    virtual void NewObject(TXCustomVDataObject* AParent);
    // An object read from disk: its parent and file.
    virtual void Attach(TXCustomVDataObject* AParent, const String& AFileName);
    // The text shown in lists and trees.
    virtual String GetDisplayText() { return String(); }
    // By display text, ignoring case, for vorAlphaAsc and vorAlphaDesc; every other order
    // calls all objects equal and leaves the order to the sort.
    virtual XClasses::TXObjectCompare GetSortCompare(TXVOrderType AOrderType);
    virtual String GetExtension() const { return String(); }
    // Writes "Class", "UID" and "ParentUID" into the label's Info, in this order.
    virtual void PrepareLabel();
    // The start of journals, events and holidays; nullptr for the others.
    virtual TXVDateTimeItem* DTStart() const { return nullptr; }
    // Whether every date the object holds is one of the years 1 to 9999.
    virtual bool HasValidDates() const;
    // This object or the first of its parents that is a tab; nullptr when none.
    TXVTabObject* GetTab();
    // The filer of the class's files.
    virtual TClass GetFilerClass() const;

    // Reads the file without a note's description; True at once when Loaded or HeaderLoaded.
    // A missing file is no failure: the object counts as loaded. A failed read records the
    // error and sets LoadFailed, which keeps Save from overwriting the file.
    [[nodiscard]] bool LoadHeader();
    // As LoadHeader with the description; True at once when Loaded.
    [[nodiscard]] bool Load();
    // Writes the file through a temporary one when it has a name and the object is Modified,
    // Loaded or New, and not LoadFailed; True when there is nothing to write.
    [[nodiscard]] bool Save();
    // Clears New, sets Modified and saves.
    [[nodiscard]] bool Changed();

    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXCustomVDataObject() = default;
    void Init() override;
    void DoClear() override;

private:
    // Reads the file with AParts; success sets ALoadedBit.
    bool ReadFile(const TXFilerParts& AParts, unsigned ALoadedBit);

    String FUID;
    String FParentUID;
    TDateTime FCreated;
    TDateTime FLastModified;
    TXCustomVDataObject* FParent = nullptr;
    TOwned<TXL> FLabel;
    TDateTime FTimeStamp;
    int32_t FOrderKey = 0;
};

class TXVDataObject : public TXCustomVDataObject {
    X_CLASS(TXVDataObject, TXCustomVDataObject)
public:
    TXVSensitivityType SensitivityType() const { return FSensitivityType; }
    void SetSensitivityType(TXVSensitivityType AValue) { FSensitivityType = AValue; }

    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXVDataObject() = default;
    void DoClear() override;

private:
    TXVSensitivityType FSensitivityType = vcsPublic;
};

// ---- Notes, journals, events and holidays ------------------------------------------------

class TXCustomVNoteObject : public TXVDataObject {
    X_CLASS(TXCustomVNoteObject, TXVDataObject)
public:
    int32_t Priority() const { return FPriority; }
    void SetPriority(int32_t AValue) { FPriority = AValue; }
    const String& Summary() const { return FSummary; }
    void SetSummary(const String& AValue) { FSummary = AValue; }
    const String& DescriptionTitle() const { return FDescriptionTitle; }
    void SetDescriptionTitle(const String& AValue) { FDescriptionTitle = AValue; }
    // Owned, as is Image; the setters copy. The description holds the editor's rich text.
    TXStreamObject* Description() const { return FDescription.get(); }
    void SetDescription(TXStreamObject* AValue) { FDescription->Assign(AValue); }
    TXImageObject* Image() const { return FImage.get(); }
    void SetImage(TXImageObject* AValue) { FImage->Assign(AValue); }
    bool ShowSummary() const { return FShowSummary; }
    void SetShowSummary(bool AValue) { FShowSummary = AValue; }
    bool ShowDescription() const { return FShowDescription; }
    void SetShowDescription(bool AValue) { FShowDescription = AValue; }

    // Summary, unless it is blank; then DescriptionTitle.
    String GetDisplayText() override;
    // The description and the image keep their bytes in their own form only when set.
    void SetDataStorable(bool AValue) override;
    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXCustomVNoteObject() = default;
    void Init() override;
    void DoClear() override;

private:
    int32_t FPriority = 0;
    String FSummary;
    String FDescriptionTitle;
    TOwned<TXStreamObject> FDescription;
    TOwned<TXImageObject> FImage;
    bool FShowSummary = false;
    bool FShowDescription = false;
};

class TXVQuickNoteObject : public TXCustomVNoteObject {
    X_CLASS(TXVQuickNoteObject, TXCustomVNoteObject)
public:
    String GetExtension() const override { return ".xqnote"; }

    TClass GetFilerClass() const override;

protected:
    TXVQuickNoteObject() = default;
};

// One entry per date; DTStart is a whole day.
class TXVJournalObject : public TXCustomVNoteObject {
    X_CLASS(TXVJournalObject, TXCustomVNoteObject)
public:
    TXVDateTimeItem* DTStart() const override { return FDTStart.get(); }
    void SetDTStart(TXVDateTimeItem* AValue) { FDTStart->Assign(AValue); }

    // The short date of DTStart, " - ", DescriptionTitle.
    String GetDisplayText() override;
    String GetExtension() const override { return ".xjournal"; }
    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

    TClass GetFilerClass() const override;

protected:
    TXVJournalObject() = default;
    void Init() override;
    void DoClear() override;

private:
    TOwned<TXVDateTimeItem> FDTStart;
};

class TXCustomVEventObject : public TXCustomVNoteObject {
    X_CLASS(TXCustomVEventObject, TXCustomVNoteObject)
public:
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool AValue) { FEnabled = AValue; }
    const String& Category() const { return FCategory; }
    void SetCategory(const String& AValue) { FCategory = AValue; }
    TXVDateTimeItem* DTStart() const override { return FDTStart.get(); }
    void SetDTStart(TXVDateTimeItem* AValue) { FDTStart->Assign(AValue); }
    TXVDateTimeItem* DTEnd() const { return FDTEnd.get(); }
    void SetDTEnd(TXVDateTimeItem* AValue) { FDTEnd->Assign(AValue); }
    // Only the first rule counts.
    TXVRecurrenceCollection* RRule() const { return FRRule.get(); }
    void SetRRule(TXVRecurrenceCollection* AValue) { FRRule->Assign(AValue); }
    TXVDayColorType ColorType() const { return FColorType; }
    void SetColorType(TXVDayColorType AValue) { FColorType = AValue; }
    TColor TextColor() const { return FTextColor; }
    void SetTextColor(TColor AValue) { FTextColor = AValue; }
    TColor BgColor() const { return FBgColor; }
    void SetBgColor(TColor AValue) { FBgColor = AValue; }

    bool HasValidDates() const override;
    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXCustomVEventObject() = default;
    void Init() override;
    void DoClear() override;

private:
    bool FEnabled = true;
    String FCategory;
    TOwned<TXVDateTimeItem> FDTStart;
    TOwned<TXVDateTimeItem> FDTEnd;
    TOwned<TXVRecurrenceCollection> FRRule;
    TXVDayColorType FColorType = vdcDay;
    TColor FTextColor = kVNoColor;
    TColor FBgColor = kVNoColor;
};

class TXVEventObject : public TXCustomVEventObject {
    X_CLASS(TXVEventObject, TXCustomVEventObject)
public:
    String GetExtension() const override { return ".xevent"; }

    TClass GetFilerClass() const override;

protected:
    TXVEventObject() = default;
};

class TXVHolidayObject : public TXVEventObject {
    X_CLASS(TXVHolidayObject, TXVEventObject)
public:
    // The short date of DTStart, " - ", Summary.
    String GetDisplayText() override;
    String GetExtension() const override { return ".xholiday"; }

    TClass GetFilerClass() const override;

protected:
    TXVHolidayObject() = default;
};

// ---- Lists -------------------------------------------------------------------------------

// Owns its objects; AddNew makes objects of the item class.
class TXVDataList : public XClasses::TXTypedObjectList {
    X_CLASS(TXVDataList, XClasses::TXTypedObjectList)
public:
    TXCustomVDataObject* Objects(int AIndex) const { return static_cast<TXCustomVDataObject*>(Items(AIndex)); }
    TXCustomVDataObject* AddNewObject() { return static_cast<TXCustomVDataObject*>(AddNew()); }
    // The first object whose DTStart falls on ADate's day; -1 when none.
    int IndexOfDate(TDateTime ADate) const;

protected:
    TXVDataList() = default;
};
