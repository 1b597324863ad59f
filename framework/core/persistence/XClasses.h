// XClasses.h: the second family of persistable classes: filerable and changeable objects,
// sorted owning object lists, persistent collections with a language fall-back, class
// collections, the change counter and the program-wide mode flags.
// The stored state of each class is its published properties. UI thread only; nothing locks.
// TXCollection and TXObjectList here are not the generic ones of XCore.Collections.
#pragma once

#include <cstdint>

#include "Rtl.Classes.h"
#include "Rtl.Lists.h"
#include "Rtl.Methods.h"
#include "Rtl.Strings.h"
#include "XCore.Classes.h"
#include "XCore.Types.h"

namespace XClasses {

// Set at start-up from the platform's version.
extern bool IsWinXPOrLater;
// Set by the application wizard from "card.ini" and from "/demo".
extern bool IsCardMode;
extern bool IsDemoMode;

// English: what a cleared header speaks and the last language fall-back.
inline constexpr uint32_t kEnglishLgID = 9;

// Status bits that assignment sets and clears; the others belong to the programs' classes.
inline constexpr unsigned kStatusBitAssignCleared = 2;
inline constexpr unsigned kStatusBitAssigned = 6;

using TXChangeCallback = TMethod<void()>;

// A nested change counter: OnBegin when the first level opens, OnEnd when the last one closes.
struct TXChangeCounter {
    int Count = 0;
    TXChangeCallback OnBegin;
    TXChangeCallback OnEnd;

    void Init(TXChangeCallback AOnBegin, TXChangeCallback AOnEnd);
    void BeginUpdate();
    // OnEnd also runs for an EndUpdate without a BeginUpdate.
    void EndUpdate();
};

// One registration of the event notifier, which creates, owns and matches these records.
class TXEventObject : public TObject {
    X_CLASS(TXEventObject, TObject)
public:
    int Kind() const { return FKind; }
    TNotifyEvent Handler() const { return FHandler; }

protected:
    TXEventObject() = default;
    void Construct(int AKind, TNotifyEvent AHandler);

private:
    int FKind = 0;
    TNotifyEvent FHandler;
};

// -1, 0 or 1 as A's Tag is below, equal to or above B's.
int CompareByTag(TComponent* A, TComponent* B);

// ---- Objects -----------------------------------------------------------------------------

class TXChangeablePersistent : public TXPersistent {
    X_CLASS(TXChangeablePersistent, TXPersistent)
public:
    // The assignment runs inside one change, closed also when it raises.
    void Assign(TPersistent* ASource) override;

protected:
    TXChangeablePersistent() = default;
    void Init() override;
    // When the first nested change opens and when the last one closes.
    virtual void BeginChange() {}
    virtual void EndChange() {}

    TXChangeCounter FCounter;
};

class TXFilerableObject : public TXPersistent {
    X_CLASS(TXFilerableObject, TXPersistent)
public:
    uint32_t LgID() const { return FLgID; }
    virtual void SetLgID(uint32_t AValue) { FLgID = AValue; }
    const String& Text() const { return FText; }
    void SetText(const String& AValue) { FText = AValue; }
    // Descendants publish it as "Name".
    virtual String GetName() { return FName; }
    virtual void SetName(const String& AValue) { FName = AValue; }
    // Whether the bulk data is written when the object is streamed.
    bool DataStorable() const { return FDataStorable; }
    virtual void SetDataStorable(bool AValue) { FDataStorable = AValue; }
    // A position an owner may record.
    int Idx() const { return FIdx; }
    void SetIdx(int AValue) { FIdx = AValue; }
    uint32_t Status() const { return FStatus; }
    void SetStatus(uint32_t AValue) { FStatus = AValue; }

    // Copies the name, then runs the ordinary assignment.
    void Assign(TPersistent* ASource) override;
    // Copies LgID, Text, DataStorable and Idx, not the name.
    bool AssignFrom(TPersistent* ASource) override;
    // AssignFrom without the name; a raising AssignFrom counts as not handled, and then the
    // source's AssignTo decides.
    virtual void TryAssign(TPersistent* ASource);
    bool IsEmpty() override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXFilerableObject() = default;
    void Init() override;
    void DoClear() override;

private:
    uint32_t FLgID = 0;
    String FText;
    String FName;
    bool FDataStorable = true;
    int FIdx = -1;
    uint32_t FStatus = 0;
};

// The header of lists and collections: a name and a language, English when cleared.
class TXLgObject : public TXFilerableObject {
    X_CLASS(TXLgObject, TXFilerableObject)
protected:
    TXLgObject() = default;
    void DoClear() override;
};

class TXChangeableObject : public TXFilerableObject {
    X_CLASS(TXChangeableObject, TXFilerableObject)
public:
    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent AValue) { FOnChange = AValue; }

