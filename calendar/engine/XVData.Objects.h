// XVData.Objects.h: the calendar objects (quick notes, journal entries, events, holidays) and
// the containers that hold them on disk (tabs, notebooks, volumes), with their display texts,
// sort comparers and data status bits.
// Set-up lives in Init and DoClear: objects are also made from class references.
#pragma once

#include <cstdint>

#include "Win.Graphics.h"
#include "XClasses.h"
#include "XCore.Streams.Containers.h"
#include "XMedia.Graphics.Containers.h"
#include "XVData.Label.h"
#include "XVData.Types.h"

class TXVTabObject;
class TXVDataList;
class TXVTabList;
class TXVNotebookList;

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
    // This object or the first of its parents that is a tab; nullptr when none.
    TXVTabObject* GetTab();
    // The filer of the class's files.
    virtual TClass GetFilerClass() const;

    // Reads the file without a note's description; True at once when Loaded or HeaderLoaded.
    // A missing file is no failure: the object counts as loaded. A failed read records the
    // error and sets LoadFailed, which keeps Save from overwriting the file.
    bool LoadHeader();
    // As LoadHeader with the description; True at once when Loaded.
    bool Load();
    // Writes the file through a temporary one when it has a name and the object is Modified,
    // Loaded or New, and not LoadFailed; True when there is nothing to write.
    bool Save();
    // Clears New, sets Modified and saves.
    bool Changed();

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

// ---- Containers --------------------------------------------------------------------------

// A tab holds the objects of one kind in a folder of a notebook.
class TXVTabObject : public TXCustomVDataObject {
    X_CLASS(TXVTabObject, TXCustomVDataObject)
public:
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& AValue) { FCaption = AValue; }
    // Owned; the setter copies.
    TXVOrder* Order() const { return FOrder.get(); }
    void SetOrder(TXVOrder* AValue) { FOrder->Assign(AValue); }

    TXVDataList* Items() const { return FItems.get(); }
    // Relative to the notebook, with a trailing path delimiter.
    const String& Folder() const { return FFolder; }
    void SetFolder(const String& AValue) { FFolder = AValue; }
    // The notebook's folder + Folder; Folder alone when the parent is no notebook.
    String GetFolder();

    // A new object of the item class in the list, made a new child of the tab.
    TXCustomVDataObject* NewItem();
    // A new object of the item class in the list, attached to AFileName.
    TXCustomVDataObject* AttachItem(const String& AFileName);
    // Deletes the object's file (a missing one counts as deleted) and frees the object.
    void RemoveObject(TXCustomVDataObject* AObject);
    // Frees every object that is still New.
    void PurgeNew();

    // The folder is made under the notebook's as Caption (numbered when taken), and the tab
    // saved at once.
    void NewObject(TXCustomVDataObject* AParent) override;
    // The folder is made when missing; the file is always the tab's own.
    void Attach(TXCustomVDataObject* AParent, const String& AFileName) override;
    // Caption, else Folder without its trailing delimiter.
    String GetDisplayText() override;
    String GetExtension() const override { return ".xtab"; }
    TClass GetFilerClass() const override;
    virtual TClass GetItemClass() const { return TXCustomVDataObject::StaticClass(); }
    virtual String GetKindName() const { return "Tab"; }
    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXVTabObject() = default;
    void Init() override;
    void DoClear() override;

private:
    String FCaption;
    TOwned<TXVOrder> FOrder;
    TOwned<TXVDataList> FItems;
    String FFolder;
};

class TXVQuickNoteTabObject : public TXVTabObject {
    X_CLASS(TXVQuickNoteTabObject, TXVTabObject)
public:
    TClass GetItemClass() const override { return TXVQuickNoteObject::StaticClass(); }
    String GetKindName() const override { return "Quick Notes"; }
    // The note of the file "default.xqnote" in the tab folder, attached to that name when
    // the list has none.
    TXVQuickNoteObject* GetDefaultNote();

protected:
    TXVQuickNoteTabObject() = default;

private:
    TXVQuickNoteObject* FDefaultNote = nullptr;   // listed, so owned by the list
};

class TXVJournalTabObject : public TXVTabObject {
    X_CLASS(TXVJournalTabObject, TXVTabObject)
public:
    TClass GetItemClass() const override { return TXVJournalObject::StaticClass(); }
    String GetKindName() const override { return "Journals"; }
    // The entry of that day, read in full; else a new entry (New, not saved) in the file
    // year/yyyymmdd.xjournal of the tab folder.
    TXVJournalObject* GetJournal(TDateTime ADate);
    TXVJournalObject* NewJournal(TDateTime ADate);
    // The day of a basic date text ("20240303").
    TXVJournalObject* GetJournalByText(const String& AText);

