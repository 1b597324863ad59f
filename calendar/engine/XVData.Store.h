// XVData.Store.h: the calendar store: volumes of notebooks of tabs on disk, found by walking
// their folders, and the program's calendars in the data folder's "Calendars" folder.
// Objects found on disk are read without their descriptions; a file that does not read is
// marked LoadFailed in its tab and never overwritten, and the others still load.
#pragma once

#include "Rtl.Strings.h"
#include "XCore.Classes.h"
#include "XCore.Collections.h"
#include "XVData.Containers.h"

// A registered tab class with the class and file extension of its objects.
class TXVTabClassItem : public XClasses::TXPersistentItem {
    X_CLASS(TXVTabClassItem, XClasses::TXPersistentItem)
public:
    TClass TabClass() const { return FTabClass; }
    TClass ItemClass() const { return FItemClass; }
    const String& ItemExtension() const { return FItemExtension; }
    // Named after ATabClass, which must be a TXVTabObject.
    void SetTabClass(TClass ATabClass);

protected:
    TXVTabClassItem() = default;

private:
    TClass FTabClass = nullptr;
    TClass FItemClass = nullptr;
    String FItemExtension;
};

class TXVTabClassCollection : public XCore::Collections::TXCollection<TXVTabClassItem> {
    X_CLASS(TXVTabClassCollection, XCore::Collections::TXCollection<TXVTabClassItem>)
public:
    // Also registers the tab class and its item class for streaming.
    TXVTabClassItem* RegisterTabClass(TClass ATabClass);
    // By class name, ignoring case; nullptr when not registered.
    TXVTabClassItem* Find(const String& AClassName) const;

protected:
    TXVTabClassCollection() = default;
};

class TXVNotebooks : public TXComponent {
    X_CLASS(TXVNotebooks, TXComponent)
public:
    TXVVolumeList* Volumes() const { return FVolumes.get(); }
    TXVTabClassCollection* TabClasses() const { return FTabClasses.get(); }

    // A volume on AFolder, attached (its folder made when missing) and listed.
    TXVVolumeObject* AddVolume(const String& AFolder);
    // Reads the volume's own file when its folder exists or can be made; else Unavailable.
    void PrepareVolume(TXVVolumeObject* AVolume);
    // PrepareVolume; when loaded, a notebook for every sub-folder that has none; then
    // PrepareNotebook for every notebook.
    void LoadVolume(TXVVolumeObject* AVolume);
    // AFolder is relative to the volume's root, with a trailing delimiter.
    TXVNotebookObject* AddNotebook(const String& AFolder, TXVVolumeObject* AVolume);
    void PrepareNotebook(TXVNotebookObject* ANotebook);
    // PrepareNotebook; when loaded, a tab for every sub-folder that has none and whose kind
    // can be told.
    void LoadNotebook(TXVNotebookObject* ANotebook);
    // The kind is the "Class" of the folder's own file's label, else the first registered
    // kind whose files the folder holds (sub-folders included); nullptr when neither tells.
    TXVTabObject* AddTabFromFolder(const String& AFolder, TXVNotebookObject* ANotebook);
    // A tab of the registered class of that name on AFolder (relative to the notebook),
    // attached, read and listed; nullptr for a class not registered.
    TXVTabObject* AddTab(const String& AFolder, const String& AClassName, TXVNotebookObject* ANotebook);
    // Reads the tab, then lists every file of its kind in its folder and below, each read
    // without its description. These objects have no parent.
    void LoadTabItems(TXVTabObject* ATab);

protected:
    TXVNotebooks() = default;
    void Construct(TComponent* AOwner) override;

private:
    TOwned<TXVVolumeList> FVolumes;
    TOwned<TXVTabClassCollection> FTabClasses;
};

class TXVCalendars : public TXVNotebooks {
    X_CLASS(TXVCalendars, TXVNotebooks)
public:
    TXVNotebookObject* DefaultNotebook() const { return FDefaultNotebook; }
    TXVQuickNoteTabObject* QuickNoteTab() const { return FQuickNoteTab; }
    TXVJournalTabObject* JournalTab() const { return FJournalTab; }
    TXVEventTabObject* EventTab() const { return FEventTab; }
    TXVHolidayTabObject* HolidayTab() const { return FHolidayTab; }
    // Sorted, without duplicates.
    TStringList* EventCategories() const { return FEventCategories.get(); }
    TStringList* HolidayCategories() const { return FHolidayCategories.get(); }

    // Opens the store in ARootFolder: the default notebook "Default" with its four tabs
    // "QNotes", "Journals", "Holidays" and "Events" (folders made, no file written), the
    // objects of all but the events, and the default quick note in full.
    void Open(const String& ARootFolder);
    // The standard categories in the current language; the holidays' own ones too.
    void UpdateCategories();

protected:
    TXVCalendars() = default;
    ~TXVCalendars() override;
    void Construct(TComponent* AOwner) override;

private:
    TXVNotebookObject* FDefaultNotebook = nullptr;   // the objects are owned by their lists
    TXVQuickNoteTabObject* FQuickNoteTab = nullptr;
    TXVJournalTabObject* FJournalTab = nullptr;
    TXVEventTabObject* FEventTab = nullptr;
    TXVHolidayTabObject* FHolidayTab = nullptr;
    TOwned<TStringList> FEventCategories;
    TOwned<TStringList> FHolidayCategories;
    bool FOpened = false;
};
