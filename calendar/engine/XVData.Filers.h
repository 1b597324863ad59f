// XVData.Filers.h: the filers of calendar object files. A file is one record container with
// the object's label in group "XXL" and the object in a group named after its kind; notes keep
// their description and image bytes in entries "Description" and "Image" beside it.
// Reading with the filer part kReadDescription also reads the description: a list only needs
// the rest, and descriptions can be large.
#pragma once

#include "XCore.Filer.XStream.h"
#include "XCore.Streams.Containers.h"

// The filer part that asks a note's reader for its description.
inline constexpr size_t kReadDescription = 0;

// ---- Groups ------------------------------------------------------------------------------

// The label of a calendar object, an image pack or a bare TXL.
class TXRLStreamFilerGroup : public TXRStreamFilerGroup {
    X_CLASS(TXRLStreamFilerGroup, TXRStreamFilerGroup)
protected:
    TXRLStreamFilerGroup() = default;
    void Construct() override;
};

// The calendar object itself, without its bulk data.
class TXVDataObjectFilerGroup : public TXRStreamFilerGroup {
    X_CLASS(TXVDataObjectFilerGroup, TXRStreamFilerGroup)
protected:
    TXVDataObjectFilerGroup() = default;
    void Construct() override;
};

// A read without kReadDescription keeps the description the note has: the object read from
// the file, which the note takes over, comes without one.
class TXCustomVNoteObjectFilerGroup : public TXVDataObjectFilerGroup {
    X_CLASS(TXCustomVNoteObjectFilerGroup, TXVDataObjectFilerGroup)
public:
    bool BeforeLoad(bool ARaise) override;
    bool AfterLoad(bool ARaise) override;
    void ObjectIndexRead() override;
    void DefineObjectData() override;

protected:
    TXCustomVNoteObjectFilerGroup() = default;

private:
    bool ReadsDescription() const;

    TOwned<TXStreamObject> FKeptDescription;
};

#define X_VDATA_GROUP(Name, Parent)         \
    class Name : public Parent {            \
        X_CLASS(Name, Parent)               \
    protected:                              \
        Name() = default;                   \
        void Construct() override;          \
    };

X_VDATA_GROUP(TXVQuickNoteObjectFilerGroup, TXCustomVNoteObjectFilerGroup)
X_VDATA_GROUP(TXVJournalObjectFilerGroup, TXCustomVNoteObjectFilerGroup)
X_VDATA_GROUP(TXVEventObjectFilerGroup, TXCustomVNoteObjectFilerGroup)
X_VDATA_GROUP(TXVHolidayObjectFilerGroup, TXCustomVNoteObjectFilerGroup)
X_VDATA_GROUP(TXVTabObjectFilerGroup, TXVDataObjectFilerGroup)
X_VDATA_GROUP(TXVNotebookObjectFilerGroup, TXVDataObjectFilerGroup)
X_VDATA_GROUP(TXVVolumeObjectFilerGroup, TXVDataObjectFilerGroup)
#undef X_VDATA_GROUP

// ---- Filers ------------------------------------------------------------------------------

// Reads the label alone of any calendar object file or image pack. No identity check.
class TXRLStreamFiler : public TXRStreamFiler {
    X_CLASS(TXRLStreamFiler, TXRStreamFiler)
public:
    // ATarget is a TXL, a TXLC or a calendar object.
    void PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts) override;

protected:
    TXRLStreamFiler() = default;
    void Construct() override;
};

// The label group, then the object group of ObjectGroupClass. The base has group "VData" and
// no identity; each kind has its own identity (3000, 0, 0, 0, 0, kind name).
class TXVDataObjectFiler : public TXRStreamFiler {
    X_CLASS(TXVDataObjectFiler, TXRStreamFiler)
public:
    // ATarget is a calendar object.
    void PrepareGroups(TObject* ATarget, int ASelector, const TXFilerParts& AParts) override;

protected:
    TXVDataObjectFiler() = default;
    void Construct() override;
    virtual TClass ObjectGroupClass() const { return TXVDataObjectFilerGroup::StaticClass(); }
    // Sets the identity (3000, 0, 0, 0, 0, AName).
    void SetKindIdentity(const String& AName);
};

#define X_VDATA_FILER(Name, Group)                                                  \
    class Name : public TXVDataObjectFiler {                                        \
        X_CLASS(Name, TXVDataObjectFiler)                                           \
    protected:                                                                      \
        Name() = default;                                                           \
        void Construct() override;                                                  \
        TClass ObjectGroupClass() const override { return Group::StaticClass(); }  \
    };

X_VDATA_FILER(TXVQuickNoteFiler, TXVQuickNoteObjectFilerGroup)
X_VDATA_FILER(TXVJournalFiler, TXVJournalObjectFilerGroup)
X_VDATA_FILER(TXVEventFiler, TXVEventObjectFilerGroup)
X_VDATA_FILER(TXVHolidayFiler, TXVHolidayObjectFilerGroup)
X_VDATA_FILER(TXVTabFiler, TXVTabObjectFilerGroup)
X_VDATA_FILER(TXVNotebookFiler, TXVNotebookObjectFilerGroup)
X_VDATA_FILER(TXVVolumeFiler, TXVVolumeObjectFilerGroup)
#undef X_VDATA_FILER
