// Rtl.Classes.h: persistent objects, components with owners and free notifications, owned
// collections of items, and the class registry by name.
// None of these lock: like the VCL classes they stand for, they belong to one thread.
#pragma once

#include <vector>

#include "Rtl.Interfaces.h"
#include "Rtl.Methods.h"
#include "Rtl.Sets.h"

class TFiler;
class TReader;
class TWriter;
class TStream;
class TComponent;
class TCollection;
class TCollectionItem;

// ---- TPersistent -------------------------------------------------------------------------

class TPersistent : public TObject {
    X_CLASS(TPersistent, TObject)
public:
    // Copies ASource into this object; the base asks ASource->AssignTo(this), which raises
    // EConvertError "Cannot assign a X to a Y" unless a class knows the pair.
    virtual void Assign(TPersistent* ASource);
    // The fallback of Assign, called on the source: the base raises the conversion error.
    virtual void AssignTo(TPersistent* ADest);
    virtual TPersistent* GetOwner() { return nullptr; }
    // The name by which the object is shown in paths ("Form1.Button1.Font").
    virtual String GetNamePath();
    // Binary or otherwise non-published data the object streams itself ("Data", "CData").
    virtual void DefineProperties(TFiler*) {}

protected:
    TPersistent() = default;
    [[noreturn]] void AssignError(TPersistent* ASource);
};

// A persistent object that answers interfaces; it is counted through its owner's interface
// when the owner has one, otherwise not at all (its owner frees it).
class TInterfacedPersistent : public TPersistent, public IInterface {
    X_CLASS(TInterfacedPersistent, TPersistent)
    X_INTERFACES(IInterface)
public:
    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override;
    int32_t _AddRef() override;
    int32_t _Release() override;
    void AfterConstruction() override;

protected:
    TInterfacedPersistent() = default;

private:
    IInterface* FOwnerInterface = nullptr;
};

// ---- TFiler ------------------------------------------------------------------------------

// What DefineProperties is handed while an object is written or read: a persistent object
// declares its non-published data there (binary blobs, computed values). A writer calls the
// write procedure of each property whose HasData is True; a reader calls the read procedure
// of the one it meets in the stream.
using TReaderProc = TMethod<void(TReader*)>;
using TWriterProc = TMethod<void(TWriter*)>;
using TStreamProc = TMethod<void(TStream*)>;

class TFiler : public TObject {
    X_CLASS(TFiler, TObject)
public:
    virtual void DefineProperty(const String& AName, TReaderProc AReadData, TWriterProc AWriteData,
                                bool AHasData) = 0;
    // AWriteData fills the stream it is given; AReadData is given a stream holding the bytes.
    virtual void DefineBinaryProperty(const String& AName, TStreamProc AReadData, TStreamProc AWriteData,
                                      bool AHasData) = 0;
    // The object the one being written inherits its values from (forms); nullptr here.
    TPersistent* Ancestor() const { return FAncestor; }
    void SetAncestor(TPersistent* AValue) { FAncestor = AValue; }

protected:
    TFiler() = default;

private:
    TPersistent* FAncestor = nullptr;
};

// ---- TComponent --------------------------------------------------------------------------

enum TOperation : uint8_t { opInsert, opRemove };

enum TComponentStateItem : uint8_t {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

// A component is owned by its owner, which frees it; it has a name unique among the owner's
// components (letter case ignored) and tells the components that asked for it when it goes.
class TComponent : public TPersistent, public IInterface {
    X_CLASS(TComponent, TPersistent)
    X_INTERFACES(IInterface)
public:
    TComponent* Owner() const { return FOwner; }
    const String& Name() const { return FName; }
    // Raises EComponentError for a name that is no identifier or that the owner already has.
    virtual void SetName(const String& AValue);
    intptr_t Tag() const { return FTag; }
    void SetTag(intptr_t AValue) { FTag = AValue; }
    TComponentState ComponentState() const { return FComponentState; }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    // Raises EListError for an index out of range.
    TComponent* Components(int AIndex) const;
    // The position in the owner's list; -1 without an owner.
    int ComponentIndex() const;
    void SetComponentIndex(int AValue);
    // The owned component of that name (letter case ignored); nullptr for none or an empty name.
    TComponent* FindComponent(const String& AName) const;

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void DestroyComponents();
    // Marks this component and everything it owns as being destroyed.
    void Destroying();

    // AComponent will hear Notification(this, opRemove) when this component goes, and the
    // other way round.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Raises EComponentError "A component named X already exists" when this component owns
    // another component of the new name.
    virtual void ValidateRename(TComponent* AComponent, const String& ACurName, const String& ANewName);

    TPersistent* GetOwner() override { return FOwner; }
    String GetNamePath() override { return FName; }

