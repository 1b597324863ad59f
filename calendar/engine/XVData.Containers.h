// XVData.Containers.h: the containers of calendar objects on disk: tabs (one kind of object in
// a folder), notebooks (a folder of tabs) and volumes (the root folder of notebooks).
// Each keeps its own file "Folder" + extension in its folder; folder texts end with a delimiter.
#pragma once

#include "XVData.Objects.h"

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