    // The picture new entries start with; not owned. The program sets it at start-up.
    static TXImageObject* DefaultJournalImage();
    static void SetDefaultJournalImage(TXImageObject* AValue);

protected:
    TXVJournalTabObject() = default;
};

class TXVEventTabObject : public TXVTabObject {
    X_CLASS(TXVEventTabObject, TXVTabObject)
public:
    TClass GetItemClass() const override { return TXVEventObject::StaticClass(); }
    String GetKindName() const override { return "Events"; }

protected:
    TXVEventTabObject() = default;
};

class TXVHolidayTabObject : public TXVTabObject {
    X_CLASS(TXVHolidayTabObject, TXVTabObject)
public:
    TClass GetItemClass() const override { return TXVHolidayObject::StaticClass(); }
    String GetKindName() const override { return "Holidays"; }
    TXVHolidayObject* NewHoliday() { return static_cast<TXVHolidayObject*>(NewItem()); }

protected:
    TXVHolidayTabObject() = default;
};

class TXVTabList : public XClasses::TXTypedObjectList {
    X_CLASS(TXVTabList, XClasses::TXTypedObjectList)
public:
    TXVTabObject* Tabs(int AIndex) const { return static_cast<TXVTabObject*>(Items(AIndex)); }

protected:
    TXVTabList() = default;
    using inherited::Construct;
    void Construct(bool AOwnsObjects) override;
};

// A notebook holds tabs in its folder of a volume.
class TXVNotebookObject : public TXCustomVDataObject {
    X_CLASS(TXVNotebookObject, TXCustomVDataObject)
public:
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& AValue) { FCaption = AValue; }

    TXVTabList* Tabs() const { return FTabs.get(); }
    // Relative to the volume, with a trailing path delimiter.
    const String& Folder() const { return FFolder; }
    void SetFolder(const String& AValue) { FFolder = AValue; }
    // The volume's root + Folder; Folder alone when the parent is no volume.
    String GetFolder();

    // RemoveObject on the tab that lists AObject.
    void DeleteObject(TXCustomVDataObject* AObject);

    // The folder is made under the volume's root as Caption (numbered when taken), and the
    // notebook saved at once.
    void NewObject(TXCustomVDataObject* AParent) override;
    // The folder is made when missing; the file is always the notebook's own.
    void Attach(TXCustomVDataObject* AParent, const String& AFileName) override;
    // Caption, else Folder without its trailing delimiter.
    String GetDisplayText() override;
    String GetExtension() const override { return ".xnotebook"; }
    bool AssignFrom(TPersistent* ASource) override;

    static void DeclareProperties(TPropertyDeclarer& P);

    TClass GetFilerClass() const override;

protected:
    TXVNotebookObject() = default;
    void Init() override;
    void DoClear() override;

private:
    String FCaption;
    TOwned<TXVTabList> FTabs;
    String FFolder;
};

class TXVNotebookList : public XClasses::TXTypedObjectList {
    X_CLASS(TXVNotebookList, XClasses::TXTypedObjectList)
public:
    TXVNotebookObject* Notebooks(int AIndex) const { return static_cast<TXVNotebookObject*>(Items(AIndex)); }

protected:
    TXVNotebookList() = default;
    using inherited::Construct;
    void Construct(bool AOwnsObjects) override;
};

// A volume is the root folder of a tree of notebooks.
class TXVVolumeObject : public TXCustomVDataObject {
    X_CLASS(TXVVolumeObject, TXCustomVDataObject)
public:
    TXVNotebookList* Notebooks() const { return FNotebooks.get(); }
    // Absolute, with a trailing path delimiter.
    const String& RootFolder() const { return FRootFolder; }
    void SetRootFolder(const String& AValue) { FRootFolder = AValue; }

    // Saved at once, in its own file in the root folder.
    void NewObject(TXCustomVDataObject* AParent) override;
    // The root folder is made when missing; the file is always the volume's own.
    void Attach(TXCustomVDataObject* AParent, const String& AFileName) override;
    String GetExtension() const override { return ".xvolume"; }

    TClass GetFilerClass() const override;

protected:
    TXVVolumeObject() = default;
    void Init() override;

private:
    TOwned<TXVNotebookList> FNotebooks;
    String FRootFolder;
};

class TXVVolumeList : public XClasses::TXTypedObjectList {
    X_CLASS(TXVVolumeList, XClasses::TXTypedObjectList)
public:
    TXVVolumeObject* Volumes(int AIndex) const { return static_cast<TXVVolumeObject*>(Items(AIndex)); }

protected:
    TXVVolumeList() = default;
    using inherited::Construct;
    void Construct(bool AOwnsObjects) override;
};