    virtual void BeginUpdate() { FUpdates.BeginUpdate(); }
    // Closing the last level reports the change.
    virtual void EndUpdate();
    void Changed() { DoChanged(); }
    // One assignment reports at most one change.
    void Assign(TPersistent* ASource) override;
    void TryAssign(TPersistent* ASource) override;

protected:
    TXChangeableObject() = default;
    // OnChange, unless an update is open.
    virtual void DoChanged();

private:
    TXUpdateCounter FUpdates;
    TNotifyEvent FOnChange;
};

// ---- Object lists ------------------------------------------------------------------------

using TXObjectCompare = int (*)(TObject* A, TObject* B);
using TXObjectIsSame = bool (*)(TObject* A, TObject* B);

// An owning object list, kept sorted by Compare when Sorted. Among objects that Compare finds
// equal, IsSame tells which are the same one, for Duplicates.
class TXObjectList : public TObjectList {
    X_CLASS(TXObjectList, TObjectList)
public:
    bool Sorted() const { return FSorted; }
    // Turning it on sorts the list.
    void SetSorted(bool AValue);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates AValue) { FDuplicates = AValue; }
    TXLgObject* Header() const { return FHeader.get(); }
    // nullptr restores the defaults: every pair equal, none the same.
    TXObjectCompare Compare() const { return FCompare; }
    void SetCompare(TXObjectCompare AValue);
    TXObjectIsSame IsSame() const { return FIsSame; }
    void SetIsSame(TXObjectIsSame AValue);

    // Appends, or when Sorted inserts in order, after the objects Compare finds equal. An
    // object the same as a listed one is not inserted with dupIgnore (the listed one's index is
    // returned), raises EListError "Duplicate" with dupError, and goes before it with dupAccept.
    int Add(TObject* AObject);
    // True when a listed object is the same as AObject; AIndex is then the first such one,
    // otherwise the end of the run of equal objects, where AObject would go.
    bool Find(TObject* AObject, int& AIndex) const;
    // Adds only an object not listed already (by identity).
    void AddUnique(TObject* AObject);
    // Moves a listed object to AIndex, else inserts it there; AIndex is clamped. Answers it.
    int MoveOrInsert(int AIndex, TObject* AObject);
    int IndexOfName(const String& AText) const;   // ignoring case; -1 when none
    void DeleteByName(const String& AText);       // every object of exactly that name

    // Appends a copy of every persistent object of ASource.
    virtual void AppendCopies(TObjectList* ASource);
    // The header of a TXObjectList source, then copies of its objects.
    virtual void AssignFrom(TObjectList* ASource);
    // Clears, then AssignFrom.
    virtual void AssignList(TObjectList* ASource);
    // True when every object is an empty filerable object.
    virtual bool IsEmpty() const;
    // A new listed object; nullptr in the base.
    virtual TObject* AddNew() { return nullptr; }

protected:
    TXObjectList() = default;
    void Construct() { Construct(true); }
    virtual void Construct(bool AOwnsObjects);
    // Adds an object this list made: when Add leaves it out as a duplicate it is freed and the
    // listed equal one is answered.
    TObject* AddCreated(TObject* AObject);

private:
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    TOwned<TXLgObject> FHeader;
    TXObjectCompare FCompare;
    TXObjectIsSame FIsSame;
};

// A list whose AddNew makes objects of ItemClass.
class TXTypedObjectList : public TXObjectList {
    X_CLASS(TXTypedObjectList, TXObjectList)
public:
    // A TXPersistent descendant; any object while unset.
    TClass ItemClass() const override { return FItemClass != nullptr ? FItemClass : inherited::ItemClass(); }
    void SetItemClass(TClass AValue) { FItemClass = AValue; }
    TObject* AddNew() override;

protected:
    TXTypedObjectList() = default;

private:
    TClass FItemClass = nullptr;
};

// ---- Collection items and collections ----------------------------------------------------

class TXPersistentItem : public TCollectionItem {
    X_CLASS(TXPersistentItem, TCollectionItem)
public:
    String GetDisplayName() override { return FName; }
    // Stores the name and notifies nothing.
    void SetDisplayName(const String& AValue) override { FName = AValue; }

    // Copies the name of a collection item, then AssignFrom; when that raises or answers False,
    // the source's AssignTo decides.
    void Assign(TPersistent* ASource) override;
    virtual bool AssignFrom(TPersistent*) { return true; }
    // Assign without the name.
    virtual void TryAssign(TPersistent* ASource);
    virtual void Clear() { FName.clear(); }
    virtual bool IsEmpty() { return GetDisplayName().empty(); }
    virtual bool IsSameName(TPersistent* AOther);

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXPersistentItem() = default;
    void Construct(TCollection* ACollection) override;
    virtual void Init() {}

private:
    String FName;
};