    HRESULT QueryInterface(const TGUID& AIID, void** AObj) override;
    // Components are freed by their owner, not by interface references.
    int32_t _AddRef() override { return -1; }
    int32_t _Release() override { return -1; }

    void BeforeDestruction() override;

    // Name (never stored: writers put it in the object's header) and Tag.
    static void DeclareProperties(TPropertyDeclarer& P);

protected:
    TComponent() = default;
    ~TComponent() override;
    virtual void Construct(TComponent* AOwner);

    // Called on the owner and on free-notification partners when a component comes or goes;
    // the base forgets a removed partner and passes the call to every owned component.
    virtual void Notification(TComponent* AComponent, TOperation AOperation);
    virtual void Loaded();
    virtual void ChangeName(const String& ANewName) { FName = ANewName; }
    void SetComponentState(TComponentState AValue) { FComponentState = AValue; }

private:
    friend class TReader;   // marks what it reads as loading and calls Loaded at the end
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void RemoveNotification(TComponent* AComponent);
    void RemoveFreeNotifications();

    TComponent* FOwner = nullptr;
    String FName;
    intptr_t FTag = 0;
    TComponentState FComponentState;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
};

// ---- TCollection -------------------------------------------------------------------------

enum TCollectionNotification : uint8_t { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
    X_CLASS(TCollectionItem, TPersistent)
public:
    TCollection* Collection() const { return FCollection; }
    // Moves the item into another collection (or out of any, for nullptr).
    void SetCollection(TCollection* AValue);
    int ID() const { return FID; }
    // The position in the collection; -1 without one.
    int Index() const;
    // Moves the item, keeping the object; raises EListError for an index out of range.
    virtual void SetIndex(int AValue);
    // The name shown for the item; the base answers the class name.
    virtual String GetDisplayName();
    virtual void SetDisplayName(const String&) { Changed(false); }

    TPersistent* GetOwner() override;
    String GetNamePath() override;

protected:
    TCollectionItem() = default;
    ~TCollectionItem() override;
    // Joins ACollection (which may be nullptr).
    virtual void Construct(TCollection* ACollection);

    // Tells the collection: AAllItems says that more than this item changed.
    void Changed(bool AAllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

class TCollection : public TPersistent {
    X_CLASS(TCollection, TPersistent)
public:
    TClass ItemClass() const { return FItemClass; }
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EListError for an index out of range.
    TCollectionItem* Items(int AIndex) const;
    // Assigns AValue to the item at AIndex.
    void SetItem(int AIndex, TCollectionItem* AValue);

    // A new item of the item class, created through its virtual constructor, at the end.
    TCollectionItem* Add();
    TCollectionItem* Insert(int AIndex);
    // Frees the item at AIndex (raises EListError for an index out of range).
    void Delete(int AIndex);
    void Clear();
    TCollectionItem* FindItemID(int AID) const;
    // Moves the item at ACurIndex to ANewIndex, keeping the object.
    void Move(int ACurIndex, int ANewIndex);

    virtual void BeginUpdate() { ++FUpdateCount; }
    virtual void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    void Assign(TPersistent* ASource) override;
    String GetNamePath() override;

protected:
    TCollection() = default;
    ~TCollection() override;
    // AItemClass must descend from TCollectionItem.
    virtual void Construct(TClass AItemClass);

    // Called when an item or (AItem nullptr) the whole collection changed, outside updates.
    virtual void Update(TCollectionItem*) {}
    virtual void Notify(TCollectionItem*, TCollectionNotification) {}
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* AItem);
    void RemoveItem(TCollectionItem* AItem);

    TClass FItemClass = nullptr;
    std::vector<TCollectionItem*> FItems;
    int FUpdateCount = 0;
    int FNextID = 0;
};

// A collection whose owner is a persistent object (its GetOwner answers it).
class TOwnedCollection : public TCollection {
    X_CLASS(TOwnedCollection, TCollection)
public:
    TPersistent* GetOwner() override { return FOwner; }

protected:
    TOwnedCollection() = default;
    using TCollection::Construct;
    virtual void Construct(TPersistent* AOwner, TClass AItemClass);

private:
    TPersistent* FOwner = nullptr;
};

// ---- Class registry ----------------------------------------------------------------------

// Makes the class findable by name. Registering a second class under a name taken raises
// EFilerError "A class named X already exists"; registering the same class again does nothing.
void RegisterClass(TClass AClass);
void RegisterClasses(std::initializer_list<TClass> AClasses);
void UnRegisterClass(TClass AClass);
// The registered class of that name (letter case ignored), or nullptr.
TClass GetClass(const String& AClassName);
// As GetClass, but raises EClassNotFound "Class X not found".
TClass FindClass(const String& AClassName);