class TXPersistentCollection : public TOwnedCollection {
    X_CLASS(TXPersistentCollection, TOwnedCollection)
public:
    // A copy of every item of a collection ASource, added at the end.
    virtual void AppendItems(TPersistent* ASource);
    virtual void AssignItems(TPersistent* ASource) { AppendItems(ASource); }
    // From a collection: clear, then AssignItems.
    void Assign(TPersistent* ASource) override;
    // Display names compared ignoring case; -1 when none.
    int IndexOfName(const String& AText) const;
    // The first item, added first when ACollection is empty.
    static TCollectionItem* EnsureFirstItem(TCollection* ACollection);

protected:
    TXPersistentCollection() = default;
};

class TXChangeablePersistentItem : public TXPersistentItem {
    X_CLASS(TXChangeablePersistentItem, TXPersistentItem)
public:
    int UpdateCount() const { return FUpdateCount; }
    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent AValue) { FOnChange = AValue; }

    virtual void BeginUpdate() { ++FUpdateCount; }
    // Never below 0; then DoChange.
    virtual void EndUpdate();
    void Assign(TPersistent* ASource) override;
    void TryAssign(TPersistent* ASource) override;

protected:
    TXChangeablePersistentItem() = default;
    void Init() override { FUpdateCount = 0; }
    // OnChange, unless an update is open.
    virtual void DoChange();

private:
    int FUpdateCount = 0;
    TNotifyEvent FOnChange;
};

// Every change of a changeable item reaches the collection's Update, and so OnUpdate.
class TXChangeablePersistentCollection : public TXPersistentCollection {
    X_CLASS(TXChangeablePersistentCollection, TXPersistentCollection)
public:
    TNotifyEvent OnUpdate() const { return FOnUpdate; }
    void SetOnUpdate(TNotifyEvent AValue) { FOnUpdate = AValue; }

protected:
    TXChangeablePersistentCollection() = default;
    void Update(TCollectionItem* AItem) override;
    void Notify(TCollectionItem* AItem, TCollectionNotification AAction) override;

private:
    void ItemChanged(TObject*) { Changed(); }

    TNotifyEvent FOnUpdate;
};

class TXYCollectionItem : public TXPersistentItem {
    X_CLASS(TXYCollectionItem, TXPersistentItem)
public:
    uint32_t LgID() const { return FLgID; }
    void SetLgID(uint32_t AValue) { FLgID = AValue; }
    const String& Text() const { return FText; }
    void SetText(const String& AValue) { FText = AValue; }
    bool DataStorable() const { return FDataStorable; }
    virtual void SetDataStorable(bool AValue) { FDataStorable = AValue; }
    int Idx() const { return FIdx; }
    void SetIdx(int AValue) { FIdx = AValue; }
    uint32_t Status() const { return FStatus; }
    void SetStatus(uint32_t AValue) { FStatus = AValue; }

    // From another TXYCollectionItem: LgID, Text, DataStorable and Idx.
    bool AssignFrom(TPersistent* ASource) override;
    void Clear() override;
    bool IsEmpty() override;

    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TXYCollectionItem() = default;
    void Init() override { FStatus = 0; }

private:
    uint32_t FLgID = 0;
    String FText;
    bool FDataStorable = true;
    int FIdx = -1;
    uint32_t FStatus = 0;
};

// A collection of language-tagged items with a header whose language is the fall-back.
class TXCollection : public TXPersistentCollection {
    X_CLASS(TXCollection, TXPersistentCollection)
public:
    TXLgObject* Header() const { return FHeader.get(); }

    // From a TXCollection the header too.
    void AppendItems(TPersistent* ASource) override;
    // True when every item is an empty TXYCollectionItem.
    virtual bool IsEmpty() const;
    // The first item of exactly that language; -1 when none.
    int FindLgID(uint32_t AId) const;
    // As FindLgID, falling back on the primary language, the header's, 0 and then 9.
    int IndexOfLgID(uint32_t AId) const;

protected:
    TXCollection() = default;
    void Construct(TPersistent* AOwner, TClass AItemClass) override;
    // Without an owner: every TXCollection has its header.
    void Construct(TClass AItemClass) override { Construct(nullptr, AItemClass); }

private:
    TOwned<TXLgObject> FHeader;
};

class TXClassItem : public TXPersistentItem {
    X_CLASS(TXClassItem, TXPersistentItem)
public:
    TClass ItemClassRef() const { return FItemClassRef; }
    void SetItemClassRef(TClass AValue) { FItemClassRef = AValue; }
    bool AssignFrom(TPersistent* ASource) override;

protected:
    TXClassItem() = default;
    void Init() override { FItemClassRef = nullptr; }

private:
    TClass FItemClassRef = nullptr;
};

// Class references, each item named after its class.
class TXClassCollection : public TXPersistentCollection {
    X_CLASS(TXClassCollection, TXPersistentCollection)
public:
    TXClassItem* GetItem(int AIndex) const { return static_cast<TXClassItem*>(Items(AIndex)); }
    // The item of that class, added when there is none.
    TXClassItem* AddClass(TClass AClass);

protected:
    TXClassCollection() = default;
};

}  // namespace XClasses
